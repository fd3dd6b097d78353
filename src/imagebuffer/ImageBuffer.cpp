#include "imagebuffer/ImageBuffer.h"

bool ImageBuffer::changed(bool done)
{
    pictureChanged();
    return done;
}

bool ImageBuffer::Load()
{
    return changed(editablePicture().load(fileName, fileType));
}

bool ImageBuffer::Save()
{
    return picture().save(fileName, fileType, {quality, progressive == 1});
}

bool ImageBuffer::ConvertDepth(int bits)
{
    return changed(editablePicture().convertDepth(bits));
}

bool ImageBuffer::ReduceColors(int count, bool dither)
{
    return changed(editablePicture().reduceColors(count, dither));
}

bool ImageBuffer::CreateImage(int bits, int width, int height, const QColor &fill)
{
    return changed(editablePicture().createBlank(bits, QSize(width, height), fill));
}

bool ImageBuffer::CopyScaled(const Picture &source)
{
    return changed(editablePicture().copyScaled(source, resampleMode));
}

void ImageBuffer::Clear()
{
    editablePicture().clear();
    pictureChanged();
}
