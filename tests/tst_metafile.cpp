#include "TestImages.h"

#include "imagebuffer/MetafilePlayer.h"
#include "imagebuffer/PictureLoader.h"

#include <QDir>
#include <QFile>
#include <QTest>

using TestImages::put16;
using TestImages::put32;

namespace {

// Writes a metafile record by record.
class Metafile {
public:
    // `bounds` left, top, right, bottom in logical units; `perInch` logical units an inch.
    Metafile(QRect bounds, int perInch, bool placeable = true)
    {
        if (placeable) {
            put32(bytes, 0x9AC6CDD7);
            put16(bytes, 0);
            put16(bytes, bounds.left());
            put16(bytes, bounds.top());
            put16(bytes, bounds.right());
            put16(bytes, bounds.bottom());
            put16(bytes, perInch);
            put32(bytes, 0);
            put16(bytes, 0);  // checksum, unchecked
        }
        put16(bytes, 1);
        put16(bytes, 9);
        put16(bytes, 0x0300);
        put32(bytes, 0);
        put16(bytes, 0);
        put32(bytes, 0);
        put16(bytes, 0);
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
    QByteArray finish()
    {
        record(0, {});
        return bytes;
    }

private:
    QByteArray bytes;
};

constexpr int SetViewportOrg = 0x020D, SetViewportExt = 0x020E, SetMapMode = 0x0103;
constexpr int CreateBrushIndirect = 0x02FC, CreatePenIndirect = 0x02FA, SelectObject = 0x012D,
              Rectangle = 0x041B, Ellipse = 0x0418, SetWindowOrg = 0x020B, SetWindowExt = 0x020C,
              IntersectClipRect = 0x0416, SaveDc = 0x001E, RestoreDc = 0x0127, Pie = 0x081A,
              TextOut = 0x0521, CreateFontIndirect = 0x02FB, SetTextColor = 0x0209, SetBkMode = 0x0102,
              StretchDib = 0x0F43, PolyPolygon = 0x0538, DeleteObject = 0x01F0;

QList<int> colour(QRgb rgb)
{
    return {qRed(rgb) | (qGreen(rgb) << 8), qBlue(rgb)};
}

Metafile &solidBrush(Metafile &file, QRgb rgb)
{
    return file.record(CreateBrushIndirect, QList<int>{0} + colour(rgb) + QList<int>{0});
}

Metafile &nullPen(Metafile &file)
{
    return file.record(CreatePenIndirect, {5, 0, 0, 0, 0});
}

bool near(QRgb actual, QRgb expected, int tolerance = 24)
{
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance && std::abs(qGreen(actual) - qGreen(expected)) <= tolerance
           && std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

} // namespace

class MetafileTest : public QObject {
    Q_OBJECT
private slots:
    void placeableHeaderGivesTheSize();
    void shapesFillWhereTheyShould();
    void windowOriginAndExtentMapTheDrawing();
    void viewportAndIsotropicMapping();
    void clippingAndSavedStates();
    void textAndBitmaps();
    void withoutBoundsTheWindowExtentGivesTheSize();
    void damagedMetafilesDoNotCrash();
    void fuzzFindingsPlayToTheEnd();
};

void MetafileTest::placeableHeaderGivesTheSize()
{
    Metafile file(QRect(QPoint(0, 0), QPoint(2880, 1440)), 1440);  // 2 by 1 inches
    const QImage image = MetafilePlayer::Render(file.finish());
    QCOMPARE(image.size(), QSize(192, 96));
    QCOMPARE(image.pixel(100, 50), qRgb(255, 255, 255));
    QVERIFY(!MetafilePlayer::IsMetafile(QByteArray("not a metafile at all")));
}

void MetafileTest::shapesFillWhereTheyShould()
{
    Metafile file(QRect(QPoint(0, 0), QPoint(100, 100)), 96);
    solidBrush(file, qRgb(255, 0, 0));          // object 0
    nullPen(file);                              // object 1
    file.record(SelectObject, {0}).record(SelectObject, {1});
    file.record(Rectangle, {40, 40, 10, 10});   // bottom, right, top, left
    solidBrush(file, qRgb(0, 0, 255));          // object 2
    file.record(SelectObject, {2});
    file.record(Ellipse, {95, 95, 55, 55});
    // A pie: the quarter from 3 o'clock to 12 o'clock, counter-clockwise.
    file.record(Pie, {0, 80, 80, 100, 100, 100, 60, 60});  // yEnd, xEnd (top), yStart, xStart (right), box
    // Two squares in one polygon set.
    file.record(PolyPolygon, {2, 4, 4, 60, 10, 70, 10, 70, 20, 60, 20, 75, 10, 85, 10, 85, 20, 75, 20});
    const QImage image = MetafilePlayer::Render(file.finish());
    QCOMPARE(image.size(), QSize(100, 100));
    QVERIFY(near(image.pixel(25, 25), qRgb(255, 0, 0)));
    QVERIFY(near(image.pixel(5, 5), qRgb(255, 255, 255)));
    QVERIFY(near(image.pixel(75, 75), qRgb(0, 0, 255)));
    QVERIFY(near(image.pixel(57, 57), qRgb(255, 255, 255)));  // outside the ellipse's curve
    QVERIFY(near(image.pixel(65, 15), qRgb(0, 0, 255)));
    QVERIFY(near(image.pixel(80, 15), qRgb(0, 0, 255)));
    QVERIFY(near(image.pixel(72, 15), qRgb(255, 255, 255)));
}

void MetafileTest::windowOriginAndExtentMapTheDrawing()
{
    // The window runs from (1000, 1000) to (2000, 1500) with y pointing up.
    Metafile file(QRect(QPoint(0, 0), QPoint(200, 100)), 96);
    file.record(SetWindowOrg, {1500, 1000}).record(SetWindowExt, {-500, 1000});
    solidBrush(file, qRgb(0, 160, 0));
    nullPen(file);
    file.record(SelectObject, {0}).record(SelectObject, {1});
    file.record(Rectangle, {1000, 1500, 1250, 1000});  // the left half of the lower half
    const QImage image = MetafilePlayer::Render(file.finish());
    QCOMPARE(image.size(), QSize(200, 100));
    QVERIFY(near(image.pixel(50, 75), qRgb(0, 160, 0)));
    QVERIFY(near(image.pixel(50, 25), qRgb(255, 255, 255)));
    QVERIFY(near(image.pixel(150, 75), qRgb(255, 255, 255)));
}

void MetafileTest::viewportAndIsotropicMapping()
{
    // Window 0..100 square onto a viewport 100 pixels wide starting at x = 50.
    Metafile file(QRect(QPoint(0, 0), QPoint(200, 100)), 96);
    file.record(SetWindowOrg, {0, 0}).record(SetWindowExt, {100, 100});
    file.record(SetViewportOrg, {0, 50}).record(SetViewportExt, {100, 100});
    solidBrush(file, qRgb(0, 0, 0));
    nullPen(file);
    file.record(SelectObject, {0}).record(SelectObject, {1});
    file.record(Rectangle, {100, 100, 0, 0});
    const QImage shifted = MetafilePlayer::Render(file.finish());
    QVERIFY(near(shifted.pixel(25, 50), qRgb(255, 255, 255)));
    QVERIFY(near(shifted.pixel(100, 50), qRgb(0, 0, 0)));
    QVERIFY(near(shifted.pixel(175, 50), qRgb(255, 255, 255)));

    // Isotropic: a square window on a wide picture stays square.
    Metafile square(QRect(QPoint(0, 0), QPoint(200, 100)), 96);
    square.record(SetMapMode, {7}).record(SetWindowOrg, {0, 0}).record(SetWindowExt, {100, 100});
    solidBrush(square, qRgb(0, 0, 0));
    nullPen(square);
    square.record(SelectObject, {0}).record(SelectObject, {1});
    square.record(Rectangle, {100, 100, 0, 0});
    const QImage kept = MetafilePlayer::Render(square.finish());
    QVERIFY(near(kept.pixel(50, 50), qRgb(0, 0, 0)));
    QVERIFY(near(kept.pixel(150, 50), qRgb(255, 255, 255)));
}

void MetafileTest::clippingAndSavedStates()
{
    Metafile file(QRect(QPoint(0, 0), QPoint(100, 100)), 96);
    solidBrush(file, qRgb(0, 0, 0));
    nullPen(file);
    file.record(SelectObject, {0}).record(SelectObject, {1});
    file.record(SaveDc, {});
    file.record(IntersectClipRect, {50, 50, 0, 0});
    file.record(Rectangle, {100, 100, 0, 0});  // only the clipped quarter is painted
    file.record(RestoreDc, {-1});
    file.record(Rectangle, {100, 100, 90, 90});
    const QImage image = MetafilePlayer::Render(file.finish());
    QVERIFY(near(image.pixel(25, 25), qRgb(0, 0, 0)));
    QVERIFY(near(image.pixel(75, 25), qRgb(255, 255, 255)));
    QVERIFY(near(image.pixel(95, 95), qRgb(0, 0, 0)));  // drawn after the clip was restored away
}

void MetafileTest::textAndBitmaps()
{
    Metafile file(QRect(QPoint(0, 0), QPoint(200, 100)), 96);
    QByteArray face("Sans");
    face.append(QByteArray(28, '\0'));
    file.record(CreateFontIndirect, {-40, 0, 0, 0, 700, 0, 0, 0, 0}, face);
    file.record(SelectObject, {0});
    file.record(SetTextColor, colour(qRgb(200, 0, 0)));
    file.record(SetBkMode, {1});
    file.record(TextOut, {4}, QByteArray("MMMM") + QByteArray("\x0A\0\x0A\0", 4));  // y 10, x 10
    file.record(DeleteObject, {0});
    // A 2 x 2 bitmap of four colours stretched over the right half.
    QByteArray dib;
    put32(dib, 40);
    put32(dib, 2);
    put32(dib, 2);
    put16(dib, 1);
    put16(dib, 24);
    for (int i = 0; i < 6; ++i)
        put32(dib, 0);
    dib.append(QByteArray("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8));  // bottom row: red, green
    dib.append(QByteArray("\xFF\x00\x00\x00\x00\x00\x00\x00", 8));  // top row: blue, black
    file.record(StretchDib, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 100, 100, 0, 100}, dib);
    const QImage image = MetafilePlayer::Render(file.finish());
    int red = 0;
    for (int y = 10; y < 60; ++y)
        for (int x = 10; x < 100; ++x)
            red += near(image.pixel(x, y), qRgb(200, 0, 0), 40);
    QVERIFY2(red > 300, qPrintable(QString::number(red)));
    QVERIFY(near(image.pixel(125, 25), qRgb(0, 0, 255), 40));
    QVERIFY(near(image.pixel(175, 75), qRgb(0, 255, 0), 40));
    QVERIFY(near(image.pixel(125, 75), qRgb(255, 0, 0), 40));
}

void MetafileTest::withoutBoundsTheWindowExtentGivesTheSize()
{
    Metafile file(QRect(), 0, false);
    file.record(SetWindowExt, {300, 400});
    solidBrush(file, qRgb(255, 0, 0));
    file.record(SelectObject, {0});
    file.record(Rectangle, {300, 200, 0, 0});
    const QByteArray bytes = file.finish();
    QVERIFY(MetafilePlayer::IsMetafile(bytes));
    const QImage image = PictureLoader::LoadBytes(bytes);
    QCOMPARE(image.size(), QSize(400, 300));
    QVERIFY(near(image.pixel(100, 150), qRgb(255, 0, 0)));
    QVERIFY(near(image.pixel(300, 150), qRgb(255, 255, 255)));

    Metafile huge(QRect(), 0, false);
    huge.record(SetWindowExt, {30000, 32000});
    const QImage capped = MetafilePlayer::Render(huge.finish());
    QCOMPARE(std::max(capped.width(), capped.height()), MetafilePlayer::MaxSide);
}

void MetafileTest::damagedMetafilesDoNotCrash()
{
    Metafile file(QRect(QPoint(0, 0), QPoint(64, 64)), 96);
    solidBrush(file, qRgb(1, 2, 3));
    file.record(SelectObject, {0}).record(Rectangle, {60, 60, 4, 4});
    file.record(PolyPolygon, {3, 1000, 2, 7, 1, 2, 3});
    file.record(TextOut, {30000}, QByteArray("ab"));
    file.record(StretchDib, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 100, 100, 0, 100}, QByteArray("\x28\0\0\0\xFF\xFF", 6));
    file.record(RestoreDc, {-30});
    file.record(SelectObject, {400});
    const QByteArray whole = file.finish();
    QVERIFY(!MetafilePlayer::Render(whole).isNull());
    QRandomGenerator random(99);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = whole;
        for (int c = 0; c < 6; ++c)
            bytes[22 + random.bounded(int(bytes.size()) - 22)] = char(random.bounded(256));
        bytes.truncate(std::max<qsizetype>(40, random.bounded(int(bytes.size()) + 1)));
        const QImage image = MetafilePlayer::Render(bytes);
        QVERIFY(image.isNull() || (image.width() <= MetafilePlayer::MaxSide && image.height() <= MetafilePlayer::MaxSide));
    }
}

// Inputs the fuzzer found: each once hung or crashed the player.
void MetafileTest::fuzzFindingsPlayToTheEnd()
{
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

QTEST_MAIN(MetafileTest)
#include "tst_metafile.moc"
