#pragma once

#include <QSize>
#include <QString>

class Picture;

// The size of a thumbnail: the source scaled proportionally so that one side meets
// the box and the other stays within it (width first when the proportions agree),
// worked out in single precision and rounded half to even. Invalid for a source
// without width or height.
QSize FitThumbnail(QSize box, QSize source);

// Makes the thumbnail of `source` in `thumbnail`: true colour, white behind
// transparent parts, the whole source resampled into the fitted size. The source
// is brought to true colour first when it is shallower.
bool MakeThumbnailImage(Picture &source, Picture &thumbnail, QSize box);

// The size of a file in whole kilobytes, halves rounded up, and "K".
QString FileSizeText(qint64 bytes);

// A thumbnail's three caption lines, joined by CR LF: the file name, the source's
// pixel size and the file's size.
QString ThumbnailCaption(const QString &path, QSize source, qint64 bytes);
// The file name line of a caption.
QString CaptionFileName(const QString &caption);
