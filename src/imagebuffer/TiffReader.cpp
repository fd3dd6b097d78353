#include "imagebuffer/ImageReaders.h"

#include <QColorSpace>
#include <QFloat16>
#include <cmath>
#include <cstring>
#include <memory>
#include <tiffio.h>
#include <vector>

namespace ImageReaders {

namespace {

// The file in memory, as libtiff's client procedures see it.
struct MemoryFile {
    const QByteArray &bytes;
    toff_t at = 0;
};

tmsize_t readMemory(thandle_t handle, void *out, tmsize_t size)
{
    auto *file = static_cast<MemoryFile *>(handle);
    const toff_t available = file->at < toff_t(file->bytes.size()) ? toff_t(file->bytes.size()) - file->at : 0;
    const tmsize_t count = tmsize_t(std::min<toff_t>(toff_t(size), available));
    std::memcpy(out, file->bytes.constData() + file->at, size_t(count));
    file->at += toff_t(count);
    return count;
}

tmsize_t writeNothing(thandle_t, void *, tmsize_t)
{
    return 0;
}

toff_t seekMemory(thandle_t handle, toff_t offset, int whence)
{
    auto *file = static_cast<MemoryFile *>(handle);
    const toff_t base = whence == SEEK_CUR ? file->at : whence == SEEK_END ? toff_t(file->bytes.size()) : 0;
    file->at = base + offset;
    return file->at;
}

int closeNothing(thandle_t)
{
    return 0;
}

toff_t sizeOfMemory(thandle_t handle)
{
    return toff_t(static_cast<MemoryFile *>(handle)->bytes.size());
}

int mapNothing(thandle_t, void **, toff_t *)
{
    return 0;
}

void unmapNothing(thandle_t, void *, toff_t) {}

// libtiff's messages about unusual files are not the user's concern: the readers
// report failure their own way. The handlers are the library's, so this silences
// Qt's TIFF plugin (the fallback reader) as well.
void silenceLibtiff()
{
    static const bool silenced = [] {
        TIFFSetWarningHandler(nullptr);
        TIFFSetErrorHandler(nullptr);
        return true;
    }();
    Q_UNUSED(silenced);
}

struct TiffCloser {
    void operator()(TIFF *tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

TiffHandle openInMemory(MemoryFile &file)
{
    silenceLibtiff();
    return TiffHandle(TIFFClientOpen("memory", "rm", &file, readMemory, writeNothing, seekMemory, closeNothing,
                                     sizeOfMemory, mapNothing, unmapNothing));
}

// How the samples of one pixel are stored.
struct Layout {
    uint32_t width = 0, height = 0;
    uint16_t bits = 0, samples = 0, format = SAMPLEFORMAT_UINT, planar = PLANARCONFIG_CONTIG, photometric = 0;
    bool alpha = false, premultiplied = false;

    bool grey() const { return photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE; }
    int colourSamples() const { return grey() ? 1 : 3; }
    int bytesPerSample() const { return bits / 8; }
    // Samples stored together in one strip or tile row: all of them, or one plane's.
    int samplesPerUnit() const { return planar == PLANARCONFIG_SEPARATE ? 1 : samples; }
};

std::optional<Layout> layoutOf(TIFF *tiff)
{
    Layout l;
    uint16_t extraCount = 0;
    uint16_t *extra = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &l.width) || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &l.height)
        || !TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &l.photometric))
        return std::nullopt;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &l.bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &l.format);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &l.planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    const bool knownPhotometric = l.grey() || l.photometric == PHOTOMETRIC_RGB;
    const bool knownFormat = l.format == SAMPLEFORMAT_IEEEFP ? (l.bits == 16 || l.bits == 32 || l.bits == 64)
                             : l.format == SAMPLEFORMAT_UINT || l.format == SAMPLEFORMAT_INT
                                 ? (l.bits == 8 || l.bits == 16 || l.bits == 32)
                                 : false;
    if (!knownPhotometric || !knownFormat || l.samples < l.colourSamples() || l.samples > l.colourSamples() + 1)
        return std::nullopt;
    // Contiguous 8- and 16-bit whole numbers are Qt's to read.
    const bool qtReadsIt = l.planar == PLANARCONFIG_CONTIG && l.format != SAMPLEFORMAT_IEEEFP && l.bits <= 16;
    if (qtReadsIt)
        return std::nullopt;
    l.alpha = l.samples > l.colourSamples();
    l.premultiplied = l.alpha && extraCount > 0 && extra && extra[0] == EXTRASAMPLE_ASSOCALPHA;
    return l;
}

// One stored sample brought to 0..1: whole numbers by their range, floating-point
// samples as they are, clamped.
double sampleAt(const uchar *data, const Layout &l)
{
    double value = 0;
    switch (l.bits) {
    case 8: value = l.format == SAMPLEFORMAT_INT ? *reinterpret_cast<const qint8 *>(data) / 127.0 : *data / 255.0; break;
    case 16: {
        quint16 raw;
        std::memcpy(&raw, data, 2);
        if (l.format == SAMPLEFORMAT_IEEEFP) {
            qfloat16 half;
            std::memcpy(&half, data, 2);
            value = float(half);
        } else {
            value = l.format == SAMPLEFORMAT_INT ? qint16(raw) / 32767.0 : raw / 65535.0;
        }
        break;
    }
    case 32: {
        quint32 raw;
        std::memcpy(&raw, data, 4);
        if (l.format == SAMPLEFORMAT_IEEEFP) {
            float f;
            std::memcpy(&f, data, 4);
            value = f;
        } else {
            value = l.format == SAMPLEFORMAT_INT ? qint32(raw) / 2147483647.0 : raw / 4294967295.0;
        }
        break;
    }
    default: {
        double d;
        std::memcpy(&d, data, 8);
        value = d;
    }
    }
    return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
}

// Puts one decoded row of samples (all of them, or one plane's) into the picture.
void putRow(QImage &image, const Layout &l, uint32_t y, uint32_t x0, uint32_t count, int plane, const uchar *row)
{
    uchar *out = image.scanLine(int(y)) + 4 * x0;
    const int stride = l.samplesPerUnit() * l.bytesPerSample();
    for (uint32_t x = 0; x < count; ++x) {
        for (int s = 0; s < l.samplesPerUnit(); ++s) {
            const int sample = l.planar == PLANARCONFIG_SEPARATE ? plane : s;
            double value = sampleAt(row + x * stride + s * l.bytesPerSample(), l);
            const bool isAlpha = sample == l.colourSamples();
            if (!isAlpha && l.photometric == PHOTOMETRIC_MINISWHITE)
                value = 1.0 - value;
            const uchar byte = uchar(std::lround(value * 255));
            if (isAlpha)
                out[4 * x + 3] = byte;
            else if (l.grey())
                out[4 * x] = out[4 * x + 1] = out[4 * x + 2] = byte;
            else
                out[4 * x + sample] = byte;
        }
    }
}

bool readStrips(TIFF *tiff, const Layout &l, QImage &image)
{
    std::vector<uchar> row(size_t(TIFFScanlineSize(tiff)));
    const int planes = l.planar == PLANARCONFIG_SEPARATE ? l.samples : 1;
    if (row.size() < size_t(l.width) * l.samplesPerUnit() * l.bytesPerSample())
        return false;
    for (int plane = 0; plane < planes; ++plane)
        for (uint32_t y = 0; y < l.height; ++y) {
            if (TIFFReadScanline(tiff, row.data(), y, uint16_t(plane)) < 0)
                return false;
            putRow(image, l, y, 0, l.width, plane, row.data());
        }
    return true;
}

bool readTiles(TIFF *tiff, const Layout &l, QImage &image)
{
    uint32_t tileWidth = 0, tileHeight = 0;
    TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileHeight);
    if (tileWidth == 0 || tileHeight == 0)
        return false;
    std::vector<uchar> tile(size_t(TIFFTileSize(tiff)));
    const size_t rowBytes = size_t(tileWidth) * l.samplesPerUnit() * l.bytesPerSample();
    if (tile.size() < rowBytes * tileHeight)
        return false;
    const int planes = l.planar == PLANARCONFIG_SEPARATE ? l.samples : 1;
    for (int plane = 0; plane < planes; ++plane)
        for (uint32_t top = 0; top < l.height; top += tileHeight)
            for (uint32_t left = 0; left < l.width; left += tileWidth) {
                if (TIFFReadTile(tiff, tile.data(), left, top, 0, uint16_t(plane)) < 0)
                    return false;
                const uint32_t across = std::min(tileWidth, l.width - left);
                for (uint32_t dy = 0; dy < tileHeight && top + dy < l.height; ++dy)
                    putRow(image, l, top + dy, left, across, plane, tile.data() + dy * rowBytes);
            }
    return true;
}

} // namespace

DecodedImage ReadTiffSamples(const QByteArray &bytes)
{
    MemoryFile file{bytes};
    const TiffHandle tiff = openInMemory(file);
    if (!tiff)
        return DecodedImage::failure(QStringLiteral("not a TIFF file"));
    const std::optional<Layout> layout = layoutOf(tiff.get());
    if (!layout)
        return DecodedImage::failure(QStringLiteral("unsupported TIFF sample layout"));
    const Layout &l = *layout;
    // Compressed strips may hold far more pixels than bytes, but not without limit: a
    // small file may not claim an enormous picture.
    const qint64 pixelBytes = qint64(l.width) * l.height * l.samples * l.bytesPerSample();
    if (pixelBytes > (qint64(1) << 24) + qint64(bytes.size()) * 2048)
        return DecodedImage::failure(QStringLiteral("damaged TIFF: more pixels than its data can hold"));
    if (!ImageFormat::Admit(l.width, l.height))
        return DecodedImage::tooLarge(l.width, l.height);
    QImage image(int(l.width), int(l.height),
                 l.premultiplied ? QImage::Format_RGBA8888_Premultiplied : QImage::Format_RGBA8888);
    if (image.isNull())
        return DecodedImage::failure(QStringLiteral("out of memory"));
    image.fill(Qt::black);  // opaque until an alpha sample says otherwise
    const bool read = TIFFIsTiled(tiff.get()) ? readTiles(tiff.get(), l, image) : readStrips(tiff.get(), l, image);
    if (!read)
        return DecodedImage::failure(QStringLiteral("damaged TIFF data"));
    image = image.convertToFormat(l.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    uint32_t profileLength = 0;
    const void *profile = nullptr;
    if (TIFFGetField(tiff.get(), TIFFTAG_ICCPROFILE, &profileLength, &profile) && profile)
        image.setColorSpace(QColorSpace::fromIccProfile(
            QByteArray::fromRawData(static_cast<const char *>(profile), qsizetype(profileLength))));
    DecodedImage result;
    result.image = InSrgb(image);
    result.depth = l.bits * l.samples;
    return result;
}

} // namespace ImageReaders
