#include "thumbs/ImageLoading.h"

#include "imagebuffer/ImageBuffer.h"

int LoadImageFile(ImageBuffer &buffer, const QString &path)
{
    buffer.setFileName(path);
    for (int code : ImageFormat::LoadOrder) {
        buffer.setFileType(code);
        if (buffer.Load())
            return code;
    }
    return 0;
}
