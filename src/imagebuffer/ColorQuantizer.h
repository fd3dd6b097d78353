#pragma once

#include <QImage>

// Reduces a true-colour picture to a palette of its own: median cut over a colour
// histogram, refined by a few rounds of k-means, then each pixel mapped to the
// nearest palette colour.
namespace ColorQuantizer {

// The picture as an 8-bit palette image of at most `colours` (2 to 256) colours.
// With `dither`, Floyd-Steinberg error diffusion spreads the rounding error.
QImage Reduce(const QImage &image, int colours, bool dither);

// Peak signal-to-noise ratio of two pictures of the same size, over R, G and B, in dB.
double Psnr(const QImage &a, const QImage &b);

} // namespace ColorQuantizer
