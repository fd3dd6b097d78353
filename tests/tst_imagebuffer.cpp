#include "TestImages.h"

#include "imagebuffer/ImageBuffer.h"

#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using namespace TestImages;

// The image-buffer control: its operations reach the picture it shows, and it sizes
// and scrolls as the forms expect.
class ImageBufferTest : public QObject {
    Q_OBJECT
private slots:
    void operationsChangeWhatIsShown();
    void autoSizeAndScrollBars();
};

void ImageBufferTest::operationsChangeWhatIsShown()
{
    QTemporaryDir directory;
    ImageBuffer source, thumbnail;
    source.ImportPicture(pattern(60, 40));
    thumbnail.setAutoSize(true);
    QVERIFY(thumbnail.CreateImage(24, 30, 20, Qt::white));
    QCOMPARE(thumbnail.size(), QSize(30, 20));
    thumbnail.setResampleMode(Resampling::Smooth);
    QVERIFY(thumbnail.CopyScaled(source));
    thumbnail.show();
    QCOMPARE(thumbnail.grab().toImage().pixel(15, 10), thumbnail.picture().image().pixel(15, 10));

    thumbnail.setFileName(directory.filePath(QStringLiteral("t.png")));
    thumbnail.setFileType(ImageFormat::Png);
    QVERIFY(thumbnail.Save());
    ImageBuffer reloaded;
    reloaded.setFileName(thumbnail.FileName());
    reloaded.setFileType(ImageFormat::Gif);
    QVERIFY(!reloaded.Load());
    QVERIFY(!reloaded.LastError().isEmpty());
    reloaded.setFileType(ImageFormat::Png);
    QVERIFY(reloaded.Load());
    QCOMPARE(QSize(reloaded.ImageWidth(), reloaded.ImageHeight()), QSize(30, 20));
    QCOMPARE(reloaded.ColorDepth(), 24);
    reloaded.Clear();
    QVERIFY(reloaded.picture().isNull());
}

void ImageBufferTest::autoSizeAndScrollBars()
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
    buffer.horizontalScrollBar()->setValue(30);
    QCOMPARE(buffer.grab().toImage().pixel(10, 10), pattern(120, 80).pixel(40, 10));
}

QTEST_MAIN(ImageBufferTest)
#include "tst_imagebuffer.moc"
