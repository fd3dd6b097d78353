#include "frame/WindowArrangement.h"

#include "thumbs/ThumbCollection.h"
#include "thumbs/ThumbnailWindow.h"
#include "ui/DocumentArea.h"
#include "ui/Numbers.h"
#include "ui/Twips.h"

#include <QMdiSubWindow>
#include <QScrollBar>
#include <algorithm>

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

void MosaicArrange(const ThumbCollection &thumbs, DocumentArea &area)
{
    const double width = Twips::FromPixelsX(area.viewport()->width());
    const ScrollRangeHeld held(area);  // worked out once, not for every window
    QList<QWidget *> windows;
    QList<QSizeF> sizes;
    for (int slot = 1; slot <= thumbs.upperBound(); ++slot) {
        ThumbnailWindow *window = ThumbnailIn(thumbs, slot);
        if (!window)
            continue;
        if (window->isMinimized() || window->isMaximized())
            window->showNormal();
        window->resize(window->ownSize());  // as a cascade or a tiling left it, no more
        windows << window;
        sizes << QSizeF(Twips::FromPixelsX(window->width()), Twips::FromPixelsY(window->height()));
    }
    const QList<QPoint> positions = MosaicPositions(sizes, width);
    for (qsizetype i = 0; i < windows.size(); ++i)
        windows[i]->move(Twips::ToPixelsX(positions[i].x()), Twips::ToPixelsY(positions[i].y()));
}

void RevealWindow(DocumentArea &area, const QMdiSubWindow *window)
{
    if (!window)
        return;
    const QRect visible = area.viewport()->rect();
    const QRect placed = window->geometry();
    // How far to scroll so that the window's far edge shows, but never past its near edge.
    const auto shift = [](int nearEdge, int farEdge, int farVisible) {
        return std::min(nearEdge, std::max(0, farEdge - farVisible));
    };
    const int right = placed.left() < 0 ? placed.left() : shift(placed.left(), placed.right(), visible.right());
    const int down = placed.top() < 0 ? placed.top() : shift(placed.top(), placed.bottom(), visible.bottom());
    area.horizontalScrollBar()->setValue(area.horizontalScrollBar()->value() + right);
    area.verticalScrollBar()->setValue(area.verticalScrollBar()->value() + down);
}
