#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The photo metadata of JPEG files, read and removed without decoding the picture.
namespace JpegMetadata {

// The orientation (1 to 8) in the EXIF block whose TIFF header starts at `tiff`, 1
// when it has none.
int ExifOrientation(const QByteArray &bytes, qsizetype tiff);

// The JPEG without its EXIF, XMP, IPTC, comment and other application segments and
// without anything after its end: the frame, tables and scan data stay byte for byte,
// as do the JFIF and Adobe segments and a colour profile. An orientation other than
// upright is kept in an EXIF block that holds nothing else. Nothing, with the reason
// in `why`, when the file is not a JPEG whose segments can be followed to its end.
std::optional<QByteArray> WithoutPhotoMetadata(const QByteArray &jpeg, QString &why);

} // namespace JpegMetadata
