#include "imagebuffer/Picture.h"

#include "imagebuffer/ColorQuantizer.h"
#include "imagebuffer/ImageReaders.h"
#include "imagebuffer/ImageWriters.h"
#include "imagebuffer/Lanczos.h"
#include "imagebuffer/PictureFile.h"

#include <QPainter>

namespace {

QImage::Format formatForDepth(int bits)
{
    return bits == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32;
}

} // namespace

Picture Picture::fromImage(const QImage &image)
{
    Picture picture;
    if (image.isNull())
        return picture;
    DecodedImage made;
    made.image = image;
    made.depth = image.hasAlphaChannel() ? 32 : 24;
    picture.take(made);
    return picture;
}

bool Picture::load(const QString &path, ImageFormat::Code format)
{
    PictureFile file(path);
    return load(file, format);
}

bool Picture::load(PictureFile &file, ImageFormat::Code format)
{
    const DecodedImage decoded = file.read(format);
    clear();
    if (!decoded.ok()) {
        lastError = decoded.error.isEmpty() ? QStringLiteral("unreadable") : decoded.error;
        refused = decoded.refusedSize;
        return false;
    }
    take(decoded);
    return true;
}

void Picture::take(const DecodedImage &decoded)
{
    pixels = decoded.image;
    deferred = decoded.deferred;
    pictureSize = decoded.size();
    bits = decoded.depth;
    lastError.clear();
    refused = QSize();
}

bool Picture::save(const QString &path, ImageFormat::Code format, const SaveOptions &options) const
{
    if (isNull() || image().isNull()) {
        lastError = QStringLiteral("there is no picture to save");
        return false;
    }
    QString why;
    bool written = false;
    switch (format) {
    case ImageFormat::Jpeg: written = ImageWriters::WriteJpeg(pixels, path, options.quality, options.progressive, why); break;
    case ImageFormat::Png: written = ImageWriters::WritePng(pixels, path, options.progressive, why, options.keepTransparency); break;
    default: why = QStringLiteral("pictures are saved as JPEG or PNG only"); break;
    }
    lastError = written ? QString() : why;
    return written;
}

const QImage &Picture::image() const
{
    if (deferred && pixels.isNull())
        pixels = deferred->decodeFull(&lastError);
    if (!pixels.isNull())
        deferred.reset();
    return pixels;
}

bool Picture::convertDepth(int depth)
{
    if (isNull() || (depth != 24 && depth != 32))
        return false;
    // A waiting photo decodes to true colour anyway, and opaque true-colour pixels are
    // already what 24 bits means: no copy of a large picture.
    if ((deferred && pixels.isNull()) || (depth == 24 && pixels.format() == QImage::Format_RGB32)) {
        bits = depth;
        return true;
    }
    QImage converted(pixels.size(), formatForDepth(depth));
    if (converted.isNull())
        return false;
    if (depth == 24) {
        converted.fill(Qt::white);
        QPainter painter(&converted);
        painter.drawImage(0, 0, pixels);
    } else {
        converted = pixels.convertToFormat(QImage::Format_ARGB32);
    }
    pixels = converted;
    bits = depth;
    return true;
}

bool Picture::reduceColors(int count, bool dither)
{
    if (isNull() || image().isNull())
        return false;
    const QImage reduced = ColorQuantizer::Reduce(pixels, count, dither);
    if (reduced.isNull())
        return false;
    pixels = reduced;
    bits = count <= 2 ? 1 : count <= 16 ? 4 : 8;
    return true;
}

bool Picture::hasTransparency() const
{
    if (bits != 32 || isNull())
        return false;
    const QImage &all = image();
    const bool argb = all.format() == QImage::Format_ARGB32 || all.format() == QImage::Format_ARGB32_Premultiplied;
    for (int y = 0; y < all.height(); ++y) {
        // A line at a time, so that a large picture is never copied whole.
        const QImage line = argb ? QImage() : all.copy(0, y, all.width(), 1).convertToFormat(QImage::Format_ARGB32);
        const auto *pixels = reinterpret_cast<const QRgb *>(argb ? all.constScanLine(y) : line.constBits());
        if (std::any_of(pixels, pixels + all.width(), [](QRgb pixel) { return qAlpha(pixel) < 255; }))
            return true;
    }
    return false;
}

bool Picture::createBlank(int depth, QSize size, const QColor &fill)
{
    if (!ImageFormat::Admit(size.width(), size.height()))
        return false;
    QImage blank(size, formatForDepth(depth));
    if (blank.isNull())
        return false;
    blank.fill(fill);
    DecodedImage made;
    made.image = blank;
    made.depth = depth == 32 ? 32 : 24;
    take(made);
    return true;
}

// The pixels for a copy of the given size: a waiting photo is decoded at the reduced
// scale that still serves that size, and not kept.
QImage Picture::pixelsFor(QSize target) const
{
    if (deferred && pixels.isNull())
        return deferred->decodeForTarget(target, &lastError);
    return pixels;
}

bool Picture::copyScaled(const Picture &source, Resampling mode)
{
    if (isNull() || image().isNull() || source.isNull())
        return false;
    const QImage from = source.pixelsFor(pictureSize);
    if (from.isNull())
        return false;
    const QImage scaled = from.size() == pictureSize     ? from
                          : mode == Resampling::Nearest ? from.scaled(pictureSize, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                                                        : ScaledLanczos(from, pictureSize);
    if (scaled.isNull())
        return false;
    QPainter painter(&pixels);
    painter.drawImage(0, 0, scaled);
    return true;
}

void Picture::clear()
{
    pixels = QImage();
    deferred.reset();
    pictureSize = QSize(0, 0);
    bits = 0;
}
