#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "TestImages.h"
#include "ThumbnailHostStub.h"

#include "imagebuffer/ImageBuffer.h"
#include "settings/Preferences.h"
#include "thumbs/ListingModel.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/WindowFlow.h"
#include "thumbs/ThumbnailImage.h"
#include "thumbs/ThumbnailWindow.h"
#include "ui/Paths.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTest>


namespace {

// A collection, a listing and a document area, and pictures to make thumbnails of.
struct Fixture {
    QTemporaryDir directory;
    Ui::ScriptedPlatformScope scripted;
    Preferences preferences;
    ThumbCollection thumbs;
    ListingModel listing;
    ThumbnailHostStub host;
    Thumbnails maker{thumbs, listing, preferences, host};

    Fixture()
    {
        host.area.resize(800, 600);
        host.area.show();
    }
    QString path(const QString &name) const { return QDir::toNativeSeparators(directory.filePath(name)); }
    // Makes the thumbnail of a picture of that size, as if loaded from a file of
    // that many bytes.
    int make(const QString &name, QSize size, qint64 bytes = 100)
    {
        writeFile(path(name), QByteArray(bytes, 'x'));
        Picture source = Picture::fromImage(size.isEmpty() ? QImage() : TestImages::pattern(size.width(), size.height()));
        return maker.CreateThumbnail(source, path(name));
    }
    ThumbnailWindow *window(int slot) const { return qobject_cast<ThumbnailWindow *>(thumbs.window(slot)); }
    QList<int> slotsInUse() const
    {
        QList<int> used;
        for (int slot = 1; slot <= thumbs.upperBound(); ++slot)
            if (!thumbs.isFree(slot))
                used << slot;
        return used;
    }
};

} // namespace

class ThumbsTest : public QObject {
    Q_OBJECT
private slots:
    void thumbnailsFitTheBoxAndWindowsFlowAcrossTheArea()
    {
        const QSize box(93, 97);
        for (const auto &[picture, fitted] : {std::pair{QSize(640, 480), QSize(93, 70)}, {{480, 640}, {73, 97}},
                                              {{50, 40}, {93, 74}}, {{93, 97}, {93, 97}}, {{10, 200}, {5, 97}}})
            QCOMPARE(FitThumbnail(box, picture), fitted);
        QCOMPARE(FitThumbnail(QSize(145, 100), QSize(200, 100)), QSize(145, 72));  // 72.5 goes to even
        QVERIFY(!FitThumbnail(box, QSize(0, 40)).isValid());
        // Side by side as far as the width, row under row below the tallest of the row
        // before, on past the visible part; a restart goes back to the corner.
        WindowFlow flow;
        const QSize window(100, 80);
        QList<QPoint> places;
        for (int i = 0; i < 3; ++i)
            places << flow.next(window, 250);
        places << flow.next(QSize(100, 120), 250) << flow.next(QSize(400, 50), 250) << flow.next(window, 250);
        QCOMPARE(places, (QList<QPoint>{{0, 0}, {100, 0}, {0, 80}, {100, 80}, {0, 200}, {0, 250}}));
        flow.restart();
        QCOMPARE(flow.next(window, 250), QPoint(0, 0));
    }

    void aThumbnailIsAWindowARowAndACount()
    {
        Fixture f;
        QCOMPARE(f.make(u"sunset.jpg"_s, QSize(640, 480), 38000), 0);
        ThumbnailWindow *window = f.window(1);
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), u"sunset.jpg"_s);
        QCOMPARE(window->sourcePath(), f.path(u"sunset.jpg"_s));
        QCOMPARE(window->caption().text(), u"sunset.jpg\r\n640x480\r\n37K"_s);
        QCOMPARE(window->picture().size(), QSize(93, 70));
        // Margin, picture, margin, caption: nothing of the caption is cut off. A window
        // its title bar makes wider keeps the picture in the middle.
        QCOMPARE(window->widget()->sizeHint(), QSize(101, 115));
        const int inside = window->widget()->width();
        QCOMPARE(window->picture().pos(), QPoint((inside - 93) / 2, 4));
        QCOMPARE(window->caption().geometry(), QRect(0, 78, inside, 37));
        QCOMPARE(window->size(), window->ownSize());
        QCOMPARE(f.listing.rowCount(), 1);
        QCOMPARE(f.listing.keyAt(0), f.path(u"sunset.jpg"_s));
        QCOMPARE(f.listing.index(0, ListingModel::FileSizeColumn).data().toString(), u"37K"_s);
        QCOMPARE(f.listing.index(0, ListingModel::PathColumn).data().toString(),
                 QDir::toNativeSeparators(f.directory.path()) + QDir::separator());
        QCOMPARE(f.host.totalText, u"Total Thumbnails:  1"_s);
        QCOMPARE(f.scripted->busyDepth, 0);
    }

    void narrowPicturesGetTheNarrowestWindow()
    {
        Fixture f;
        QCOMPARE(f.make(u"pole.png"_s, QSize(10, 200)), 0);
        QCOMPARE(f.window(1)->picture().size(), QSize(5, 97));
        // No narrower than 780 twips, nor than its title bar's buttons need.
        QCOMPARE(f.window(1)->width(), std::max(Twips::ToPixelsX(780), f.window(1)->minimumSizeHint().width()));
        // A long name is cut in the middle where it shows; the caption itself is whole.
        const QString name = u"art-progressive-3840x2400-rhythm.jpg"_s;
        QCOMPARE(f.make(name, QSize(40, 30)), 0);
        const QString shown = f.window(2)->caption().text().section(u"\r\n"_s, 0, 0);
        QVERIFY2(shown.startsWith(u"art-"_s) && shown.endsWith(u"rhythm.jpg"_s)
                     && shown.contains(QChar(0x2026)),
                 qPrintable(shown));
        QCOMPARE(f.window(2)->captionText().section(u"\r\n"_s, 0, 0), name);
        f.preferences.thumbnailBox = QSize(200, 200);
        QCOMPARE(f.make(u"wide.png"_s, QSize(400, 300)), 0);
        QVERIFY(f.window(3)->width() > std::max(Twips::ToPixelsX(780), f.window(3)->minimumSizeHint().width()));
    }

    // No slot stays in use without a complete thumbnail, and no path is listed twice.
    void failedCreationsLeaveNothingBehind()
    {
        Fixture f;
        QCOMPARE(f.make(u"empty.png"_s, QSize(0, 40)), Thumbnails::ErrDivisionByZero);
        QCOMPARE(f.thumbs.count(), 0);
        QCOMPARE(f.listing.rowCount(), 0);
        QVERIFY(f.host.area.subWindowList().isEmpty());
        QCOMPARE(f.make(u"a.png"_s, QSize(40, 30)), 0);
        QCOMPARE(f.make(u"a.png"_s, QSize(40, 30)), Thumbnails::ErrKeyNotUnique);
        QCOMPARE(f.slotsInUse(), QList<int>{1});
        QCOMPARE(f.listing.rowCount(), 1);
        QCOMPARE(f.scripted->busyDepth, 0);
    }

    void closingFreesTheSlotForTheNextThumbnail()
    {
        Fixture f;
        for (const char *name : {"a.png", "b.png", "c.png"})
            QCOMPARE(f.make(QString::fromLatin1(name), QSize(30, 20)), 0);
        const int callsBefore = f.host.commandStateCalls;
        QVERIFY(f.window(2)->close());
        QCOMPARE(f.slotsInUse(), (QList<int>{1, 3}));
        // The closed thumbnail's record goes with its slot.
        QVERIFY(!f.thumbs.record(2));
        QCOMPARE(f.thumbs.sourcePaths(), (QStringList{f.path(u"a.png"_s), f.path(u"c.png"_s)}));
        QCOMPARE(f.listing.keys(), (QStringList{f.path(u"a.png"_s), f.path(u"c.png"_s)}));
        QCOMPARE(f.host.totalText, u"Total Thumbnails:  2"_s);
        QCOMPARE(f.host.commandStateCalls, callsBefore + 1);
        QCOMPARE(f.make(u"d.png"_s, QSize(30, 20)), 0);
        QCOMPARE(f.window(2)->windowTitle(), u"d.png"_s);
        QCOMPARE(f.thumbs.record(2)->sourcePath, f.path(u"d.png"_s));
        QCOMPARE(f.thumbs.upperBound(), 3);
        QCOMPARE(f.maker.windowOf(f.path(u"d.png"_s)), f.window(2));
    }

    void clearingAsksFirstAndKeepsTheSlots()
    {
        Fixture f;
        f.maker.ClearThumbnails();  // nothing made yet: only the question and the command states
        QCOMPARE(f.scripted->messages.size(), 1);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(f.make(u"p%1.png"_s.arg(i), QSize(30, 20)), 0);
        f.scripted->messageAnswers << Ui::MsgResult::No;
        f.maker.ClearThumbnails();
        QCOMPARE(f.thumbs.count(), 5);
        const Ui::MessageBoxRequest question = f.scripted->messages.last();
        QCOMPARE(question.title, u"Clear Thumbnails?"_s);
        QCOMPARE(question.buttons, Ui::MsgButtons::YesNo);
        f.host.area.setActiveSubWindow(f.window(3));
        QCOMPARE(f.host.currentText, u"Current Thumbnail:  "_s + f.path(u"p2.png"_s));
        f.scripted->messageAnswers << Ui::MsgResult::Yes;
        f.maker.ClearThumbnails();
        QCOMPARE(f.host.currentText, u"Current Thumbnail:"_s);  // it names nothing that is gone
        QCOMPARE(f.thumbs.count(), 0);
        QCOMPARE(f.thumbs.upperBound(), 5);
        QCOMPARE(f.listing.rowCount(), 0);
        QCOMPARE(f.host.totalText, u"Total Thumbnails:  0"_s);
        QCOMPARE(f.make(u"next.png"_s, QSize(30, 20)), 0);
        QCOMPARE(f.slotsInUse(), QList<int>{1});
    }

    // A tenth of the slots made, halves to even, from the highest down; one already free counts.
    void freeMemoryClosesTheHighestTenth()
    {
        struct Case { int made, freedBefore; QList<int> closed; };
        for (const auto &[made, freedBefore, closed] : {Case{3, 0, {3}}, {10, 0, {9, 10}}, {15, 0, {13, 14, 15}},
                                                        {25, 0, {23, 24, 25}}, {10, 10, {9}}}) {
            Fixture f;
            f.maker.FreeMemory();  // nothing made: only the first message
            QCOMPARE(f.scripted->messages.size(), 1);
            for (int i = 1; i <= made; ++i)
                QCOMPARE(f.make(u"p%1.png"_s.arg(i), QSize(30, 20)), 0);
            if (freedBefore)
                f.window(freedBefore)->close();
            const QList<int> before = f.slotsInUse();
            f.scripted->messages.clear();
            f.maker.FreeMemory();
            QList<int> gone;
            for (int slot : before)
                if (f.thumbs.isFree(slot))
                    gone << slot;
            QCOMPARE(gone, closed);
            QCOMPARE(f.scripted->messages.size(), 2);
            // Every slot in use still holds its thumbnail, and the listing's first row is chosen.
            for (int slot : f.slotsInUse())
                QVERIFY(f.window(slot));
            QCOMPARE(f.listing.rowCount(), f.thumbs.count());
            QCOMPARE(f.listing.selectedRow(), 0);
        }
    }

    void pathRules()
    {
        const QString s = QDir::separator();
        const QString photo = s + u"pics"_s + s + u"a.jpg"_s;
        QCOMPARE(Paths::FileNameOf(photo), u"a.jpg"_s);
        QCOMPARE(Paths::DirectoryOf(photo), s + u"pics"_s + s);
        QCOMPARE(Paths::FileNameOf(u"plain"_s), u"plain"_s);
        QCOMPARE(Paths::DirectoryOf(u"plain"_s), u"plain"_s);
        QCOMPARE(Paths::FileNameOf(u"pics"_s + s), QString());
        const QList<QPair<QString, QString>> extensions = {
            {"photo.Jpg", "JPG"}, {"a.b.", ""}, {"a.", ""}, {".profile", ".profile"}, {"README", "README"},
            {"archive.tar.gz", "GZ"}, {".hidden.png", "PNG"}};
        for (const auto &[name, extension] : extensions)
            QCOMPARE(Paths::ExtensionOf(name), extension);
        // The thumbnail's name: the extension replaced, or a dot and one added.
        const QList<std::array<QString, 4>> thumbnails = {{"QM_", ".hidden.png", "jpg", "QM_.hidden.jpg"},
                                                          {"QM_", ".profile", "jpg", "QM_.profile.jpg"},
                                                          {"QM_", "README", "png", "QM_README.png"},
                                                          {"", "a.b.", "jpg", "a.b.jpg"}};
        for (const auto &[prefix, name, extension, thumbnail] : thumbnails)
            QCOMPARE(Paths::SavedThumbnailName(prefix, name, extension), thumbnail);
        for (const QString prefix : {"QM_", "thumb.v2-", " "})
            QVERIFY2(Paths::UsablePrefix(prefix), qPrintable(prefix));
        for (const QString prefix : {"../", "a/b", "a\\b", "..", "x\ny", "\x1b[2J", "a\u0085"})
            QVERIFY2(!Paths::UsablePrefix(prefix), qPrintable(prefix));
        QCOMPARE(Paths::Printable(u"a\nb\tc\x1b[31m\u0085d\\e"_s), u"a\\nb\\tc\\x1b[31m\\x85d\\e"_s);
        // A caption holds the name exactly, "%" and all.
        QCOMPARE(ThumbnailCaption(s + u"100%1 %2e%2e.png"_s, QSize(4, 3), 2048),
                 u"100%1 %2e%2e.png\r\n4x3\r\n2K"_s);
    }

    void listingOrder()
    {
        ListingModel listing;
        const QString s = QDir::separator();
        for (const char *name : {"IMG_10.jpg", "img_2.jpg", "IMG_1.jpg"})
            QVERIFY(listing.addRow(s + QString::fromLatin1(name), u"1K"_s, 0));
        QVERIFY(!listing.addRow(s + u"IMG_1.jpg"_s, u"1K"_s, 0));
        listing.sortBy(ListingModel::FileNameColumn);
        QCOMPARE(listing.keys(), (QStringList{s + "IMG_1.jpg", s + "img_2.jpg", s + "IMG_10.jpg"}));
        QVERIFY(listing.moveRow(2, -1));
        QCOMPARE(listing.selectedRow(), 1);
        QCOMPARE(listing.keyAt(1), s + "IMG_10.jpg");
        QVERIFY(!listing.moveRow(0, -1) && !listing.moveRow(2, +1));
        // A moved row is still known by its path and its file.
        QVERIFY(!listing.addRow(s + u"IMG_10.jpg"_s, u"1K"_s, 0) && listing.containsFile(u"img_10.JPG"_s, s));
        QVERIFY(!listing.containsFile(u"IMG_10.jpg"_s, s + u"other"_s + s));
        QCOMPARE(listing.findByName(u"IMG_2.JPG"_s), 2);
        QCOMPARE(listing.rowOf(u"IMG_2.JPG"_s, s), -1);
        QCOMPARE(listing.rowOf(u"img_2.jpg"_s, s), 2);
        listing.setAutoSort(true);
        QVERIFY(listing.addRow(s + u"IMG_3.jpg"_s, u"1K"_s, 0));
        QCOMPARE(listing.keyAt(2), s + "IMG_3.jpg");
        listing.removeRows(0, listing.rowCount());
        QVERIFY(!listing.containsKey(s + u"IMG_3.jpg"_s) && !listing.containsFile(u"IMG_1.jpg"_s, s));
    }
};

QTEST_MAIN(ThumbsTest)
#include "tst_thumbs.moc"
