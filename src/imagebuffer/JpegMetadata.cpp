#include "imagebuffer/JpegMetadata.h"

#include "imagebuffer/ByteReader.h"

namespace JpegMetadata {
namespace {

constexpr quint8 App0 = 0xE0, App1 = 0xE1, App2 = 0xE2, App14 = 0xEE, StartOfScan = 0xDA, EndOfImage = 0xD9;

bool startsWith(const QByteArray &segment, qsizetype at, const char *signature, qsizetype length)
{
    return segment.mid(at, length) == QByteArray(signature, length);
}

// The segments a web copy keeps: JFIF (with its extension), a colour profile and
// Adobe's colour transform, which say how the pixels look; every other application
// segment and comment may carry where, when and by whom the photo was taken.
bool keeps(quint8 marker, const QByteArray &bytes, qsizetype payload)
{
    if (marker == App0)
        return startsWith(bytes, payload, "JFIF\0", 5) || startsWith(bytes, payload, "JFXX\0", 5);
    if (marker == App2)
        return startsWith(bytes, payload, "ICC_PROFILE\0", 12);
    if (marker == App14)
        return startsWith(bytes, payload, "Adobe", 5);
    return (marker < 0xE0 || marker > 0xEF) && marker != 0xFE;
}

// An EXIF segment holding only the orientation.
QByteArray orientationSegment(int orientation)
{
    QByteArray segment("\xFF\xE1\x00\x22" "Exif\0\0" "MM\x00\x2A\x00\x00\x00\x08"
                       "\x00\x01"                                  // one entry
                       "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x00\x00\x00"  // orientation, a short
                       "\x00\x00\x00\x00",                         // no further directory
                       36);
    segment[29] = char(orientation);
    return segment;
}

// The end of the entropy-coded data starting at `at`: the next marker that is not
// a stuffed 0xFF or a restart marker.
qsizetype scanEnd(const QByteArray &bytes, qsizetype at)
{
    const auto *data = reinterpret_cast<const quint8 *>(bytes.constData());
    const qsizetype size = bytes.size();
    while (at < size
           && !(data[at] == 0xFF && at + 1 < size && data[at + 1] != 0x00 && (data[at + 1] < 0xD0 || data[at + 1] > 0xD7)))
        ++at;
    return at;
}

} // namespace

int ExifOrientation(const QByteArray &bytes, qsizetype tiff)
{
    // Cameras write the tag as a short or as a long, so both are read.
    const bool bigEndian = bytes.mid(tiff, 2) == "MM";
    const qsizetype ifd = tiff + ByteReader::numberAt(bytes, tiff + 4, 4, bigEndian);
    const int entries = int(ByteReader::numberAt(bytes, ifd, 2, bigEndian));
    for (int i = 0; i < entries && ifd + 2 + 12 * (i + 1) <= bytes.size(); ++i) {
        const qsizetype entry = ifd + 2 + 12 * i;
        if (ByteReader::numberAt(bytes, entry, 2, bigEndian) != 0x0112)
            continue;
        const quint32 type = ByteReader::numberAt(bytes, entry + 2, 2, bigEndian);
        const bool shortValue = type == 3 || type == 8;
        const quint32 value = ByteReader::numberAt(bytes, entry + 8, shortValue ? 2 : 4, bigEndian);
        return (shortValue || type == 4 || type == 9) && value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

std::optional<QByteArray> WithoutPhotoMetadata(const QByteArray &jpeg, QString &why)
{
    const auto *data = reinterpret_cast<const quint8 *>(jpeg.constData());
    const qsizetype size = jpeg.size();
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) {
        why = QStringLiteral("not a JPEG file");
        return std::nullopt;
    }
    why = QStringLiteral("damaged JPEG");
    QByteArray kept = jpeg.left(2);
    kept.reserve(size);
    int orientation = 1;
    qsizetype exifAt = -1;  // where the first EXIF block stood in the copy
    qsizetype at = 2;
    while (at < size) {
        if (data[at] != 0xFF)
            return std::nullopt;
        while (at < size && data[at] == 0xFF)
            ++at;
        if (at >= size)
            return std::nullopt;
        const quint8 marker = data[at++];
        if (marker == EndOfImage) {
            kept.append("\xFF\xD9", 2);
            break;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            kept.append(char(0xFF)).append(char(marker));
            continue;
        }
        if (at + 2 > size)
            return std::nullopt;
        const qsizetype length = (data[at] << 8) | data[at + 1];
        if (length < 2 || at + length > size)
            return std::nullopt;
        if (marker == App1 && exifAt < 0 && startsWith(jpeg, at + 2, "Exif\0\0", 6)) {
            exifAt = kept.size();
            orientation = ExifOrientation(jpeg.left(at + length), at + 8);
        }
        qsizetype end = at + length;
        if (marker == StartOfScan)
            end = scanEnd(jpeg, end);
        if (keeps(marker, jpeg, at + 2))
            kept.append(char(0xFF)).append(char(marker)).append(jpeg.mid(at, end - at));
        // A file cut short inside its scan data keeps what it holds, as a copy would.
        if (end == size && marker != StartOfScan)
            return std::nullopt;
        at = end;
    }
    if (orientation != 1)
        kept.insert(exifAt, orientationSegment(orientation));
    why.clear();
    return kept;
}

} // namespace JpegMetadata
