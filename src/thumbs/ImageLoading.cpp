#include "thumbs/ImageLoading.h"

#include "imagebuffer/Picture.h"
#include "imagebuffer/PictureFile.h"
#include "imagebuffer/PictureLoader.h"

namespace {

struct Attempt {
    int code = 0;         // the code that read the file, 0 when none did
    bool claimed = false; // whether any code's signature matched
};

// Every format code in order, on a file opened and read once.
Attempt tryEveryCode(Picture &picture, const QString &path)
{
    PictureFile file(path);
    Attempt attempt;
    for (ImageFormat::Code code : ImageFormat::LoadOrder) {
        if (!file.mayBe(code))
            continue;
        attempt.claimed = true;
        if (picture.load(file, code)) {
            attempt.code = code;
            return attempt;
        }
    }
    picture.clear();
    return attempt;
}

} // namespace

int LoadImageFile(Picture &picture, const QString &path)
{
    return tryEveryCode(picture, path).code;
}

std::optional<int> LoadAnyImageFile(Picture &picture, const QString &path)
{
    const Attempt attempt = tryEveryCode(picture, path);
    if (attempt.code)
        return attempt.code;
    // The last-resort loader reads only what no format claims: a file that its own
    // format's reader refused is damaged, and another reader's guess at it would
    // show a broken picture as if it were whole.
    if (attempt.claimed)
        return std::nullopt;
    picture = Picture::fromImage(PictureLoader::Load(path));
    if (picture.isNull())
        return std::nullopt;
    return 0;
}
