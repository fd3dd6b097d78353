#include "imagebuffer/ImageBuffer.h"

#include "imagebuffer/ColorQuantizer.h"
#include "imagebuffer/ImageReaders.h"
#include "imagebuffer/ImageWriters.h"

#include <QFile>
#include <QPainter>
#include <QScrollBar>

ImageBuffer::ImageBuffer(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setScrollBars(0);
}

ImageBuffer::~ImageBuffer() = default;

namespace {

// Reads a file for one format: the first bytes decide whether it can be of that
// format at all before the rest is read.
DecodedImage readFile(const QString &path, int code)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return DecodedImage::failure(file.errorString());
    const qint64 length = file.size();
    if (length > ImageFormat::MaxFileBytes)
        return DecodedImage::failure(QStringLiteral("file too large"));
    if (!ImageReaders::Sniff(code, file.peek(4096), length))
        return DecodedImage::failure(QStringLiteral("not of this format"));
    const QByteArray bytes = file.readAll();
    if (bytes.size() != length)
        return DecodedImage::failure(QStringLiteral("could not read the whole file"));
    return ImageReaders::Read(code, bytes);
}

QImage::Format formatForDepth(int bits)
{
    return bits == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32;
}

} // namespace

bool ImageBuffer::Load()
{
    const DecodedImage decoded = readFile(fileName, fileType);
    Clear();
    if (!decoded.ok()) {
        lastError = decoded.error.isEmpty() ? QStringLiteral("unreadable") : decoded.error;
        return false;
    }
    take(decoded);
    return true;
}

void ImageBuffer::take(const DecodedImage &decoded)
{
    picture = decoded.image;
    deferred = decoded.deferred;
    pictureSize = decoded.size();
    depth = decoded.depth;
    lastError.clear();
    pictureChanged();
}

bool ImageBuffer::Save()
{
    if (!hasImage() || image().isNull())
        return false;
    switch (fileType) {
    case ImageFormat::Jpeg: return ImageWriters::WriteJpeg(picture, fileName, quality, progressive == 1);
    case ImageFormat::Png: return ImageWriters::WritePng(picture, fileName, progressive == 1);
    default: return false;
    }
}

const QImage &ImageBuffer::image() const
{
    if (deferred && picture.isNull())
        picture = deferred->decodeFull();
    if (!picture.isNull())
        deferred.reset();
    return picture;
}

bool ImageBuffer::ConvertDepth(int bits)
{
    if (!hasImage() || (bits != 24 && bits != 32))
        return false;
    if (deferred && picture.isNull()) {
        depth = bits;  // a JPEG decodes to true colour anyway
        return true;
    }
    QImage converted(picture.size(), formatForDepth(bits));
    if (converted.isNull())
        return false;
    if (bits == 24) {
        converted.fill(Qt::white);
        QPainter painter(&converted);
        painter.drawImage(0, 0, picture);
    } else {
        converted = picture.convertToFormat(QImage::Format_ARGB32);
    }
    picture = converted;
    depth = bits;
    pictureChanged();
    return true;
}

bool ImageBuffer::ReduceColors(int count, bool dither, bool, bool)
{
    if (!hasImage() || image().isNull())
        return false;
    const QImage reduced = ColorQuantizer::Reduce(picture, count, dither);
    if (reduced.isNull())
        return false;
    picture = reduced;
    depth = count <= 2 ? 1 : count <= 16 ? 4 : 8;
    pictureChanged();
    return true;
}

bool ImageBuffer::CreateImage(int bits, int width, int height, const QColor &fill)
{
    if (!ImageFormat::SizeAcceptable(width, height))
        return false;
    QImage blank(width, height, formatForDepth(bits));
    if (blank.isNull())
        return false;
    blank.fill(fill);
    DecodedImage made;
    made.image = blank;
    made.depth = bits == 32 ? 32 : 24;
    take(made);
    return true;
}

// The source's pixels for a copy of the given size: a waiting JPEG is decoded at
// the reduced scale that still serves that size, and not kept.
QImage ImageBuffer::sourceFor(QSize target) const
{
    if (deferred && picture.isNull())
        return deferred->decodeForTarget(target);
    return picture;
}

bool ImageBuffer::CopyScaled(bool, const ImageBuffer &source, bool, int)
{
    if (!hasImage() || image().isNull() || !source.hasImage())
        return false;
    const QImage pixels = source.sourceFor(pictureSize);
    if (pixels.isNull())
        return false;
    const Qt::TransformationMode quality = resampleMode == 0 ? Qt::FastTransformation : Qt::SmoothTransformation;
    const QImage scaled =
        pixels.size() == pictureSize ? pixels : pixels.scaled(pictureSize, Qt::IgnoreAspectRatio, quality);
    QPainter painter(&picture);
    painter.drawImage(0, 0, scaled);
    painter.end();
    pictureChanged();
    return true;
}

void ImageBuffer::Clear(int)
{
    picture = QImage();
    deferred.reset();
    pictureSize = QSize();
    depth = 0;
    pictureChanged();
}

void ImageBuffer::ImportPicture(const QImage &imported)
{
    DecodedImage made;
    made.image = imported;
    made.depth = imported.hasAlphaChannel() ? 32 : 24;
    if (imported.isNull())
        Clear();
    else
        take(made);
}

void ImageBuffer::setAutoSize(bool value)
{
    autoSize = value;
    pictureChanged();
}

void ImageBuffer::setScrollBars(int which)
{
    scrollBars = which;
    setHorizontalScrollBarPolicy(which & 1 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(which & 2 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    updateScrollBars();
}

void ImageBuffer::setBackColor(const QColor &colour)
{
    backColor = colour;
    viewport()->update();
}

void ImageBuffer::pictureChanged()
{
    if (autoSize && hasImage())
        resize(pictureSize);
    updateScrollBars();
    viewport()->update();
}

void ImageBuffer::updateScrollBars()
{
    const QSize visible = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, pictureSize.width() - visible.width()));
    horizontalScrollBar()->setPageStep(visible.width());
    verticalScrollBar()->setRange(0, std::max(0, pictureSize.height() - visible.height()));
    verticalScrollBar()->setPageStep(visible.height());
}

void ImageBuffer::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ImageBuffer::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), backColor);
    if (hasImage())
        painter.drawImage(-horizontalScrollBar()->value(), -verticalScrollBar()->value(), image());
}
