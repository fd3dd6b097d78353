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

constexpr int SetViewportOrg = 0x020D, SetViewportExt = 0x020E, SetMapMode = 0x0103;
constexpr int SelectObject = 0x012D, Rectangle = 0x041B, Ellipse = 0x0418, SetWindowOrg = 0x020B, SetWindowExt = 0x020C,
              IntersectClipRect = 0x0416, SaveDc = 0x001E, RestoreDc = 0x0127, Pie = 0x081A,
              TextOut = 0x0521, CreateFontIndirect = 0x02FB, SetTextColor = 0x0209, SetBkMode = 0x0102,
              StretchDib = 0x0F43, PolyPolygon = 0x0538, DeleteObject = 0x01F0;

QList<int> colour(QRgb rgb)
{
    return {qRed(rgb) | (qGreen(rgb) << 8), qBlue(rgb)};
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
        file.record(SetTextColor, colour(qRgb(200, 0, 0)));
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
};

QTEST_MAIN(MetafileTest)
#include "tst_metafile.moc"
