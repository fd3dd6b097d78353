#include "imagebuffer/Lanczos.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double Lobes = 3;
constexpr int Precision = 14;  // fraction bits of the weights
constexpr int One = 1 << Precision;

double lanczos(double x)
{
    x = std::abs(x);
    if (x < 1e-9)
        return 1;
    if (x >= Lobes)
        return 0;
    const double pi = 3.14159265358979323846;
    return Lobes * std::sin(pi * x) * std::sin(pi * x / Lobes) / (pi * pi * x * x);
}

// For every output position along one axis, the first input position it reads and
// the weights of the inputs from there on, summing to One.
struct Taps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> weights;  // `width` per output position
    int width = 0;
};

// `scale` is how many inputs one output spans: the inputs over the outputs, unless
// the inputs are averaged blocks of which the last is partial.
Taps tapsFor(int inputs, int outputs, double scale)
{
    // Reducing, the filter widens with the scale so that every input counts.
    const double stretch = std::max(scale, 1.0);
    const double support = Lobes * stretch;
    Taps taps;
    taps.width = int(std::ceil(support)) * 2 + 1;
    taps.first.resize(size_t(outputs));
    taps.count.resize(size_t(outputs));
    taps.weights.assign(size_t(outputs) * size_t(taps.width), 0);
    std::vector<double> raw(size_t(taps.width));
    for (int out = 0; out < outputs; ++out) {
        const double centre = (out + 0.5) * scale;
        const int low = std::max(0, int(std::floor(centre - support)));
        const int high = std::min(inputs, int(std::ceil(centre + support)));
        const int count = std::min(high - low, taps.width);
        double sum = 0;
        for (int i = 0; i < count; ++i)
            sum += raw[size_t(i)] = lanczos((low + i + 0.5 - centre) / stretch);
        int *weights = taps.weights.data() + size_t(out) * size_t(taps.width);
        int total = 0, largest = 0;
        for (int i = 0; i < count; ++i) {
            weights[i] = int(std::lround(raw[size_t(i)] / sum * One));
            total += weights[i];
            if (std::abs(weights[i]) > std::abs(weights[largest]))
                largest = i;
        }
        weights[largest] += One - total;  // rounding must not shift the brightness
        taps.first[size_t(out)] = low;
        taps.count[size_t(out)] = count;
    }
    return taps;
}

inline quint8 clamped(int sum)
{
    const int value = (sum + One / 2) >> Precision;
    return quint8(value < 0 ? 0 : value > 255 ? 255 : value);
}

// Each row of `from` filtered across into `to`, four bytes a pixel.
void across(const QImage &from, QImage &to, const Taps &taps)
{
    const int width = to.width();
    for (int y = 0; y < from.height(); ++y) {
        const quint8 *in = from.constScanLine(y);
        quint8 *out = to.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int *weights = taps.weights.data() + size_t(x) * size_t(taps.width);
            const quint8 *pixel = in + 4 * taps.first[size_t(x)];
            int c0 = 0, c1 = 0, c2 = 0, c3 = 0;
            for (int i = 0, n = taps.count[size_t(x)]; i < n; ++i, pixel += 4) {
                c0 += weights[i] * pixel[0];
                c1 += weights[i] * pixel[1];
                c2 += weights[i] * pixel[2];
                c3 += weights[i] * pixel[3];
            }
            out[4 * x] = clamped(c0);
            out[4 * x + 1] = clamped(c1);
            out[4 * x + 2] = clamped(c2);
            out[4 * x + 3] = clamped(c3);
        }
    }
}

// Each column of `from` filtered down into `to`, a row of `to` at a time.
void down(const QImage &from, QImage &to, const Taps &taps)
{
    const int bytes = 4 * to.width();
    const qsizetype stride = from.bytesPerLine();
    std::vector<int> sums(static_cast<size_t>(bytes));
    for (int y = 0; y < to.height(); ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        const int *weights = taps.weights.data() + size_t(y) * size_t(taps.width);
        const quint8 *row = from.constScanLine(taps.first[size_t(y)]);
        for (int i = 0, n = taps.count[size_t(y)]; i < n; ++i, row += stride)
            for (int b = 0; b < bytes; ++b)
                sums[size_t(b)] += weights[i] * row[b];
        quint8 *out = to.scanLine(y);
        for (int b = 0; b < bytes; ++b)
            out[b] = clamped(sums[size_t(b)]);
    }
}

// Each block of `block` pixels averaged into one, four bytes a pixel; the blocks at
// the right and bottom edges average what is left there. The cheap first step of a
// large reduction, as vips takes it: the filter then has two to four times the size
// to reduce.
QImage boxShrunk(const QImage &from, QSize block)
{
    const int width = (from.width() + block.width() - 1) / block.width();
    QImage to(width, (from.height() + block.height() - 1) / block.height(), from.format());
    if (to.isNull())
        return to;
    std::vector<int> sums(static_cast<size_t>(4) * size_t(width));
    for (int y = 0; y < to.height(); ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        const int top = y * block.height(), rows = std::min(block.height(), from.height() - top);
        for (int row = top; row < top + rows; ++row) {
            const quint8 *in = from.constScanLine(row);
            for (int x = 0, column = 0; x < width; ++x)
                for (const int end = std::min(from.width(), column + block.width()); column < end; ++column)
                    for (int c = 0; c < 4; ++c)
                        sums[size_t(4 * x + c)] += in[4 * column + c];
        }
        quint8 *out = to.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int count = rows * (std::min(from.width(), (x + 1) * block.width()) - x * block.width());
            for (int c = 0; c < 4; ++c)
                out[4 * x + c] = quint8((sums[size_t(4 * x + c)] + count / 2) / count);
        }
    }
    return to;
}

// The filter's negative lobes can leave a colour above its alpha, which no
// premultiplied pixel may hold.
void keepPremultiplied(QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        auto *pixel = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x, ++pixel) {
            const int alpha = qAlpha(*pixel);
            *pixel = qRgba(std::min(qRed(*pixel), alpha), std::min(qGreen(*pixel), alpha), std::min(qBlue(*pixel), alpha),
                           alpha);
        }
    }
}

} // namespace

QImage ScaledLanczos(const QImage &source, QSize size)
{
    if (source.isNull() || size.isEmpty())
        return QImage();
    const QImage::Format format = source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    QImage from = source.convertToFormat(format);
    const QSize whole = from.size();
    const QSize block(std::max(1, whole.width() / (2 * size.width())), std::max(1, whole.height() / (2 * size.height())));
    if (block != QSize(1, 1))
        from = boxShrunk(from, block);
    if (from.isNull())
        return QImage();
    QImage result = from;
    if (size.width() != whole.width()) {
        QImage wide(size.width(), from.height(), format);
        if (wide.isNull())
            return QImage();
        across(from, wide, tapsFor(from.width(), size.width(), double(whole.width()) / block.width() / size.width()));
        result = wide;
    }
    if (size.height() != whole.height()) {
        QImage tall(size, format);
        if (tall.isNull())
            return QImage();
        down(result, tall, tapsFor(result.height(), size.height(), double(whole.height()) / block.height() / size.height()));
        result = tall;
    }
    if (format == QImage::Format_ARGB32_Premultiplied)
        keepPremultiplied(result);
    return result;
}
