#pragma once

#include <QImage>
#include <QString>

// Writers for the two formats pictures are saved in. Neither carries over anything
// but the pixels: no text, no colour profile, no other metadata of the source.
namespace ImageWriters {

// JPEG at a quality of 1 to 100, progressive when asked. On failure `why` says why
// and any earlier file of that name is left as it was.
bool WriteJpeg(const QImage &image, const QString &fileName, int quality, bool progressive, QString &why);

// PNG: an 8-bit palette PNG for a palette picture, else 24-bit RGB, or RGBA when
// asked to keep the transparency of a picture with alpha; Adam7-interlaced when asked.
bool WritePng(const QImage &image, const QString &fileName, bool interlaced, QString &why,
              bool keepTransparency = false);

} // namespace ImageWriters
