#include "imagebuffer/ByteReader.h"
#include "imagebuffer/ImageReaders.h"

#include <QtAlgorithms>

namespace ImageReaders {

namespace {

enum Compression : quint32 { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6 };

constexpr qsizetype FileHeaderSize = 14;

// One channel of a pixel stored in a bit mask: where it sits and how wide it is.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    quint64 maximum = 0;

    explicit Channel(quint32 bits = 0) : mask(bits)
    {
        if (!mask)
            return;
        shift = int(qCountTrailingZeroBits(mask));
        maximum = mask >> shift;
    }
    bool present() const { return mask != 0; }
    // The channel's value scaled to 0..255, rounded.
    int of(quint32 pixel) const
    {
        if (!maximum)
            return 0;
        return int((((pixel & mask) >> shift) * 255 + maximum / 2) / maximum);
    }
};

struct BmpHeader {
    quint32 headerSize = 0;
    qint64 width = 0;
    qint64 height = 0;   // positive: bottom-up rows
    int bitCount = 0;
    quint32 compression = Rgb;
    quint32 coloursUsed = 0;
    Channel red, green, blue, alpha;
    bool masksGiven = false;
    qsizetype paletteStart = 0;
    int paletteEntryBytes = 4;
    qsizetype pixelStart = 0;

    bool topDown() const { return height < 0; }
    qint64 rows() const { return std::abs(height); }
    bool paletted() const { return bitCount <= 8; }
};

bool knownHeaderSize(quint32 size)
{
    // Windows' core, info, V2, V3, V4 and V5 headers, and OS/2's second header
    // (16 to 64 bytes, laid out as the info header as far as it goes).
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124
           || (size >= 16 && size <= 64 && size % 4 == 0);
}

std::optional<BmpHeader> headerOf(const QByteArray &bytes)
{
    BmpHeader h;
    ByteReader in(bytes, FileHeaderSize - 4);
    const quint32 pixelOffset = in.u32();
    h.headerSize = in.u32();
    if (!knownHeaderSize(h.headerSize) || FileHeaderSize + h.headerSize > quint32(bytes.size()))
        return std::nullopt;
    const bool core = h.headerSize == 12;
    if (core) {
        h.width = in.u16();
        h.height = in.s16();
        in.skip(2);
        h.bitCount = in.u16();
        h.paletteEntryBytes = 3;
    } else {
        h.width = in.s32();
        h.height = in.s32();
        in.skip(2);
        h.bitCount = in.u16();
        if (h.headerSize >= 20)
            h.compression = in.u32();
        in.seek(FileHeaderSize + 32);
        if (h.headerSize >= 36)
            h.coloursUsed = in.u32();
    }
    const bool os2 = !core && h.headerSize != 40 && h.headerSize < 52;
    if (os2 && h.compression > Rle4)
        return std::nullopt;  // OS/2 Huffman and 24-bit run-length coding
    // Masks sit in the header from V2 on, or follow a plain info header.
    qsizetype afterHeader = FileHeaderSize + h.headerSize;
    if (h.compression == BitFields || h.compression == AlphaBitFields) {
        const bool inHeader = h.headerSize >= 52;
        const qsizetype at = inHeader ? FileHeaderSize + 40 : afterHeader;
        const bool withAlpha = h.compression == AlphaBitFields || h.headerSize >= 56;
        h.red = Channel(ByteReader::u32At(bytes, at));
        h.green = Channel(ByteReader::u32At(bytes, at + 4));
        h.blue = Channel(ByteReader::u32At(bytes, at + 8));
        h.alpha = Channel(withAlpha ? ByteReader::u32At(bytes, at + 12) : 0);
        h.masksGiven = true;
        if (!inHeader)
            afterHeader += h.compression == AlphaBitFields ? 16 : 12;
    }
    h.paletteStart = afterHeader;
    h.pixelStart = pixelOffset;
    if (in.overrun())
        return std::nullopt;
    return h;
}

bool consistent(const BmpHeader &h)
{
    if (h.width <= 0 || h.rows() <= 0)
        return false;
    switch (h.compression) {
    case Rgb: return h.bitCount == 1 || h.bitCount == 2 || h.bitCount == 4 || h.bitCount == 8 || h.bitCount == 16
                     || h.bitCount == 24 || h.bitCount == 32;
    case Rle8: return h.bitCount == 8;
    case Rle4: return h.bitCount == 4;
    case BitFields:
    case AlphaBitFields:
        return (h.bitCount == 16 || h.bitCount == 32) && h.red.present() && h.green.present() && h.blue.present();
    default: return false;  // embedded JPEG or PNG, and anything unknown
    }
}

QList<QRgb> paletteOf(const QByteArray &bytes, const BmpHeader &h)
{
    const int capacity = 1 << h.bitCount;
    const int count = h.coloursUsed > 0 && h.coloursUsed < quint32(capacity) ? int(h.coloursUsed) : capacity;
    QList<QRgb> palette;
    for (int i = 0; i < count; ++i) {
        const qsizetype at = h.paletteStart + qsizetype(i) * h.paletteEntryBytes;
        if (at + 3 > h.pixelStart || at + 3 > bytes.size())
            break;
        palette << qRgb(ByteReader::at(bytes, at + 2), ByteReader::at(bytes, at + 1), ByteReader::at(bytes, at));
    }
    while (palette.size() < capacity)
        palette << qRgb(0, 0, 0);  // indices beyond the stored palette show black
    return palette;
}

// The default layouts of uncompressed 16- and 32-bit pixels.
void defaultMasks(BmpHeader &h)
{
    if (h.masksGiven)
        return;
    if (h.bitCount == 16) {
        h.red = Channel(0x7C00), h.green = Channel(0x03E0), h.blue = Channel(0x001F);
    } else if (h.bitCount == 32) {
        h.red = Channel(0x00FF0000), h.green = Channel(0x0000FF00), h.blue = Channel(0x000000FF);
        h.alpha = Channel(0xFF000000);  // reserved, but many writers keep alpha there
    }
}

quint32 pixelAt(const uchar *row, qint64 x, int bitCount)
{
    switch (bitCount) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 2: return (row[x / 4] >> (6 - 2 * (x % 4))) & 3;
    case 4: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
    case 8: return row[x];
    case 16: return quint32(row[2 * x]) | (quint32(row[2 * x + 1]) << 8);
    case 24: return quint32(row[3 * x]) | (quint32(row[3 * x + 1]) << 8) | (quint32(row[3 * x + 2]) << 16);
    default:
        return quint32(row[4 * x]) | (quint32(row[4 * x + 1]) << 8) | (quint32(row[4 * x + 2]) << 16)
               | (quint32(row[4 * x + 3]) << 24);
    }
}

// Uncompressed rows, each padded to four bytes.
DecodedImage readPixels(const QByteArray &bytes, BmpHeader h)
{
    const qint64 stride = (h.width * h.bitCount + 31) / 32 * 4;
    if (h.pixelStart < FileHeaderSize || h.pixelStart + stride * h.rows() > bytes.size())
        return DecodedImage::failure(QStringLiteral("the pixel data is cut short"));
    defaultMasks(h);
    const QList<QRgb> palette = h.paletted() ? paletteOf(bytes, h) : QList<QRgb>();
    QImage image(int(h.width), int(h.rows()), QImage::Format_ARGB32);
    if (image.isNull())
        return DecodedImage::failure(QStringLiteral("out of memory"));
    bool anyAlpha = false;
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData()) + h.pixelStart;
    for (qint64 y = 0; y < h.rows(); ++y) {
        const uchar *row = data + stride * (h.topDown() ? y : h.rows() - 1 - y);
        QRgb *out = reinterpret_cast<QRgb *>(image.scanLine(int(y)));
        for (qint64 x = 0; x < h.width; ++x) {
            const quint32 value = pixelAt(row, x, h.bitCount);
            if (h.paletted()) {
                out[x] = palette[value];
            } else if (h.bitCount == 24) {
                out[x] = 0xFF000000u | value;
            } else {
                const int a = h.alpha.present() ? h.alpha.of(value) : 255;
                anyAlpha = anyAlpha || a != 0;
                out[x] = qRgba(h.red.of(value), h.green.of(value), h.blue.of(value), a);
            }
        }
    }
    // An alpha channel that is zero everywhere says nothing: the picture is opaque
    // (converting to RGB32 drops the alpha and keeps the colours).
    DecodedImage result;
    result.image = h.alpha.present() && anyAlpha ? image : image.convertToFormat(QImage::Format_RGB32);
    result.depth = h.bitCount;
    return result;
}

// Run-length coded 4- and 8-bit rows. Pixels the runs skip keep palette entry 0.
DecodedImage readRunLength(const QByteArray &bytes, const BmpHeader &h)
{
    const qint64 available = bytes.size() - h.pixelStart;
    // A run covers at most 255 pixels, but a whole picture may be skipped with a few
    // codes; a tiny file may still not claim an enormous picture.
    if (h.pixelStart < FileHeaderSize || available < 2 || h.width * h.rows() > (qint64(1) << 22) + available * 4096)
        return DecodedImage::failure(QStringLiteral("the pixel data is cut short"));
    const QList<QRgb> palette = paletteOf(bytes, h);
    QImage indices(int(h.width), int(h.rows()), QImage::Format_Indexed8);
    if (indices.isNull())
        return DecodedImage::failure(QStringLiteral("out of memory"));
    indices.fill(0);
    ByteReader in(bytes, h.pixelStart);
    qint64 x = 0, y = 0;  // y counts stored rows, from the bottom unless top-down
    auto put = [&](int index) {
        if (x < h.width && y < h.rows())
            indices.scanLine(int(h.topDown() ? y : h.rows() - 1 - y))[x] = uchar(index);
        ++x;
    };
    const bool four = h.compression == Rle4;
    bool ended = false;
    while (!ended && in.remaining() >= 2 && y < h.rows()) {
        const int count = in.u8();
        const int value = in.u8();
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? (i % 2 ? value & 15 : value >> 4) : value);
        } else if (value == 0) {
            x = 0, ++y;
        } else if (value == 1) {
            ended = true;
        } else if (value == 2) {
            x += in.u8();
            y += in.u8();
        } else {
            const int stored = four ? (value + 1) / 2 : value;
            for (int i = 0; i < value; ++i) {
                const int byte = ByteReader::at(bytes, in.pos() + (four ? i / 2 : i));
                put(four ? (i % 2 ? byte & 15 : byte >> 4) : byte);
            }
            in.skip(stored + stored % 2);
        }
    }
    // A file may leave out the final end marker, but not rows of the picture.
    if (!ended && y < h.rows() - 1)
        return DecodedImage::failure(QStringLiteral("the pixel data is cut short"));
    indices.setColorTable(palette);
    DecodedImage result;
    result.image = indices.convertToFormat(QImage::Format_RGB32);
    result.depth = h.bitCount;
    return result;
}

} // namespace

bool SniffBmp(const QByteArray &head)
{
    return head.startsWith("BM") && head.size() >= 26 && knownHeaderSize(ByteReader::u32At(head, 14));
}

DecodedImage ReadBmp(const QByteArray &bytes)
{
    if (!SniffBmp(bytes.left(64)))
        return DecodedImage::failure(QStringLiteral("not a BMP file"));
    const std::optional<BmpHeader> header = headerOf(bytes);
    if (!header || !consistent(*header))
        return DecodedImage::failure(QStringLiteral("unsupported or damaged BMP header"));
    if (!ImageFormat::Admit(header->width, header->rows()))
        return DecodedImage::tooLarge(header->width, header->rows());
    if (header->compression == Rle8 || header->compression == Rle4)
        return readRunLength(bytes, *header);
    return readPixels(bytes, *header);
}

} // namespace ImageReaders
