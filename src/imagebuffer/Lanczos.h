#pragma once

#include <QImage>
#include <QSize>

// Scales a picture to `size` with a separable Lanczos-3 filter, the windowed sinc
// that vips and ImageMagick use: as sharp as a reduction can be, where averaging the
// pixels (Qt's smooth scaling) blurs fine detail. Works in fixed point, one pass
// across and one down; a reduction by more than four first averages whole blocks of
// pixels, as vips does, leaving the filter two to four times the size to reduce. A picture with alpha is filtered premultiplied, so that
// transparent pixels lend it no colour, and comes back premultiplied; any other comes
// back as RGB32. Null when memory runs out.
QImage ScaledLanczos(const QImage &source, QSize size);
