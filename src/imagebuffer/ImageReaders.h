#pragma once

#include "imagebuffer/ImageFormat.h"

#include <QBuffer>
#include <QImageReader>

// Readers for every format code. Each takes the file's bytes, checks that they are
// of its format before anything else, and never reads past the data it was given.
namespace ImageReaders {

// Whether the first bytes of a file (and its length) can be of the format at all;
// a cheap test that spares reading a whole file that is of another format.
bool Sniff(ImageFormat::Code code, const QByteArray &head, qint64 fileSize);

// Reads the bytes as the format of `code` and nothing else.
DecodedImage Read(ImageFormat::Code code, const QByteArray &bytes);

// The project's own readers, for the formats Qt does not read completely.
DecodedImage ReadBmp(const QByteArray &bytes);
DecodedImage ReadPng(const QByteArray &bytes);
// The TIFF sample layouts Qt's reader refuses or garbles: grey or RGB, with or
// without alpha, with floating-point samples (16, 32 and 64 bits, 0..1), 32-bit
// whole numbers, or samples in separate planes; in strips or tiles. Fails for any
// other layout.
DecodedImage ReadTiffSamples(const QByteArray &bytes);
DecodedImage ReadTarga(const QByteArray &bytes);
DecodedImage ReadPcx(const QByteArray &bytes);
// HEIC, HEIF and AVIF through libheif: the primary image as the camera meant it
// (its rotation, mirroring and cropping applied, in sRGB, HDR tone-mapped to 8 bits).
// An opaque picture waits to be decoded, from the file's own thumbnail image when
// that serves the size wanted.
DecodedImage ReadHeif(const QByteArray &bytes);
bool SniffHeif(const QByteArray &head);
// The EXIF and XMP blocks of a HEIF's primary picture, read without decoding it;
// empty when it has none or the file cannot be read.
struct HeifMetadata {
    QByteArray exif, xmp;
};
HeifMetadata ReadHeifMetadata(const QString &path);
bool SniffBmp(const QByteArray &head);
bool SniffTarga(const QByteArray &head, qint64 fileSize);
bool SniffPcx(const QByteArray &head, qint64 fileSize);

// A Qt image reader on bytes in memory, set up the one way the program reads with
// Qt: given a format, that format's handler only, never guessing from the content;
// given none (the last-resort loader), Qt picks the handler from the content.
// EXIF orientation is applied unless the caller turns it off.
class BytesReader {
public:
    BytesReader(const QByteArray &bytes, const char *format);
    BytesReader(const BytesReader &) = delete;
    BytesReader &operator=(const BytesReader &) = delete;
    QImageReader &operator*() { return reader; }
    QImageReader *operator->() { return &reader; }

private:
    QBuffer buffer;
    QImageReader reader;
};

// Bits per pixel of a PNG with this bit depth and colour type, 0 for an unknown type.
int PngBitsPerPixel(int bitDepth, int colourType);

// The stored pixels of a photo turned upright by its EXIF orientation (1 to 8).
QImage Upright(const QImage &image, int exifOrientation);

// The picture in sRGB, converted from the colour space its file declared.
QImage InSrgb(QImage image);

} // namespace ImageReaders
