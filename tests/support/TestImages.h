#pragma once

// Builders for picture files of every variant the readers handle, written byte by
// byte so that each test knows exactly what a reader has to make of them.

#include "imagebuffer/ImageFormat.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QList>
#include <QPainter>
#include <QRandomGenerator>
#include <QtAlgorithms>
#include <QtEndian>
#include <cstring>
#include <cmath>

using namespace Qt::StringLiterals;

namespace TestImages {

// What a reader made, decoded in full if it waits to be decoded.
inline QImage pixelsOf(const DecodedImage &decoded) { return decoded.deferred ? decoded.deferred->decodeFull() : decoded.image; }

inline QByteArray &put16(QByteArray &out, int value) { return out.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF)); }

inline void put32(QByteArray &out, quint32 value) { put16(put16(out, int(value & 0xFFFF)), int(value >> 16)); }

inline void putBig32(QByteArray &out, quint32 value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
}

// A small picture with a different colour in every pixel, so that a misplaced row,
// column or channel shows.
inline QImage pattern(int width, int height, bool alpha = false)
{
    QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba((x * 37 + y * 11) & 0xFF, (x * 5 + y * 53) & 0xFF, (x * 91 + y * 7) & 0xFF,
                                       alpha ? (x * 29 + y * 17) & 0xFF : 255));
    return image;
}

// A photo-like picture: smooth gradients, soft shapes, fine texture and noise.
inline QImage photo(int width, int height, quint32 seed = 7)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            const double r = 120 + 90 * std::sin(3.1 * u + 1.3 * v) + 20 * std::sin(40 * u * v);
            const double g = 110 + 70 * std::cos(2.3 * v - 0.7 * u) + 15 * std::sin(25 * u);
            const double b = 100 + 80 * std::sin(1.7 * u * v + 2.0 * v);
            const int noise = int(random.bounded(13)) - 6;
            line[x] = qRgb(std::clamp(int(r) + noise, 0, 255), std::clamp(int(g) + noise, 0, 255),
                           std::clamp(int(b) + noise, 0, 255));
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 12; ++i) {
        painter.setBrush(QColor::fromHsv(int(random.bounded(360)), 120 + int(random.bounded(100)), 200, 160));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(random.bounded(width), random.bounded(height)), width / 8.0, height / 9.0);
    }
    return image;
}

inline QByteArray encode(const QImage &image, const char *format, int quality = -1, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// Targa: `type` 1, 2, 3, 9, 10 or 11; `bits` per pixel; pixels given top-down and
// stored from the corner the descriptor names; colour-mapped files take the colours
// of `image` as their map, in order of first appearance.
inline QByteArray targa(const QImage &image, int type, int bits, bool topDown, bool rightToLeft)
{
    const int base = type & 7;
    QList<QRgb> map;
    if (base == 1)
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (!map.contains(image.pixel(x, y)))
                    map << image.pixel(x, y);
    // id length 3, colour map type, image type, map start and length, map entry bits,
    // screen origin, size, bits, descriptor, then the id.
    QByteArray out;
    out.append(char(3)).append(char(base == 1)).append(char(type));
    for (int word : {0, int(map.size())})
        put16(out, word);
    out.append(char(base == 1 ? 24 : 0));
    for (int word : {0, 0, image.width(), image.height()})
        put16(out, word);
    out.append(char(bits)).append(char((topDown ? 0x20 : 0) | (rightToLeft ? 0x10 : 0))).append("id!");
    for (QRgb colour : map)
        out.append(char(qBlue(colour))).append(char(qGreen(colour))).append(char(qRed(colour)));
    QList<QByteArray> pixels;
    for (int row = 0; row < image.height(); ++row) {
        const int y = topDown ? row : image.height() - 1 - row;
        for (int column = 0; column < image.width(); ++column) {
            const int x = rightToLeft ? image.width() - 1 - column : column;
            const QRgb c = image.pixel(x, y);
            QByteArray p;
            if (base == 1)
                p.append(char(map.indexOf(c)));
            else if (base == 3)
                p.append(char(qRed(c)));
            else if (bits == 16)
                put16(p, ((qAlpha(c) >= 128) << 15) | ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3));
            else {
                p.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
                if (bits == 32)
                    p.append(char(qAlpha(c)));
            }
            pixels << p;
        }
    }
    if (!(type & 8)) {
        for (const QByteArray &p : pixels)
            out.append(p);
        return out;
    }
    // Run packets for runs of equal pixels, one-pixel raw packets for the rest.
    for (qsizetype i = 0; i < pixels.size();) {
        qsizetype run = 1;
        while (i + run < pixels.size() && run < 128 && pixels[i + run] == pixels[i])
            ++run;
        out.append(char(run > 1 ? 0x80 | (run - 1) : 0)).append(pixels[i]);
        i += run;
    }
    return out;
}

// PCX with `bits` per pixel in `planes` planes; `palette` colours for indexed files
// (the image then holds indices in its red channel); run-length encoded unless `raw`.
inline QByteArray pcx(const QImage &image, int bits, int planes, const QList<QRgb> &palette, bool raw = false)
{
    const int needed = (image.width() * bits + 7) / 8;
    const int bytesPerLine = needed + needed % 2;
    // Maker, version 5, encoding, bits; the rest is filled in below.
    QByteArray header = QByteArray("\x0A\x05", 2) + char(raw ? 0 : 1) + char(bits) + QByteArray(124, '\0');
    qToLittleEndian<quint16>(quint16(image.width() - 1), header.data() + 8);
    qToLittleEndian<quint16>(quint16(image.height() - 1), header.data() + 10);
    if (bits * planes <= 4)
        for (int i = 0; i < palette.size() && i < 16; ++i)
            for (int c = 0; c < 3; ++c)
                header[16 + 3 * i + c] = char(c == 0 ? qRed(palette[i]) : c == 1 ? qGreen(palette[i]) : qBlue(palette[i]));
    header[65] = char(planes);
    qToLittleEndian<quint16>(quint16(bytesPerLine), header.data() + 66);
    qToLittleEndian<quint16>(1, header.data() + 68);
    QByteArray lines;
    for (int y = 0; y < image.height(); ++y) {
        for (int plane = 0; plane < planes; ++plane) {
            QByteArray line(bytesPerLine, '\0');
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                if (bits == 8) {
                    const int channel[] = {qRed(c), qGreen(c), qBlue(c), qAlpha(c)};
                    line[x] = char(planes == 1 ? qRed(c) : channel[plane]);
                } else {
                    const int value = (qRed(c) >> (plane * bits)) & ((1 << bits) - 1);
                    const int bit = x * bits;
                    line[bit / 8] = char(quint8(line[bit / 8]) | (value << (8 - bits - bit % 8)));
                }
            }
            lines.append(line);
        }
    }
    QByteArray out = header;
    if (raw) {
        out.append(lines);
    } else {
        for (qsizetype i = 0; i < lines.size();) {
            qsizetype run = 1;
            while (i + run < lines.size() && run < 63 && lines[i + run] == lines[i])
                ++run;
            if (run > 1 || (quint8(lines[i]) & 0xC0) == 0xC0)
                out.append(char(0xC0 | run)).append(lines[i]);
            else
                out.append(lines[i]);
            i += run;
        }
    }
    if (bits == 8 && planes == 1) {
        out.append(char(12));
        for (int i = 0; i < 256; ++i) {
            const QRgb c = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
            out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
        }
    }
    return out;
}

// A BMP file with an information header of `headerSize` bytes (12, 40, 52, 56, 108
// or 124) and `bits` per pixel. Palette files (bits <= 8) take the indices from the
// image's red channel and the colours from `palette`. 16- and 32-bit pixels are
// packed with `masks` (red, green, blue, alpha), stored as bit fields when
// `compression` is 3, else the default layout is used; 32-bit BI_RGB pixels keep
// the image's alpha in their fourth byte.
inline QByteArray bmp(const QImage &image, int headerSize, int bits, quint32 compression = 0,
                      const QList<quint32> &masks = {}, bool topDown = false, const QList<QRgb> &palette = {})
{
    const bool core = headerSize == 12;
    const int entryBytes = core ? 3 : 4;
    const int paletteBytes = bits <= 8 ? int(palette.size()) * entryBytes : 0;
    const int masksAfterHeader = compression == 3 && headerSize == 40 ? 12 : 0;
    const int stride = (image.width() * bits + 31) / 32 * 4;
    const quint32 pixelOffset = quint32(14 + headerSize + masksAfterHeader + paletteBytes);
    QByteArray out("BM");
    for (quint32 word : {pixelOffset + quint32(stride * image.height()), 0u, pixelOffset, quint32(headerSize)})
        put32(out, word);
    QByteArray header;
    if (core) {
        for (int half : {image.width(), image.height(), 1, bits})
            put16(header, half);
    } else {
        put32(header, quint32(image.width()));
        put32(header, quint32(topDown ? -image.height() : image.height()));
        put16(put16(header, 1), bits);
        for (quint32 word : {compression, quint32(stride * image.height()), 2835u, 2835u, quint32(bits <= 8 ? palette.size() : 0), 0u})
            put32(header, word);
        for (int i = 0; i < 4 && header.size() + 4 < headerSize; ++i)
            put32(header, compression == 3 ? masks.value(i) : 0);
        header.append(QByteArray(headerSize - 4 - header.size(), '\0'));
    }
    out.append(header);
    if (masksAfterHeader)
        for (int i = 0; i < 3; ++i)
            put32(out, masks.value(i));
    for (QRgb c : palette) {
        if (bits > 8)
            break;
        out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        if (!core)
            out.append('\0');
    }
    const QList<quint32> layout = compression == 3 ? masks
                                  : bits == 16        ? QList<quint32>{0x7C00, 0x03E0, 0x001F, 0}
                                                      : QList<quint32>{0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    auto pack = [](int value, quint32 mask) -> quint32 {
        if (!mask)
            return 0;
        const int shift = qCountTrailingZeroBits(mask);
        const quint64 maximum = mask >> shift;
        return quint32(((quint64(value) * maximum + 127) / 255) << shift) & mask;
    };
    for (int row = 0; row < image.height(); ++row) {
        const int y = topDown ? row : image.height() - 1 - row;
        QByteArray line(stride, '\0');
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (bits <= 8) {
                const int bit = x * bits;
                line[bit / 8] = char(quint8(line[bit / 8]) | (qRed(c) << (8 - bits - bit % 8)));
            } else if (bits == 24) {
                line[3 * x] = char(qBlue(c)), line[3 * x + 1] = char(qGreen(c)), line[3 * x + 2] = char(qRed(c));
            } else {
                const quint32 v = pack(qRed(c), layout.value(0)) | pack(qGreen(c), layout.value(1))
                                  | pack(qBlue(c), layout.value(2)) | pack(qAlpha(c), layout.value(3));
                for (int b = 0; b < bits / 8; ++b)
                    line[bits / 8 * x + b] = char((v >> (8 * b)) & 0xFF);
            }
        }
        out.append(line);
    }
    return out;
}

inline quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

// A PNG with one more chunk right after its header chunk.
inline QByteArray withPngChunk(const QByteArray &png, const char *type, const QByteArray &data)
{
    QByteArray chunk;
    putBig32(chunk, quint32(data.size()));
    const QByteArray body = QByteArray(type) + data;
    chunk.append(body);
    putBig32(chunk, crc32(body));
    return png.left(33) + chunk + png.mid(33);
}

// An uncompressed little-endian TIFF of one strip (or one strip per plane): RGB or
// grey (when `samples` is 1) samples of `bits` bits, floating point when `floating`
// (the image's 0..255 stored as 0..1), else whole numbers scaled to their range.
// With `alpha` 1 (associated: the colours premultiplied) or 2 (unassociated), the
// image's alpha follows the three colour samples as a fourth.
inline QByteArray tiff(const QImage &image, int samples, int bits, bool floating, bool separatePlanes, int alpha = 0)
{
    const int width = image.width(), height = image.height(), bytes = bits / 8;
    if (alpha)
        samples = 4;
    QList<QByteArray> planes(separatePlanes ? samples : 1);
    for (int plane = 0; plane < planes.size(); ++plane)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int s = 0; s < samples; ++s) {
                    if (separatePlanes && s != plane)
                        continue;
                    const QRgb c = alpha == 1 ? qPremultiply(image.pixel(x, y)) : image.pixel(x, y);
                    const int value = samples == 1 ? qGray(c) : s == 0 ? qRed(c) : s == 1 ? qGreen(c) : s == 2 ? qBlue(c) : qAlpha(c);
                    QByteArray sample(bytes, '\0');
                    if (floating && bits == 32) {
                        const float f = float(value / 255.0);
                        memcpy(sample.data(), &f, 4);
                    } else if (floating) {
                        const double d = value / 255.0;
                        memcpy(sample.data(), &d, 8);
                    } else {
                        const quint64 scaled = quint64(value) * ((quint64(1) << bits) - 1) / 255;
                        for (int b = 0; b < bytes; ++b)
                            sample[b] = char((scaled >> (8 * b)) & 0xFF);
                    }
                    planes[plane].append(sample);
                }
    // Entries: tag, type (3 short, 4 long), count, value or offset.
    struct Entry { quint16 tag, type; quint32 count, value; };
    const quint32 entriesAt = 8, entryCount = alpha ? 12 : 11;
    const quint32 extraAt = entriesAt + 2 + 12 * entryCount + 4;         // bits, then offsets, then counts
    const quint32 dataAt = extraAt + 2 * samples + 8 * quint32(planes.size());
    QByteArray extra;
    for (int s = 0; s < samples; ++s)
        put16(extra, bits);
    quint32 offset = dataAt;
    for (const QByteArray &plane : planes) {
        put32(extra, offset);
        offset += quint32(plane.size());
    }
    for (const QByteArray &plane : planes)
        put32(extra, quint32(plane.size()));
    const quint32 many = quint32(planes.size());
    QList<Entry> entries = {
        {256, 4, 1, quint32(width)}, {257, 4, 1, quint32(height)},
        {258, 3, quint32(samples), samples == 1 ? quint32(bits) : extraAt},
        {259, 3, 1, 1}, {262, 3, 1, samples == 1 ? 1u : 2u},
        {273, 4, many, many == 1 ? dataAt : extraAt + 2 * samples},
        {277, 3, 1, quint32(samples)}, {278, 4, 1, quint32(height)},
        {279, 4, many, many == 1 ? quint32(planes[0].size()) : extraAt + 2 * samples + 4 * many},
        {284, 3, 1, separatePlanes ? 2u : 1u}, {339, 3, 1, floating ? 3u : 1u},
    };
    if (alpha)
        entries.insert(entries.size() - 1, Entry{338, 3, 1, quint32(alpha)});
    QByteArray out("II*\0", 4);
    put32(out, entriesAt);
    put16(out, int(entries.size()));
    for (const Entry &e : entries) {
        put32(put16(put16(out, e.tag), e.type), e.count);
        put32(out, e.type == 3 && e.count == 1 ? e.value & 0xFFFF : e.value);  // a short sits in the first half
    }
    put32(out, 0);
    out.append(extra);
    for (const QByteArray &plane : planes)
        out.append(plane);
    return out;
}

// The TIFF structure of an EXIF block holding an orientation tag alone; `asLong`
// writes the tag as a 32-bit value, as some cameras do.
inline QByteArray exifOrientation(int orientation, bool asLong = false)
{
    QByteArray tiff("MM\0*", 4);
    putBig32(tiff, 8);
    tiff.append('\0').append('\1');                       // one entry
    tiff.append('\x01').append('\x12');                   // tag 0x0112
    tiff.append('\0').append(char(asLong ? 4 : 3));       // LONG or SHORT
    putBig32(tiff, 1);
    if (asLong)
        putBig32(tiff, quint32(orientation));
    else
        tiff.append('\0').append(char(orientation)).append('\0').append('\0');
    putBig32(tiff, 0);
    return tiff;
}

// A JPEG segment, and the same inserted right after a JPEG's start marker.
inline QByteArray segment(quint8 marker, const QByteArray &payload)
{
    const int length = 2 + int(payload.size());
    return QByteArray(1, char(0xFF)).append(char(marker)).append(char(length >> 8)).append(char(length & 0xFF)).append(payload);
}

inline QByteArray withSegment(const QByteArray &jpeg, quint8 marker, const QByteArray &payload)
{
    return jpeg.left(2) + segment(marker, payload) + jpeg.mid(2);
}

// Inserts an EXIF block with an orientation tag right after a JPEG's start marker.
inline QByteArray withOrientation(const QByteArray &jpeg, int orientation, bool asLong)
{
    return withSegment(jpeg, 0xE1, QByteArray("Exif\0\0", 6) + exifOrientation(orientation, asLong));
}

// The TIFF structure of an EXIF block with an image description and the date taken
// in its EXIF directory, big-endian; either may be empty and is then left out.
inline QByteArray exifFacts(const QByteArray &description, const QByteArray &taken)
{
    const auto entry = [](QByteArray &ifd, int tag, int type, quint32 count, quint32 value) {
        ifd.append(char(tag >> 8)).append(char(tag & 0xFF)).append('\0').append(char(type));
        putBig32(ifd, count);
        putBig32(ifd, value);
    };
    const int entries = 1 + !description.isEmpty();
    const quint32 exifIfd = 8 + 2 + 12 * entries + 4, data = exifIfd + 2 + 12 + 4;
    QByteArray tiff("MM\0*", 4);
    putBig32(tiff, 8);
    tiff.append('\0').append(char(entries));
    if (!description.isEmpty())
        entry(tiff, 0x010E, 2, quint32(description.size() + 1), data + 20);
    entry(tiff, 0x8769, 4, 1, exifIfd);
    putBig32(tiff, 0);
    tiff.append('\0').append(char(1));
    entry(tiff, taken.isEmpty() ? 0x9999 : 0x9003, 2, 20, data);
    putBig32(tiff, 0);
    return tiff + taken.leftJustified(19, ' ').left(19) + '\0' + description + '\0';
}

// An XMP packet with a title and a description in dc; either may be empty.
inline QByteArray xmpPacket(const QString &title, const QString &description)
{
    const auto alternative = [](const char *name, const QString &text) {
        return text.isEmpty() ? QString()
                              : u"<dc:%1><rdf:Alt><rdf:li xml:lang=\"de\">Anders</rdf:li>"
                                               "<rdf:li xml:lang=\"x-default\">%2</rdf:li></rdf:Alt></dc:%1>"_s
                                    .arg(QLatin1String(name), text.toHtmlEscaped());
    };
    return u"<?xpacket begin=\"\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?><x:xmpmeta xmlns:x=\"adobe:ns:meta/\">"
                          "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
                          "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">%1%2</rdf:Description></rdf:RDF></x:xmpmeta>"
                          "<?xpacket end=\"w\"?>"_s
        .arg(alternative("title", title), alternative("description", description))
        .toUtf8();
}

// Photoshop image resources holding an IPTC caption, marked as UTF-8 when `utf8`.
inline QByteArray iptcCaption(const QByteArray &caption, bool utf8)
{
    QByteArray iptc;
    if (utf8)
        iptc.append(QByteArray("\x1C\x01\x5A\x00\x03\x1B%G", 8));
    iptc.append(QByteArray("\x1C\x02\x78", 3)).append(char(caption.size() >> 8)).append(char(caption.size() & 0xFF));
    iptc.append(caption);
    QByteArray resources("8BIM\x04\x04\0\0", 8);
    putBig32(resources, quint32(iptc.size()));
    return resources + iptc + (iptc.size() % 2 ? QByteArray(1, '\0') : QByteArray());
}

// A progressive JPEG with its last scan repeated `times` more times, as a damaged or
// hostile file may hold it.
inline QByteArray withRepeatedLastScan(const QByteArray &jpeg, int times)
{
    const qsizetype last = jpeg.lastIndexOf("\xFF\xDA");
    const QByteArray scan = jpeg.mid(last, jpeg.size() - 2 - last);
    return jpeg.left(jpeg.size() - 2) + scan.repeated(times) + QByteArray("\xFF\xD9");
}

// A baseline JPEG whose frame header claims another size.
inline QByteArray withClaimedSize(QByteArray jpeg, int width, int height)
{
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    qToBigEndian<quint16>(quint16(height), jpeg.data() + frame + 5);
    qToBigEndian<quint16>(quint16(width), jpeg.data() + frame + 7);
    return jpeg;
}

} // namespace TestImages
