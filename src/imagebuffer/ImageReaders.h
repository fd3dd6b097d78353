#pragma once

#include "imagebuffer/ImageFormat.h"

// Readers for every format code. Each takes the file's bytes, checks that they are
// of its format before anything else, and never reads past the data it was given.
namespace ImageReaders {

// Whether the first bytes of a file (and its length) can be of the format at all;
// a cheap test that spares reading a whole file that is of another format.
bool Sniff(int code, const QByteArray &head, qint64 fileSize);

// Reads the bytes as the format of `code` and nothing else.
DecodedImage Read(int code, const QByteArray &bytes);

// The project's own readers, for the formats Qt does not read completely.
DecodedImage ReadTarga(const QByteArray &bytes);
DecodedImage ReadPcx(const QByteArray &bytes);
bool SniffTarga(const QByteArray &head, qint64 fileSize);
bool SniffPcx(const QByteArray &head, qint64 fileSize);

// Qt's own allocation limit would refuse a large photo; the readers check sizes
// themselves, so Qt's is raised to what the largest accepted picture needs.
void RaiseQtAllocationLimit();

// The stored pixels of a photo turned upright by its EXIF orientation (1 to 8).
QImage Upright(const QImage &image, int exifOrientation);

// The picture in sRGB, converted from the colour space its file declared.
QImage InSrgb(QImage image);


} // namespace ImageReaders
