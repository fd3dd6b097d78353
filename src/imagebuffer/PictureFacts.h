#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// What a picture's own metadata says about it, for captions and for ordering.
struct PictureFacts {
    QString title;     // its title or description; empty when it has none worth showing
    QDateTime taken;   // when it was taken, as the camera's clock read; invalid when unknown

    bool operator==(const PictureFacts &other) const { return title == other.title && taken == other.taken; }
};

namespace PictureFactsReader {

// The facts of the picture file at `path`, read from its metadata without decoding
// the picture: JPEG, PNG, TIFF, WebP, HEIF and AVIF. The title is the first of XMP
// dc:title, XMP dc:description, IPTC Caption-Abstract and EXIF ImageDescription
// that is not text a camera writes by itself; the date is EXIF DateTimeOriginal.
// Nothing is known of other files, or of damaged metadata.
PictureFacts Read(const QString &path);

// The pieces, for files that hold them.
PictureFacts FromExif(const QByteArray &tiff);    // a TIFF header and what follows
QString TitleFromXmp(const QByteArray &xmp);
QString CaptionFromIptc(const QByteArray &iptc);  // IPTC-IIM records
QString CaptionFromPhotoshop(const QByteArray &resources);  // Photoshop image resources

// Whether a caption says nothing a visitor wants to read: blank, or the name a
// camera writes on every photo ("OLYMPUS DIGITAL CAMERA", "SONY DSC").
bool IsCameraFiller(const QString &text);

} // namespace PictureFactsReader
