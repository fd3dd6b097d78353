#include "imagebuffer/ImageReaders.h"

#include "imagebuffer/ByteReader.h"
#include "imagebuffer/DecodeBudget.h"
#include "imagebuffer/JpegMetadata.h"

#include <QColorSpace>
#include <QtEndian>
#include <cstring>

namespace ImageFormat {

bool SizeAcceptable(qint64 width, qint64 height)
{
    return width > 0 && height > 0 && width <= 65535 && height <= 65535 && width * height <= MaxPixels;
}

bool Admit(qint64 width, qint64 height)
{
    return SizeAcceptable(width, height) && DecodeBudget::Reserve(width * height * DecodeBudget::BytesPerPixel);
}

} // namespace ImageFormat

namespace ImageReaders {

namespace {

const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);

// 16-bit and floating-point pictures are brought to 8 bits per channel, the
// precision everything after reading works in.
QImage toEightBits(QImage image)
{
    switch (image.format()) {
    case QImage::Format_Grayscale16:
        return image.convertToFormat(QImage::Format_Grayscale8);
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
    case QImage::Format_RGBX16FPx4:
    case QImage::Format_RGBA16FPx4:
    case QImage::Format_RGBA16FPx4_Premultiplied:
    case QImage::Format_RGBX32FPx4:
    case QImage::Format_RGBA32FPx4:
    case QImage::Format_RGBA32FPx4_Premultiplied:
        return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    default:
        return image;
    }
}

int depthOfImage(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: return 1;
    case QImage::Format_Indexed8: return image.colorCount() <= 2 ? 1 : image.colorCount() <= 16 ? 4 : 8;
    case QImage::Format_Grayscale8:
    case QImage::Format_Alpha8: return 8;
    case QImage::Format_RGB16:
    case QImage::Format_RGB555:
    case QImage::Format_RGB444: return 16;
    default: return image.hasAlphaChannel() ? 32 : 24;
    }
}

// Reads with the Qt handler of one format only: no guessing from the content, no
// falling back to another format.
DecodedImage readWithQt(const QByteArray &bytes, const char *format, int index = -1)
{
    BytesReader reader(bytes, format);
    if (!reader->canRead())
        return DecodedImage::failure(QStringLiteral("not a %1 file").arg(QString::fromLatin1(format)));
    if (index > 0 && !reader->jumpToImage(index))
        return DecodedImage::failure(QStringLiteral("missing entry"));
    const QSize claimed = reader->size();
    if (claimed.isValid() && !ImageFormat::Admit(claimed.width(), claimed.height()))
        return DecodedImage::tooLarge(claimed.width(), claimed.height());
    QImage image;
    if (!reader->read(&image) || image.isNull())
        return DecodedImage::failure(reader->errorString());
    if (!ImageFormat::Admit(image.width(), image.height()))
        return DecodedImage::tooLarge(image.width(), image.height());
    DecodedImage result;
    result.image = InSrgb(toEightBits(image));
    result.depth = depthOfImage(image);
    return result;
}

int pngDepth(const QByteArray &bytes, qsizetype start)
{
    return PngBitsPerPixel(ByteReader::at(bytes, start + 24), ByteReader::at(bytes, start + 25));
}

int gifDepth(const QByteArray &bytes)
{
    const quint8 packed = ByteReader::at(bytes, 10);
    return packed & 0x80 ? (packed & 0x07) + 1 : 8;
}

DecodedImage withDepth(DecodedImage result, int depth)
{
    if (result.ok() && depth > 0)
        result.depth = depth;
    return result;
}

// The entry of an icon file that shows best: the largest, then the deepest.
struct IconEntry {
    int index = 0;
    qint64 area = 0;
    int depth = 0;
};

IconEntry bestIconEntry(const QByteArray &bytes)
{
    IconEntry best;
    const int count = ByteReader::u16At(bytes, 4);
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = 6 + 16 * i;
        const qsizetype offset = ByteReader::u32At(bytes, entry + 12);
        IconEntry candidate{i, 0, 0};
        if (bytes.mid(offset, 8) == PngSignature) {
            candidate.area = qint64(qFromBigEndian<quint32>(bytes.constData() + std::min(offset + 16, bytes.size() - 4)))
                             * qFromBigEndian<quint32>(bytes.constData() + std::min(offset + 20, bytes.size() - 4));
            candidate.depth = pngDepth(bytes, offset);
        } else {
            const qint64 width = qint32(ByteReader::u32At(bytes, offset + 4));
            const qint64 height = qint32(ByteReader::u32At(bytes, offset + 8)) / 2;
            candidate.area = std::abs(width * height);
            candidate.depth = ByteReader::u16At(bytes, offset + 14);
        }
        if (candidate.area > best.area || (candidate.area == best.area && candidate.depth > best.depth))
            best = candidate;
    }
    return best;
}

// Qt reads most TIFF files; the sample layouts it refuses or garbles are read by
// our own reader.
DecodedImage readTiff(const QByteArray &bytes)
{
    const DecodedImage own = ReadTiffSamples(bytes);
    return own.ok() ? own : readWithQt(bytes, "tiff");
}

DecodedImage readIcon(const QByteArray &bytes)
{
    const IconEntry best = bestIconEntry(bytes);
    return withDepth(readWithQt(bytes, "ico", best.index), best.depth);
}

// Walks a JPEG's markers from start to end, noting its size, its orientation and
// whether any scan holds data. A file cut short inside a scan still shows what it
// holds; one that ends before any scan data, or breaks its marker structure, does not.
struct JpegLayout {
    bool headersComplete = false;  // the frame header was read before the first scan
    bool scanData = false;         // some scan holds entropy-coded data
    bool broken = false;           // the marker structure is damaged
    int width = 0, height = 0, components = 0;
    int orientation = 1;
    int scans = 0;
    bool progressive = false;
    double samplesPerPixel = 0;    // over every component, after subsampling

    bool readable() const { return !broken && headersComplete && scanData && width > 0 && height > 0; }
    // The memory the decoder holds for the whole picture while it reads it: the DCT
    // coefficients of every component, two bytes each, when the picture comes in
    // more than one scan (progressive, or a component at a time).
    qint64 coefficientBytes() const
    {
        return progressive || scans > 1 ? qint64(2 * samplesPerPixel * width * height) : 0;
    }
};

// Samples per pixel of a frame's components, from their sampling factors.
double samplesPerPixel(const quint8 *components, int count)
{
    int maxH = 1, maxV = 1;
    for (int i = 0; i < count; ++i) {
        maxH = std::max(maxH, components[3 * i + 1] >> 4);
        maxV = std::max(maxV, components[3 * i + 1] & 0x0F);
    }
    double samples = 0;
    for (int i = 0; i < count; ++i)
        samples += double(components[3 * i + 1] >> 4) * (components[3 * i + 1] & 0x0F) / (maxH * maxV);
    return samples;
}

JpegLayout jpegLayout(const QByteArray &bytes)
{
    JpegLayout layout;
    const auto *data = reinterpret_cast<const quint8 *>(bytes.constData());
    const qsizetype size = bytes.size();
    bool sawExif = false;
    qsizetype at = 2;
    while (at < size) {
        if (data[at] != 0xFF) {
            layout.broken = true;
            return layout;
        }
        while (at < size && data[at] == 0xFF)
            ++at;
        if (at >= size)
            return layout;
        const quint8 marker = data[at++];
        if (marker == 0xD9)
            return layout;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (at + 2 > size)
            return layout;
        const qsizetype length = (data[at] << 8) | data[at + 1];
        if (length < 2) {
            layout.broken = true;
            return layout;
        }
        if (at + length > size)
            return layout;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && length >= 8) {
            layout.height = (data[at + 3] << 8) | data[at + 4];
            layout.width = (data[at + 5] << 8) | data[at + 6];
            layout.components = data[at + 7];
            layout.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            layout.samplesPerPixel = samplesPerPixel(data + at + 8, std::min(layout.components, int((length - 8) / 3)));
        }
        if (marker == 0xE1 && !sawExif && bytes.mid(at + 2, 6) == QByteArray("Exif\0\0", 6)) {
            sawExif = true;
            layout.orientation = JpegMetadata::ExifOrientation(bytes.left(at + length), at + 8);
        }
        at += length;
        if (marker != 0xDA)
            continue;
        layout.headersComplete = layout.headersComplete || layout.width > 0;
        ++layout.scans;
        // Entropy-coded data: a 0xFF in it is followed by 0 (stuffing) or a restart marker.
        const qsizetype scanStart = at;
        while (at < size) {
            // memchr: a photo's scans are megabytes, read for every file loaded.
            const auto *mark = static_cast<const quint8 *>(std::memchr(data + at, 0xFF, size_t(size - at)));
            if (!mark) {
                at = size;
                break;
            }
            at = mark - data;
            if (at + 1 < size && data[at + 1] != 0x00 && (data[at + 1] < 0xD0 || data[at + 1] > 0xD7))
                break;
            ++at;
        }
        layout.scanData = layout.scanData || at > scanStart;
    }
    return layout;
}

DecodedImage readJpeg(const QByteArray &bytes)
{
    const JpegLayout layout = jpegLayout(bytes);
    if (!layout.readable())
        return DecodedImage::failure(layout.scanData || layout.broken ? QStringLiteral("damaged JPEG")
                                                                      : QStringLiteral("the JPEG holds no picture data"));
    if (layout.scans > ImageFormat::MaxJpegScans)
        return DecodedImage::failure(QStringLiteral("damaged JPEG: %1 scans").arg(layout.scans));
    // The least it can take is its coefficients and the smallest scaled picture.
    const qint64 leastBytes = layout.coefficientBytes()
                              + qint64(layout.width / 8 + 1) * (layout.height / 8 + 1) * DecodeBudget::BytesPerPixel;
    if (!ImageFormat::SizeAcceptable(layout.width, layout.height) || leastBytes > DecodeBudget::Total())
        return DecodedImage::tooLarge(layout.width, layout.height);
    BytesReader reader(bytes, "jpeg");
    const QSize stored(layout.width, layout.height);
    if (!reader->canRead() || reader->size() != stored)
        return DecodedImage::failure(QStringLiteral("damaged JPEG header"));
    DecodedImage result;
    result.deferred = std::make_shared<DeferredJpeg>(bytes, stored, layout.orientation, layout.coefficientBytes());
    result.depth = layout.components == 1 ? 8 : 24;
    return result;
}

bool startsWith(const QByteArray &head, const char *signature, qsizetype length)
{
    return head.size() >= length && memcmp(head.constData(), signature, size_t(length)) == 0;
}

} // namespace

BytesReader::BytesReader(const QByteArray &bytes, const char *format)
{
    // Qt's own allocation limit would refuse a large photo; the readers check sizes
    // themselves, so Qt's is raised, once, to what the largest accepted picture needs.
    static const bool limitRaised = [] {
        QImageReader::setAllocationLimit(int(ImageFormat::MaxPixels * 8 / (1024 * 1024)) + 64);
        return true;
    }();
    Q_UNUSED(limitRaised);
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    reader.setDevice(&buffer);
    if (format) {
        reader.setFormat(format);
        reader.setAutoDetectImageFormat(false);
        reader.setDecideFormatFromContent(false);
    }
    reader.setAutoTransform(true);
}

int PngBitsPerPixel(int bitDepth, int colourType)
{
    static const int channels[] = {1, 0, 3, 1, 2, 0, 4};
    return colourType >= 0 && colourType <= 6 ? bitDepth * channels[colourType] : 0;
}

QImage Upright(const QImage &image, int exifOrientation)
{
    switch (exifOrientation) {
    case 2: return image.mirrored(true, false);
    case 3: return image.mirrored(true, true);
    case 4: return image.mirrored(false, true);
    case 5: return image.mirrored(false, true).transformed(QTransform().rotate(90));
    case 6: return image.transformed(QTransform().rotate(90));
    case 7: return image.mirrored(true, false).transformed(QTransform().rotate(90));
    case 8: return image.transformed(QTransform().rotate(270));
    default: return image;
    }
}

QImage InSrgb(QImage image)
{
    const QColorSpace space = image.colorSpace();
    if (space.isValid() && space != QColorSpace(QColorSpace::SRgb))
        image.convertToColorSpace(QColorSpace::SRgb);
    return image;
}

bool Sniff(ImageFormat::Code code, const QByteArray &head, qint64 fileSize)
{
    switch (code) {
    case ImageFormat::Bmp: return SniffBmp(head);
    case ImageFormat::Gif: return startsWith(head, "GIF87a", 6) || startsWith(head, "GIF89a", 6);
    case ImageFormat::Tiff:
        return startsWith(head, "II*\0", 4) || startsWith(head, "MM\0*", 4) || startsWith(head, "II+\0", 4)
               || startsWith(head, "MM\0+", 4);
    case ImageFormat::Targa: return SniffTarga(head, fileSize);
    case ImageFormat::Pcx: return SniffPcx(head, fileSize);
    case ImageFormat::Icon:
        return startsWith(head, "\0\0\1\0", 4) && ByteReader::u16At(head, 4) > 0;
    case ImageFormat::Jpeg: return startsWith(head, "\xFF\xD8\xFF", 3);
    case ImageFormat::Png: return head.startsWith(PngSignature);
    case ImageFormat::Heif: return SniffHeif(head);
    default: return false;
    }
}

DecodedImage Read(ImageFormat::Code code, const QByteArray &bytes)
{
    if (!Sniff(code, bytes.left(4096), bytes.size()))
        return DecodedImage::failure(QStringLiteral("not of this format"));
    switch (code) {
    case ImageFormat::Bmp: return ReadBmp(bytes);
    case ImageFormat::Gif: return withDepth(readWithQt(bytes, "gif"), gifDepth(bytes));
    case ImageFormat::Tiff: return readTiff(bytes);
    case ImageFormat::Targa: return ReadTarga(bytes);
    case ImageFormat::Pcx: return ReadPcx(bytes);
    case ImageFormat::Icon: return readIcon(bytes);
    case ImageFormat::Jpeg: return readJpeg(bytes);
    case ImageFormat::Png: return ReadPng(bytes);
    case ImageFormat::Heif: return ReadHeif(bytes);
    default: return DecodedImage::failure(QStringLiteral("unknown format code"));
    }
}

} // namespace ImageReaders

DeferredJpeg::DeferredJpeg(QByteArray data, QSize storedSize, int exifOrientation, qint64 coefficientBytes)
    : bytes(std::move(data)), stored(storedSize), orientation(exifOrientation), coefficientBytes(coefficientBytes)
{
}

bool DeferredJpeg::turned() const
{
    return orientation >= 5;
}

QSize DeferredJpeg::size() const
{
    return turned() ? stored.transposed() : stored;
}

QImage DeferredJpeg::decode(QSize scaledStoredSize) const
{
    const QSize output = scaledStoredSize.isValid() ? scaledStoredSize : stored;
    if (!DecodeBudget::Reserve(coefficientBytes
                               + qint64(output.width()) * output.height() * DecodeBudget::BytesPerPixel))
        return QImage();
    ImageReaders::BytesReader reader(bytes, "jpeg");
    reader->setAutoTransform(false);  // the orientation is applied below, after scaling
    if (scaledStoredSize.isValid())
        reader->setScaledSize(scaledStoredSize);
    QImage image;
    if (!reader->read(&image))
        return QImage();
    return ImageReaders::InSrgb(ImageReaders::Upright(image, orientation));
}

QImage DeferredJpeg::decodeAt(QSize wanted, QString *) const
{
    if (!wanted.isValid())
        return decode(QSize());
    const QSize target = turned() ? wanted.transposed() : wanted;
    for (int denominator : {8, 4, 2}) {
        const QSize reduced((stored.width() + denominator - 1) / denominator,
                            (stored.height() + denominator - 1) / denominator);
        if (reduced.width() >= 2 * target.width() && reduced.height() >= 2 * target.height())
            return decode(reduced);
    }
    return decode(QSize());
}
