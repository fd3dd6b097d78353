#include "thumbs/ImageLoading.h"

#include "imagebuffer/ImageReaders.h"
#include "imagebuffer/Picture.h"
#include "imagebuffer/PictureLoader.h"

#include <QFile>

namespace {

// Whether one of the formats the codes read claims the file by its first bytes.
bool claimedByAFormat(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4096);
    for (ImageFormat::Code code : ImageFormat::LoadOrder)
        if (ImageReaders::Sniff(code, head, file.size()))
            return true;
    return false;
}

} // namespace

int LoadImageFile(Picture &picture, const QString &path)
{
    for (ImageFormat::Code code : ImageFormat::LoadOrder)
        if (picture.load(path, code))
            return code;
    return 0;
}

std::optional<int> LoadAnyImageFile(Picture &picture, const QString &path)
{
    if (const int code = LoadImageFile(picture, path))
        return code;
    // The last-resort loader reads only what no format claims: a file that its own
    // format's reader refused is damaged, and another reader's guess at it would
    // show a broken picture as if it were whole.
    if (claimedByAFormat(path))
        return std::nullopt;
    picture = Picture::fromImage(PictureLoader::Load(path));
    if (picture.isNull())
        return std::nullopt;
    return 0;
}
