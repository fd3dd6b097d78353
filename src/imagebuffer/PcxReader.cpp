#include "imagebuffer/ByteReader.h"
#include "imagebuffer/ImageReaders.h"

#include <QList>

// ZSoft PCX: 1, 2 and 4 bits in one or more planes with the header's 16-colour
// palette, 8 bits with the 256-colour palette at the end of the file, and 24 or 32
// bits in three or four planes; raw or run-length encoded.
namespace ImageReaders {

namespace {

constexpr qsizetype HeaderSize = 128;
constexpr qsizetype VgaPaletteSize = 769;  // the marker byte 12 and 256 colours

struct PcxHeader {
    quint8 manufacturer, version, encoding, bitsPerPixel, planes;
    quint16 xMin, yMin, xMax, yMax, bytesPerLine, paletteInfo;

    int width() const { return xMax - xMin + 1; }
    // Some writers store a line length too short for the width; the width wins then.
    qsizetype stride() const
    {
        const qsizetype needed = (qsizetype(width()) * bitsPerPixel + 7) / 8;
        return bytesPerLine >= needed ? bytesPerLine : needed + needed % 2;
    }
    int height() const { return yMax - yMin + 1; }
    bool trueColour() const { return bitsPerPixel == 8 && planes >= 3; }
    bool vgaPalette() const { return bitsPerPixel == 8 && planes == 1; }
};

PcxHeader headerOf(const QByteArray &bytes)
{
    PcxHeader h;
    h.manufacturer = ByteReader::at(bytes, 0);
    h.version = ByteReader::at(bytes, 1);
    h.encoding = ByteReader::at(bytes, 2);
    h.bitsPerPixel = ByteReader::at(bytes, 3);
    h.xMin = ByteReader::u16At(bytes, 4);
    h.yMin = ByteReader::u16At(bytes, 6);
    h.xMax = ByteReader::u16At(bytes, 8);
    h.yMax = ByteReader::u16At(bytes, 10);
    h.planes = ByteReader::at(bytes, 65);
    h.bytesPerLine = ByteReader::u16At(bytes, 66);
    h.paletteInfo = ByteReader::u16At(bytes, 68);
    return h;
}

bool plausible(const PcxHeader &h, qsizetype size)
{
    if (size < HeaderSize || h.manufacturer != 0x0A || h.encoding > 1)
        return false;
    if (h.version != 0 && (h.version < 2 || h.version > 5))
        return false;
    const bool planar = (h.bitsPerPixel == 1 || h.bitsPerPixel == 2 || h.bitsPerPixel == 4) && h.planes >= 1
                        && h.bitsPerPixel * h.planes <= 4;
    const bool byteWide = h.bitsPerPixel == 8 && (h.planes == 1 || h.planes == 3 || h.planes == 4);
    if (!planar && !byteWide)
        return false;
    if (h.xMax < h.xMin || h.yMax < h.yMin)
        return false;
    return true;
}

// How many bytes the run-length data between the header and `end` expands to, up to
// `limit`, without writing them.
qsizetype expandedLength(const QByteArray &bytes, qsizetype end, qsizetype limit)
{
    qsizetype length = 0;
    for (qsizetype at = HeaderSize; at < end && length < limit; ++at) {
        const quint8 code = quint8(bytes[at]);
        if ((code & 0xC0) == 0xC0) {
            length += code & 0x3F;
            ++at;
        } else {
            ++length;
        }
    }
    return length;
}

// The scan lines of every plane, decompressed. Many encoders end the data a little
// early; what is missing stays 0, as other readers show such files. A file that
// holds less than half of its pixels is refused before anything is allocated.
QByteArray decodePlanes(const QByteArray &bytes, qsizetype end, const PcxHeader &h)
{
    const qsizetype total = h.stride() * h.planes * h.height();
    const qsizetype available = h.encoding == 0 ? end - HeaderSize : expandedLength(bytes, end, total);
    if (available <= 0 || available < total / 2)
        return QByteArray();
    QByteArray out(total, '\0');
    if (h.encoding == 0) {
        memcpy(out.data(), bytes.constData() + HeaderSize, size_t(std::min(total, end - HeaderSize)));
        return out;
    }
    char *target = out.data();
    qsizetype filled = 0;
    qsizetype at = HeaderSize;
    while (filled < total && at < end) {
        const quint8 code = quint8(bytes[at++]);
        if ((code & 0xC0) == 0xC0) {
            if (at >= end)
                break;
            const qsizetype count = std::min<qsizetype>(code & 0x3F, total - filled);
            memset(target + filled, bytes[at++], size_t(count));
            filled += count;
        } else {
            target[filled++] = char(code);
        }
    }
    return out;
}

QList<QRgb> headerPalette(const QByteArray &bytes, const PcxHeader &h)
{
    const int colours = 1 << (h.bitsPerPixel * h.planes);
    if (colours == 2 && h.planes == 1)
        return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    QList<QRgb> palette;
    for (int i = 0; i < colours; ++i)
        palette << qRgb(ByteReader::at(bytes, 16 + 3 * i), ByteReader::at(bytes, 17 + 3 * i),
                        ByteReader::at(bytes, 18 + 3 * i));
    return palette;
}

QList<QRgb> vgaPalette(const QByteArray &bytes, bool present)
{
    QList<QRgb> palette;
    const qsizetype start = bytes.size() - 768;
    for (int i = 0; i < 256; ++i)
        palette << (present ? qRgb(ByteReader::at(bytes, start + 3 * i), ByteReader::at(bytes, start + 3 * i + 1),
                                   ByteReader::at(bytes, start + 3 * i + 2))
                            : qRgb(i, i, i));
    return palette;
}

QImage trueColourImage(const QByteArray &planes, const PcxHeader &h)
{
    const bool alpha = h.planes == 4;
    QImage image(h.width(), h.height(), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const qsizetype stride = h.stride() * h.planes;
    for (int y = 0; y < h.height(); ++y) {
        const auto *line = reinterpret_cast<const quint8 *>(planes.constData()) + y * stride;
        QRgb *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < h.width(); ++x)
            out[x] = qRgba(line[x], line[h.stride() + x], line[2 * h.stride() + x],
                           alpha ? line[3 * h.stride() + x] : 255);
    }
    return image;
}

QImage indexedImage(const QByteArray &planes, const PcxHeader &h, const QList<QRgb> &palette)
{
    QImage image(h.width(), h.height(), QImage::Format_Indexed8);
    if (image.isNull())
        return image;
    image.setColorTable(palette);
    const int bits = h.bitsPerPixel;
    const int mask = (1 << bits) - 1;
    const qsizetype stride = h.stride() * h.planes;
    for (int y = 0; y < h.height(); ++y) {
        const auto *line = reinterpret_cast<const quint8 *>(planes.constData()) + y * stride;
        uchar *out = image.scanLine(y);
        for (int x = 0; x < h.width(); ++x) {
            if (bits == 8) {
                out[x] = line[x];
                continue;
            }
            const int bit = x * bits;
            int index = 0;
            for (int plane = 0; plane < h.planes; ++plane) {
                const quint8 byte = line[plane * h.stride() + bit / 8];
                index |= ((byte >> (8 - bits - bit % 8)) & mask) << (plane * bits);
            }
            out[x] = uchar(index);
        }
    }
    return image;
}

} // namespace

bool SniffPcx(const QByteArray &head, qint64 fileSize)
{
    return plausible(headerOf(head), qsizetype(std::min<qint64>(fileSize, ImageFormat::MaxFileBytes)));
}

DecodedImage ReadPcx(const QByteArray &bytes)
{
    const PcxHeader h = headerOf(bytes);
    if (!plausible(h, bytes.size()))
        return DecodedImage::failure(QStringLiteral("not a PCX file"));
    if (!ImageFormat::Admit(h.width(), h.height()))
        return DecodedImage::tooLarge(h.width(), h.height());

    const bool paletteAtEnd = h.vgaPalette() && bytes.size() >= HeaderSize + VgaPaletteSize
                              && ByteReader::at(bytes, bytes.size() - VgaPaletteSize) == 0x0C;
    const QByteArray planes = decodePlanes(bytes, paletteAtEnd ? bytes.size() - VgaPaletteSize : bytes.size(), h);
    if (planes.isEmpty())
        return DecodedImage::failure(QStringLiteral("truncated pixel data"));

    DecodedImage result;
    if (h.trueColour()) {
        result.image = trueColourImage(planes, h);
        result.depth = 8 * h.planes;
    } else {
        const QList<QRgb> palette = h.vgaPalette() ? vgaPalette(bytes, paletteAtEnd) : headerPalette(bytes, h);
        result.image = indexedImage(planes, h, palette);
        result.depth = h.bitsPerPixel * h.planes;
    }
    if (result.image.isNull())
        return DecodedImage::failure(QStringLiteral("out of memory"));
    return result;
}

} // namespace ImageReaders
