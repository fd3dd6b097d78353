#include "thumbs/ImageLoading.h"

#include "imagebuffer/Picture.h"
#include "imagebuffer/PictureLoader.h"

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
    picture = Picture::fromImage(PictureLoader::Load(path));
    if (picture.isNull())
        return std::nullopt;
    return 0;
}
