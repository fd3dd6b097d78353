#include "thumbs/ThumbCollection.h"
#include "thumbs/ThumbnailImage.h"

#include <QSignalSpy>
#include <QTest>

class ThumbsTest : public QObject {
    Q_OBJECT
private slots:
    void slotsAreReusedLowestFirst();
    void windowsStayWithTheirSlots();
    void fitFollowsTheBox();
};

void ThumbsTest::slotsAreReusedLowestFirst()
{
    ThumbCollection thumbs;
    QSignalSpy counts(&thumbs, &ThumbCollection::countChanged);
    QCOMPARE(thumbs.upperBound(), 0);
    QVERIFY(thumbs.isFree(1));
    for (int expected = 1; expected <= 3; ++expected)
        QCOMPARE(thumbs.FindFreeThumb(), expected);
    thumbs.release(2);
    thumbs.release(2);  // a free slot is freed once
    QCOMPARE(thumbs.count(), 2);
    QCOMPARE(thumbs.upperBound(), 3);
    QCOMPARE(thumbs.FindFreeThumb(), 2);
    QCOMPARE(thumbs.FindFreeThumb(), 4);
    thumbs.releaseAll();
    QCOMPARE(thumbs.upperBound(), 4);
    QCOMPARE(thumbs.count(), 0);
    QCOMPARE(thumbs.FindFreeThumb(), 1);
    QList<int> seen;
    for (const QList<QVariant> &signal : counts)
        seen << signal.first().toInt();
    QCOMPARE(seen, (QList<int>{1, 2, 3, 2, 3, 4, 0, 1}));
}

void ThumbsTest::windowsStayWithTheirSlots()
{
    ThumbCollection thumbs;
    QWidget first, second;
    const int a = thumbs.FindFreeThumb(), b = thumbs.FindFreeThumb();
    thumbs.setWindow(a, &first);
    {
        QWidget gone;
        thumbs.setWindow(b, &gone);
        QCOMPARE(thumbs.window(b), &gone);
    }
    QCOMPARE(thumbs.window(b), nullptr);  // a closed window leaves no dangling pointer
    thumbs.release(a);
    QCOMPARE(thumbs.window(a), &first);  // a freed slot keeps its window until reused
    thumbs.setWindow(a, &second);         // a free slot takes no window
    QCOMPARE(thumbs.window(a), &first);
    QCOMPARE(thumbs.window(0), nullptr);
    QCOMPARE(thumbs.window(9), nullptr);
}

void ThumbsTest::fitFollowsTheBox()
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

QTEST_MAIN(ThumbsTest)
#include "tst_thumbs.moc"
