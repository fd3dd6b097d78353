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
    void autoSizeAndScrollBars();
};

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
