#include "TestImages.h"

#include "imagebuffer/ColorQuantizer.h"
#include "imagebuffer/ImageBuffer.h"
#include "thumbs/ThumbnailImage.h"

#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using namespace TestImages;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString writeFile(const QTemporaryDir &directory, const QString &name, const QByteArray &bytes)
{
    const QString path = directory.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

bool loadAs(ImageBuffer &buffer, const QString &path, int code)
{
    buffer.setFileName(path);
    buffer.setFileType(code);
    return buffer.Load();
}

bool saveAs(ImageBuffer &buffer, const QString &path, int code, int quality = 0, int progressive = 0)
{
    buffer.setFileName(path);
    buffer.setFileType(code);
    buffer.setQuality(quality);
    buffer.setProgressive(progressive);
    return buffer.Save();
}

// The PNG header's colour type, bit depth and interlace method.
struct PngHeader {
    int bitDepth, colourType, interlace;
};

PngHeader pngHeader(const QByteArray &png)
{
    return {quint8(png[24]), quint8(png[25]), quint8(png[28])};
}

bool hasMarker(const QByteArray &jpeg, quint8 marker)
{
    return jpeg.contains(QByteArray("\xFF", 1) + char(marker));
}

} // namespace

class ImageBufferTest : public QObject {
    Q_OBJECT
private slots:
    void createAndCopyScaled();
    void downScalingDoesNotAlias();
    void thumbnailOfALargeJpegLooksLikeTheFullDecode();
    void transparencyIsFlattenedOntoWhite();
    void fitFollowsTheBox();
    void jpegQualityAndProgressive();
    void pngHeadersSayWhatTheyAre();
    void savedFilesCarryNoSourceMetadata();
    void quantizerReachesPhotoQuality();
    void clearAndFailedLoadLeaveNothing();
    void widgetSizesAndScrolls();
};

void ImageBufferTest::createAndCopyScaled()
{
    ImageBuffer source, target;
    QVERIFY(target.CreateImage(24, 31, 17, QColor(10, 200, 30)));
    QCOMPARE(target.image().pixel(30, 16), qRgb(10, 200, 30));
    QVERIFY(!target.CreateImage(24, 0, 10, Qt::white));
    QVERIFY(!target.CreateImage(24, 70000, 70000, Qt::white));
    QVERIFY(!target.CopyScaled(false, source, false, 0));  // nothing to copy
    source.ImportPicture(pattern(50, 40));
    for (const QSize size : {QSize(93, 74), QSize(5, 97), QSize(1, 1), QSize(400, 3)}) {
        QVERIFY(target.CreateImage(24, size.width(), size.height(), Qt::white));
        target.setResampleMode(3);
        QVERIFY(target.CopyScaled(false, source, false, 0));
        QCOMPARE(target.image().size(), size);
    }
}

void ImageBufferTest::downScalingDoesNotAlias()
{
    // One-pixel stripes: any sampling without averaging shows them as black or white.
    QImage stripes(6000, 400, QImage::Format_RGB32);
    for (int x = 0; x < stripes.width(); ++x)
        for (int y = 0; y < stripes.height(); ++y)
            stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    ImageBuffer source, target;
    source.ImportPicture(stripes);
    QVERIFY(target.CreateImage(24, 93, 6, Qt::white));
    target.setResampleMode(3);
    QVERIFY(target.CopyScaled(false, source, false, 0));
    for (int x = 0; x < 93; ++x)
        QVERIFY2(std::abs(qGray(target.image().pixel(x, 3)) - 128) <= 8, qPrintable(QString::number(x)));
}

void ImageBufferTest::thumbnailOfALargeJpegLooksLikeTheFullDecode()
{
    QTemporaryDir directory;
    const QImage original = photo(2400, 1600);
    const QString path = writeFile(directory, QStringLiteral("big.jpg"), encode(original, "jpeg", 90));
    ImageBuffer load, thumbnail;
    QVERIFY(loadAs(load, path, ImageFormat::Jpeg));
    QCOMPARE(load.ImageWidth(), 2400);
    QCOMPARE(load.ImageHeight(), 1600);
    QVERIFY(MakeThumbnailImage(load, thumbnail, QSize(93, 97)));
    QCOMPARE(thumbnail.image().size(), QSize(93, 62));
    const QImage reference = QImage(path).scaled(93, 62, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QVERIFY(ColorQuantizer::Psnr(thumbnail.image(), reference) > 35);
}

void ImageBufferTest::transparencyIsFlattenedOntoWhite()
{
    QImage clear(20, 10, QImage::Format_ARGB32);
    clear.fill(qRgba(0, 0, 255, 0));
    clear.setPixel(3, 3, qRgba(255, 0, 0, 255));
    ImageBuffer source;
    source.ImportPicture(clear);
    QVERIFY(source.ConvertDepth(24));
    QCOMPARE(source.ColorDepth(), 24);
    QCOMPARE(source.image().pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(source.image().pixel(3, 3), qRgb(255, 0, 0));
    QVERIFY(!source.ConvertDepth(12));
}

void ImageBufferTest::fitFollowsTheBox()
{
    const QSize box(93, 97);
    QCOMPARE(FitThumbnail(box, QSize(640, 480)), QSize(93, 70));
    QCOMPARE(FitThumbnail(box, QSize(480, 640)), QSize(73, 97));
    QCOMPARE(FitThumbnail(box, QSize(50, 40)), QSize(93, 74));
    QCOMPARE(FitThumbnail(box, QSize(93, 97)), QSize(93, 97));
    QCOMPARE(FitThumbnail(box, QSize(10, 200)), QSize(5, 97));
    QCOMPARE(FitThumbnail(QSize(145, 100), QSize(200, 100)), QSize(145, 72));  // 72.5 goes to even
    QVERIFY(!FitThumbnail(box, QSize(0, 40)).isValid());
}

void ImageBufferTest::jpegQualityAndProgressive()
{
    QTemporaryDir directory;
    ImageBuffer buffer;
    buffer.ImportPicture(photo(200, 150));
    const QString low = directory.filePath(QStringLiteral("low.jpg"));
    const QString high = directory.filePath(QStringLiteral("high.jpg"));
    const QString progressive = directory.filePath(QStringLiteral("progressive.jpg"));
    QVERIFY(saveAs(buffer, low, ImageFormat::Jpeg, 20));
    QVERIFY(saveAs(buffer, high, ImageFormat::Jpeg, 95));
    QVERIFY(saveAs(buffer, progressive, ImageFormat::Jpeg, 95, 1));
    QVERIFY(QFileInfo(low).size() * 2 < QFileInfo(high).size());
    QVERIFY(hasMarker(readAll(high), 0xC0) || hasMarker(readAll(high), 0xC1));
    QVERIFY(!hasMarker(readAll(high), 0xC2));
    QVERIFY(hasMarker(readAll(progressive), 0xC2));
    QVERIFY(ColorQuantizer::Psnr(QImage(high), buffer.image()) > 35);
    QVERIFY(!saveAs(buffer, directory.filePath(QStringLiteral("x.bmp")), ImageFormat::Bmp));
}

void ImageBufferTest::pngHeadersSayWhatTheyAre()
{
    QTemporaryDir directory;
    ImageBuffer buffer;
    const QImage source = photo(93, 70);
    buffer.ImportPicture(source);
    const QString full = directory.filePath(QStringLiteral("full.png"));
    const QString interlaced = directory.filePath(QStringLiteral("interlaced.png"));
    QVERIFY(saveAs(buffer, full, ImageFormat::Png));
    QVERIFY(saveAs(buffer, interlaced, ImageFormat::Png, 0, 1));
    QCOMPARE(pngHeader(readAll(full)).colourType, 2);
    QCOMPARE(pngHeader(readAll(full)).interlace, 0);
    QCOMPARE(pngHeader(readAll(interlaced)).interlace, 1);
    QCOMPARE(QImage(interlaced).convertToFormat(QImage::Format_RGB32), source);

    QVERIFY(buffer.ReduceColors(256, false, false, false));
    QCOMPARE(buffer.ColorDepth(), 8);
    const QString reduced = directory.filePath(QStringLiteral("reduced.png"));
    QVERIFY(saveAs(buffer, reduced, ImageFormat::Png));
    const PngHeader header = pngHeader(readAll(reduced));
    QCOMPARE(header.colourType, 3);
    QCOMPARE(header.bitDepth, 8);
    QVERIFY(ColorQuantizer::Psnr(QImage(reduced), source) >= 35);
}

void ImageBufferTest::savedFilesCarryNoSourceMetadata()
{
    QTemporaryDir directory;
    QImage tagged = photo(40, 30);
    tagged.setText(QStringLiteral("Description"), QStringLiteral("secret camera notes"));
    const QString source = writeFile(directory, QStringLiteral("tagged.png"), encode(tagged, "png"));
    ImageBuffer buffer;
    QVERIFY(loadAs(buffer, source, ImageFormat::Png));
    QVERIFY(!buffer.image().textKeys().isEmpty());
    const QString jpeg = directory.filePath(QStringLiteral("out.jpg"));
    const QString png = directory.filePath(QStringLiteral("out.png"));
    QVERIFY(saveAs(buffer, jpeg, ImageFormat::Jpeg, 80));
    QVERIFY(saveAs(buffer, png, ImageFormat::Png));
    QVERIFY(!readAll(jpeg).contains("secret camera notes"));
    QVERIFY(!hasMarker(readAll(jpeg), 0xFE));  // no comment segment
    QVERIFY(!readAll(png).contains("secret camera notes"));
    QVERIFY(!readAll(png).contains("tEXt"));
}

void ImageBufferTest::quantizerReachesPhotoQuality()
{
    const QImage source = photo(300, 200, 11);
    const QImage plain = ColorQuantizer::Reduce(source, 256, false);
    const QImage dithered = ColorQuantizer::Reduce(source, 256, true);
    QCOMPARE(plain.format(), QImage::Format_Indexed8);
    QVERIFY(plain.colorCount() <= 256);
    QVERIFY(ColorQuantizer::Psnr(plain, source) >= 35);
    QVERIFY(ColorQuantizer::Psnr(dithered, source) >= 30);
    // A naive fixed colour cube is far worse on the same picture.
    QVERIFY(ColorQuantizer::Psnr(source.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither), source)
            < ColorQuantizer::Psnr(plain, source) - 5);
    // A picture with few colours keeps them exactly.
    QImage few(10, 10, QImage::Format_RGB32);
    few.fill(qRgb(12, 34, 56));
    few.setPixel(2, 2, qRgb(200, 100, 0));
    QCOMPARE(ColorQuantizer::Psnr(ColorQuantizer::Reduce(few, 16, true), few), 100.0);
}

void ImageBufferTest::clearAndFailedLoadLeaveNothing()
{
    QTemporaryDir directory;
    const QString path = writeFile(directory, QStringLiteral("a.png"), encode(pattern(8, 8), "png"));
    ImageBuffer buffer;
    QVERIFY(loadAs(buffer, path, ImageFormat::Png));
    QVERIFY(!loadAs(buffer, path, ImageFormat::Gif));
    QVERIFY(!buffer.hasImage() && buffer.image().isNull());
    QVERIFY(loadAs(buffer, path, ImageFormat::Png));
    buffer.Clear(2);
    QVERIFY(!buffer.hasImage());
    QVERIFY(!buffer.Save());
}

void ImageBufferTest::widgetSizesAndScrolls()
{
    ImageBuffer buffer;
    buffer.setAutoSize(true);
    buffer.ImportPicture(pattern(120, 80));
    QCOMPARE(buffer.size(), QSize(120, 80));

    buffer.setAutoSize(false);
    buffer.resize(50, 40);
    buffer.setScrollBars(3);
    buffer.show();
    QVERIFY(buffer.horizontalScrollBar()->maximum() > 0);
    QVERIFY(buffer.verticalScrollBar()->maximum() > 0);
    const QImage shown = buffer.grab().toImage();
    QCOMPARE(shown.pixel(10, 10), pattern(120, 80).pixel(10, 10));
}

QTEST_MAIN(ImageBufferTest)
#include "tst_imagebuffer.moc"
