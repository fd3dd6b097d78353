#include "thumbs/WindowFlow.h"

#include <algorithm>
#include <utility>

QPoint WindowFlow::next(QSize size, const QRect &visible, int step)
{
    const QPoint origin = visible.topLeft() + QPoint(round * step, round * step);
    if (std::exchange(fresh, false))
        cursor = origin;
    if (cursor.x() + size.width() > visible.right() + 1 && cursor.x() > origin.x()) {
        cursor = QPoint(origin.x(), cursor.y() + rowHeight);
        rowHeight = 0;
    }
    if (cursor.y() + size.height() > visible.bottom() + 1 && cursor.y() > origin.y()) {
        // A full round: the next starts further in, and after a few back at the corner.
        round = (round + 1) % 8;
        cursor = visible.topLeft() + QPoint(round * step, round * step);
        rowHeight = 0;
    }
    const QPoint place = cursor;
    cursor.rx() += size.width();
    rowHeight = std::max(rowHeight, size.height());
    return place;
}

void WindowFlow::restart()
{
    fresh = true;
    rowHeight = 0;
    round = 0;
}
