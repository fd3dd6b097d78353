#include "HeifImages.h"
#include "TestEnvironment.h"
#include "TestImages.h"

#include "imagebuffer/ColorQuantizer.h"
#include "imagebuffer/DecodeBudget.h"
#include "imagebuffer/ImageReaders.h"
#include "imagebuffer/PictureFacts.h"
#include "imagebuffer/Picture.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ThumbnailImage.h"
#include "thumbs/ThumbnailPipeline.h"

#include <QColorSpace>
#include <QPainter>
#include <QTest>
#include <array>


using HeifImages::Options;
using TestImages::pixelsOf;

namespace {

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

int distance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

} // namespace

class HeifTest : public QObject {
    Q_OBJECT
private slots:
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

QTEST_MAIN(HeifTest)
#include "tst_heif.moc"
