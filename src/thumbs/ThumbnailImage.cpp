#include "thumbs/ThumbnailImage.h"

#include "frame/Numbers.h"
#include "imagebuffer/ImageBuffer.h"

QSize FitThumbnail(QSize box, QSize source)
{
    if (source.width() <= 0 || source.height() <= 0)
        return QSize();
    const float boxWidth = float(box.width()), boxHeight = float(box.height());
    const float sourceWidth = float(source.width()), sourceHeight = float(source.height());
    const float heightAtBoxWidth = boxWidth * sourceHeight / sourceWidth;
    float width, height;
    if (boxHeight >= heightAtBoxWidth) {
        width = boxWidth;
        height = boxWidth * sourceHeight / sourceWidth;
    } else {
        height = boxHeight;
        width = boxHeight * sourceWidth / sourceHeight;
    }
    return QSize(Numbers::RoundHalfEven(width), Numbers::RoundHalfEven(height));
}

bool MakeThumbnailImage(ImageBuffer &source, ImageBuffer &thumbnail, QSize box)
{
    const QSize size = FitThumbnail(box, QSize(source.ImageWidth(), source.ImageHeight()));
    if (!size.isValid() || size.isEmpty())
        return false;
    if (source.ColorDepth() < 24)
        source.ConvertDepth(24);
    thumbnail.setAutoSize(true);
    if (!thumbnail.CreateImage(source.ColorDepth(), size.width(), size.height(), Qt::white))
        return false;
    thumbnail.setResampleMode(3);
    thumbnail.setResampleFilter(3);
    return thumbnail.CopyScaled(false, source, false, 0);
}
