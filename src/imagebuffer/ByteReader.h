#pragma once

#include <QByteArray>
#include <QtGlobal>

// Little-endian reads from a byte array that never go past its end: a read beyond
// the data yields 0 and marks the reader as overrun.
class ByteReader {
public:
    explicit ByteReader(const QByteArray &data, qsizetype start = 0) : bytes(data), position(start) {}

    bool overrun() const { return failed; }
    qsizetype pos() const { return position; }
    qsizetype remaining() const { return position < bytes.size() ? bytes.size() - position : 0; }
    void seek(qsizetype to) { position = to; failed = failed || to > bytes.size(); }
    void skip(qsizetype count) { seek(position + count); }

    quint8 u8()
    {
        if (position >= bytes.size()) {
            failed = true;
            return 0;
        }
        return quint8(bytes[position++]);
    }
    quint16 u16()
    {
        const quint16 low = u8();
        return quint16(low | (u8() << 8));
    }
    qint16 s16() { return qint16(u16()); }
    quint32 u32()
    {
        const quint32 low = u16();
        return low | (quint32(u16()) << 16);
    }
    qint32 s32() { return qint32(u32()); }

    // Byte at an absolute offset, 0 outside the data.
    static quint8 at(const QByteArray &data, qsizetype offset)
    {
        return offset >= 0 && offset < data.size() ? quint8(data[offset]) : 0;
    }
    static quint16 u16At(const QByteArray &data, qsizetype offset)
    {
        return quint16(at(data, offset) | (at(data, offset + 1) << 8));
    }
    static quint32 u32At(const QByteArray &data, qsizetype offset)
    {
        return u16At(data, offset) | (quint32(u16At(data, offset + 2)) << 16);
    }
    // An unsigned number of `size` bytes (at most 4) in either byte order, as TIFF,
    // EXIF and the JPEG, PNG and IPTC structures hold them; bytes past the end are 0.
    static quint32 numberAt(const QByteArray &data, qsizetype offset, int size, bool bigEndian)
    {
        quint32 value = 0;
        for (int i = 0; i < size; ++i)
            value |= quint32(at(data, offset + i)) << (8 * (bigEndian ? size - 1 - i : i));
        return value;
    }

private:
    const QByteArray &bytes;
    qsizetype position;
    bool failed = false;
};
