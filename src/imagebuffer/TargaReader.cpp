#include "imagebuffer/ByteReader.h"
#include "imagebuffer/ImageReaders.h"

#include <QList>

// Truevision Targa: colour-mapped (1), true colour (2) and greyscale (3) pictures,
// raw or run-length encoded (9, 10, 11), 8 to 32 bits, from either origin.
namespace ImageReaders {

namespace {

struct TargaHeader {
    quint8 idLength, colorMapType, imageType;
    quint16 mapFirst, mapLength;
    quint8 mapEntryBits;
    quint16 width, height;
    quint8 pixelBits, descriptor;

    int baseType() const { return imageType & ~8; }
    bool runLength() const { return imageType & 8; }
    int alphaBits() const { return descriptor & 0x0F; }
    bool topDown() const { return descriptor & 0x20; }
    bool rightToLeft() const { return descriptor & 0x10; }
    qsizetype mapBytes() const { return colorMapType ? qsizetype(mapLength) * ((mapEntryBits + 7) / 8) : 0; }
    int pixelBytes() const { return (pixelBits + 7) / 8; }
};

TargaHeader headerOf(const QByteArray &bytes)
{
    ByteReader in(bytes);
    TargaHeader h;
    h.idLength = in.u8();
    h.colorMapType = in.u8();
    h.imageType = in.u8();
    h.mapFirst = in.u16();
    h.mapLength = in.u16();
    h.mapEntryBits = in.u8();
    in.skip(4);  // origin on the screen
    h.width = in.u16();
    h.height = in.u16();
    h.pixelBits = in.u8();
    h.descriptor = in.u8();
    return h;
}

bool oneOf(int value, std::initializer_list<int> allowed)
{
    return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

// Targa has no signature, so the header is held to every rule a real file keeps;
// that is what keeps a JPEG or a text file from passing for one.
bool plausible(const TargaHeader &h, qint64 fileSize)
{
    if (fileSize < 18 || h.colorMapType > 1 || !oneOf(h.baseType(), {1, 2, 3}) || (h.imageType & ~0x0B))
        return false;
    if (h.width == 0 || h.height == 0 || (h.descriptor & 0xC0) || h.alphaBits() > 8)
        return false;
    if (h.colorMapType && (!oneOf(h.mapEntryBits, {15, 16, 24, 32}) || h.mapLength == 0))
        return false;
    switch (h.baseType()) {
    case 1:
        if (!h.colorMapType || !oneOf(h.pixelBits, {8, 16}))
            return false;
        break;
    case 2:
        if (!oneOf(h.pixelBits, {15, 16, 24, 32}))
            return false;
        break;
    default:
        if (!oneOf(h.pixelBits, {8, 16}))
            return false;
    }
    const qint64 pixelsStart = 18 + h.idLength + h.mapBytes();
    const qint64 pixels = qint64(h.width) * h.height;
    // A run-length packet of 1 + pixel-size bytes stands for at most 128 pixels.
    const qint64 minimum = h.runLength() ? pixelsStart + (pixels + 127) / 128 * (1 + h.pixelBytes())
                                         : pixelsStart + pixels * h.pixelBytes();
    return fileSize >= minimum;
}

QRgb fromBits16(quint16 value, bool withAlpha)
{
    const int r = (value >> 10) & 0x1F, g = (value >> 5) & 0x1F, b = value & 0x1F;
    const int alpha = withAlpha && !(value & 0x8000) ? 0 : 255;
    return qRgba((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2), alpha);
}

// One pixel value (index, grey or colour) of `bytes` bytes, as stored.
QRgb colourOf(const quint8 *p, int bytes, bool withAlpha)
{
    switch (bytes) {
    case 2: return fromBits16(quint16(p[0] | (p[1] << 8)), withAlpha);
    case 3: return qRgb(p[2], p[1], p[0]);
    case 4: return qRgba(p[2], p[1], p[0], withAlpha ? p[3] : 255);
    default: return qRgb(p[0], p[0], p[0]);
    }
}

QList<QRgb> readColorMap(ByteReader &in, const TargaHeader &h)
{
    QList<QRgb> map(qsizetype(h.mapFirst) + h.mapLength, qRgb(0, 0, 0));
    const int entryBytes = std::min((h.mapEntryBits + 7) / 8, 4);
    for (int i = 0; i < h.mapLength; ++i) {
        quint8 entry[4] = {};
        for (int b = 0; b < entryBytes; ++b)
            entry[b] = in.u8();
        map[h.mapFirst + i] = colourOf(entry, entryBytes, h.mapEntryBits == 32);
    }
    return map;
}

// The stored pixel values, one after another, expanded from run-length packets
// when the picture is compressed. Empty when the data ends too soon.
QByteArray pixelData(const QByteArray &bytes, qsizetype start, const TargaHeader &h)
{
    const qsizetype total = qsizetype(h.width) * h.height * h.pixelBytes();
    if (!h.runLength())
        return bytes.size() - start >= total ? bytes.mid(start, total) : QByteArray();
    QByteArray out(total, Qt::Uninitialized);
    char *target = out.data();
    qsizetype filled = 0;
    qsizetype at = start;
    const int size = h.pixelBytes();
    while (filled < total) {
        if (at >= bytes.size())
            return QByteArray();
        const quint8 packet = quint8(bytes[at++]);
        const qsizetype count = std::min<qsizetype>((packet & 0x7F) + 1, (total - filled) / size);
        if (packet & 0x80) {
            if (bytes.size() - at < size)
                return QByteArray();
            for (qsizetype i = 0; i < count; ++i)
                memcpy(target + filled + i * size, bytes.constData() + at, size);
            at += size;
        } else {
            if (bytes.size() - at < count * size)
                return QByteArray();
            memcpy(target + filled, bytes.constData() + at, count * size);
            at += count * size;
        }
        filled += count * size;
    }
    return out;
}

// Whether the alpha values are to be believed: a Targa 2.0 footer can say the
// channel holds nothing useful, and a channel that is zero everywhere never does.
bool alphaIsMeaningful(const QByteArray &bytes, const QImage &image)
{
    const qsizetype footer = bytes.size() - 26;
    if (footer > 18 && bytes.mid(footer + 8, 17) == "TRUEVISION-XFILE.") {
        const quint32 extension = ByteReader::u32At(bytes, footer);
        if (extension >= 18 && extension + 495 <= quint32(footer)) {
            const quint8 attributes = ByteReader::at(bytes, extension + 494);
            if (attributes < 3)
                return false;
        }
    }
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]))
                return true;
    }
    return false;
}

// Sets every pixel of a 32-bit picture opaque and marks it as having no alpha.
void MakeOpaque(QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] |= 0xFF000000u;
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
}

} // namespace

bool SniffTarga(const QByteArray &head, qint64 fileSize)
{
    return head.size() >= 18 && plausible(headerOf(head), fileSize);
}

DecodedImage ReadTarga(const QByteArray &bytes)
{
    const TargaHeader h = headerOf(bytes);
    if (!plausible(h, bytes.size()))
        return DecodedImage::failure(QStringLiteral("not a Targa file"));
    if (!ImageFormat::Admit(h.width, h.height))
        return DecodedImage::tooLarge(h.width, h.height);

    ByteReader in(bytes, 18 + h.idLength);
    QList<QRgb> map;
    if (h.colorMapType)
        map = readColorMap(in, h);
    if (in.overrun())
        return DecodedImage::failure(QStringLiteral("truncated colour map"));
    const QByteArray pixels = pixelData(bytes, in.pos(), h);
    if (pixels.isEmpty())
        return DecodedImage::failure(QStringLiteral("truncated pixel data"));

    const bool withAlpha = h.alphaBits() > 0;
    QImage image(h.width, h.height, QImage::Format_ARGB32);
    if (image.isNull())
        return DecodedImage::failure(QStringLiteral("out of memory"));
    const int size = h.pixelBytes();
    const auto *source = reinterpret_cast<const quint8 *>(pixels.constData());
    for (int row = 0; row < h.height; ++row) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(h.topDown() ? row : h.height - 1 - row));
        for (int column = 0; column < h.width; ++column, source += size) {
            QRgb colour;
            if (h.baseType() == 1) {
                const int index = size == 2 ? source[0] | (source[1] << 8) : source[0];
                colour = index < map.size() ? map[index] : qRgb(0, 0, 0);
            } else if (h.baseType() == 3) {
                colour = size == 2 && withAlpha ? qRgba(source[0], source[0], source[0], source[1])
                                                : qRgb(source[0], source[0], source[0]);
            } else {
                colour = colourOf(source, size, withAlpha);
            }
            line[h.rightToLeft() ? h.width - 1 - column : column] = colour;
        }
    }

    DecodedImage result;
    const bool alpha = (withAlpha || (h.baseType() == 1 && h.mapEntryBits == 32)) && alphaIsMeaningful(bytes, image);
    if (!alpha)
        MakeOpaque(image);
    result.image = image;
    result.depth = h.pixelBits == 15 ? 16 : h.pixelBits;
    return result;
}

} // namespace ImageReaders
