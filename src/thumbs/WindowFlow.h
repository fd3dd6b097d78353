#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where new thumbnail windows go: side by side across the visible part of the
// document area, row under row; when that part is full, back to its top-left corner,
// a title bar's height further in each round so that every window keeps a corner in
// view. Constant time per window, where placing a window clear of all the others
// costs more with each one.
class WindowFlow {
public:
    // The place of the next window of `size` in `visible`; `step` is how far in each
    // new round starts.
    QPoint next(QSize size, const QRect &visible, int step);
    // The next window starts again at the top-left corner.
    void restart();

private:
    QPoint cursor;
    int rowHeight = 0;
    int round = 0;
    bool fresh = true;
};
