#include "thumbs/WindowFlow.h"

#include <algorithm>

QPoint WindowFlow::next(QSize size, int width)
{
    if (cursor.x() > 0 && cursor.x() + size.width() > width) {
        cursor = QPoint(0, cursor.y() + rowHeight);
        rowHeight = 0;
    }
    const QPoint place = cursor;
    cursor.rx() += size.width();
    rowHeight = std::max(rowHeight, size.height());
    return place;
}

void WindowFlow::restart()
{
    cursor = QPoint();
    rowHeight = 0;
}
