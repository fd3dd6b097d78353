#include "Accessibility.h"
#include "MainFormFixture.h"
#include "TestImages.h"
#include "ThumbnailHostStub.h"

#include "frame/ListingPanel.h"
#include "imagebuffer/ImageBuffer.h"
#include "thumbs/FullSizeWindow.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ListingModel.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/ThumbnailImage.h"
#include "thumbs/ThumbnailWindow.h"
#include "thumbs/WindowFlow.h"
#include "ui/Paths.h"
#include "ui/Twips.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QUrl>

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

// Runs what the test asks at each yield of a load, as the user would act then.
class YieldingPlatform : public Ui::ScriptedPlatform {
public:
    std::function<void(int)> onYield;
    void yieldEvents() override
    {
        ScriptedPlatform::yieldEvents();
        if (onYield)
            onYield(yields);
    }
};

struct Loading : Frame {
    YieldingPlatform *platform = new YieldingPlatform;
    std::unique_ptr<Ui::Platform> previous = Ui::setPlatform(std::unique_ptr<Ui::Platform>(platform));

    Loading() { environment.setPreference("Auto Arrange After Directory Load", "False"); }
    ~Loading()
    {
        form.reset();
        Ui::setPlatform(std::move(previous));
    }
    // A folder of files made from name -> bytes.
    QString folder(const QString &name, const QList<QPair<QString, QByteArray>> &files) const
    {
        const QString path = environment.path(name);
        QDir().mkpath(path);
        for (const auto &[file, bytes] : files)
            writeFile(QDir(path).filePath(file), bytes);
        return QDir::toNativeSeparators(path);
    }
    // A folder of small pictures of different sizes, and of text where a name is not a PNG file's.
    QString folder(const QString &name, const QStringList &files) const
    {
        QList<QPair<QString, QByteArray>> made;
        for (const QString &file : files)
            made.append({file, file.endsWith(u".png"_s) ? picture(int(made.size()) + 1) : QByteArray("not a picture")});
        return folder(name, made);
    }
    static QByteArray picture(int seed = 0) { return TestImages::encode(TestImages::pattern(40 + seed, 30), "png"); }
    bool loadFolder(const QString &path)
    {
        platform->folderAnswers << path;
        form->mnuFileOpenDir_Click();
        return platform->messages.isEmpty() || platform->messages.last().title != QLatin1String("File System Error");
    }
    void openFile(const QString &path)
    {
        platform->fileAnswers << Ui::FileDialogAnswer{path, 3};
        form->mnuFileOpenFile_Click();
    }
    QStringList titles() const
    {
        QStringList all;
        for (const Ui::MessageBoxRequest &message : platform->messages)
            all << message.title;
        return all;
    }
    ThumbnailWindow *window(const QString &name) const
    {
        for (QMdiSubWindow *child : form->mdiArea()->subWindowList())
            if (child->windowTitle() == name)
                return qobject_cast<ThumbnailWindow *>(child);
        return nullptr;
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
                 QDir::toNativeSeparators(f.directory.path()) + S);
        QCOMPARE(f.host.totalText, u"Total Thumbnails:  1"_s);
        // No slot stays in use without a complete thumbnail, and no path is listed twice.
        QCOMPARE(f.make(u"empty.png"_s, QSize(0, 40)), Thumbnails::ErrDivisionByZero);
        QCOMPARE(f.make(u"sunset.jpg"_s, QSize(640, 480)), Thumbnails::ErrKeyNotUnique);
        QCOMPARE(f.slotsInUse(), QList<int>{1});
        QVERIFY(f.listing.rowCount() == 1 && f.host.area.subWindowList().size() == 1);
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
        const QString photo = S + u"pics"_s + S + u"a.jpg"_s;
        QCOMPARE(Paths::FileNameOf(photo), u"a.jpg"_s);
        QCOMPARE(Paths::DirectoryOf(photo), S + u"pics"_s + S);
        QCOMPARE(Paths::FileNameOf(u"plain"_s), u"plain"_s);
        QCOMPARE(Paths::DirectoryOf(u"plain"_s), u"plain"_s);
        QCOMPARE(Paths::FileNameOf(u"pics"_s + S), QString());
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
        QCOMPARE(ThumbnailCaption(S + u"100%1 %2e%2e.png"_s, QSize(4, 3), 2048),
                 u"100%1 %2e%2e.png\r\n4x3\r\n2K"_s);
    }

    void listingOrder()
    {
        ListingModel listing;
        for (const char *name : {"IMG_10.jpg", "img_2.jpg", "IMG_1.jpg"})
            QVERIFY(listing.addRow(S + QString::fromLatin1(name), u"1K"_s, 0));
        QVERIFY(!listing.addRow(S + u"IMG_1.jpg"_s, u"1K"_s, 0));
        listing.sortBy(ListingModel::FileNameColumn);
        QCOMPARE(listing.keys(), (QStringList{S + "IMG_1.jpg", S + "img_2.jpg", S + "IMG_10.jpg"}));
        QVERIFY(listing.moveRow(2, -1));
        QCOMPARE(listing.selectedRow(), 1);
        QCOMPARE(listing.keyAt(1), S + "IMG_10.jpg");
        QVERIFY(!listing.moveRow(0, -1) && !listing.moveRow(2, +1));
        // A moved row is still known by its path and its file.
        QVERIFY(!listing.addRow(S + u"IMG_10.jpg"_s, u"1K"_s, 0) && listing.containsFile(u"img_10.JPG"_s, S));
        QVERIFY(!listing.containsFile(u"IMG_10.jpg"_s, S + u"other"_s + S));
        QCOMPARE(listing.findByName(u"IMG_2.JPG"_s), 2);
        QCOMPARE(listing.rowOf(u"IMG_2.JPG"_s, S), -1);
        QCOMPARE(listing.rowOf(u"img_2.jpg"_s, S), 2);
        listing.setAutoSort(true);
        QVERIFY(listing.addRow(S + u"IMG_3.jpg"_s, u"1K"_s, 0));
        QCOMPARE(listing.keyAt(2), S + "IMG_3.jpg");
        listing.removeRows(0, listing.rowCount());
        QVERIFY(!listing.containsKey(S + u"IMG_3.jpg"_s) && !listing.containsFile(u"IMG_1.jpg"_s, S));
    }

    void aFolderCancelledOrUnlistableLoadsNothing()
    {
        Loading l;
        l.form->mnuFileOpenDir_Click();
        QCOMPARE(l.platform->folderRequests.size(), 1);
        QCOMPARE(l.platform->folderRequests[0].title, u"Please Select a Directory From Which to Load Images..."_s);
        QCOMPARE(l.platform->folderRequests[0].initialDirectory, Globals::Prefs.lastOpenDirectory);
        QVERIFY(l.platform->messages.isEmpty());
        QCOMPARE(l.form->listingRows().rowCount(), 0);
        // A folder that cannot be listed is reported, and not remembered.
        QVERIFY(!l.loadFolder(l.environment.path(u"no-such-folder"_s)));
        QCOMPARE(l.platform->messages.last().text, u"The Selected Directory Could Not Be Accessed!"_s);
        QVERIFY(l.stored(u"Preferences/Last Open Directory"_s).isEmpty());
        QCOMPARE(l.platform->busyDepth, 0);
    }

    void aFolderOfPicturesAndText()
    {
        Loading l;
        const QString pictures = l.folder(u"pictures"_s, QStringList{"IMG_10.png", "notes.txt", ".hidden.png", "IMG_2.png"});
        QDir().mkpath(pictures + S + u"sub.png"_s);
        QVERIFY(l.loadFolder(pictures));
        QCOMPARE(l.names(), (QStringList{"IMG_2.png", "IMG_10.png"}));
        QCOMPARE(l.titles(), QStringList{u"Stop Loading Information"_s});  // the first load only
        QCOMPARE(l.platform->yields, 3);  // one per listed file, the text file included
        QCOMPARE(l.stored(u"Preferences/Last Open Directory"_s), pictures + S);
        QVERIFY(l.form->loadBuffer()->picture().isNull());
        QCOMPARE(l.form->PanelText(1), u"Total Thumbnails:  2"_s);
        QVERIFY(l.form->commands().generate->isEnabled());
        // A second folder: no second note.
        QVERIFY(l.loadFolder(l.folder(u"more"_s, QStringList{"x.png"})));
        QCOMPARE(l.titles().size(), 1);
        QCOMPARE(l.names().size(), 3);
    }

    void duplicatesAreNeverLoadedTwice()
    {
        Loading l;
        const QString pictures = l.folder(u"pictures"_s, QStringList{"a.png", "b.png"});
        QVERIFY(l.loadFolder(pictures));
        l.platform->messages.clear();
        QVERIFY(l.loadFolder(pictures));
        QCOMPARE(l.names().size(), 2);
        QVERIFY(l.platform->messages.isEmpty());

        l.environment.setPreference("Notify of Duplicate Images", "True");
        l.platform->messageAnswers << Ui::MsgResult::No;
        QVERIFY(l.loadFolder(pictures));
        QCOMPARE(l.titles(), QStringList{u"Duplicate Thumbnail; Continue?"_s});
        QVERIFY(l.platform->messages[0].text.startsWith(u"The File a.png "_s));
        QCOMPARE(l.platform->messages[0].buttons, Ui::MsgButtons::YesNo);
        l.platform->messages.clear();
        QVERIFY(l.loadFolder(pictures));  // answering Yes goes on: one question per file
        QCOMPARE(l.titles().size(), 2);
        QCOMPARE(l.names().size(), 2);
    }

    // Esc in a thumbnail window, Esc anywhere in the main window and the Stop command
    // each end a load after its current file; while no load runs they ask nothing, and
    // the next load is whole.
    void escapeStopsAfterTheCurrentFile()
    {
        for (const char *way : {"thumbnail window", "main window", "Stop"}) {
            Loading l;
            l.form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(l.form.get()));
            auto *listing = l.form->findChild<QTreeView *>(u"lvwListing"_s);
            const auto stop = [&] {
                if (way == QLatin1String("Stop"))
                    l.form->commands().stop->trigger();
                else if (way == QLatin1String("main window"))
                    QTest::keyClick(listing, Qt::Key_Escape);
                else
                    QTest::keyClick(l.window(u"a.png"_s), Qt::Key_Escape);
            };
            const QString pictures = l.folder(u"pictures"_s, QStringList{"a.png", "b.png", "c.png"});
            l.platform->onYield = [&](int yield) {
                if (yield == 1)
                    stop();
            };
            QVERIFY(l.loadFolder(pictures));
            QCOMPARE(l.names(), QStringList{"a.png"});
            QVERIFY(!l.form->imageLoader().stopRequested());  // reset when the load ends

            l.platform->onYield = nullptr;
            stop();
            QVERIFY2(!l.form->imageLoader().stopRequested(), way);
            QVERIFY(l.loadFolder(l.folder(u"more"_s, QStringList{"d.png", "e.png"})));
            QCOMPARE(l.names().size(), 3);
        }
    }

    void singleFilesAndTheArrangementAfterLoads()
    {
        Loading l;
        const QString pictures = l.folder(u"pictures"_s, QStringList{"a.png", "b.png", "t.txt"});
        l.openFile(pictures + S + u"a.png"_s);
        const Ui::FileDialogRequest asked = l.platform->openRequests.value(0);
        QCOMPARE(asked.title, u"Specify the Image File to Open"_s);
        QCOMPARE(asked.filterIndex, 3);
        QCOMPARE(asked.fileName, u"*.jpg"_s);
        QCOMPARE(l.names(), QStringList{"a.png"});
        l.environment.setPreference("Notify of Duplicate Images", "True");
        l.openFile(pictures + S + u"a.png"_s);
        QCOMPARE(l.titles(), QStringList{u"Duplicate Image"_s});
        QCOMPARE(l.platform->messages[0].text,
                 u"The File %1 Has Already Been Loaded."_s.arg(pictures + S + u"a.png"_s));
        l.openFile(pictures + S + u"t.txt"_s);  // unreadable: no thumbnail, no message
        QCOMPARE(l.titles().size(), 1);
        QCOMPARE(l.names().size(), 1);
        QCOMPARE(l.stored(u"Preferences/Last Open Directory"_s), pictures + S);
        // Loaded with the folder, and arranged after each load, even an unreadable single
        // file's; 1 tiles.
        QVERIFY(l.loadFolder(pictures));
        ThumbnailWindow *first = l.window(u"a.png"_s);
        first->move(250, 150);
        l.environment.setPreference("Auto Arrange After Directory Load", "True");
        l.environment.setPreference("Auto Arrange Method", "1");
        l.openFile(pictures + S + u"t.txt"_s);
        QVERIFY(first->pos() != QPoint(250, 150) && !first->geometry().intersects(l.window(u"b.png"_s)->geometry()));
    }

    // Closing windows, clearing, removing rows, asking for another load and closing the
    // main window while a load yields: nothing crashes, nothing is lost, a second load
    // does not start, and the main window closes once the load has stopped.
    void whatHappensDuringAYieldCannotBreakTheLoad()
    {
        Loading l;
        const QString pictures = l.folder(u"pictures"_s, QStringList{"p1.png", "p2.png", "p3.png", "p4.png", "p5.png", "p6.png"});
        // Each act once, when its file has just been made (closing yields too).
        QSet<QString> done;
        auto once = [&](const QString &file) { return l.window(file) && !done.contains(file) && (done << file, true); };
        l.platform->onYield = [&](int) {
            if (once(u"p1.png"_s)) {
                l.window(u"p1.png"_s)->close();
            } else if (once(u"p2.png"_s)) {
                l.platform->folderAnswers << pictures;
                l.form->mnuFileOpenDir_Click();  // ignored while loading
                l.form->LoadImageDirectory();
                l.form->mnuFileOpenFile_Click();
            } else if (once(u"p3.png"_s)) {
                l.platform->messageAnswers << Ui::MsgResult::Yes;
                l.form->mnuFileClearThumbnails_Click();
            } else if (once(u"p4.png"_s)) {
                l.form->listingRows().selectRow(0);
                l.form->listing()->popup().cxtListingRemoveThumbnail->trigger();
            }
        };
        QVERIFY(l.loadFolder(pictures));
        QCOMPARE(l.platform->folderRequests.size(), 1);
        QVERIFY(l.platform->openRequests.isEmpty());
        QCOMPARE(l.names(), (QStringList{"p5.png", "p6.png"}));
        QCOMPARE(l.form->thumbnails().count(), 2);
        QCOMPARE(l.form->mdiArea()->subWindowList().size(), 2);

        // Closing the main window stops the load first, then closes.
        l.platform->folderAnswers.clear();  // the answer the ignored request left
        bool closedAtOnce = true;
        const int before = l.platform->yields;
        l.platform->onYield = [&](int yield) {
            if (yield == before + 1)
                closedAtOnce = l.form->close();
        };
        QVERIFY(l.loadFolder(l.folder(u"more"_s, QStringList{"a.png", "b.png"})) && !closedAtOnce);
        QCOMPARE(l.names(), (QStringList{"a.png", "p5.png", "p6.png"}));
        QTRY_VERIFY(!l.form->isVisible());
        QCOMPARE(l.stored(u"Window Positions/MAINFORM/Window State"_s), u"2"_s);
    }

    // Clear All does not close the windows one by one: a new, empty document area takes
    // the old one's place, and the old one goes with every window in it. Everything that
    // works on the area works on the new one.
    void clearAllPutsAnEmptyAreaInPlace()
    {
        Loading l;
        const QString pictures = l.folder(u"pictures"_s, QStringList{"a.png", "b.png"});
        QVERIFY(l.loadFolder(pictures));
        QPointer<DocumentArea> before = l.form->mdiArea();
        QPointer<ThumbnailWindow> window = l.window(u"a.png"_s);
        l.form->mdiArea()->setActiveSubWindow(window);
        l.platform->messageAnswers << Ui::MsgResult::Yes;
        l.form->mnuFileClearThumbnails_Click();
        QVERIFY(l.form->mdiArea() != before);
        QCOMPARE(l.form->centralWidget(), l.form->mdiArea());
        QVERIFY(l.form->mdiArea()->subWindowList().isEmpty());
        QCOMPARE(l.form->thumbnails().count(), 0);
        QCOMPARE(l.form->listingRows().rowCount(), 0);
        QCOMPARE(l.form->PanelText(2), u"Current Thumbnail:"_s);
        QCOMPARE(l.form->commandBar()->actions().first()->menu()->actions().first(), l.form->commands().openDirectory);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!before && !window);

        l.platform->folderAnswers << pictures;
        l.form->mnuFileOpenDir_Click();
        QCOMPARE(l.form->mdiArea()->subWindowList().size(), 2);
        l.form->mdiArea()->setActiveSubWindow(l.window(u"b.png"_s));
        QCOMPARE(l.form->PanelText(2), u"Current Thumbnail:  "_s + pictures + S + u"b.png"_s);
        QCOMPARE(l.form->commandBar()->actions().first()->menu()->actions().first(), l.form->commands().loadDirectory);
    }

    // A picture larger than the screen gets the screen less the window frame, and a
    // scroll bar (1 across, 2 down, 3 both) in each direction it does not fit.
    void fullSizeWindowFitsTheScreenAndRemembersItsPlace()
    {
        const QList<QPair<QSize, FullSizeWindow::Fit>> cases = {{QSize(400, 300), {QSize(400, 300), 0}},
                                                               {QSize(3000, 300), {QSize(990, 315), 1}},
                                                               {QSize(400, 3000), {QSize(415, 770), 2}},
                                                               {QSize(3000, 3000), {QSize(990, 770), 3}}};
        for (const auto &[picture, expected] : cases) {
            const FullSizeWindow::Fit fit = FullSizeWindow::FitOnScreen(picture, QSize(1000, 800), QSize(10, 30), 15);
            QCOMPARE(fit.interior, expected.interior);
            QCOMPARE(fit.scrollBars, expected.scrollBars);
        }
        Loading l;
        const QString pictures = l.folder(u"pictures"_s, QStringList{"a.png", "t.txt"});
        l.environment.raw().setValue(u"Window Positions/WHOLE/Top"_s, QString::number(Twips::FromPixelsY(40)));
        l.environment.raw().setValue(u"Window Positions/WHOLE/Left"_s, u"-500"_s);
        ShowFullSize(pictures + S + u"a.png"_s, l.form.get());
        QCOMPARE(l.platform->dialogsShown, QStringList{u"WHOLE"_s});
        QCOMPARE(l.stored(u"Window Positions/WHOLE/Top"_s).toDouble(), Twips::FromPixelsY(40));
        QCOMPARE(l.stored(u"Window Positions/WHOLE/Left"_s).toDouble(),
                 Twips::FromPixelsX(Twips::ToPixelsX(10)));  // off the screen: back to 10 twips
        ShowFullSize(pictures + S + u"t.txt"_s, l.form.get());
        QCOMPARE(l.platform->dialogsShown.size(), 1);
        QCOMPARE(l.titles(), QStringList{u"Error"_s});
        QCOMPARE(l.platform->messages[0].text, u"Picture Could Not Be Loaded."_s);
    }

    void thumbnailWindowMouseKeysAndRemoval()
    {
        Loading l;
        QVERIFY(l.loadFolder(l.folder(u"pictures"_s, QStringList{"a.png"})));
        ThumbnailWindow *window = l.window(u"a.png"_s);
        QWidget *picture = window->picture().viewport();
        QLabel *caption = &window->caption();
        // Left alone shows the picture; left and right together do not.
        QTest::mousePress(picture, Qt::LeftButton);
        QCOMPARE(l.platform->dialogsShown, QStringList{u"WHOLE"_s});
        QMouseEvent both(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton,
                         Qt::LeftButton | Qt::RightButton, Qt::NoModifier);
        QCoreApplication::sendEvent(caption, &both);
        QCOMPARE(l.platform->dialogsShown.size(), 1);
        QTest::mousePress(caption, Qt::LeftButton);
        QCOMPARE(l.platform->dialogsShown.size(), 2);
        // Ctrl + right on the caption opens the menu; on the picture it closes the window.
        QTest::mouseRelease(caption, Qt::RightButton, Qt::ControlModifier);
        QVERIFY(window->popup().isVisible());
        window->popup().hide();
        l.form->mdiArea()->setActiveSubWindow(window);
        QCOMPARE(l.form->PanelText(2), u"Current Thumbnail:  "_s + window->sourcePath());
        QPointer<ThumbnailWindow> closing = window;
        QTest::mouseRelease(picture, Qt::RightButton, Qt::ControlModifier);
        QTRY_VERIFY(!closing);
        QCOMPARE(l.form->listingRows().rowCount(), 0);
        QCOMPARE(l.form->PanelText(1), u"Total Thumbnails:  0"_s);
        QCOMPARE(l.form->PanelText(2), u"Current Thumbnail:"_s);  // it names nothing that is gone
        QVERIFY(l.loadFolder(l.folder(u"one"_s, QStringList{"a.png"})) && l.loadFolder(l.folder(u"two"_s, QStringList{"a.png"})));
        const QList<QMdiSubWindow *> windows = l.form->mdiArea()->subWindowList();
        auto *second = qobject_cast<ThumbnailWindow *>(windows[1]);
        l.platform->messages.clear();
        second->popup().findChild<QAction *>(u"mnuPopupRemove"_s)->trigger();
        QCOMPARE(l.titles(), QStringList{u"Cannot Find Thumbnail"_s});
        QCOMPARE(l.form->listingRows().rowCount(), 2);
        auto *first = qobject_cast<ThumbnailWindow *>(windows[0]);
        first->popup().findChild<QAction *>(u"mnuPopupRemove"_s)->trigger();
        QTRY_COMPARE(l.form->listingRows().rowCount(), 1);
        QCOMPARE(l.form->listingRows().keyAt(0), second->sourcePath());
    }

    void thumbnailMenusTakeTheMenuBar()
    {
        Loading l;
        const QString pictures = l.folder(u"pictures"_s, QStringList{"a.png"});
        QVERIFY(l.loadFolder(pictures));
        ThumbnailWindow *window = l.window(u"a.png"_s);
        l.form->mdiArea()->setActiveSubWindow(window);
        const QList<QAction *> shown = l.form->commandBar()->actions();
        QCOMPARE(shown.size(), 6);
        // The items the bar's menus (and their submenus) show.
        const auto item = [&shown](const char *name) {
            QList<QAction *> items;
            for (QAction *menu : shown)
                items << menu->menu()->actions();
            for (qsizetype i = 0; i < items.size(); ++i) {
                if (items[i]->objectName() == QLatin1String(name))
                    return items[i];
                if (items[i]->menu())
                    items << items[i]->menu()->actions();
            }
            return static_cast<QAction *>(nullptr);
        };
        QVERIFY(item("mnuWindowsStatusBar"));
        QCOMPARE(item("mnuWindowsCascade")->text(), u"&Cascade Windows"_s);  // the thumbnail window's captions
        // Its items run the main window's commands.
        item("mnuListingAlignmentLeft")->trigger();
        QCOMPARE(l.form->listing()->side(), int(ListingPanel::Left));
        l.form->mdiArea()->setActiveSubWindow(nullptr);
        QCOMPARE(l.form->commandBar()->actions().size(), 6);
        QVERIFY(l.form->commandBar()->actions()[0] != shown[0]);  // the main window's own again
    }

    // Thumbnails made ahead on worker threads are the ones the user-interface thread
    // would have made, file by file: the same pixels, order and messages, also when the
    // thumbnail box changes and when the load is stopped in the middle.
    void threadedLoadMatchesTheOneThreadPath()
    {
        Loading l;
        QList<QPair<QString, QByteArray>> files;
        for (int i = 0; i < 14; ++i)
            files.append({u"p%1.%2"_s.arg(i).arg(i % 3 ? "jpg" : "png"),
                          TestImages::encode(TestImages::photo(900 + 37 * i, 700 - 23 * i, i), i % 3 ? "jpg" : "png")});
        files.append({u"p3b.jpg"_s, files[3].second.left(200)});  // headers only: unreadable
        files.append({u"p4b.jpg"_s, TestImages::withClaimedSize(files[1].second, 30000, 30000)});
        files.append({u"p5b.txt"_s, "no picture"});
        const QString pictures = l.folder(u"photos"_s, files);
        l.openFile(pictures + S + u"p2.jpg"_s);  // listed before: a duplicate
        l.environment.setPreference("Notify of Duplicate Images", "True");
        l.platform->messages.clear();
        l.platform->onYield = [&](int yield) {
            if (yield == 6)
                Globals::Prefs.thumbnailBox = QSize(60, 120);
            if (yield == 13)
                l.form->imageLoader().stop();
        };
        QVERIFY(l.loadFolder(pictures));
        QCOMPARE(l.titles(), (QStringList{u"Stop Loading Information"_s,
                                          u"Duplicate Thumbnail; Continue?"_s, u"Pictures Not Opened"_s}));
        // The pictures that could not be opened are named with the reason; the text file is not.
        QCOMPARE(l.platform->messages.last().text,
                 u"These Pictures Could Not Be Opened:\np3b.jpg: the file is cut short\n"
                                "p4b.jpg: too large (30000 x 30000 pixels)"_s);
        // Files taken in order up to the stop; the text and the unreadable file make none.
        QStringList made;
        for (int slot = 1; slot <= l.form->thumbnails().upperBound(); ++slot)
            made << l.form->thumbnails().window(slot)->windowTitle();
        QCOMPARE(made, (QStringList{"p2.jpg", "p0.png", "p1.jpg", "p3.png", "p4.jpg", "p5.jpg", "p6.png", "p7.jpg",
                                    "p8.jpg", "p9.png"}));
        for (const QString &name : made) {
            Picture source;
            QVERIFY(LoadAnyImageFile(source, pictures + S + name));
            Picture expected;
            const bool laterBox = name >= u"p5"_s && name != u"p2.jpg"_s;
            QVERIFY(MakeThumbnailImage(source, expected, laterBox ? QSize(60, 120) : QSize(93, 97)));
            QCOMPARE(l.window(name)->picture().picture().image(), expected.image());
        }
    }

    void everyControlHasANameAndTheKeyboardReachesTheCommands()
    {
        Loading l;
        QVERIFY(l.loadFolder(l.folder(u"pictures"_s, QStringList{"a.png"})));
        QCOMPARE(UnnamedControls(*l.form).join(", "), QString());
        ThumbnailWindow *window = l.window(u"a.png"_s);
        QSignalSpy fullSize(window, &ThumbnailWindow::fullSizeRequested);
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(fullSize.size(), 1);
        QTest::keyClick(window, Qt::Key_Menu);
        QVERIFY(window->popup().isVisible());
        window->popup().hide();

        // The listing's row: Enter shows its thumbnail, the menu key opens its menu.
        auto *rows = l.form->listing()->findChild<QTreeView *>(u"lvwListing"_s);
        QSignalSpy shown(l.form->listing(), &ListingPanel::showThumbnailRequested);
        l.form->listingRows().selectRow(0);
        rows->setCurrentIndex(l.form->listingRows().index(0, 0));
        QTest::keyClick(rows, Qt::Key_Return);
        QCOMPARE(shown.value(0).value(0).toString(), window->sourcePath());
        // The desktop turns the menu key into a request at the current row.
        const QPoint at = rows->visualRect(rows->currentIndex()).center();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, at, rows->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(rows, &request);
        auto *menu = l.form->listing()->findChild<QMenu *>(u"cxtListing"_s);
        QVERIFY(menu->isVisible());
        menu->hide();
    }

    // Through the accessibility interfaces, as a screen reader goes: each open menu
    // answers for its items, also for those it shares with the other kind of window's
    // menus, and a submenu opens from its item; the document area is a named pane of
    // the windows; a caption cut on screen is read whole.
    void screenReadersReachEveryItemTheWindowsAndWholeCaptions()
    {
        Loading l;
        const QString name = u"a-picture-name-so-long-that-the-caption-cuts-it-in-the-middle.png"_s;
        QVERIFY(l.loadFolder(l.folder(u"pictures"_s, QStringList{name})));
        ThumbnailWindow *window = l.window(name);
        auto *caption = window->findChild<QLabel *>(u"lblCaption"_s);
        QVERIFY(caption->text() != window->captionText());
        QCOMPARE(QAccessible::queryAccessibleInterface(caption)->text(QAccessible::Name), window->captionText());

        QAccessibleInterface *area = QAccessible::queryAccessibleInterface(l.form->mdiArea());
        QCOMPARE(area->role(), QAccessible::LayeredPane);
        QCOMPARE(area->text(QAccessible::Name), u"Thumbnail windows"_s);
        QCOMPARE(area->childCount(), 1);
        QCOMPARE(area->child(0)->object(), window);
        QCOMPARE(area->indexOfChild(area->child(0)), 0);

        const auto listingMenu = [&l] {
            for (QAction *menu : l.form->commandBar()->actions())
                if (menu->objectName() == QLatin1String("mnuListing"))
                    return menu->menu();
            return static_cast<QMenu *>(nullptr);
        };
        l.form->mdiArea()->setActiveSubWindow(window);
        QMenu *thumbnailListing = listingMenu();
        l.form->mdiArea()->setActiveSubWindow(nullptr);
        QMenu *mainListing = listingMenu();
        QVERIFY(mainListing != thumbnailListing);
        QMenu *alignment = l.form->commands().alignment;
        for (QMenu *open : {thumbnailListing, mainListing, thumbnailListing}) {
            open->popup(QPoint());
            QAccessibleInterface *menu = QAccessible::queryAccessibleInterface(open);
            QStringList items;
            for (int i = 0; i < menu->childCount(); ++i) {
                QAccessibleInterface *item = menu->child(i);
                QCOMPARE(item->parent()->object(), open);
                QVERIFY(!item->state().invisible);
                items << item->text(QAccessible::Name);
            }
            QCOMPARE(items, (QStringList{"Alignment", QString(), "Hide"}));
            menu->child(0)->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
            QTRY_VERIFY(alignment->isVisible());
            QCOMPARE(QAccessible::queryAccessibleInterface(alignment)->parent()->parent()->object(), open);
            alignment->hide();
            open->hide();
        }
    }

    void droppedFilesAndFoldersOpenAsIfChosen()
    {
        Loading l;
        const QString pictures = l.folder(u"pictures"_s, QStringList{"a.png", "b.png"});
        const QString single = l.folder(u"single"_s, QStringList{"c.png"});
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(pictures), QUrl::fromLocalFile(single + S + u"c.png"_s)});
        const auto drag = [&] {
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(l.form.get(), &enter);
            return enter.isAccepted();
        };
        bool refusedWhileLoading = false;
        l.platform->onYield = [&](int) { refusedWhileLoading = !drag(); };
        QVERIFY(drag());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(l.form.get(), &drop);
        QTRY_COMPARE(l.names().size(), 3);
        QVERIFY(refusedWhileLoading);
        QCOMPARE(Globals::Prefs.lastOpenDirectory, single + S);  // as the open dialog leaves it
        QMimeData web;
        web.setUrls({QUrl(u"https://example.org/a.png"_s)});
        QDragEnterEvent remote(QPoint(10, 10), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(l.form.get(), &remote);
        QVERIFY(!remote.isAccepted());
    }
};

QTEST_MAIN(ThumbsTest)
#include "tst_thumbs.moc"
