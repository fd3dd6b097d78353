#include "HeifImages.h"
#include "TestEnvironment.h"
#include "TestImages.h"

#include "imagebuffer/ByteReader.h"
#include "imagebuffer/ColorQuantizer.h"
#include "imagebuffer/DecodeBudget.h"
#include "imagebuffer/ImageReaders.h"
#include "imagebuffer/Lanczos.h"
#include "imagebuffer/MetafilePlayer.h"
#include "imagebuffer/Picture.h"
#include "imagebuffer/PictureFacts.h"
#include "imagebuffer/PictureLoader.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ThumbnailImage.h"
#include "thumbs/ThumbnailPipeline.h"

#include <QColorSpace>
#include <QDirIterator>
#include <QPainter>
#include <QTest>
#include <array>
#include <atomic>
#include <optional>
#include <thread>

using namespace TestImages;
using HeifImages::Options;

namespace {

// The largest difference of two colours in any channel.
int distance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

// Whether two pictures have the same colours (and alpha, when `alpha`) everywhere,
// each channel within `tolerance`.
bool sameColours(const QImage &actual, const QImage &expected, int tolerance = 0, bool alpha = false)
{
    if (actual.size() != expected.size())
        return false;
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = e.pixel(x, y);
            if (distance(p, q) > tolerance || (alpha && std::abs(qAlpha(p) - qAlpha(q)) > tolerance)) {
                qWarning("pixel %d,%d is %08x, expected %08x", x, y, p, q);
                return false;
            }
        }
    return true;
}

QList<QRgb> colours(int count)
{
    QList<QRgb> list;
    for (int i = 0; i < count; ++i)
        list << qRgb((i * 67 + 13) & 0xFF, (i * 151 + 101) & 0xFF, (i * 29 + 200) & 0xFF);
    return list;
}

// A picture of palette colours, and the same picture holding their indices in red.
QImage paletted(int width, int height, const QList<QRgb> &palette, bool asIndices = false)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int index = int((x * 3 + y * 5 + (x * y) % 7) % palette.size());
            image.setPixel(x, y, asIndices ? qRgb(index, 0, 0) : palette[index]);
        }
    return image;
}

// Writes a metafile record by record.
class Metafile {
public:
    // `bounds` left, top, right, bottom in logical units; `perInch` logical units an inch.
    Metafile(QRect bounds, int perInch, bool placeable = true)
    {
        // 16-bit words: key, handle, bounds, units an inch, reserved, checksum (unchecked).
        if (placeable)
            for (int word : {0xCDD7, 0x9AC6, 0, bounds.left(), bounds.top(), bounds.right(), bounds.bottom(), perInch, 0, 0, 0})
                put16(bytes, word);
        for (int word : {1, 9, 0x0300, 0, 0, 0, 0, 0, 0})  // the standard header
            put16(bytes, word);
    }
    Metafile &record(int function, const QList<int> &parameters, const QByteArray &tail = QByteArray())
    {
        put32(bytes, quint32(3 + parameters.size() + (tail.size() + 1) / 2));
        put16(bytes, function);
        for (int p : parameters)
            put16(bytes, p);
        bytes.append(tail);
        if (tail.size() % 2)
            bytes.append('\0');
        return *this;
    }
    // A solid brush of the colour and no pen, both selected.
    Metafile &fill(QRgb rgb)
    {
        record(0x02FC, {0, qRed(rgb) | (qGreen(rgb) << 8), qBlue(rgb), 0}).record(0x012D, {objects++});
        return record(0x02FA, {5, 0, 0, 0, 0}).record(0x012D, {objects++});
    }
    QByteArray finish()
    {
        record(0, {});
        return bytes;
    }

private:
    QByteArray bytes;
    int objects = 0;
};

constexpr int SelectObject = 0x012D, Rectangle = 0x041B, Ellipse = 0x0418, RestoreDc = 0x0127, Pie = 0x081A, TextOut = 0x0521,
              CreateFontIndirect = 0x02FB, SetTextColor = 0x0209, SetBkMode = 0x0102, StretchDib = 0x0F43, PolyPolygon = 0x0538,
              DeleteObject = 0x01F0;

bool near(QRgb actual, QRgb expected, int tolerance = 24)
{
    return distance(actual, expected) <= tolerance;
}

bool hasMarker(const QByteArray &jpeg, quint8 marker)
{
    return jpeg.contains(QByteArray("\xFF", 1) + char(marker));
}

// Lanczos-3 in doubles, straight from its definition and without rounding between
// the passes: what the fixed-point scaler is held to.
QImage referenceLanczos(const QImage &source, QSize size)
{
    const auto weights = [](int inputs, int outputs) {
        const double pi = 3.14159265358979323846, scale = double(inputs) / outputs, stretch = std::max(scale, 1.0);
        std::vector<std::vector<double>> all(static_cast<size_t>(outputs), std::vector<double>(static_cast<size_t>(inputs)));
        for (int out = 0; out < outputs; ++out) {
            double sum = 0;
            for (int in = 0; in < inputs; ++in) {
                const double x = std::abs((in + 0.5 - (out + 0.5) * scale) / stretch);
                sum += all[size_t(out)][size_t(in)] = x < 1e-9 ? 1 : x >= 3 ? 0 : 3 * std::sin(pi * x) * std::sin(pi * x / 3) / (pi * pi * x * x);
            }
            for (double &w : all[size_t(out)])
                w /= sum;
        }
        return all;
    };
    const auto across = weights(source.width(), size.width()), down = weights(source.height(), size.height());
    // Across in doubles, kept unrounded, then down.
    std::vector<double> wide(size_t(3) * size_t(size.width()) * size_t(source.height()));
    for (int sy = 0; sy < source.height(); ++sy)
        for (int x = 0; x < size.width(); ++x)
            for (int sx = 0; sx < source.width(); ++sx) {
                const QRgb pixel = source.pixel(sx, sy);
                double *to = &wide[3 * (size_t(sy) * size_t(size.width()) + size_t(x))];
                const double w = across[size_t(x)][size_t(sx)];
                to[0] += w * qRed(pixel), to[1] += w * qGreen(pixel), to[2] += w * qBlue(pixel);
            }
    QImage result(size, QImage::Format_RGB32);
    const auto byte = [](double v) { return std::clamp(int(std::lround(v)), 0, 255); };
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            double channel[3] = {};
            for (int sy = 0; sy < source.height(); ++sy)
                for (int c = 0; c < 3; ++c)
                    channel[c] += down[size_t(y)][size_t(sy)] * wide[3 * (size_t(sy) * size_t(size.width()) + size_t(x)) + size_t(c)];
            result.setPixel(x, y, qRgb(byte(channel[0]), byte(channel[1]), byte(channel[2])));
        }
    return result;
}

// A photo with a red block in its stored top-left corner, which tells which way up
// it stands once read.
QImage marked(int width = 96, int height = 64)
{
    QImage image = TestImages::photo(width, height);
    QPainter(&image).fillRect(0, 0, 16, 16, Qt::red);
    return image;
}

bool isRed(QRgb colour)
{
    return qRed(colour) > 180 && qGreen(colour) < 90 && qBlue(colour) < 90;
}

QImage flat(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

class ImageBufferTest : public QObject {
    Q_OBJECT
private slots:
    // Every image type and depth, and the corners a file may start from.
    void targa()
    {
        struct Case { int type, bits; bool topDown, rightToLeft; };
        QList<Case> cases = {{10, 24, true, false}, {2, 24, true, true}, {9, 8, false, true}};
        for (int type : {2, 10})
            for (int bits : {16, 24, 32})
                cases.append({type, bits, false, false});
        for (int type : {1, 9, 3, 11})
            cases.append({type, 8, false, false});
        for (const auto &[type, bits, topDown, rightToLeft] : cases) {
            QImage source = (type & 7) == 1 ? paletted(13, 7, colours(40)) : pattern(13, 7);
            for (int x = 0; x < 8; ++x)  // a run for the run-length packets
                source.setPixel(x, 3, source.pixel(0, 0));
            if ((type & 7) == 3)
                source = source.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);
            const DecodedImage decoded =
                ImageReaders::Read(ImageFormat::Targa, TestImages::targa(source, type, bits, topDown, rightToLeft));
            const QString name = u"type %1, %2 bits, from %3"_s.arg(type).arg(bits).arg(topDown * 2 + rightToLeft);
            QVERIFY2(decoded.ok() && decoded.depth == bits, qPrintable(name));
            QVERIFY2(sameColours(decoded.image, source, bits == 16 ? 7 : 0), qPrintable(name));  // 16 bits keep 5 a channel
        }
    }

    // Bits and planes of every kind, with widths that leave bits over at a line's end.
    void pcx()
    {
        struct Case { int bits, planes, width; bool raw; };
        for (const auto &[bits, planes, width, raw] : {Case{1, 1, 19, false}, {2, 1, 11, false}, {4, 1, 9, false},
                                                       {1, 4, 21, false}, {8, 1, 49, false}, {8, 1, 7, true}, {8, 3, 15, false}}) {
            const int count = 1 << std::min(bits * planes, 8);
            const QList<QRgb> palette = count == 2 ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)} : colours(count);
            const bool trueColour = planes == 3;
            const QImage source = trueColour ? pattern(width, 6) : paletted(width, 6, palette);
            const QImage stored = trueColour ? source : paletted(width, 6, palette, true);
            const DecodedImage decoded = ImageReaders::Read(ImageFormat::Pcx, TestImages::pcx(stored, bits, planes, palette, raw));
            const QString name = u"%1 bits, %2 planes"_s.arg(bits).arg(planes);
            QVERIFY2(decoded.ok() && decoded.depth == bits * planes, qPrintable(name));
            QVERIFY2(sameColours(decoded.image, source), qPrintable(name));
        }
        // Damage keeps what is there; a line length too short for the width is replaced.
        const QImage source = pattern(20, 10);
        const QByteArray whole = TestImages::pcx(source, 8, 3, {}, true);
        const DecodedImage decoded = ImageReaders::Read(ImageFormat::Pcx, whole.left(whole.size() - 60));
        QVERIFY2(decoded.ok(), qPrintable(decoded.error));
        QVERIFY(sameColours(decoded.image.copy(0, 0, 20, 8), source.copy(0, 0, 20, 8)));
        QCOMPARE(decoded.image.pixel(19, 9), qRgb(0, 0, 0));
        // Less than half of the pixels is too little.
        QVERIFY(!ImageReaders::Read(ImageFormat::Pcx, whole.left(128 + 200)).ok());

        // A stored line length too short for the width is replaced by the width's.
        QByteArray shortLines = TestImages::pcx(source, 8, 3, {});
        qToLittleEndian<quint16>(3, shortLines.data() + 66);
        const DecodedImage repaired = ImageReaders::Read(ImageFormat::Pcx, shortLines);
        QVERIFY2(repaired.ok(), qPrintable(repaired.error));
        QVERIFY(sameColours(repaired.image, source));
    }

    void jpegOrientation()
    {
        // A red corner tells which way up the picture stands: where the stored top-left
        // corner of a 60 x 40 picture ends up for each orientation.
        QImage marked(60, 40, QImage::Format_RGB32);
        marked.fill(Qt::white);
        QPainter(&marked).fillRect(0, 0, 12, 12, Qt::red);
        const QByteArray plain = encode(marked, "jpeg", 95);
        const QPoint corner[] = {{}, {4, 4}, {55, 4}, {55, 35}, {4, 35}, {4, 4}, {35, 4}, {35, 55}, {4, 55}};
        for (int orientation = 1; orientation <= 8; ++orientation)
            for (bool asLong : {false, true}) {
                const DecodedImage decoded = ImageReaders::Read(ImageFormat::Jpeg, withOrientation(plain, orientation, asLong));
                const QSize upright = orientation >= 5 ? QSize(40, 60) : QSize(60, 40);
                QCOMPARE(decoded.size(), upright);  // known before any decoding
                const QImage pixels = pixelsOf(decoded);
                QCOMPARE(pixels.size(), upright);
                QVERIFY2(isRed(pixels.pixel(corner[orientation])), qPrintable(QString::number(orientation)));
                // The reduced decode turns the picture the same way.
                QCOMPARE(decoded.deferred->decodeForTarget(QSize(4, 4)).size(), upright / 4);
            }
        QCOMPARE(ImageReaders::Read(ImageFormat::Jpeg, encode(marked.convertToFormat(QImage::Format_Grayscale8), "jpeg")).depth, 8);
    }

    // A picture whose file carries a colour profile is shown in sRGB.
    void profiledPicturesBecomeSrgbAndLargeOnesDecodeInFull()
    {
        const QColorSpace wide(QColorSpace::ProPhotoRgb);
        QImage source(8, 8, QImage::Format_RGB32);
        source.fill(qRgb(200, 60, 40));
        source.setColorSpace(wide);
        const QRgb expected = wide.transformationToColorSpace(QColorSpace::SRgb).map(qRgb(200, 60, 40));
        QVERIFY(expected != qRgb(200, 60, 40));
        for (const char *format : {"png", "jpeg"}) {
            const QByteArray bytes = encode(source, format, 100);
            const DecodedImage decoded = ImageReaders::Read(QByteArray(format) == "png" ? ImageFormat::Png : ImageFormat::Jpeg, bytes);
            const QImage pixels = pixelsOf(decoded);
            QImage wanted(pixels.size(), QImage::Format_RGB32);
            wanted.fill(expected);
            QVERIFY2(sameColours(pixels, wanted, 3), format);
        }
        // 36 megapixels take 144 MB as true colour, more than Qt allows by default.
        QByteArray bytes;
        {
            QImage flat(6000, 6000, QImage::Format_RGB32);
            flat.fill(qRgb(90, 140, 200));
            bytes = encode(flat, "jpeg", 50);
        }
        const QImage full = ImageReaders::Read(ImageFormat::Jpeg, bytes).deferred->decodeFull();
        QCOMPARE(full.size(), QSize(6000, 6000));
        QVERIFY(std::abs(qBlue(full.pixel(3000, 3000)) - 200) <= 4);
    }

    void damagedFilesFailCleanly()
    {
        const QImage source = pattern(40, 30);
        const QByteArray tga = TestImages::targa(source, 10, 24, false, false);
        const QByteArray rawTga = TestImages::targa(source, 2, 24, false, false);
        const QByteArray jpeg = encode(photo(80, 60), "jpeg", 90);
        const QByteArray png = encode(source, "png");
        const QList<QPair<ImageFormat::Code, QByteArray>> damaged = {
            {ImageFormat::Targa, tga.left(tga.size() - 20)},      {ImageFormat::Targa, rawTga.left(rawTga.size() - 1)},
            {ImageFormat::Targa, tga.left(17)},                   {ImageFormat::Pcx, TestImages::pcx(source, 8, 3, {}).left(100)},
            {ImageFormat::Jpeg, jpeg.left(300)},
            {ImageFormat::Png, png.left(png.size() - 13)},        {ImageFormat::Bmp, encode(source, "bmp").left(40)},
            {ImageFormat::Icon, QByteArray("\0\0\1\0\1\0", 6) + QByteArray(24, '\x10')},
        };
        for (const auto &[code, bytes] : damaged) {
            const DecodedImage decoded = ImageReaders::Read(code, bytes);
            QVERIFY2(!decoded.ok(), qPrintable(u"code %1, %2 bytes"_s.arg(code).arg(bytes.size())));
            QVERIFY(decoded.image.isNull() && !decoded.deferred);
        }
        // A JPEG cut short shows what its scans hold, decoded by the JPEG reader alone; one
        // without any scan data is refused by every loader.
        const QImage original = photo(160, 120);
        const QByteArray baseline = encode(original, "jpeg", 90);
        const DecodedImage cut = ImageReaders::Read(ImageFormat::Jpeg, baseline.left(baseline.size() * 3 / 10));
        QVERIFY2(cut.ok(), qPrintable(cut.error));
        QCOMPARE(cut.size(), QSize(160, 120));
        const QImage shown = pixelsOf(cut);
        QVERIFY(ColorQuantizer::Psnr(shown.copy(0, 0, 160, 16), original.copy(0, 0, 160, 16)) > 30);
        QCOMPARE(cut.deferred->decodeForTarget(QSize(20, 15)).size(), QSize(40, 30));

        // A progressive file cut at the start of its last scan: the earlier scans
        // already cover the whole picture.
        const QByteArray progressive = encode(original, "jpeg", 90, true);
        const qsizetype lastScan = progressive.lastIndexOf(QByteArray("\xFF\xDA", 2));
        QVERIFY(lastScan > progressive.indexOf(QByteArray("\xFF\xDA", 2)));
        const DecodedImage early = ImageReaders::Read(ImageFormat::Jpeg, progressive.left(lastScan));
        QVERIFY2(early.ok(), qPrintable(early.error));
        QVERIFY(ColorQuantizer::Psnr(pixelsOf(early), original) > 22);

        // Headers and a scan header, then the end: nothing to show.
        const qsizetype scan = baseline.indexOf(QByteArray("\xFF\xDA", 2));
        const int scanHeader = 2 + ((quint8(baseline[scan + 2]) << 8) | quint8(baseline[scan + 3]));
        const QByteArray headersOnly = baseline.left(scan + scanHeader) + QByteArray("\xFF\xD9", 2);
        QVERIFY(!ImageReaders::Read(ImageFormat::Jpeg, headersOnly).ok());
        QTemporaryDir directory;
        const QString path = directory.filePath(u"empty.jpg"_s);
        QVERIFY(writeFile(path, headersOnly));
        Picture picture;
        QVERIFY(!LoadAnyImageFile(picture, path) && picture.isNull());
    }

    // Every header size with palettes, 24 bits, 5-5-5 and 5-6-5, and bit fields of
    // other orders and widths.
    void bmpHeadersAndMasks()
    {
        struct Case { int bits, compression; QList<quint32> masks; bool topDown; int tolerance; };
        const QList<Case> layouts = {{24, 0, {}, false, 0}, {8, 0, {}, false, 0}, {1, 0, {}, true, 0}, {16, 0, {}, false, 4},
                                     {16, 3, {0xF800, 0x07E0, 0x001F, 0}, false, 4},
                                     {32, 3, {0x0000FF00, 0x00FF0000, 0xFF000000, 0}, true, 0},
                                     {32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}, false, 0}};
        for (int headerSize : {12, 40, 52, 56, 108, 124})
            for (const auto &[bits, compression, masks, topDown, tolerance] : layouts.mid(0, headerSize == 12 ? 2 : 7)) {
                const QList<QRgb> palette = bits == 1 ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)} : colours(256);
                const QImage source = bits <= 8 ? paletted(13, 7, palette) : pattern(13, 7);
                const QImage stored = bits <= 8 ? paletted(13, 7, palette, true) : source;
                const DecodedImage decoded = ImageReaders::Read(
                    ImageFormat::Bmp, TestImages::bmp(stored, headerSize, bits, quint32(compression), masks, topDown, palette));
                const QString name = u"%1-byte header, %2 bits, masks %3"_s.arg(headerSize).arg(bits).arg(masks.value(0), 0, 16);
                QVERIFY2(decoded.ok() && decoded.depth == bits, qPrintable(name));
                QVERIFY2(!decoded.image.hasAlphaChannel() && sameColours(decoded.image, source, tolerance), qPrintable(name));
            }
        // Alpha in a bit field from the 56-byte header on, or in the fourth byte of
        // uncompressed 32-bit pixels, unless it is zero everywhere.
        const QImage translucent = pattern(9, 5, true);
        const QList<quint32> argb{0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
        for (int header : {40, 56, 124}) {
            const DecodedImage plain = ImageReaders::Read(ImageFormat::Bmp, TestImages::bmp(translucent, header, 32));
            QVERIFY(plain.image.hasAlphaChannel() && sameColours(plain.image, translucent, 0, true));
        }
        for (int header : {56, 108, 124}) {
            const DecodedImage fields = ImageReaders::Read(ImageFormat::Bmp, TestImages::bmp(translucent, header, 32, 3, argb));
            QVERIFY(sameColours(fields.image, translucent, 0, true));
        }
        QImage clear = pattern(9, 5, true);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 9; ++x)
                clear.setPixel(x, y, clear.pixel(x, y) & 0x00FFFFFF);
        const DecodedImage opaque = ImageReaders::Read(ImageFormat::Bmp, TestImages::bmp(clear, 40, 32));
        QVERIFY(!opaque.image.hasAlphaChannel());
        QCOMPARE(opaque.image.pixel(4, 2), clear.pixel(4, 2) | 0xFF000000);
        // Runs, literal pixels, a jump and the end code; pixels jumped over keep entry 0.
        const QList<QRgb> palette = colours(8);
        QImage blank(4, 3, QImage::Format_RGB32);
        blank.fill(0);
        QByteArray file = TestImages::bmp(blank, 40, 8, 0, {}, false, palette);
        const qsizetype pixels = qsizetype(ByteReader::u32At(file, 10));
        file[30] = 1;  // run-length coded 8-bit
        const QByteArray codes = QByteArray::fromHex("0401 0000"            // bottom row: four of 1
                                                     "0003 020302 00 0104 0000"  // 2 3 2 literally, one 4
                                                     "0002 0200 0205 0001");     // jump two right, two of 5, end
        file = file.left(pixels) + codes;
        const DecodedImage decoded = ImageReaders::Read(ImageFormat::Bmp, file);
        QVERIFY2(decoded.ok(), qPrintable(decoded.error));
        const int expected[3][4] = {{0, 0, 5, 5}, {2, 3, 2, 4}, {1, 1, 1, 1}};
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                QCOMPARE(decoded.image.pixel(x, y), palette[expected[y][x]]);
        // Rows missing at the end are damage, not a picture.
        QVERIFY(!ImageReaders::Read(ImageFormat::Bmp, file.left(pixels + 4)).ok());
    }

    // Qt 6.4 garbles these; every pixel must come out right.
    void sixteenBitPngWithATransparencyKey()
    {
        QImage deep(12, 6, QImage::Format_RGBX64);
        const QRgba64 key = QRgba64::fromRgba64(0x1234, 0xABCD, 0x0F0F, 0xFFFF);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 12; ++x)
                deep.setPixelColor(x, y, (x + y) % 3 ? QColor(QRgba64::fromRgba64(quint16(x * 5000), quint16(y * 9000), 0x8000, 0xFFFF))
                                                     : QColor(key));
        QByteArray trns;
        for (quint16 v : {key.red(), key.green(), key.blue()})
            trns.append(char(v >> 8)).append(char(v & 0xFF));
        const DecodedImage decoded = ImageReaders::Read(ImageFormat::Png, withPngChunk(encode(deep, "png"), "tRNS", trns));
        QVERIFY2(decoded.ok(), qPrintable(decoded.error));
        QCOMPARE(decoded.depth, 48);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 12; ++x) {
                const QRgb p = decoded.image.pixel(x, y);
                if ((x + y) % 3 == 0) {
                    QCOMPARE(qAlpha(p), 0);
                    continue;
                }
                QCOMPARE(qAlpha(p), 255);
                QCOMPARE(qRed(p), int(std::lround(x * 5000 / 257.0)));
                QCOMPARE(qGreen(p), int(std::lround(y * 9000 / 257.0)));
            }
    }

    // Sample layouts of every kind, and alpha stored with the colours premultiplied
    // (associated) or apart from them: the picture read is the same.
    void tiffSampleLayouts()
    {
        struct Case { int samples, bits; bool floating, separate; int alpha; };
        QList<Case> cases = {{3, 32, true, false, 0}, {3, 64, true, true, 0}, {1, 64, true, false, 0},
                             {3, 16, false, true, 0}, {3, 32, false, false, 0}};
        for (int alpha : {1, 2})  // premultiplied, straight
            cases << Case{4, 8, false, false, alpha} << Case{4, 16, false, false, alpha} << Case{4, 32, true, false, alpha};
        for (const auto &[samples, bits, floating, separate, alpha] : cases) {
            QImage source = pattern(11, 7).convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
            for (int x = 0; alpha && x < source.width(); ++x)  // alpha high enough to keep the colours
                for (int y = 0; y < source.height(); ++y)
                    source.setPixel(x, y, (source.pixel(x, y) & 0xFFFFFF) | quint32(128 + 127 * x / 10) << 24);
            if (samples == 1)
                source = source.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);
            const DecodedImage decoded =
                ImageReaders::Read(ImageFormat::Tiff, TestImages::tiff(source, samples, bits, floating, separate, alpha));
            const QString name = u"%1 samples of %2 bits, alpha %3"_s.arg(samples).arg(bits).arg(alpha);
            QVERIFY2(decoded.ok() && (alpha || decoded.depth == samples * bits), qPrintable(name));
            // Within what premultiplying (ours, or libtiff's for Qt's reader) rounds away.
            QVERIFY2(sameColours(decoded.image, source, alpha ? 2 : 0, alpha), qPrintable(name));
        }
    }

    void hugeHeadersAndEndlessScansAreRefused()
    {
        QByteArray tga = TestImages::targa(pattern(4, 4), 10, 24, false, false);
        qToLittleEndian<quint16>(65535, tga.data() + 12);
        qToLittleEndian<quint16>(65535, tga.data() + 14);
        QVERIFY(!ImageReaders::Read(ImageFormat::Targa, tga).ok());
        const QByteArray jpeg = TestImages::withClaimedSize(encode(pattern(16, 16), "jpg"), 30000, 30000);
        QCOMPARE(ImageReaders::Read(ImageFormat::Jpeg, jpeg).refusedSize, QSize(30000, 30000));
        QByteArray pcx = TestImages::pcx(pattern(4, 4), 8, 3, {});
        qToLittleEndian<quint16>(65534, pcx.data() + 8);
        qToLittleEndian<quint16>(65534, pcx.data() + 10);
        QVERIFY(!ImageReaders::Read(ImageFormat::Pcx, pcx).ok());
        QByteArray bmp = encode(pattern(4, 4), "bmp");
        qToLittleEndian<qint32>(200000, bmp.data() + 18);
        const DecodedImage refused = ImageReaders::Read(ImageFormat::Bmp, bmp);
        QCOMPARE(refused.error, u"too large (200000 x 4 pixels)"_s);
        QCOMPARE(refused.refusedSize, QSize(200000, 4));
        QVERIFY(ImageFormat::SizeAcceptable(17320, 11547));  // a genuine 200-megapixel photo
        // Each scan of a progressive JPEG is more work: a file with more than any camera
        // or editor writes is refused as damaged, not as too large, before it is decoded.
        const QByteArray progressive = encode(TestImages::photo(64, 48), "jpg", 80, true);
        const DecodedImage scans = ImageReaders::Read(ImageFormat::Jpeg, TestImages::withRepeatedLastScan(progressive, 300));
        QVERIFY(scans.error.startsWith(u"damaged JPEG: "_s) && scans.refusedSize.isEmpty());
        const DecodedImage read = ImageReaders::Read(ImageFormat::Jpeg, TestImages::withRepeatedLastScan(progressive, 20));
        QVERIFY2(read.ok(), qPrintable(read.error));
        QCOMPARE(read.size(), QSize(64, 48));
    }

    // Pictures need memory in proportion to their pixels; what the budget cannot hold
    // is refused as too large, and a thread whose picture does not fit beside another's
    // waits until that one is done.
    void decodingStaysWithinTheBudget()
    {
        const qint64 budget = DecodeBudget::Total();
        const auto restore = qScopeGuard([budget] { DecodeBudget::SetTotal(budget); });
        DecodeBudget::SetTotal(1'000'000);
        const QByteArray large = encode(pattern(400, 400), "png"), small = encode(pattern(300, 300), "png");
        const DecodedImage refused = ImageReaders::Read(ImageFormat::Png, large);
        QCOMPARE(refused.refusedSize, QSize(400, 400));
        QVERIFY(ImageReaders::Read(ImageFormat::Png, small).ok());

        std::atomic<bool> secondHasIt{false};
        std::optional<DecodeBudget::Scope> first;
        first.emplace();
        QVERIFY(ImageReaders::Read(ImageFormat::Png, small).ok());  // held until the scope ends
        std::thread second([&] {
            const DecodeBudget::Scope scope;
            secondHasIt = ImageReaders::Read(ImageFormat::Png, small).ok();
        });
        QTest::qWait(100);
        QVERIFY(!secondHasIt);
        first.reset();
        second.join();
        QVERIFY(secondHasIt);
    }

    // The real files of shared/samples, when that folder is there.
    void samplesReadRight()
    {
        const QString root = QStringLiteral(QUILLMERE_SAMPLES);
        if (!QDir(root).exists())
            QSKIP("no sample folder");
        const QHash<QString, int> codeOfFolder = {{"bmp", 1}, {"gif", 2}, {"tiff", 3}, {"tga", 4}, {"pcx", 5},
                                                  {"ico", 6}, {"jpeg", 7}, {"png", 9}, {"wmf", 0}};
        int checked = 0;
        for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            const QString folder = QFileInfo(path).dir().dirName();
            if (!codeOfFolder.contains(folder))
                continue;
            Picture picture;
            const std::optional<int> code = LoadAnyImageFile(picture, path);
            QVERIFY2(code == codeOfFolder[folder], qPrintable(path));
            QVERIFY2(!picture.isNull() && !picture.image().isNull(), qPrintable(path));
            ++checked;
        }
        QVERIFY(checked > 50);
        Picture rotated;
        QCOMPARE(LoadImageFile(rotated, root + u"/jpeg/orient6-photo-testrotate.jpg"_s), 7);
        QCOMPARE(rotated.size(), QSize(428, 640));
    }

    // Titles and dates from each kind of metadata, in the order they are preferred;
    // text cameras write by themselves and damaged blocks give nothing.
    void pictureFacts()
    {
        const QByteArray jpeg = encode(photo(32, 24), "jpg");
        const QByteArray png = encode(pattern(8, 8), "png");
        const QByteArray exifMark("Exif\0\0", 6), xmpMark("http://ns.adobe.com/xap/1.0/\0", 29);
        const QByteArray date("2026:05:03 09:12:44");
        const QDateTime taken(QDate(2026, 5, 3), QTime(9, 12, 44));
        const auto exif = [&](const QByteArray &description, const QByteArray &when = {}) {
            return withSegment(jpeg, 0xE1, exifMark + exifFacts(description, when));
        };
        const auto riff = [](const QByteArray &chunks) {
            QByteArray file("RIFF");
            put32(file, quint32(4 + chunks.size()));
            return file + "WEBP" + chunks;
        };
        const auto chunk = [](const char *type, const QByteArray &data) {
            QByteArray out(type);
            put32(out, quint32(data.size()));
            return out + data + (data.size() % 2 ? QByteArray(1, '\0') : QByteArray());
        };
        const QString utf8Title = u"S\u00F8ndervig \u2013 \u65E5\u843D"_s;
        struct Case { const char *name; QByteArray bytes; QString title; QDateTime taken; };
        const QByteArray photoshop("Photoshop 3.0\0", 14);
        const Case cases[] = {
            {"EXIF description and date", exif("Harbour at dawn", date), "Harbour at dawn", taken},
            {"EXIF without a date", exif("Harbour at dawn"), "Harbour at dawn", {}},
            {"Olympus filler", exif("OLYMPUS DIGITAL CAMERA         ", date), {}, taken},
            {"Sony filler", exif("SONY DSC"), {}, {}},
            {"Kodak filler", exif("KODAK Digital Still Camera"), {}, {}},
            {"blank run", exif("               "), {}, {}},
            {"XMP title before EXIF", withSegment(exif("Exif words"), 0xE1, xmpMark + xmpPacket(utf8Title, u"Words"_s)),
             utf8Title, {}},
            {"XMP description under a filler title",
             withSegment(jpeg, 0xE1, xmpMark + xmpPacket(u"SONY DSC"_s, u"Two dogs & a ball"_s)), "Two dogs & a ball", {}},
            {"IPTC in UTF-8 before EXIF",
             withSegment(exif("Exif words"), 0xED, photoshop + iptcCaption("Caf\xC3\xA9 cr\xC3\xA8me", true)),
             u"Caf\u00E9 cr\u00E8me"_s, {}},
            {"IPTC in Latin-1", withSegment(jpeg, 0xED, photoshop + iptcCaption("Caf\xE9", false)), u"Caf\u00E9"_s, {}},
            {"PNG XMP", withPngChunk(png, "iTXt", QByteArray("XML:com.adobe.xmp\0\0\0\0\0", 22) + xmpPacket(utf8Title, {})),
             utf8Title, {}},
            {"PNG text title", withPngChunk(png, "tEXt", QByteArray("Title\0Garden gate", 17)), "Garden gate", {}},
            {"PNG EXIF", withPngChunk(png, "eXIf", exifFacts({}, date)), {}, taken},
            {"WebP EXIF and XMP", riff(chunk("VP8X", QByteArray(10, '\0')) + chunk("EXIF", exifFacts("Exif words", date))
                                       + chunk("XMP ", xmpPacket(u"Old town"_s, {}))), "Old town", taken},
            {"segment of no length", jpeg.left(2) + QByteArray("\xFF\xE1\0\0", 4) + exif("Harbour").mid(2), {}, {}},
            {"cut EXIF", withSegment(jpeg, 0xE1, exifMark + exifFacts("Harbour", date).left(40)), {}, {}},
            {"broken XMP", withSegment(jpeg, 0xE1, xmpMark + xmpPacket(utf8Title, {}).left(200)), {}, {}},
            {"not a picture", QByteArray("hello"), {}, {}},
        };
        TestEnvironment environment;
        const QString path = environment.path(u"picture"_s);
        for (const Case &c : cases) {
            QVERIFY(writeFile(path, c.bytes));
            const PictureFacts facts = PictureFactsReader::Read(path);
            QVERIFY2(facts.title == c.title && facts.taken == c.taken, c.name);
        }
    }

    void placeableHeaderDamagedRecordsAndFuzzFindings()
    {
        const QImage blank = MetafilePlayer::Render(Metafile(QRect(QPoint(0, 0), QPoint(2880, 1440)), 1440).finish());
        QCOMPARE(blank.size(), QSize(192, 96));  // 2 by 1 inches
        QCOMPARE(blank.pixel(100, 50), qRgb(255, 255, 255));
        QVERIFY(!MetafilePlayer::IsMetafile(QByteArray("not a metafile at all")));
        // Damaged records are skipped: what came before the damage is there.
        Metafile file(QRect(QPoint(0, 0), QPoint(64, 64)), 96);
        file.fill(qRgb(1, 2, 3)).record(Rectangle, {60, 60, 4, 4});
        file.record(PolyPolygon, {3, 1000, 2, 7, 1, 2, 3});
        file.record(TextOut, {30000}, QByteArray("ab"));
        file.record(StretchDib, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 100, 100, 0, 100}, QByteArray("\x28\0\0\0\xFF\xFF", 6));
        file.record(RestoreDc, {-30});
        file.record(SelectObject, {400});
        const QImage image = MetafilePlayer::Render(file.finish());
        QVERIFY(near(image.pixel(30, 30), qRgb(1, 2, 3)));
        // Inputs the fuzzer found: each once hung or crashed the player.
        const QDir findings(QStringLiteral(QUILLMERE_FUZZ_DATA "/metafile"));
        const QStringList files = findings.entryList(QDir::Files);
        QVERIFY(!files.isEmpty());
        for (const QString &name : files) {
            QFile file(findings.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QImage image = PictureLoader::LoadBytes(file.readAll());
            QVERIFY2(image.isNull() || std::max(image.width(), image.height()) <= MetafilePlayer::MaxSide, qPrintable(name));
        }
    }

    void shapesFillWhereTheyShould()
    {
        Metafile file(QRect(QPoint(0, 0), QPoint(100, 100)), 96);
        file.fill(qRgb(255, 0, 0));
        file.record(Rectangle, {40, 40, 10, 10});   // bottom, right, top, left
        file.fill(qRgb(0, 0, 255));
        file.record(Ellipse, {95, 95, 55, 55});
        // A pie: the quarter from 3 o'clock to 12 o'clock, counter-clockwise.
        file.record(Pie, {0, 80, 80, 100, 100, 100, 60, 60});  // yEnd, xEnd (top), yStart, xStart (right), box
        // Two squares in one polygon set.
        file.record(PolyPolygon, {2, 4, 4, 60, 10, 70, 10, 70, 20, 60, 20, 75, 10, 85, 10, 85, 20, 75, 20});
        const QImage image = MetafilePlayer::Render(file.finish());
        QCOMPARE(image.size(), QSize(100, 100));
        QVERIFY(near(image.pixel(25, 25), qRgb(255, 0, 0)) && near(image.pixel(5, 5), qRgb(255, 255, 255)));
        QVERIFY(near(image.pixel(75, 75), qRgb(0, 0, 255)));
        QVERIFY(near(image.pixel(57, 57), qRgb(255, 255, 255)));  // outside the ellipse's curve
        QVERIFY(near(image.pixel(65, 15), qRgb(0, 0, 255)) && near(image.pixel(80, 15), qRgb(0, 0, 255)));
        QVERIFY(near(image.pixel(72, 15), qRgb(255, 255, 255)));
    }

    void textAndBitmaps()
    {
        Metafile file(QRect(QPoint(0, 0), QPoint(200, 100)), 96);
        QByteArray face("Sans");
        face.append(QByteArray(28, '\0'));
        file.record(CreateFontIndirect, {-40, 0, 0, 0, 700, 0, 0, 0, 0}, face);
        file.record(SelectObject, {0});
        file.record(SetTextColor, {200, 0});  // red 200: red and green in one word, then blue
        file.record(SetBkMode, {1});
        file.record(TextOut, {4}, QByteArray("MMMM") + QByteArray("\x0A\0\x0A\0", 4));  // y 10, x 10
        file.record(DeleteObject, {0});
        // A 2 x 2 bitmap of four colours stretched over the right half.
        QByteArray dib;
        for (quint32 field : {40u, 2u, 2u, 0x00180001u, 0u, 0u, 0u, 0u, 0u, 0u})  // 24 bits, one plane
            put32(dib, field);
        dib.append(QByteArray("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8));  // bottom row: red, green
        dib.append(QByteArray("\xFF\x00\x00\x00\x00\x00\x00\x00", 8));  // top row: blue, black
        file.record(StretchDib, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 100, 100, 0, 100}, dib);
        const QImage image = MetafilePlayer::Render(file.finish());
        int red = 0;
        for (int y = 10; y < 60; ++y)
            for (int x = 10; x < 100; ++x)
                red += near(image.pixel(x, y), qRgb(200, 0, 0), 40);
        QVERIFY2(red > 300, qPrintable(QString::number(red)));
        QVERIFY(near(image.pixel(125, 25), qRgb(0, 0, 255), 40) && near(image.pixel(175, 75), qRgb(0, 255, 0), 40));
        QVERIFY(near(image.pixel(125, 75), qRgb(255, 0, 0), 40));
    }

    void createScaleLoadAndSave()
    {
        Picture source, target;
        QVERIFY(target.createBlank(24, QSize(31, 17), QColor(10, 200, 30)));
        QCOMPARE(target.image().pixel(30, 16), qRgb(10, 200, 30));
        QVERIFY(!target.createBlank(24, QSize(0, 10), Qt::white) && !target.createBlank(24, QSize(70000, 70000), Qt::white));
        QVERIFY(!target.copyScaled(source, Resampling::Smooth));  // nothing to copy
        source = Picture::fromImage(pattern(50, 40));
        for (const QSize size : {QSize(93, 74), QSize(5, 97), QSize(1, 1), QSize(400, 3)}) {
            QVERIFY(target.createBlank(24, size, Qt::white) && target.copyScaled(source, Resampling::Smooth));
            QCOMPARE(target.image().size(), size);
        }
        // Nearest-neighbour copies keep the source's pixels exactly.
        QVERIFY(target.createBlank(24, QSize(100, 80), Qt::white) && target.copyScaled(source, Resampling::Nearest));
        QCOMPARE(target.image().pixel(21, 41), pattern(50, 40).pixel(10, 20));
        // Transparency is flattened onto white.
        QImage clear(20, 10, QImage::Format_ARGB32);
        clear.fill(qRgba(0, 0, 255, 0));
        clear.setPixel(3, 3, qRgba(255, 0, 0, 255));
        source = Picture::fromImage(clear);
        QCOMPARE(source.depth(), 32);
        QVERIFY(source.convertDepth(24) && source.depth() == 24);
        QCOMPARE(source.image().pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(source.image().pixel(3, 3), qRgb(255, 0, 0));
        QVERIFY(!source.convertDepth(12));
        // Loads and saves that fail say why and leave nothing behind.
        TestEnvironment directory;
        const QString path = directory.path(u"a.png"_s);
        QVERIFY(writeFile(path, encode(pattern(8, 8), "png")));
        Picture picture;
        QVERIFY(!picture.load(directory.path(u"missing.png"_s), ImageFormat::Png) && !picture.errorString().isEmpty());
        QVERIFY(picture.load(path, ImageFormat::Png) && picture.errorString().isEmpty());
        QVERIFY(!picture.load(path, ImageFormat::Gif));
        QVERIFY(picture.isNull() && picture.image().isNull() && picture.depth() == 0 && !picture.errorString().isEmpty());

        QVERIFY(picture.load(path, ImageFormat::Png));
        // A folder that does not exist, and a format that is not written: nothing is made.
        const QString nowhere = directory.path(u"no/such/folder/a.jpg"_s);
        QVERIFY(!picture.save(nowhere, ImageFormat::Jpeg, {80}) && !picture.errorString().isEmpty());
        QVERIFY(!picture.save(directory.path(u"x.bmp"_s), ImageFormat::Bmp, {}) && !QFileInfo::exists(directory.path(u"x.bmp"_s)));
        picture.clear();
        QVERIFY(picture.isNull() && !picture.save(directory.path(u"empty.png"_s), ImageFormat::Png, {}));
    }

    // Smooth copies are Lanczos-3, reducing and enlarging, in each direction on its own;
    // a flat colour stays exactly that colour, and transparent pixels lend their
    // neighbours no colour.
    void smoothScalingIsLanczos()
    {
        // Large reductions average blocks first, as vips does, close to the filter alone.
        const QImage detailed = photo(150, 90);
        for (const QSize size : {QSize(37, 28), QSize(150, 41), QSize(211, 90), QSize(17, 11)}) {
            const QImage scaled = ScaledLanczos(detailed, size);
            QCOMPARE(scaled.size(), size);
            const double psnr = ColorQuantizer::Psnr(scaled, referenceLanczos(detailed, size));
            QVERIFY2(psnr > 45, qPrintable(u"%1 x %2: %3 dB"_s.arg(size.width()).arg(size.height()).arg(psnr)));
        }
        QImage flat(300, 200, QImage::Format_RGB32);
        flat.fill(qRgb(201, 7, 99));
        const QImage flatScaled = ScaledLanczos(flat, QSize(29, 51));
        for (const QPoint at : {QPoint(0, 0), QPoint(14, 25), QPoint(28, 50)})
            QCOMPARE(flatScaled.pixel(at), qRgb(201, 7, 99));

        QImage half(64, 64, QImage::Format_ARGB32);
        half.fill(qRgba(0, 0, 255, 0));
        for (int y = 0; y < 64; ++y)
            for (int x = 32; x < 64; ++x)
                half.setPixel(x, y, qRgba(255, 0, 0, 255));
        const QImage edge = ScaledLanczos(half, QSize(16, 16)).convertToFormat(QImage::Format_ARGB32);
        for (int x = 7; x < 10; ++x) {
            const QRgb pixel = edge.pixel(x, 8);
            QVERIFY2(qAlpha(pixel) == 0 || (qRed(pixel) > 240 && qBlue(pixel) < 8), qPrintable(QString::number(pixel, 16)));
        }

        // The thumbnail of a large JPEG, decoded reduced, looks like the full decode scaled.
        TestEnvironment directory;
        const QString path = directory.path(u"big.jpg"_s);
        QVERIFY(writeFile(path, encode(photo(2400, 1600), "jpeg", 90)));
        Picture load, thumbnail;
        QVERIFY(load.load(path, ImageFormat::Jpeg));
        QCOMPARE(load.size(), QSize(2400, 1600));
        QVERIFY(MakeThumbnailImage(load, thumbnail, QSize(93, 97)));
        QCOMPARE(thumbnail.image().size(), QSize(93, 62));
        const QImage reference = QImage(path).scaled(93, 62, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY(ColorQuantizer::Psnr(thumbnail.image(), reference) > 35);
    }

    // JPEG files at the quality and in the scan order asked for; PNG files as full
    // colour or a palette, interlaced when asked; none carries the source's metadata.
    void savedFilesAreWhatWasAskedFor()
    {
        TestEnvironment directory;
        QImage source = photo(200, 150);
        source.setText(u"Description"_s, u"secret camera notes"_s);
        Picture picture = Picture::fromImage(source);
        const QString low = directory.path(u"low.jpg"_s), high = directory.path(u"high.jpg"_s),
                      progressive = directory.path(u"progressive.jpg"_s);
        QVERIFY(picture.save(low, ImageFormat::Jpeg, {20}) && picture.save(high, ImageFormat::Jpeg, {95}));
        QVERIFY(picture.save(progressive, ImageFormat::Jpeg, {95, true}));
        QVERIFY(QFileInfo(low).size() * 2 < QFileInfo(high).size());
        QVERIFY((hasMarker(contentsOf(high), 0xC0) || hasMarker(contentsOf(high), 0xC1)) && !hasMarker(contentsOf(high), 0xC2));
        QVERIFY(hasMarker(contentsOf(progressive), 0xC2) && ColorQuantizer::Psnr(QImage(high), picture.image()) > 35);
        QVERIFY(!contentsOf(high).contains("secret camera notes") && !hasMarker(contentsOf(high), 0xFE));  // no comment

        // The PNG header's bit depth, colour type and interlace method.
        const auto header = [](const QString &png) {
            const QByteArray bytes = contentsOf(png);
            return QList<int>{bytes[24], bytes[25], bytes[28]};
        };
        const QString full = directory.path(u"full.png"_s), interlaced = directory.path(u"interlaced.png"_s);
        QVERIFY(picture.save(full, ImageFormat::Png, {}) && picture.save(interlaced, ImageFormat::Png, {0, true}));
        QCOMPARE(header(full), (QList<int>{8, 2, 0}));
        QCOMPARE(header(interlaced), (QList<int>{8, 2, 1}));
        QCOMPARE(QImage(interlaced).convertToFormat(QImage::Format_RGB32), source.convertToFormat(QImage::Format_RGB32));
        QVERIFY(!contentsOf(full).contains("secret camera notes") && !contentsOf(full).contains("tEXt"));
        QVERIFY(picture.reduceColors(256));
        QCOMPARE(picture.depth(), 8);
        const QString reduced = directory.path(u"reduced.png"_s);
        QVERIFY(picture.save(reduced, ImageFormat::Png, {}));
        QCOMPARE(header(reduced), (QList<int>{8, 3, 0}));
        QVERIFY(ColorQuantizer::Psnr(QImage(reduced), source) >= 35);
    }

    // Upright by the file's own rotation and mirroring, never again by an EXIF
    // orientation it also carries, at its displayed size, and as close to the picture as
    // the JPEG path brings the same one: HEIC turned, mirrored, of 10 bits and of an odd
    // size (in a grid), and AVIF.
    void readsThePictureAsTheCameraMeantIt()
    {
        struct Case { heif_compression_format codec; int orientation, bits; QSize size; };
        for (const auto &[codec, orientation, bits, size] :
             {Case{heif_compression_HEVC, 1, 8, {96, 64}}, {heif_compression_HEVC, 6, 8, {96, 64}},
              {heif_compression_HEVC, 4, 8, {96, 64}}, {heif_compression_HEVC, 8, 10, {96, 64}},
              {heif_compression_HEVC, 1, 8, {97, 63}}, {heif_compression_AV1, 1, 8, {96, 64}},
              {heif_compression_AV1, 8, 8, {96, 64}}}) {
            const QImage stored = marked(size.width(), size.height());
            Options options;
            options.codec = codec;
            options.orientation = heif_orientation(orientation);
            options.bits = bits;
            options.exif = TestImages::exifOrientation(orientation == 1 ? 6 : orientation);
            const QByteArray bytes = HeifImages::encode(stored, options);
            QVERIFY(ImageReaders::Sniff(ImageFormat::Heif, bytes.left(4096), bytes.size()));
            const DecodedImage decoded = ImageReaders::Read(ImageFormat::Heif, bytes);
            QVERIFY2(decoded.ok(), qPrintable(decoded.error));
            const QImage upright = ImageReaders::Upright(stored, orientation);
            QCOMPARE(decoded.size(), upright.size());  // known before any decoding
            const QImage pixels = pixelsOf(decoded);
            QCOMPARE(pixels.size(), upright.size());
            // Where the red block went tells the way up.
            QImage markOnly(size, QImage::Format_RGB32);
            markOnly.fill(Qt::white);
            QPainter(&markOnly).fillRect(0, 0, 16, 16, Qt::red);
            const QImage markUpright = ImageReaders::Upright(markOnly, orientation);
            for (int y = 4; y < markUpright.height(); y += 8)
                for (int x = 4; x < markUpright.width(); x += 8)
                    if (isRed(markUpright.pixel(x, y)))
                        QVERIFY2(isRed(pixels.pixel(x, y)), qPrintable(u"%1,%2"_s.arg(x).arg(y)));

            const DecodedImage jpeg = ImageReaders::Read(
                ImageFormat::Jpeg, TestImages::withOrientation(TestImages::encode(stored, "jpeg", 92), orientation, false));
            const double heifQuality = ColorQuantizer::Psnr(pixels, upright);
            QVERIFY2(heifQuality > ColorQuantizer::Psnr(pixelsOf(jpeg), upright) - 6, qPrintable(QString::number(heifQuality)));
        }
    }

    // Transparency is kept for copies that keep it and flattened onto white in thumbnails.
    void transparencyProfilesAndTheFilesThumbnail()
    {
        QImage source(64, 48, QImage::Format_ARGB32);
        source.fill(qRgba(0, 0, 255, 255));
        QPainter painter(&source);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(0, 0, 32, 48, Qt::transparent);
        painter.end();
        for (const heif_compression_format codec : {heif_compression_HEVC, heif_compression_AV1}) {
            Options options;
            options.codec = codec;
            const DecodedImage decoded = ImageReaders::Read(ImageFormat::Heif, HeifImages::encode(source, options));
            QVERIFY2(decoded.ok(), qPrintable(decoded.error));
            QCOMPARE(decoded.depth, 32);
            QCOMPARE(qAlpha(decoded.image.pixel(8, 24)), 0);
            QCOMPARE(qAlpha(decoded.image.pixel(56, 24)), 255);
            Picture picture = Picture::fromImage(decoded.image);
            QVERIFY(picture.hasTransparency());
            Picture thumbnail;
            QVERIFY(MakeThumbnailImage(picture, thumbnail, QSize(32, 32)));
            QVERIFY(distance(thumbnail.image().pixel(2, 12), qRgb(255, 255, 255)) < 8);
        }
        // An ICC profile, or primaries given as code points, are converted to sRGB as a
        // JPEG's profile is.
        const QRgb colour = qRgb(200, 60, 40);
        struct Case {
            const char *name;
            QColorSpace space;
            int primaries;
        };
        const Case cases[] = {{"ICC ProPhoto", QColorSpace(QColorSpace::ProPhotoRgb), 0},
                              {"Display P3 code points", QColorSpace(QColorSpace::DisplayP3), 12}};
        for (const Case &c : cases) {
            const QRgb expected = c.space.transformationToColorSpace(QColorSpace::SRgb).map(colour);
            QVERIFY(distance(expected, colour) > 12);
            Options options;
            options.quality = 100;
            if (c.primaries)
                options.primaries = c.primaries;
            else
                options.icc = c.space.iccProfile();
            const DecodedImage decoded = ImageReaders::Read(ImageFormat::Heif, HeifImages::encode(flat({32, 32}, colour), options));
            QVERIFY2(decoded.ok(), c.name);
            const QRgb shown = pixelsOf(decoded).pixel(16, 16);
            QVERIFY2(distance(shown, expected) <= 6,
                     qPrintable(u"%1: %2 for %3"_s.arg(c.name).arg(shown, 0, 16).arg(expected, 0, 16)));
        }
        // A phone photo's own thumbnail image serves the small sizes; the whole picture is
        // decoded for larger ones and the full-size view.
        Options options;
        options.orientation = heif_orientation_rotate_90_cw;
        options.thumbnail = flat({192, 128}, qRgb(220, 30, 30));  // stored at 64 x 43: red tells it
        const QByteArray bytes = HeifImages::encode(flat({192, 128}, qRgb(30, 30, 220)), options);
        const DecodedImage decoded = ImageReaders::Read(ImageFormat::Heif, bytes);
        QVERIFY2(decoded.deferred, qPrintable(decoded.error));
        QCOMPARE(decoded.size(), QSize(128, 192));
        const QImage small = decoded.deferred->decodeForTarget(QSize(30, 40));
        QVERIFY2(small.height() < 100 && small.height() >= 40, qPrintable(QString::number(small.height())));
        QVERIFY(small.width() < small.height() && isRed(small.pixel(small.width() / 2, small.height() / 2)));
        for (const QImage &whole : {decoded.deferred->decodeForTarget(QSize(100, 150)), decoded.deferred->decodeFull()}) {
            QCOMPARE(whole.size(), QSize(128, 192));
            QVERIFY(distance(whole.pixel(64, 96), qRgb(30, 30, 220)) < 12);
        }
    }

    // Tone-mapped to an ordinary screen: paper white near white, shadows dark but not
    // black, highlights above white but not clipped together with it. The levels are the
    // 10-bit signals of 20, 203 and 1000 nits in PQ (16) and on a 1000-nit HLG display (18).
    void hdrLooksLikeAPhoto()
    {
        for (const auto &[transfer, levels] : {std::pair{16, std::array{0.3552, 0.5806, 0.7518}}, {18, {0.3587, 0.75, 1.0}}}) {
            QImage source(96, 32, QImage::Format_RGBA64);
            for (int band = 0; band < 3; ++band) {
                const quint16 grey = quint16(std::lround(levels[band] * 65535));
                QPainter(&source).fillRect(32 * band, 0, 32, 32, QColor::fromRgba64(grey, grey, grey));
            }
            Options options;
            options.bits = 10;
            options.primaries = 9;  // BT.2020
            options.transfer = transfer;
            options.matrix = 9;
            options.quality = 100;
            const DecodedImage decoded = ImageReaders::Read(ImageFormat::Heif, HeifImages::encode(source, options));
            QVERIFY2(decoded.ok(), qPrintable(decoded.error));
            const QImage pixels = pixelsOf(decoded);
            const int shadow = qGreen(pixels.pixel(16, 16)), white = qGreen(pixels.pixel(48, 16)),
                      highlight = qGreen(pixels.pixel(80, 16));
            QVERIFY2(shadow > 50 && shadow < 140, qPrintable(QString::number(shadow)));
            QVERIFY2(white > 220 && white < 252, qPrintable(QString::number(white)));
            QVERIFY2(highlight > white, qPrintable(QString::number(highlight)));
            QVERIFY(distance(pixels.pixel(48, 16), qRgb(white, white, white)) <= 3);  // grey stays grey
        }
    }

    // Every file that cannot be read is named with its reason, through every loader,
    // without a crash or a hang; a damaged picture is not taken for one too large.
    void damagedOrTooLargeFilesAreNamedWithTheirReason()
    {
        const QByteArray good = HeifImages::encode(marked());
        QByteArray corrupted = good;
        corrupted.replace(good.indexOf("mdat") + 4, 12, QByteArray(12, '\xFF'));  // an impossible NAL unit size
        QByteArray unknownItem = good;
        unknownItem.replace("hvc1", "zzzz");
        QByteArray otherCodec = good;
        otherCodec.replace("hvc1", "vvc1");
        const QList<QPair<const char *, QByteArray>> damaged = {
            {"cut short", good.left(good.size() * 2 / 3)}, {"only the file type", good.left(good.indexOf("meta") - 4)},
            {"corrupted picture data", corrupted}, {"unknown item", unknownItem}, {"unsupported codec", otherCodec},
            {"no picture at all", good.left(good.indexOf("mdat") + 8)},
        };
        QTemporaryDir directory;
        for (const auto &[name, bytes] : damaged) {
            const QString path = directory.filePath(QString::fromLatin1(name) + u".heic"_s);
            QVERIFY(writeFile(path, bytes));
            const PreparedThumbnail prepared = PreparedThumbnail::Prepare(path, QSize(93, 97));
            QVERIFY2(!prepared.loaded && !prepared.failure.isEmpty(), name);
            QVERIFY2(prepared.refusedSize.isEmpty() && !prepared.failure.startsWith(QLatin1String("too large")),
                     qPrintable(prepared.failure));
            QVERIFY2(prepared.failure.contains(QLatin1String("HEIF")) || prepared.failure == QLatin1String("the file is cut short"),
                     qPrintable(prepared.failure));
            QVERIFY(!prepared.failure.contains(u'\n'));
        }
        // What the decoding budget cannot hold is too large, named with its size, before
        // anything is decoded.
        const qint64 budget = DecodeBudget::Total();
        const auto restore = qScopeGuard([budget] { DecodeBudget::SetTotal(budget); });
        const QByteArray bytes = HeifImages::encode(marked(320, 240));
        DecodeBudget::SetTotal(320 * 240 * 4);
        const DecodedImage refused = ImageReaders::Read(ImageFormat::Heif, bytes);
        QCOMPARE(refused.error, u"too large (320 x 240 pixels)"_s);
        QCOMPARE(refused.refusedSize, QSize(320, 240));
        DecodeBudget::SetTotal(budget);
        QVERIFY(ImageReaders::Read(ImageFormat::Heif, bytes).ok());
    }

    // The title from the XMP packet before the EXIF description, the date from EXIF.
    void titleAndDateFromTheMetadata()
    {
        HeifImages::Options options;
        options.exif = TestImages::exifFacts("Lisbon tram", "2025:10:04 21:30:00");
        options.xmp = TestImages::xmpPacket(u"Alfama at night"_s, {});
        TestEnvironment environment;
        const QString path = environment.path(u"tram.heic"_s);
        writeFile(path, HeifImages::encode(TestImages::photo(64, 48), options));
        const PictureFacts facts = PictureFactsReader::Read(path);
        QCOMPARE(facts.title, u"Alfama at night"_s);
        QCOMPARE(facts.taken, QDateTime(QDate(2025, 10, 4), QTime(21, 30)));
    }
};

QTEST_MAIN(ImageBufferTest)
#include "tst_imagebuffer.moc"
