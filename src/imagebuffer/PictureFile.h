#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include "imagebuffer/ImageFormat.h"

// A picture file opened once for every format tried on it: the first bytes decide
// which formats it can be of at all, and the whole file is read only for one of
// those, and only once.
class PictureFile {
public:
    explicit PictureFile(const QString &path);

    // Why the file cannot be read at all; empty when it can.
    QString error() const { return why; }
    // Whether the file's first bytes can be of the format.
    bool mayBe(ImageFormat::Code format) const;
    // The format's reading of the whole file.
    DecodedImage read(ImageFormat::Code format);

private:
    QFile file;
    QByteArray head;
    QByteArray bytes;
    QString why;
};
