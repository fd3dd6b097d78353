#pragma once

// Builders for picture files of every variant the readers handle, written byte by
// byte so that each test knows exactly what a reader has to make of them.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QList>
#include <QPainter>
#include <QRandomGenerator>
#include <QtEndian>
#include <cmath>

namespace TestImages {

inline void put16(QByteArray &out, int value)
{
    out.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
}

inline void put32(QByteArray &out, quint32 value)
{
    put16(out, int(value & 0xFFFF));
    put16(out, int(value >> 16));
}

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
inline QByteArray targa(const QImage &image, int type, int bits, bool topDown, bool rightToLeft, int alphaBits = 0)
{
    const int base = type & 7;
    QList<QRgb> map;
    if (base == 1)
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (!map.contains(image.pixel(x, y)))
                    map << image.pixel(x, y);
    QByteArray out;
    out.append(char(3));                       // id length
    out.append(char(base == 1 ? 1 : 0));       // colour map type
    out.append(char(type));
    put16(out, 0);
    put16(out, int(map.size()));
    out.append(char(base == 1 ? 24 : 0));
    put16(out, 0);
    put16(out, 0);
    put16(out, image.width());
    put16(out, image.height());
    out.append(char(bits));
    out.append(char(alphaBits | (topDown ? 0x20 : 0) | (rightToLeft ? 0x10 : 0)));
    out.append("id!");
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
    // Run-length packets: runs of equal pixels, raw packets for the rest.
    qsizetype i = 0;
    while (i < pixels.size()) {
        qsizetype run = 1;
        while (i + run < pixels.size() && run < 128 && pixels[i + run] == pixels[i])
            ++run;
        if (run > 1) {
            out.append(char(0x80 | (run - 1))).append(pixels[i]);
            i += run;
            continue;
        }
        qsizetype raw = 1;
        while (i + raw < pixels.size() && raw < 128 && !(i + raw + 1 < pixels.size() && pixels[i + raw] == pixels[i + raw + 1]))
            ++raw;
        out.append(char(raw - 1));
        for (qsizetype k = 0; k < raw; ++k)
            out.append(pixels[i + k]);
        i += raw;
    }
    return out;
}

// PCX with `bits` per pixel in `planes` planes; `palette` colours for indexed files
// (the image then holds indices in its red channel); run-length encoded unless `raw`.
inline QByteArray pcx(const QImage &image, int bits, int planes, const QList<QRgb> &palette, bool raw = false)
{
    const int needed = (image.width() * bits + 7) / 8;
    const int bytesPerLine = needed + needed % 2;
    QByteArray header(128, '\0');
    header[0] = 0x0A;
    header[1] = 5;
    header[2] = raw ? 0 : 1;
    header[3] = char(bits);
    qToLittleEndian<quint16>(quint16(image.width() - 1), header.data() + 8);
    qToLittleEndian<quint16>(quint16(image.height() - 1), header.data() + 10);
    if (bits * planes <= 4)
        for (int i = 0; i < palette.size() && i < 16; ++i) {
            header[16 + 3 * i] = char(qRed(palette[i]));
            header[17 + 3 * i] = char(qGreen(palette[i]));
            header[18 + 3 * i] = char(qBlue(palette[i]));
        }
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

// BMP with a 40-byte header: `bits` 16 (5-5-5), or 8 with RLE8 compression, stored
// top-down when `topDown`.
inline QByteArray bmp(const QImage &image, int bits, bool rle8, bool topDown)
{
    QByteArray pixels;
    QList<QRgb> palette;
    if (bits == 8) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (!palette.contains(image.pixel(x, y)))
                    palette << image.pixel(x, y);
    }
    for (int row = 0; row < image.height(); ++row) {
        const int y = topDown ? row : image.height() - 1 - row;
        QByteArray line;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (bits == 16)
                put16(line, ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3));
            else
                line.append(char(palette.indexOf(c)));
        }
        if (rle8) {
            for (qsizetype i = 0; i < line.size();) {
                qsizetype run = 1;
                while (i + run < line.size() && run < 255 && line[i + run] == line[i])
                    ++run;
                pixels.append(char(run)).append(line[i]);
                i += run;
            }
            pixels.append('\0').append(row == image.height() - 1 ? '\1' : '\0');
        } else {
            while (line.size() % 4)
                line.append('\0');
            pixels.append(line);
        }
    }
    QByteArray out("BM");
    const int paletteBytes = int(palette.size()) * 4;
    put32(out, quint32(54 + paletteBytes + pixels.size()));
    put32(out, 0);
    put32(out, quint32(54 + paletteBytes));
    put32(out, 40);
    put32(out, quint32(image.width()));
    put32(out, quint32(topDown ? -image.height() : image.height()));
    put16(out, 1);
    put16(out, bits);
    put32(out, rle8 ? 1 : 0);
    put32(out, quint32(pixels.size()));
    put32(out, 2835);
    put32(out, 2835);
    put32(out, quint32(palette.size()));
    put32(out, 0);
    for (QRgb c : palette)
        out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    return out + pixels;
}

// A GIF of one or more frames of 8-bit indices into `palette`; `transparent` is the
// transparent index or -1. The image data uses 9-bit codes with a clear code often
// enough that the code size never grows.
inline QByteArray gif(const QList<QImage> &frames, const QList<QRgb> &palette, int transparent)
{
    QByteArray out("GIF89a");
    put16(out, frames.first().width());
    put16(out, frames.first().height());
    out.append(char(0xF7)).append('\0').append('\0');
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : 0;
        out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    }
    for (const QImage &frame : frames) {
        out.append("\x21\xF9\x04", 3).append(char(transparent >= 0 ? 1 : 0));
        put16(out, 10);
        out.append(char(std::max(transparent, 0))).append('\0');
        out.append(',');
        put16(out, 0);
        put16(out, 0);
        put16(out, frame.width());
        put16(out, frame.height());
        out.append('\0').append(char(8));
        QByteArray codes;
        quint32 accumulator = 0;
        int held = 0;
        auto writeCode = [&](int code) {
            accumulator |= quint32(code) << held;
            held += 9;
            while (held >= 8) {
                codes.append(char(accumulator & 0xFF));
                accumulator >>= 8;
                held -= 8;
            }
        };
        int sinceClear = 0;
        writeCode(256);
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                if (++sinceClear == 250) {
                    writeCode(256);
                    sinceClear = 0;
                }
                writeCode(qRed(frame.pixel(x, y)));
            }
        writeCode(257);
        if (held)
            codes.append(char(accumulator & 0xFF));
        for (qsizetype i = 0; i < codes.size(); i += 255) {
            const QByteArray block = codes.mid(i, 255);
            out.append(char(block.size())).append(block);
        }
        out.append('\0');
    }
    out.append(';');
    return out;
}

// An icon file of the given entries: each a 32-bit picture stored as a bitmap, or as
// PNG when `png` says so for that entry.
inline QByteArray icon(const QList<QImage> &entries, const QList<bool> &png, const QList<int> &depths)
{
    QList<QByteArray> data;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QImage &image = entries[i];
        if (png[i]) {
            data << encode(image, "png");
            continue;
        }
        const int bits = depths[i];
        QByteArray dib;
        put32(dib, 40);
        put32(dib, quint32(image.width()));
        put32(dib, quint32(image.height() * 2));
        put16(dib, 1);
        put16(dib, bits);
        for (int k = 0; k < 6; ++k)
            put32(dib, 0);
        QList<QRgb> palette;
        if (bits == 8) {
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (!palette.contains(image.pixel(x, y)) && palette.size() < 256)
                        palette << image.pixel(x, y);
            for (int k = 0; k < 256; ++k) {
                const QRgb c = k < palette.size() ? palette[k] : 0;
                dib.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
            }
        }
        for (int y = image.height() - 1; y >= 0; --y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                if (bits == 8)
                    dib.append(char(std::max<qsizetype>(0, palette.indexOf(c))));
                else
                    dib.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append(char(qAlpha(c)));
            }
        const int maskLine = ((image.width() + 31) / 32) * 4;
        dib.append(QByteArray(maskLine * image.height(), '\0'));
        data << dib;
    }
    QByteArray out;
    put16(out, 0);
    put16(out, 1);
    put16(out, int(entries.size()));
    quint32 offset = quint32(6 + 16 * entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        out.append(char(entries[i].width() & 0xFF)).append(char(entries[i].height() & 0xFF));
        out.append('\0').append('\0');
        put16(out, 1);
        put16(out, depths[i]);
        put32(out, quint32(data[i].size()));
        put32(out, offset);
        offset += quint32(data[i].size());
    }
    for (const QByteArray &d : data)
        out.append(d);
    return out;
}

// Inserts an EXIF block with an orientation tag right after a JPEG's start marker;
// `asLong` writes the tag as a 32-bit value, as some cameras do.
inline QByteArray withOrientation(const QByteArray &jpeg, int orientation, bool asLong)
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
    QByteArray segment("\xFF\xE1", 2);
    const int length = 2 + 6 + int(tiff.size());
    segment.append(char(length >> 8)).append(char(length & 0xFF)).append(QByteArray("Exif\0\0", 6)).append(tiff);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

} // namespace TestImages
