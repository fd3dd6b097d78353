#pragma once

#include <QImage>
#include <QString>

// The picture loader of last resort: plays Windows metafiles, and reads whatever
// else Qt can read, guessing the format from the content.
namespace PictureLoader {

QImage Load(const QString &path);
QImage LoadBytes(const QByteArray &bytes);

} // namespace PictureLoader
