#include "imagebuffer/ColorQuantizer.h"

#include <QList>
#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace ColorQuantizer {

namespace {

constexpr int Bits = 5;
constexpr int Side = 1 << Bits;

// A histogram cell: how many pixels fell into it and the sum of their colours.
struct Cell {
    double count = 0, r = 0, g = 0, b = 0;
    double rr = 0, gg = 0, bb = 0;
};

int cellOf(QRgb c)
{
    return ((qRed(c) >> (8 - Bits)) << (2 * Bits)) | ((qGreen(c) >> (8 - Bits)) << Bits) | (qBlue(c) >> (8 - Bits));
}

struct Box {
    std::vector<int> cells;   // indices of non-empty histogram cells
    double count = 0, error = 0;
    std::array<double, 3> mean{};
};

void measure(Box &box, const std::vector<Cell> &histogram)
{
    double count = 0, r = 0, g = 0, b = 0, squares = 0;
    for (int index : box.cells) {
        const Cell &cell = histogram[index];
        count += cell.count;
        r += cell.r;
        g += cell.g;
        b += cell.b;
        squares += cell.rr + cell.gg + cell.bb;
    }
    box.count = count;
    box.mean = {r / count, g / count, b / count};
    box.error = squares - (r * r + g * g + b * b) / count;
}

double channel(const Cell &cell, int axis)
{
    const double sum = axis == 0 ? cell.r : axis == 1 ? cell.g : cell.b;
    return sum / cell.count;
}

// Splits a box across its widest channel at the weighted median.
std::pair<Box, Box> split(const Box &box, const std::vector<Cell> &histogram)
{
    std::array<double, 3> variance{};
    for (int axis = 0; axis < 3; ++axis) {
        for (int index : box.cells) {
            const double d = channel(histogram[index], axis) - box.mean[axis];
            variance[axis] += histogram[index].count * d * d;
        }
    }
    const int axis = int(std::max_element(variance.begin(), variance.end()) - variance.begin());
    std::vector<int> cells = box.cells;
    std::sort(cells.begin(), cells.end(), [&](int a, int b) { return channel(histogram[a], axis) < channel(histogram[b], axis); });
    double seen = 0;
    size_t cut = 1;
    for (; cut < cells.size(); ++cut) {
        seen += histogram[cells[cut - 1]].count;
        if (seen >= box.count / 2)
            break;
    }
    cut = std::clamp<size_t>(cut, 1, cells.size() - 1);
    Box first, second;
    first.cells.assign(cells.begin(), cells.begin() + qsizetype(cut));
    second.cells.assign(cells.begin() + qsizetype(cut), cells.end());
    measure(first, histogram);
    measure(second, histogram);
    return {first, second};
}

double distance(const std::array<double, 3> &a, double r, double g, double b)
{
    return (a[0] - r) * (a[0] - r) + (a[1] - g) * (a[1] - g) + (a[2] - b) * (a[2] - b);
}

int nearest(const std::vector<std::array<double, 3>> &palette, double r, double g, double b)
{
    int best = 0;
    double bestDistance = distance(palette[0], r, g, b);
    for (int i = 1; i < int(palette.size()); ++i) {
        const double d = distance(palette[i], r, g, b);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

std::vector<std::array<double, 3>> choosePalette(const QImage &image, int colours)
{
    std::vector<Cell> histogram(Side * Side * Side);
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            Cell &cell = histogram[cellOf(line[x])];
            const double r = qRed(line[x]), g = qGreen(line[x]), b = qBlue(line[x]);
            cell.count += 1;
            cell.r += r;
            cell.g += g;
            cell.b += b;
            cell.rr += r * r;
            cell.gg += g * g;
            cell.bb += b * b;
        }
    }
    Box all;
    for (int i = 0; i < int(histogram.size()); ++i)
        if (histogram[i].count > 0)
            all.cells.push_back(i);
    measure(all, histogram);
    std::vector<Box> boxes{all};
    while (int(boxes.size()) < colours) {
        auto worst = std::max_element(boxes.begin(), boxes.end(), [](const Box &a, const Box &b) {
            return (a.cells.size() > 1 ? a.error : -1) < (b.cells.size() > 1 ? b.error : -1);
        });
        if (worst->cells.size() < 2)
            break;
        auto [first, second] = split(*worst, histogram);
        *worst = std::move(first);
        boxes.push_back(std::move(second));
    }
    std::vector<std::array<double, 3>> palette;
    for (const Box &box : boxes)
        palette.push_back(box.mean);

    // k-means over the histogram cells pulls each colour to the centre of what it serves.
    for (int round = 0; round < 6; ++round) {
        std::vector<Cell> sums(palette.size());
        for (int index : all.cells) {
            const Cell &cell = histogram[index];
            Cell &sum = sums[nearest(palette, cell.r / cell.count, cell.g / cell.count, cell.b / cell.count)];
            sum.count += cell.count;
            sum.r += cell.r;
            sum.g += cell.g;
            sum.b += cell.b;
        }
        for (size_t i = 0; i < palette.size(); ++i)
            if (sums[i].count > 0)
                palette[i] = {sums[i].r / sums[i].count, sums[i].g / sums[i].count, sums[i].b / sums[i].count};
    }
    for (auto &colour : palette)
        for (double &value : colour)
            value = std::round(std::clamp(value, 0.0, 255.0));
    return palette;
}

} // namespace

QImage Reduce(const QImage &source, int colours, bool dither)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return QImage();
    const std::vector<std::array<double, 3>> palette = choosePalette(image, std::clamp(colours, 2, 256));
    QImage reduced(image.size(), QImage::Format_Indexed8);
    if (reduced.isNull())
        return reduced;
    QList<QRgb> table;
    for (const auto &colour : palette)
        table << qRgb(int(colour[0]), int(colour[1]), int(colour[2]));
    reduced.setColorTable(table);

    std::unordered_map<QRgb, uchar> cache;
    auto indexOf = [&](int r, int g, int b) {
        const QRgb key = qRgb(r, g, b);
        auto found = cache.find(key);
        if (found != cache.end())
            return found->second;
        const uchar index = uchar(nearest(palette, r, g, b));
        cache.emplace(key, index);
        return index;
    };

    const int width = image.width();
    // Error carried to the current and the next line, per channel, when dithering.
    std::vector<std::array<float, 3>> current(size_t(width) + 2), next(size_t(width) + 2);
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        uchar *out = reduced.scanLine(y);
        std::fill(next.begin(), next.end(), std::array<float, 3>{});
        for (int x = 0; x < width; ++x) {
            std::array<float, 3> wanted = {float(qRed(line[x])), float(qGreen(line[x])), float(qBlue(line[x]))};
            if (dither)
                for (int c = 0; c < 3; ++c)
                    wanted[c] = std::clamp(wanted[c] + current[size_t(x) + 1][c], 0.0f, 255.0f);
            const uchar index = indexOf(int(std::lround(wanted[0])), int(std::lround(wanted[1])), int(std::lround(wanted[2])));
            out[x] = index;
            if (!dither)
                continue;
            for (int c = 0; c < 3; ++c) {
                const float error = wanted[c] - float(palette[index][size_t(c)]);
                current[size_t(x) + 2][c] += error * 7 / 16;
                next[size_t(x)][c] += error * 3 / 16;
                next[size_t(x) + 1][c] += error * 5 / 16;
                next[size_t(x) + 2][c] += error * 1 / 16;
            }
        }
        std::swap(current, next);
    }
    return reduced;
}

double Psnr(const QImage &a, const QImage &b)
{
    const QImage first = a.convertToFormat(QImage::Format_RGB32);
    const QImage second = b.convertToFormat(QImage::Format_RGB32);
    if (first.size() != second.size() || first.isNull())
        return 0;
    double sum = 0;
    for (int y = 0; y < first.height(); ++y) {
        const QRgb *p = reinterpret_cast<const QRgb *>(first.constScanLine(y));
        const QRgb *q = reinterpret_cast<const QRgb *>(second.constScanLine(y));
        for (int x = 0; x < first.width(); ++x) {
            const int dr = qRed(p[x]) - qRed(q[x]), dg = qGreen(p[x]) - qGreen(q[x]), db = qBlue(p[x]) - qBlue(q[x]);
            sum += dr * dr + dg * dg + db * db;
        }
    }
    const double mse = sum / (3.0 * first.width() * first.height());
    return mse == 0 ? 100.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

} // namespace ColorQuantizer
