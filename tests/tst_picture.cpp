#include "TestEnvironment.h"
#include "TestImages.h"

#include "imagebuffer/ColorQuantizer.h"
#include "imagebuffer/Lanczos.h"
#include "imagebuffer/Picture.h"
#include "thumbs/ThumbnailImage.h"

#include <QTest>


using namespace TestImages;

namespace {

bool saveAs(const Picture &picture, const QString &path, ImageFormat::Code code, int quality = 0, bool progressive = false)
{
    return picture.save(path, code, {quality, progressive});
}

bool hasMarker(const QByteArray &jpeg, quint8 marker)
{
    return jpeg.contains(QByteArray("\xFF", 1) + char(marker));
}

} // namespace

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

class PictureTest : public QObject {
    Q_OBJECT
private slots:
    void createAndCopyScaled()
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
        QVERIFY(saveAs(picture, low, ImageFormat::Jpeg, 20) && saveAs(picture, high, ImageFormat::Jpeg, 95));
        QVERIFY(saveAs(picture, progressive, ImageFormat::Jpeg, 95, true));
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
        QVERIFY(saveAs(picture, full, ImageFormat::Png) && saveAs(picture, interlaced, ImageFormat::Png, 0, true));
        QCOMPARE(header(full), (QList<int>{8, 2, 0}));
        QCOMPARE(header(interlaced), (QList<int>{8, 2, 1}));
        QCOMPARE(QImage(interlaced).convertToFormat(QImage::Format_RGB32), source.convertToFormat(QImage::Format_RGB32));
        QVERIFY(!contentsOf(full).contains("secret camera notes") && !contentsOf(full).contains("tEXt"));
        QVERIFY(picture.reduceColors(256));
        QCOMPARE(picture.depth(), 8);
        const QString reduced = directory.path(u"reduced.png"_s);
        QVERIFY(saveAs(picture, reduced, ImageFormat::Png));
        QCOMPARE(header(reduced), (QList<int>{8, 3, 0}));
        QVERIFY(ColorQuantizer::Psnr(QImage(reduced), source) >= 35);
    }

    void failuresSayWhyAndLeaveNothing()
    {
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
        QVERIFY(!saveAs(picture, nowhere, ImageFormat::Jpeg, 80) && !picture.errorString().isEmpty());
        QVERIFY(!saveAs(picture, directory.path(u"x.bmp"_s), ImageFormat::Bmp) && !QFileInfo::exists(directory.path(u"x.bmp"_s)));
        picture.clear();
        QVERIFY(picture.isNull() && !saveAs(picture, directory.path(u"empty.png"_s), ImageFormat::Png));
    }
};

QTEST_GUILESS_MAIN(PictureTest)
#include "tst_picture.moc"
