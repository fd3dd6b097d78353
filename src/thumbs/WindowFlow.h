#pragma once

#include <QPoint>
#include <QSize>

// Where new thumbnail windows go: side by side from the document area's left edge,
// as far as its visible width, row under row, on below the visible part. Constant
// time per window, where placing a window clear of all the others costs more with
// each one; and windows that do not overlap cost nothing to paint while they are out
// of sight.
class WindowFlow {
public:
    // The place of the next window of `size` in an area `width` wide.
    QPoint next(QSize size, int width);
    // The next window starts again at the top-left corner.
    void restart();

private:
    QPoint cursor;
    int rowHeight = 0;
};
