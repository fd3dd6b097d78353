#include "imagebuffer/PictureLoader.h"

#include "imagebuffer/ImageFormat.h"
#include "imagebuffer/ImageReaders.h"
#include "imagebuffer/MetafilePlayer.h"

#include <QFile>

namespace PictureLoader {

QImage LoadBytes(const QByteArray &bytes)
{
    if (MetafilePlayer::IsMetafile(bytes))
        return MetafilePlayer::Render(bytes);
    ImageReaders::BytesReader reader(bytes, nullptr);
    const QSize claimed = reader->size();
    if (claimed.isValid() && !ImageFormat::Admit(claimed.width(), claimed.height()))
        return QImage();
    QImage image;
    if (!reader->read(&image) || !ImageFormat::Admit(image.width(), image.height()))
        return QImage();
    return ImageReaders::InSrgb(image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                              : QImage::Format_RGB32));
}

QImage Load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > ImageFormat::MaxFileBytes)
        return QImage();
    return LoadBytes(file.readAll());
}

} // namespace PictureLoader
