#include "TestImages.h"

#include "imagebuffer/ColorQuantizer.h"
#include "imagebuffer/Picture.h"
#include "thumbs/ThumbnailImage.h"

#include <QFile>
#include <QThread>
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

bool saveAs(const Picture &picture, const QString &path, ImageFormat::Code code, int quality = 0,
            bool progressive = false)
{
    return picture.save(path, code, {quality, progressive});
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

class PictureTest : public QObject {
    Q_OBJECT
private slots:
    void createAndCopyScaled();
    void thumbnailOfALargeJpegLooksLikeTheFullDecode();
    void transparencyIsFlattenedOntoWhite();
    void jpegQualityAndProgressive();
    void pngHeadersSayWhatTheyAre();
    void savedFilesCarryNoSourceMetadata();
    void failuresSayWhyAndLeaveNothing();
};

void PictureTest::createAndCopyScaled()
{
    Picture source, target;
    QVERIFY(target.createBlank(24, QSize(31, 17), QColor(10, 200, 30)));
    QCOMPARE(target.image().pixel(30, 16), qRgb(10, 200, 30));
    QVERIFY(!target.createBlank(24, QSize(0, 10), Qt::white));
    QVERIFY(!target.createBlank(24, QSize(70000, 70000), Qt::white));
    QVERIFY(!target.copyScaled(source, Resampling::Smooth));  // nothing to copy
    source = Picture::fromImage(pattern(50, 40));
    for (const QSize size : {QSize(93, 74), QSize(5, 97), QSize(1, 1), QSize(400, 3)}) {
        QVERIFY(target.createBlank(24, size, Qt::white));
        QVERIFY(target.copyScaled(source, Resampling::Smooth));
        QCOMPARE(target.image().size(), size);
    }
    // Nearest-neighbour copies keep the source's pixels exactly.
    QVERIFY(target.createBlank(24, QSize(100, 80), Qt::white));
    QVERIFY(target.copyScaled(source, Resampling::Nearest));
    QCOMPARE(target.image().pixel(21, 41), pattern(50, 40).pixel(10, 20));
}

void PictureTest::thumbnailOfALargeJpegLooksLikeTheFullDecode()
{
    QTemporaryDir directory;
    const QString path = writeFile(directory, QStringLiteral("big.jpg"), encode(photo(2400, 1600), "jpeg", 90));
    Picture load, thumbnail;
    QVERIFY(load.load(path, ImageFormat::Jpeg));
    QCOMPARE(load.size(), QSize(2400, 1600));
    QVERIFY(MakeThumbnailImage(load, thumbnail, QSize(93, 97)));
    QCOMPARE(thumbnail.image().size(), QSize(93, 62));
    const QImage reference = QImage(path).scaled(93, 62, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QVERIFY(ColorQuantizer::Psnr(thumbnail.image(), reference) > 35);
}

void PictureTest::transparencyIsFlattenedOntoWhite()
{
    QImage clear(20, 10, QImage::Format_ARGB32);
    clear.fill(qRgba(0, 0, 255, 0));
    clear.setPixel(3, 3, qRgba(255, 0, 0, 255));
    Picture source = Picture::fromImage(clear);
    QCOMPARE(source.depth(), 32);
    QVERIFY(source.convertDepth(24));
    QCOMPARE(source.depth(), 24);
    QCOMPARE(source.image().pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(source.image().pixel(3, 3), qRgb(255, 0, 0));
    QVERIFY(!source.convertDepth(12));
}

void PictureTest::jpegQualityAndProgressive()
{
    QTemporaryDir directory;
    const Picture picture = Picture::fromImage(photo(200, 150));
    const QString low = directory.filePath(QStringLiteral("low.jpg"));
    const QString high = directory.filePath(QStringLiteral("high.jpg"));
    const QString progressive = directory.filePath(QStringLiteral("progressive.jpg"));
    QVERIFY(saveAs(picture, low, ImageFormat::Jpeg, 20));
    QVERIFY(saveAs(picture, high, ImageFormat::Jpeg, 95));
    QVERIFY(saveAs(picture, progressive, ImageFormat::Jpeg, 95, true));
    QVERIFY(QFileInfo(low).size() * 2 < QFileInfo(high).size());
    QVERIFY(hasMarker(readAll(high), 0xC0) || hasMarker(readAll(high), 0xC1));
    QVERIFY(!hasMarker(readAll(high), 0xC2));
    QVERIFY(hasMarker(readAll(progressive), 0xC2));
    QVERIFY(ColorQuantizer::Psnr(QImage(high), picture.image()) > 35);
}

void PictureTest::pngHeadersSayWhatTheyAre()
{
    QTemporaryDir directory;
    const QImage source = photo(93, 70);
    Picture picture = Picture::fromImage(source);
    const QString full = directory.filePath(QStringLiteral("full.png"));
    const QString interlaced = directory.filePath(QStringLiteral("interlaced.png"));
    QVERIFY(saveAs(picture, full, ImageFormat::Png));
    QVERIFY(saveAs(picture, interlaced, ImageFormat::Png, 0, true));
    QCOMPARE(pngHeader(readAll(full)).colourType, 2);
    QCOMPARE(pngHeader(readAll(full)).interlace, 0);
    QCOMPARE(pngHeader(readAll(interlaced)).interlace, 1);
    QCOMPARE(QImage(interlaced).convertToFormat(QImage::Format_RGB32), source);

    QVERIFY(picture.reduceColors(256));
    QCOMPARE(picture.depth(), 8);
    const QString reduced = directory.filePath(QStringLiteral("reduced.png"));
    QVERIFY(saveAs(picture, reduced, ImageFormat::Png));
    const PngHeader header = pngHeader(readAll(reduced));
    QCOMPARE(header.colourType, 3);
    QCOMPARE(header.bitDepth, 8);
    QVERIFY(ColorQuantizer::Psnr(QImage(reduced), source) >= 35);
}

void PictureTest::savedFilesCarryNoSourceMetadata()
{
    QTemporaryDir directory;
    QImage tagged = photo(40, 30);
    tagged.setText(QStringLiteral("Description"), QStringLiteral("secret camera notes"));
    const Picture picture = Picture::fromImage(tagged);
    const QString jpeg = directory.filePath(QStringLiteral("out.jpg"));
    const QString png = directory.filePath(QStringLiteral("out.png"));
    QVERIFY(saveAs(picture, jpeg, ImageFormat::Jpeg, 80));
    QVERIFY(saveAs(picture, png, ImageFormat::Png));
    QVERIFY(!readAll(jpeg).contains("secret camera notes"));
    QVERIFY(!hasMarker(readAll(jpeg), 0xFE));  // no comment segment
    QVERIFY(!readAll(png).contains("secret camera notes"));
    QVERIFY(!readAll(png).contains("tEXt"));
}

void PictureTest::failuresSayWhyAndLeaveNothing()
{
    QTemporaryDir directory;
    const QString path = writeFile(directory, QStringLiteral("a.png"), encode(pattern(8, 8), "png"));
    Picture picture;
    QVERIFY(!picture.load(directory.filePath(QStringLiteral("missing.png")), ImageFormat::Png));
    QVERIFY(!picture.errorString().isEmpty());
    QVERIFY(picture.load(path, ImageFormat::Png));
    QVERIFY(picture.errorString().isEmpty());
    QVERIFY(!picture.load(path, ImageFormat::Gif));
    QVERIFY(picture.isNull() && picture.image().isNull() && picture.depth() == 0);
    QVERIFY(!picture.errorString().isEmpty());

    QVERIFY(picture.load(path, ImageFormat::Png));
    // A folder that does not exist, and a format that is not written: nothing is made.
    const QString nowhere = directory.filePath(QStringLiteral("no/such/folder/a.jpg"));
    QVERIFY(!saveAs(picture, nowhere, ImageFormat::Jpeg, 80));
    QVERIFY(!picture.errorString().isEmpty());
    QVERIFY(!saveAs(picture, directory.filePath(QStringLiteral("x.bmp")), ImageFormat::Bmp));
    QVERIFY(!QFileInfo::exists(directory.filePath(QStringLiteral("x.bmp"))));
    picture.clear();
    QVERIFY(picture.isNull());
    QVERIFY(!saveAs(picture, directory.filePath(QStringLiteral("empty.png")), ImageFormat::Png));
}


QTEST_GUILESS_MAIN(PictureTest)
#include "tst_picture.moc"
