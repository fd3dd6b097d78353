#include "thumbs/ThumbnailImage.h"

#include "imagebuffer/Picture.h"
#include "ui/Numbers.h"
#include "ui/Paths.h"

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

bool MakeThumbnailImage(Picture &source, Picture &thumbnail, QSize box)
{
    const QSize size = FitThumbnail(box, source.size());
    if (!size.isValid() || size.isEmpty())
        return false;
    if (source.depth() < 24)
        source.convertDepth(24);
    return thumbnail.createBlank(source.depth(), size, Qt::white)
           && thumbnail.copyScaled(source, Resampling::Smooth);
}

QString FileSizeText(qint64 bytes)
{
    return Numbers::FormatWhole(double(bytes) / 1024) + u'K';
}

QString ThumbnailCaption(const QString &path, QSize source, qint64 bytes)
{
    // One pass over the pattern: a "%" in the name is the name's own.
    return QStringLiteral("%1\r\n%2x%3\r\n%4")
        .arg(Paths::FileNameOf(path), QString::number(source.width()), QString::number(source.height()),
             FileSizeText(bytes));
}

QString CaptionFileName(const QString &caption)
{
    return caption.left(caption.indexOf(QStringLiteral("\r\n")));
}
