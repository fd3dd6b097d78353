#include "TestImages.h"

#include "imagebuffer/ImageBuffer.h"
#include "imagebuffer/ImageReaders.h"
#include "imagebuffer/PictureLoader.h"
#include "thumbs/ImageLoading.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace TestImages;

namespace {

QImage pixelsOf(const DecodedImage &decoded)
{
    return decoded.deferred ? decoded.deferred->decodeFull() : decoded.image;
}

// Whether two pictures have the same colours (and alpha, when `alpha`) everywhere,
// each channel within `tolerance`.
bool sameColours(const QImage &actual, const QImage &expected, int tolerance = 0, bool alpha = false)
{
    if (actual.size() != expected.size()) {
        qWarning() << "size" << actual.size() << "expected" << expected.size();
        return false;
    }
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = e.pixel(x, y);
            const bool close = std::abs(qRed(p) - qRed(q)) <= tolerance && std::abs(qGreen(p) - qGreen(q)) <= tolerance
                               && std::abs(qBlue(p) - qBlue(q)) <= tolerance
                               && (!alpha || std::abs(qAlpha(p) - qAlpha(q)) <= tolerance);
            if (!close) {
                qWarning("pixel %d,%d is %08x, expected %08x", x, y, p, q);
                return false;
            }
        }
    return true;
}

// The picture with every channel cut to 5 bits and widened again, as 16-bit pixels hold it.
QImage fiveBits(const QImage &image)
{
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb c = out.pixel(x, y);
            auto widen = [](int v) { return ((v >> 3) << 3) | (v >> 5); };
            out.setPixel(x, y, qRgb(widen(qRed(c)), widen(qGreen(c)), widen(qBlue(c))));
        }
    return out;
}

// A picture that uses only the given colours, index i at pixel value palette[i].
QImage paletted(int width, int height, const QList<QRgb> &palette)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, palette[(x * 3 + y * 5 + (x * y) % 7) % palette.size()]);
    return image;
}

// The same picture holding indices into the palette in its red channel.
QImage indices(const QImage &image, const QList<QRgb> &palette)
{
    QImage out(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.setPixel(x, y, qRgb(int(palette.indexOf(image.pixel(x, y))), 0, 0));
    return out;
}

QList<QRgb> colours(int count)
{
    QList<QRgb> list;
    for (int i = 0; i < count; ++i)
        list << qRgb((i * 67 + 13) & 0xFF, (i * 151 + 101) & 0xFF, (i * 29 + 200) & 0xFF);
    return list;
}

} // namespace

class ImageReadersTest : public QObject {
    Q_OBJECT
private slots:
    void aCodeReadsOnlyItsFormat();
    void targa_data();
    void targa();
    void targaAlphaThatSaysNothingIsIgnored();
    void pcx_data();
    void pcx();
    void bmp();
    void gifFirstFrameAndTransparency();
    void iconTakesTheLargestAndDeepestEntry();
    void tiff();
    void jpegVariantsAndOrientation();
    void jpegReducedDecodeKeepsTheLook();
    void largePhotoDecodesInFull();
    void png();
    void pcxEndingEarlyKeepsWhatIsThere();
    void damagedFilesFailCleanly();
    void hugeHeadersAreRefused();
    void mutatedFilesNeverCrash();
    void samplesReadRight();
};

void ImageReadersTest::aCodeReadsOnlyItsFormat()
{
    QTemporaryDir directory;
    const QString jpegPath = directory.filePath(QStringLiteral("photo.jpg"));
    const QString textPath = directory.filePath(QStringLiteral("notes.txt"));
    QFile jpegFile(jpegPath), textFile(textPath);
    QVERIFY(jpegFile.open(QIODevice::WriteOnly) && textFile.open(QIODevice::WriteOnly));
    jpegFile.write(encode(photo(64, 48), "jpeg", 90));
    textFile.write("Hello, this is not a picture at all.\r\n");
    jpegFile.close();
    textFile.close();

    ImageBuffer buffer;
    buffer.setFileName(jpegPath);
    for (int code : ImageFormat::LoadOrder) {
        buffer.setFileType(code);
        QCOMPARE(buffer.Load(), code == ImageFormat::Jpeg);
        QCOMPARE(buffer.ImageWidth(), code == ImageFormat::Jpeg ? 64 : -1);
    }
    QCOMPARE(LoadImageFile(buffer, jpegPath), int(ImageFormat::Jpeg));
    QCOMPARE(LoadImageFile(buffer, textPath), 0);
    QVERIFY(!buffer.hasImage());
    QVERIFY(!buffer.LastError().isEmpty());
    QVERIFY(PictureLoader::Load(textPath).isNull());
    QCOMPARE(LoadImageFile(buffer, directory.filePath(QStringLiteral("missing.png"))), 0);
}

void ImageReadersTest::targa_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("topDown");
    QTest::addColumn<bool>("rightToLeft");
    for (int type : {2, 10}) {
        for (int bits : {16, 24, 32})
            QTest::addRow("true colour type %d, %d bits", type, bits) << type << bits << false << false;
    }
    for (int type : {1, 9, 3, 11})
        QTest::addRow("type %d", type) << type << 8 << false << false;
    QTest::newRow("top left") << 10 << 24 << true << false;
    QTest::newRow("top right") << 2 << 24 << true << true;
    QTest::newRow("bottom right") << 9 << 8 << false << true;
}

void ImageReadersTest::targa()
{
    QFETCH(int, type);
    QFETCH(int, bits);
    QFETCH(bool, topDown);
    QFETCH(bool, rightToLeft);
    QImage source = (type & 7) == 1 ? paletted(13, 7, colours(40)) : pattern(13, 7);
    // Runs give the run-length packets something to do.
    for (int x = 0; x < 8; ++x)
        source.setPixel(x, 3, (type & 7) == 1 ? colours(40)[0] : qRgb(10, 20, 30));
    if ((type & 7) == 3)
        source = source.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);
    const DecodedImage decoded = ImageReaders::Read(ImageFormat::Targa, TestImages::targa(source, type, bits, topDown, rightToLeft));
    QVERIFY2(decoded.ok(), qPrintable(decoded.error));
    QCOMPARE(decoded.depth, bits);
    QVERIFY(sameColours(decoded.image, bits == 16 ? fiveBits(source) : source));
}

void ImageReadersTest::targaAlphaThatSaysNothingIsIgnored()
{
    const QImage withAlpha = pattern(9, 5, true);
    const DecodedImage alpha = ImageReaders::Read(ImageFormat::Targa, TestImages::targa(withAlpha, 10, 32, true, false, 8));
    QVERIFY(alpha.ok());
    QVERIFY(alpha.image.hasAlphaChannel());
    QVERIFY(sameColours(alpha.image, withAlpha, 0, true));

    // Alpha bits declared but every alpha value 0: the picture is opaque.
    QImage clear = pattern(9, 5, true);
    clear.fill(qRgba(200, 100, 50, 0));
    const DecodedImage opaque = ImageReaders::Read(ImageFormat::Targa, TestImages::targa(clear, 2, 32, true, false, 8));
    QVERIFY(opaque.ok());
    QVERIFY(!opaque.image.hasAlphaChannel());
    QCOMPARE(opaque.image.pixel(4, 2), qRgb(200, 100, 50));
}

void ImageReadersTest::pcx_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("planes");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("raw");
    QTest::newRow("1 bit") << 1 << 1 << 19 << false;
    QTest::newRow("2 bits") << 2 << 1 << 11 << false;
    QTest::newRow("4 bits") << 4 << 1 << 9 << false;
    QTest::newRow("1 bit, 4 planes") << 1 << 4 << 21 << false;
    QTest::newRow("8 bits, palette") << 8 << 1 << 49 << false;
    QTest::newRow("8 bits, raw") << 8 << 1 << 7 << true;
    QTest::newRow("24 bits") << 8 << 3 << 15 << false;
}

void ImageReadersTest::pcx()
{
    QFETCH(int, bits);
    QFETCH(int, planes);
    QFETCH(int, width);
    QFETCH(bool, raw);
    if (bits == 8 && planes == 3) {
        const QImage source = pattern(width, 6);
        const DecodedImage decoded = ImageReaders::Read(ImageFormat::Pcx, TestImages::pcx(source, 8, 3, {}, raw));
        QVERIFY2(decoded.ok(), qPrintable(decoded.error));
        QCOMPARE(decoded.depth, 24);
        QVERIFY(sameColours(decoded.image, source));
        return;
    }
    const int count = 1 << (bits * planes);
    const QList<QRgb> palette = count == 2 ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)} : colours(count);
    const QImage source = paletted(width, 6, palette);
    const DecodedImage decoded =
        ImageReaders::Read(ImageFormat::Pcx, TestImages::pcx(indices(source, palette), bits, planes, palette, raw));
    QVERIFY2(decoded.ok(), qPrintable(decoded.error));
    QCOMPARE(decoded.depth, bits * planes);
    QVERIFY(sameColours(decoded.image, source));
}

void ImageReadersTest::bmp()
{
    const QImage source = pattern(10, 7);
    const DecodedImage sixteen = ImageReaders::Read(ImageFormat::Bmp, TestImages::bmp(source, 16, false, false));
    QVERIFY(sixteen.ok());
    QCOMPARE(sixteen.depth, 16);
    // Qt widens 5-bit channels by shifting alone, so white comes out as 248.
    QVERIFY(sameColours(sixteen.image, fiveBits(source), 7));

    const QImage few = paletted(23, 9, colours(20));
    for (bool topDown : {false, true}) {
        const DecodedImage rle = ImageReaders::Read(ImageFormat::Bmp, TestImages::bmp(few, 8, true, topDown));
        QVERIFY2(rle.ok() || topDown, qPrintable(rle.error));  // RLE bitmaps are bottom-up by definition
        if (!topDown) {
            QCOMPARE(rle.depth, 8);
            QVERIFY(sameColours(rle.image, few));
        }
        const DecodedImage plain = ImageReaders::Read(ImageFormat::Bmp, TestImages::bmp(few, 8, false, topDown));
        QVERIFY(plain.ok());
        QVERIFY(sameColours(plain.image, few));
    }
    // Qt writes the 1-, 8-, 24- and 32-bit kinds.
    const QImage mono = source.convertToFormat(QImage::Format_Mono);
    const DecodedImage one = ImageReaders::Read(ImageFormat::Bmp, encode(mono, "bmp"));
    QCOMPARE(one.depth, 1);
    QVERIFY(sameColours(one.image, mono));
    const DecodedImage twentyFour = ImageReaders::Read(ImageFormat::Bmp, encode(source, "bmp"));
    QCOMPARE(twentyFour.depth, 24);
    QVERIFY(sameColours(twentyFour.image, source));
}

void ImageReadersTest::gifFirstFrameAndTransparency()
{
    const QList<QRgb> palette = colours(256);
    QImage first(12, 8, QImage::Format_RGB32), second(12, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            first.setPixel(x, y, qRgb(x + y * 12, 0, 0));
            second.setPixel(x, y, qRgb(200, 0, 0));
        }
    const DecodedImage decoded = ImageReaders::Read(ImageFormat::Gif, TestImages::gif({first, second}, palette, 5));
    QVERIFY2(decoded.ok(), qPrintable(decoded.error));
    QCOMPARE(decoded.depth, 8);
    QCOMPARE(decoded.image.size(), QSize(12, 8));
    QCOMPARE(decoded.image.pixel(7, 3), palette[7 + 36]);
    QCOMPARE(qAlpha(decoded.image.pixel(5, 0)), 0);  // the transparent index
    QCOMPARE(qAlpha(decoded.image.pixel(6, 0)), 255);
}

void ImageReadersTest::iconTakesTheLargestAndDeepestEntry()
{
    // Mostly opaque: Qt hands icons back premultiplied, which blurs faint colours.
    auto translucent = [](int side) {
        QImage image = pattern(side, side, true);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                image.setPixel(x, y, (image.pixel(x, y) & 0x00FFFFFF) | (quint32(200 + (x + y) % 56) << 24));
        return image;
    };
    const QImage small = translucent(16), large = translucent(32), huge = translucent(64);
    const QImage flat = paletted(32, 32, colours(100));
    const DecodedImage bitmaps = ImageReaders::Read(
        ImageFormat::Icon, TestImages::icon({small, flat, large}, {false, false, false}, {32, 8, 32}));
    QVERIFY2(bitmaps.ok(), qPrintable(bitmaps.error));
    QCOMPARE(bitmaps.depth, 32);
    QVERIFY(sameColours(bitmaps.image, large, 2, true));

    const DecodedImage withPng = ImageReaders::Read(
        ImageFormat::Icon, TestImages::icon({small, huge, large}, {false, true, false}, {32, 32, 32}));
    QVERIFY2(withPng.ok(), qPrintable(withPng.error));
    QVERIFY(sameColours(withPng.image, huge, 2, true));
}

void ImageReadersTest::tiff()
{
    const QImage source = pattern(17, 9);
    for (int compression : {0, 1}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "tiff");
        writer.setCompression(compression);
        QVERIFY(writer.write(source));
        const DecodedImage decoded = ImageReaders::Read(ImageFormat::Tiff, bytes);
        QVERIFY2(decoded.ok(), qPrintable(decoded.error));
        QVERIFY(sameColours(decoded.image, source));
    }
}

void ImageReadersTest::jpegVariantsAndOrientation()
{
    const QImage source = photo(60, 40);
    for (bool progressive : {false, true}) {
        const DecodedImage decoded = ImageReaders::Read(ImageFormat::Jpeg, encode(source, "jpeg", 95, progressive));
        QVERIFY(decoded.ok());
        QCOMPARE(decoded.depth, 24);
        QVERIFY(sameColours(pixelsOf(decoded), source, 40));
    }
    const DecodedImage grey =
        ImageReaders::Read(ImageFormat::Jpeg, encode(source.convertToFormat(QImage::Format_Grayscale8), "jpeg", 95));
    QCOMPARE(grey.depth, 8);

    // The corners tell which way up the picture stands.
    QImage marked(60, 40, QImage::Format_RGB32);
    marked.fill(Qt::white);
    QPainter(&marked).fillRect(0, 0, 12, 12, Qt::red);
    const QByteArray plain = encode(marked, "jpeg", 95);
    for (bool asLong : {false, true}) {
        const DecodedImage turned = ImageReaders::Read(ImageFormat::Jpeg, withOrientation(plain, 6, asLong));
        QVERIFY(turned.ok());
        QCOMPARE(turned.size(), QSize(40, 60));  // known before any decoding
        const QImage upright = pixelsOf(turned);
        QCOMPARE(upright.size(), QSize(40, 60));
        QVERIFY(qRed(upright.pixel(35, 4)) > 200 && qGreen(upright.pixel(35, 4)) < 60);  // red now top right
    }
    const QImage flipped = pixelsOf(ImageReaders::Read(ImageFormat::Jpeg, withOrientation(plain, 3, false)));
    QVERIFY(qRed(flipped.pixel(55, 35)) > 200 && qGreen(flipped.pixel(55, 35)) < 60);
    const QImage transposed = pixelsOf(ImageReaders::Read(ImageFormat::Jpeg, withOrientation(plain, 5, false)));
    QCOMPARE(transposed.size(), QSize(40, 60));
    QVERIFY(qRed(transposed.pixel(4, 4)) > 200 && qGreen(transposed.pixel(4, 4)) < 60);
}

void ImageReadersTest::jpegReducedDecodeKeepsTheLook()
{
    const QImage source = photo(1600, 1200);
    const DecodedImage decoded = ImageReaders::Read(ImageFormat::Jpeg, encode(source, "jpeg", 90));
    QVERIFY(decoded.deferred);
    const QImage reduced = decoded.deferred->decodeForTarget(QSize(93, 70));
    QCOMPARE(reduced.size(), QSize(200, 150));  // an eighth, still over twice the target
    const QImage full = decoded.deferred->decodeFull();
    const QImage viaFull = full.scaled(93, 70, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage viaReduced = reduced.scaled(93, 70, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QVERIFY(sameColours(viaReduced, viaFull, 12));
    QCOMPARE(decoded.deferred->decodeForTarget(QSize(1000, 700)).size(), QSize(1600, 1200));
}

// 36 megapixels take 144 MB as true colour, more than Qt allows by default.
void ImageReadersTest::largePhotoDecodesInFull()
{
    QByteArray bytes;
    {
        QImage flat(6000, 6000, QImage::Format_RGB32);
        flat.fill(qRgb(90, 140, 200));
        bytes = encode(flat, "jpeg", 50);
    }
    QImageReader::setAllocationLimit(128);  // Qt's default, whatever ran before
    const DecodedImage decoded = ImageReaders::Read(ImageFormat::Jpeg, bytes);
    QVERIFY(decoded.ok());
    const QImage full = decoded.deferred->decodeFull();
    QCOMPARE(full.size(), QSize(6000, 6000));
    QVERIFY(std::abs(qBlue(full.pixel(3000, 3000)) - 200) <= 4);
}

void ImageReadersTest::png()
{
    const QImage source = pattern(21, 13, true);
    const DecodedImage alpha = ImageReaders::Read(ImageFormat::Png, encode(source, "png"));
    QCOMPARE(alpha.depth, 32);
    QVERIFY(sameColours(alpha.image, source, 0, true));

    QImage deep = source.convertToFormat(QImage::Format_RGBA64);
    const DecodedImage sixteen = ImageReaders::Read(ImageFormat::Png, encode(deep, "png"));
    QCOMPARE(sixteen.depth, 64);
    QCOMPARE(sixteen.image.format(), QImage::Format_ARGB32);
    QVERIFY(sameColours(sixteen.image, source, 1, true));

    const QImage greyImage = source.convertToFormat(QImage::Format_Grayscale8);
    const DecodedImage grey = ImageReaders::Read(ImageFormat::Png, encode(greyImage, "png"));
    QCOMPARE(grey.depth, 8);
    QVERIFY(sameColours(grey.image, greyImage));

    const QImage indexed = paletted(21, 13, colours(30)).convertToFormat(QImage::Format_Indexed8);
    const DecodedImage palette = ImageReaders::Read(ImageFormat::Png, encode(indexed, "png"));
    QCOMPARE(palette.depth, 8);
    QVERIFY(sameColours(palette.image, indexed));
}

void ImageReadersTest::pcxEndingEarlyKeepsWhatIsThere()
{
    const QImage source = pattern(20, 10);
    const QByteArray whole = TestImages::pcx(source, 8, 3, {}, true);
    const DecodedImage decoded = ImageReaders::Read(ImageFormat::Pcx, whole.left(whole.size() - 60));
    QVERIFY2(decoded.ok(), qPrintable(decoded.error));
    QVERIFY(sameColours(decoded.image.copy(0, 0, 20, 8), source.copy(0, 0, 20, 8)));
    QCOMPARE(decoded.image.pixel(19, 9), qRgb(0, 0, 0));
}

void ImageReadersTest::damagedFilesFailCleanly()
{
    const QImage source = pattern(40, 30);
    const QByteArray tga = TestImages::targa(source, 10, 24, false, false);
    const QByteArray rawTga = TestImages::targa(source, 2, 24, false, false);
    const QByteArray jpeg = encode(photo(80, 60), "jpeg", 90);
    const QByteArray png = encode(source, "png");
    const QByteArray gif = TestImages::gif({paletted(30, 20, {qRgb(1, 0, 0), qRgb(2, 0, 0)})}, colours(256), -1);
    const struct {
        int code;
        QByteArray bytes;
    } damaged[] = {
        {ImageFormat::Targa, tga.left(tga.size() - 20)},
        {ImageFormat::Targa, rawTga.left(rawTga.size() - 1)},
        {ImageFormat::Targa, tga.left(17)},
        {ImageFormat::Pcx, TestImages::pcx(source, 8, 3, {}).left(100)},
        {ImageFormat::Pcx, TestImages::pcx(source, 8, 3, {}, true).left(128 + 40 * 30 * 3 / 3)},
        {ImageFormat::Jpeg, jpeg.left(jpeg.size() / 2)},
        {ImageFormat::Jpeg, jpeg.left(300)},
        {ImageFormat::Png, png.left(png.size() / 2)},
        {ImageFormat::Png, png.left(png.size() - 13)},
        {ImageFormat::Bmp, encode(source, "bmp").left(40)},
        {ImageFormat::Icon, TestImages::icon({pattern(16, 16, true)}, {false}, {32}).left(30)},
        {ImageFormat::Tiff, QByteArray("II*\0\x08\0\0\0\xFF\xFF", 10)},
        {ImageFormat::Gif, gif.left(800)},
    };
    for (const auto &file : damaged) {
        const DecodedImage decoded = ImageReaders::Read(file.code, file.bytes);
        QVERIFY2(!decoded.ok(), qPrintable(QStringLiteral("code %1, %2 bytes").arg(file.code).arg(file.bytes.size())));
        QVERIFY(decoded.image.isNull() && !decoded.deferred);
    }
}

void ImageReadersTest::hugeHeadersAreRefused()
{
    QByteArray tga = TestImages::targa(pattern(4, 4), 10, 24, false, false);
    qToLittleEndian<quint16>(65535, tga.data() + 12);
    qToLittleEndian<quint16>(65535, tga.data() + 14);
    QVERIFY(!ImageReaders::Read(ImageFormat::Targa, tga).ok());

    QByteArray pcx = TestImages::pcx(pattern(4, 4), 8, 3, {});
    qToLittleEndian<quint16>(65534, pcx.data() + 8);
    qToLittleEndian<quint16>(65534, pcx.data() + 10);
    QVERIFY(!ImageReaders::Read(ImageFormat::Pcx, pcx).ok());

    QByteArray bmp = encode(pattern(4, 4), "bmp");
    qToLittleEndian<qint32>(200000, bmp.data() + 18);
    qToLittleEndian<qint32>(200000, bmp.data() + 22);
    QVERIFY(!ImageReaders::Read(ImageFormat::Bmp, bmp).ok());

    // A genuine 200-megapixel picture is within bounds.
    QVERIFY(ImageFormat::SizeAcceptable(17320, 11547));
    QVERIFY(!ImageFormat::SizeAcceptable(70000, 10));
}

void ImageReadersTest::mutatedFilesNeverCrash()
{
    const QImage source = pattern(24, 16, true);
    const QList<QPair<int, QByteArray>> seeds = {
        {ImageFormat::Targa, TestImages::targa(source, 10, 32, true, false, 8)},
        {ImageFormat::Targa, TestImages::targa(paletted(24, 16, colours(50)), 9, 8, false, true)},
        {ImageFormat::Pcx, TestImages::pcx(source, 8, 3, {})},
        {ImageFormat::Pcx, TestImages::pcx(indices(paletted(24, 16, colours(16)), colours(16)), 1, 4, colours(16))},
        {ImageFormat::Jpeg, encode(photo(48, 32), "jpeg", 80)},
        {ImageFormat::Icon, TestImages::icon({source}, {false}, {32})},
    };
    QRandomGenerator random(2024);
    int read = 0, refused = 0;
    for (const auto &[code, original] : seeds) {
        for (int round = 0; round < 150; ++round) {
            QByteArray bytes = original;
            const int changes = 1 + int(random.bounded(8));
            for (int c = 0; c < changes; ++c)
                bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
            if (round % 5 == 0)
                bytes.truncate(random.bounded(int(bytes.size())));
            const DecodedImage decoded = ImageReaders::Read(code, bytes);
            if (decoded.ok()) {
                QVERIFY(ImageFormat::SizeAcceptable(decoded.size().width(), decoded.size().height()));
                ++read;
            } else {
                QVERIFY(!decoded.error.isEmpty());
                ++refused;
            }
        }
    }
    QVERIFY(read > 0 && refused > 0);
}

// The real files of shared/samples, when that folder is there.
void ImageReadersTest::samplesReadRight()
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
        ImageBuffer buffer;
        const int code = LoadImageFile(buffer, path);
        if (code == 0)
            buffer.ImportPicture(PictureLoader::Load(path));
        QVERIFY2(code == codeOfFolder[folder], qPrintable(path));
        QVERIFY2(buffer.hasImage() && !buffer.image().isNull(), qPrintable(path));
        ++checked;
    }
    QVERIFY(checked > 50);
    ImageBuffer rotated;
    QCOMPARE(LoadImageFile(rotated, root + QStringLiteral("/jpeg/orient6-photo-testrotate.jpg")), 7);
    QCOMPARE(QSize(rotated.ImageWidth(), rotated.ImageHeight()), QSize(428, 640));
}

QTEST_MAIN(ImageReadersTest)
#include "tst_imagereaders.moc"
