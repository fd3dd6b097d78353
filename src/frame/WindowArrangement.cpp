#include "frame/WindowArrangement.h"

#include "thumbs/ThumbCollection.h"
#include "ui/Numbers.h"
#include "ui/Twips.h"

#include <QMdiArea>
#include <QMdiSubWindow>

QList<QPoint> MosaicPositions(const QList<QSizeF> &sizes, double areaWidth)
{
    QList<QPoint> positions;
    qint32 left = 0, top = 0, rowHeight = 0;
    for (const QSizeF &size : sizes) {
        if (float(left + size.width()) > float(areaWidth) && rowHeight > 0) {
            left = 0;
            top += rowHeight;
            rowHeight = 0;
        }
        positions << QPoint(left, top);
        rowHeight = std::max(rowHeight, Numbers::RoundHalfEven(size.height()));
        left += Numbers::RoundHalfEven(size.width());
    }
    return positions;
}

void MosaicArrange(const ThumbCollection &thumbs, QMdiArea &area)
{
    QList<QWidget *> windows;
    QList<QSizeF> sizes;
    for (int slot = 1; slot <= thumbs.upperBound(); ++slot) {
        QWidget *window = thumbs.window(slot);
        if (!window || thumbs.isFree(slot))
            continue;
        if (window->isMinimized() || window->isMaximized())
            window->showNormal();
        windows << window;
        sizes << QSizeF(Twips::FromPixelsX(window->width()), Twips::FromPixelsY(window->height()));
    }
    const QList<QPoint> positions = MosaicPositions(sizes, Twips::FromPixelsX(area.viewport()->width()));
    for (qsizetype i = 0; i < windows.size(); ++i)
        windows[i]->move(Twips::ToPixelsX(positions[i].x()), Twips::ToPixelsY(positions[i].y()));
}
