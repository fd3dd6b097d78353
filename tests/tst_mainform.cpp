#include "MainFormFixture.h"
#include "TestImages.h"

#include "frame/CaptionFlasher.h"
#include "frame/ListingPanel.h"
#include "frame/Startup.h"
#include "frame/WindowArrangement.h"
#include "imagebuffer/ImageBuffer.h"
#include "thumbs/ThumbnailWindow.h"
#include "ui/Twips.h"

#include <QAccessible>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>

namespace {

// Lets the frame apply the dock sizes it was asked for.
void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

struct Listing : Frame {
    ListingPanel &panel() const { return *form->listing(); }
    // A thumbnail of a picture of that size, from a file that need not exist.
    ThumbnailWindow *make(const QString &name, QSize size = QSize(60, 40))
    {
        Picture picture = Picture::fromImage(TestImages::pattern(size.width(), size.height()));
        const QString path = QDir::toNativeSeparators(environment.path(name));
        return form->thumbnailMaking().CreateThumbnail(picture, path) == 0 ? form->thumbnailMaking().windowOf(path)
                                                                            : nullptr;
    }
    QString key(const QString &name) const { return QDir::toNativeSeparators(environment.path(name)); }
    void select(int row) { form->listingRows().selectRow(row); }
};

void closeMainWindow()
{
    if (MainForm *window = Globals::MainWindow) {
        window->close();
        delete window;
    }
}

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartOpensMaximisedWithTheListingOnTheRight()
    {
        Frame frame;
        QVERIFY(frame.form->isMaximized());
        QCOMPARE(frame.form->dockWidgetArea(frame.form->listing()), Qt::RightDockWidgetArea);
        QCOMPARE(frame.stored(u"Preferences/Listing Alignment"_s), u"4"_s);
        auto *toolbar = frame.form->findChild<QToolBar *>(u"picToolbar"_s);
        auto *status = frame.form->findChild<QStatusBar *>(u"StatusBar1"_s);
        QVERIFY(toolbar->isVisible() && status->isVisible() && !frame.form->loadBuffer()->isVisible());
        // A first session's settings file holds only the values it wrote.
        frame.form->close();
        const QByteArray settings = contentsOf(frame.environment.settingsFile());
        QVERIFY(settings.contains("Window%20State=2"));
        QVERIFY2(!settings.contains("@Invalid"), settings.constData());
    }

    // A stored position is kept where it is on the screen and put back where it is not;
    // a stored side the listing cannot take docks it on the right.
    void positionAndSideAreRestoredAndRepaired()
    {
        struct Case { QString top, left; QPoint expected; QString side; Qt::DockWidgetArea area; };  // twips: left, top
        for (const auto &[top, left, expected, side, area] :
             {Case{"1500", "3000", {3000, 1500}, "1", Qt::TopDockWidgetArea},
              {"-48000", "-48000", {100, 100}, "7", Qt::RightDockWidgetArea},  // closed while minimised
              {"9e6", "9e6", {100, 100}, "0", Qt::RightDockWidgetArea}, {"high", "far", {0, 0}, "left", Qt::RightDockWidgetArea},
              {"1500", "3000", {3000, 1500}, "-1", Qt::RightDockWidgetArea}}) {
            TestEnvironment environment;
            environment.store({{u"Window Positions/MAINFORM/Window State"_s, u"0"_s}, {u"Window Positions/MAINFORM/Top"_s, top},
                               {u"Window Positions/MAINFORM/Left"_s, left}, {u"Preferences/Listing Alignment"_s, side}});
            Ui::ScriptedPlatformScope scripted;
            MainForm form;
            QCOMPARE(form.dockWidgetArea(form.listing()), area);
            QVERIFY(!form.isMaximized());
            QCOMPARE(form.pos(), QPoint(Twips::ToPixelsX(expected.x()), Twips::ToPixelsY(expected.y())));
        }
    }

    void commandStates()
    {
        Frame frame;
        auto states = [&frame] {
            QString text;
            for (const char *key : {"Open Directory", "Open File", "Save Images", "Save Thumbnails", "Generate Code",
                                    "Stop", "Listing Align", "Cascade", "Tile", "Mosaic"})
                text += frame.shown(key) ? (frame.button(key)->isEnabled() ? u'E' : u'd') : u'-';
            return text;
        };
        // E enabled, d disabled, - hidden.
        QCOMPARE(states(), u"EEddd-Eddd"_s);
        frame.form->SetCommandStates(true);
        QCOMPARE(states(), u"dddd-Edddd"_s);
        frame.form->SetCommandStates(false);
        QCOMPARE(states(), u"EEddd-Eddd"_s);
        frame.addRow();  // a thumbnail arriving outside a load enables its commands at once
        QCOMPARE(states(), u"EEEEE-EEEE"_s);
        frame.action("mnuListingHide")->trigger();
        QCOMPARE(states(), u"EEEEE-dEEE"_s);
        QVERIFY(!frame.action("mnuListingAlignment")->isEnabled() && frame.form->listing()->isHidden());
        frame.action("mnuListingHide")->trigger();
        QVERIFY(frame.form->listing()->isVisible() && frame.form->commands().listingAlign->isEnabled());
    }

    void captionFlashHelpAndDialogs()
    {
        Frame frame;
        CaptionFlasher &flasher = frame.form->flasher();
        QMdiSubWindow *first = frame.child(u"a.jpg"_s);
        QMdiSubWindow *second = frame.child(u"b.png"_s);
        Globals::FlashTarget = first;
        flasher.start();
        for (int tick = 0; tick < 3; ++tick)
            flasher.tmrFlash_Timer();
        Globals::FlashTarget = second;  // a new target starts the count again
        for (int tick = 0; tick < 10; ++tick)
            flasher.tmrFlash_Timer();
        QVERIFY(!CaptionFlasher::LooksToggled(second) && CaptionFlasher::LooksToggled(first));
        flasher.tmrFlash_Timer();
        QVERIFY(!flasher.timer().isActive());
        QCOMPARE(frame.form->mdiArea()->activeSubWindow(), second);
        Globals::HelpFile = QCoreApplication::applicationDirPath() + u"/../Quillmere.hlp"_s;
        frame.action("mnuHelpContents")->trigger();
        QCOMPARE(frame.scripted->helpRequests.value(0).topic, 1003);
        QFile help(Globals::HelpFile);
        QVERIFY(help.open(QIODevice::ReadOnly) && help.readAll().contains("name=\"1003\""));
        frame.action("mnuHelpAbout")->trigger();
        frame.action("mnuFilePrefs")->trigger();
        frame.action("mnuHTMLEditor")->trigger();
        ThumbCollection &thumbs = frame.form->thumbnails();
        thumbs.release(thumbs.FindFreeThumb());  // the menu item is enabled, the listing empty
        frame.action("mnuHTMLGenerate")->trigger();
        QCOMPARE(frame.scripted->dialogsShown, (QStringList{u"ABOUT"_s, u"PREFS"_s, u"HTML"_s}));
    }

    void sizesAreStoredAndClamped()
    {
        Listing l;
        settle();
        // First activation takes the stored width (default 3510 twips).
        QCOMPARE(l.panel().width(), Twips::ToPixelsX(3510));
        const double half = Twips::FromPixelsX(l.form->frameGeometry().width()) / 2;
        QCOMPARE((QList<double>{l.panel().clampedSize(100), l.panel().clampedSize(half + 500), l.panel().clampedSize(3000)}),
                 (QList<double>{ListingPanel::MinimumWidth, half, 3000}));
        // Docked at the top, the height counts, with its own default.
        l.action("mnuListingAlignmentTop")->trigger();
        settle();
        // (never less than its controls need)
        QCOMPARE(l.panel().height(), std::max(Twips::ToPixelsY(1200), l.panel().minimumSizeHint().height()));
        QCOMPARE(l.stored(u"Preferences/Listing Alignment"_s), u"1"_s);
        // The size the user gives it lasts.
        l.form->resizeDocks({&l.panel()}, {Twips::ToPixelsY(2000)}, Qt::Vertical);
        settle();
        l.form->close();
        QCOMPARE(l.stored(u"Preferences/Listing Height"_s).toDouble(), Twips::FromPixelsY(Twips::ToPixelsY(2000)));

        // A stored size beyond the limits comes back within them.
        Listing wide;
        wide.environment.raw().setValue(u"Preferences/Listing Width"_s, u"99999"_s);
        wide.form->listing()->ListingLayout(true, true);
        settle();
        QCOMPARE(wide.panel().width(), wide.form->frameGeometry().width() / 2);
    }

    void sidesTurnClockwiseAndTheStatusBarStaysAtTheBottom()
    {
        Listing l;
        const QList<QPair<int, Qt::DockWidgetArea>> turns = {{ListingPanel::Bottom, Qt::BottomDockWidgetArea},
                                                            {ListingPanel::Left, Qt::LeftDockWidgetArea},
                                                            {ListingPanel::Top, Qt::TopDockWidgetArea},
                                                            {ListingPanel::Right, Qt::RightDockWidgetArea}};
        for (const auto &[side, area] : turns) {
            l.form->commands().listingAlign->trigger();
            settle();
            QCOMPARE(l.form->dockWidgetArea(&l.panel()), area);
            QCOMPARE(l.stored(u"Preferences/Listing Alignment"_s), QString::number(side));
            QVERIFY(l.form->statusBar()->geometry().top() > l.panel().geometry().bottom());
        }
    }

    void rowsAreOrderedByHeaderOrByHand()
    {
        Listing l;
        l.form->findChild<QCheckBox *>(u"chkSort"_s)->click();  // auto sort off
        for (const char *name : {"b10.png", "a.png", "b9.png"})
            QVERIFY(l.make(QString::fromLatin1(name)));
        QCOMPARE(l.names(), (QStringList{"b10.png", "a.png", "b9.png"}));
        emit l.panel().list()->header()->sectionClicked(0);
        QCOMPARE(l.names(), (QStringList{"a.png", "b9.png", "b10.png"}));
        // Selected as a screen reader selects a row: it is not made current.
        l.panel().list()->doItemsLayout();
        QVERIFY(QAccessible::queryAccessibleInterface(l.panel().list())->tableInterface()->selectRow(2));
        l.form->findChild<QToolButton *>(u"cmdUp"_s)->click();
        QCOMPARE(l.names(), (QStringList{"a.png", "b10.png", "b9.png"}));
        // Rows are read-only lines: asking the view to edit one opens no editor.
        l.panel().list()->edit(l.form->listingRows().index(1, 0));
        QVERIFY(l.panel().list()->findChildren<QLineEdit *>().isEmpty());
        l.form->findChild<QToolButton *>(u"cmdDown"_s)->click();
        l.form->findChild<QToolButton *>(u"cmdDown"_s)->click();  // already last
        QCOMPARE(l.names(), (QStringList{"a.png", "b9.png", "b10.png"}));
        // With auto sort on, new rows take their sorted place.
        l.form->findChild<QCheckBox *>(u"chkSort"_s)->click();
        QVERIFY(l.make(u"b1.png"_s));
        QCOMPARE(l.names(), (QStringList{"a.png", "b1.png", "b9.png", "b10.png"}));
    }

    void aRowBringsItsThumbnailForwardAndHasAMenu()
    {
        Listing l;
        ThumbnailWindow *first = l.make(u"a.png"_s);
        ThumbnailWindow *second = l.make(u"b.png"_s);
        QVERIFY(first && second);
        l.form->mdiArea()->setActiveSubWindow(second);
        l.panel().lvwListing_DblClick();  // nothing selected: nothing happens
        QVERIFY(!l.form->flasher().timer().isActive());
        l.select(int(l.form->listingRows().keys().indexOf(l.key(u"a.png"_s))));
        l.panel().lvwListing_DblClick();
        QCOMPARE(l.form->mdiArea()->activeSubWindow(), first);
        QCOMPARE(Globals::FlashTarget.data(), first);
        QVERIFY(l.form->flasher().timer().isActive());
        ListingPopup &popup = l.panel().popup();
        l.select(-1);
        popup.cxtListingProperties->trigger();  // no row: nothing to show
        QCOMPARE(l.scripted->beeps, 1);

        l.select(0);
        l.scripted->propertiesAnswers << true << false;
        popup.cxtListingProperties->trigger();
        popup.cxtListingProperties->trigger();
        QCOMPARE(l.scripted->shellCalls.value(0), u"properties "_s + l.key(u"a.png"_s));
        QCOMPARE(l.scripted->beeps, 2);  // the second found no file manager

        popup.cxtListingRemoveThumbnail->trigger();
        QCOMPARE(l.names(), QStringList{"b.png"});
        QCOMPARE(l.form->thumbnails().count(), 1);
        QCOMPARE(l.form->PanelText(1), u"Total Thumbnails:  1"_s);
    }

    void mosaicArrangesTheThumbnailsInSlotOrder()
    {
        Listing l;
        l.form->commands().mosaic->trigger();  // nothing loaded: nothing happens
        QList<ThumbnailWindow *> windows;
        for (const char *name : {"a.png", "b.png", "c.png", "d.png"})
            windows << l.make(QString::fromLatin1(name));
        windows[1]->close();  // a free slot leaves no gap
        windows[3]->showMinimized();
        windows[0]->move(300, 200);
        l.form->SetCommandStates(false);
        l.form->commands().cascade->trigger();  // which widens the windows
        l.form->commands().mosaic->trigger();
        QCOMPARE(windows[0]->size(), windows[0]->ownSize());
        QCOMPARE(windows[0]->pos(), QPoint(0, 0));
        QCOMPARE(windows[2]->pos(), QPoint(windows[0]->width(), 0));
        QVERIFY(!windows[3]->isMinimized());
        QCOMPARE(windows[3]->pos(), QPoint(windows[0]->width() + windows[2]->width(), 0));
        // Three 1500-twip windows in a 4000-twip area: two in the first row, the third
        // below the taller of them.
        QCOMPARE(MosaicPositions({{1500, 900}, {1500, 1200}, {1500, 700}}, 4000), (QList<QPoint>{{0, 0}, {1500, 0}, {0, 1200}}));
        // A window that exactly fills what is left stays in the row.
        QCOMPARE(MosaicPositions({{1500, 900}, {2500, 900}, {10, 10}}, 4000), (QList<QPoint>{{0, 0}, {1500, 0}, {0, 900}}));
        // A window wider than the area still starts a row at the left edge.
        QCOMPARE(MosaicPositions({{5000, 800}, {100, 100}}, 4000), (QList<QPoint>{{0, 0}, {0, 800}}));
        QVERIFY(MosaicPositions({}, 4000).isEmpty());
        // Windows beyond the area: the one activated is scrolled into view.
        for (int i = 0; i < 40; ++i)
            windows << l.make(u"p%1.png"_s.arg(i));
        l.form->commands().mosaic->trigger();
        DocumentArea &area = *l.form->mdiArea();
        area.setActiveSubWindow(windows[0]);
        QVERIFY(!area.viewport()->rect().contains(windows.last()->geometry()));
        area.activatePreviousSubWindow();  // as Ctrl+Shift+Tab does: round to the last
        QVERIFY(area.activeSubWindow() == windows.last() && area.viewport()->rect().contains(windows.last()->geometry()));
    }

    void firstStartAndSettingsLostWhileRunning()
    {
        TestEnvironment environment;
        Ui::ScriptedPlatformScope scripted;
        InstanceLock lock(environment.lockFile());
        QVERIFY(StartProgram(lock) && scripted->messages.isEmpty() && Globals::MainWindow && Globals::MainWindow->isVisible());

        const QString home = QDir::toNativeSeparators(environment.path(u"app"_s)) + S;
        QCOMPARE(Globals::AppPath, home);
        QVERIFY(QFileInfo(home).isDir());
        const Preferences &preferences = Globals::Prefs;
        QCOMPARE(preferences.lastOpenDirectory, home);
        QCOMPARE(preferences.localImageDirectory, home);
        QCOMPARE(preferences.localThumbnailDirectory, home);

        QSettings raw = environment.raw();
        QVERIFY(raw.childGroups().contains(u"Preferences"_s));
        const QString canonical = QFileInfo(home).canonicalFilePath() + S;
        QCOMPARE(raw.value(u"Path/EXE Path"_s).toString(), canonical);

        // A settings file that becomes unusable while the program runs ends it in order
        // when the window closes: one message, no abort.
        QVERIFY(QFile::remove(environment.settingsFile()) && QDir().mkpath(environment.settingsFile()));
        Globals::MainWindow->findChild<QAction *>(u"mnuWindowsToolbar"_s)->trigger();
        closeMainWindow();
        QCOMPARE(scripted->messages.size(), 1);
        QCOMPARE(scripted->messages[0].title, u"Settings Error"_s);
        QVERIFY(scripted->messages[0].text.contains(environment.settingsFile()));
    }

    // Stored width, height and left margin, and what the preferences become: one
    // reading, with the fallback, for everything that uses the thumbnail box.
    void numericPreferences()
    {
        const QList<QPair<QStringList, QList<int>>> cases = {
            {{"120", "80.5", "4.5"}, {120, 80, 4}},    {{"93", "97", "5.5"}, {93, 97, 6}},  // halves to even
            {{"12px", "97", "7 pixels"}, {93, 97, 7}}, {{"abc", "tall", "wide"}, {93, 97, 0}}, {{"0", "-40", "4"}, {93, 97, 4}}};
        for (const auto &[stored, expected] : cases) {
            TestEnvironment environment;
            environment.store({{u"Preferences/Thumbnail Width"_s, stored[0]}, {u"Preferences/Thumbnail Height"_s, stored[1]},
                               {u"Preferences/Left Margin"_s, stored[2]}});
            Ui::ScriptedPlatformScope scripted;
            InstanceLock lock(environment.lockFile());
            QVERIFY(StartProgram(lock));
            const Preferences &read = Globals::Prefs;
            QCOMPARE((QList<int>{read.thumbnailBox.width(), read.thumbnailBox.height(), read.leftMargin}), expected);
            closeMainWindow();
        }
    }

    // A start that cannot go on shows one message and no window, and leaves the settings
    // file as it was: another instance runs, or the settings file is a folder or no INI
    // file. An INI file as an editor may leave it (byte-order mark, comments, CR LF) is
    // fine, and so is a lock that cannot be made.
    void startsThatCannotGoOnSayWhy()
    {
        const QList<std::pair<QByteArray, QString>> cases = {
            {"running", u"Previous Instance"_s}, {"folder", u"Settings Error"_s},
            {QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\x01\x02\x03\xff\xfe\0binary", 27), u"Settings Error"_s},
            {"[Preferences]\nThumbnail Width=120\nthis line is no setting\n", u"Settings Error"_s},
        };
        for (const auto &[settings, title] : cases) {
            TestEnvironment environment;
            Ui::ScriptedPlatformScope scripted;
            InstanceLock first(environment.lockFile()), lock(environment.lockFile());
            if (settings == "running")
                QVERIFY(first.acquire());
            else if (settings == "folder")
                QVERIFY(QDir().mkpath(environment.settingsFile()));
            else
                QVERIFY(writeFile(environment.settingsFile(), settings));
            QVERIFY(!StartProgram(lock));
            QCOMPARE(scripted->messages.size(), 1);
            QCOMPARE(scripted->messages[0].title, title);
            QVERIFY(!Globals::MainWindow);
            if (settings == "running")
                QCOMPARE(scripted->messages[0].text, u"Quillmere is Already Running."_s);
            else
                QVERIFY(scripted->messages[0].text.contains(environment.settingsFile()));
            QCOMPARE(contentsOf(environment.settingsFile()), settings == "running" || settings == "folder" ? QByteArray() : settings);
        }
        TestEnvironment environment;
        Ui::ScriptedPlatformScope scripted;
        QVERIFY(writeFile(environment.settingsFile(), "\xEF\xBB\xBF; kept by hand\r\n[Preferences]\r\nThumbnail%20Width=120\r\n\r\n"));
        QVERIFY(writeFile(environment.path(u"plain-file"_s)));
        InstanceLock lock(environment.path(u"plain-file/quillmere.lock"_s));  // it cannot be made: no hindrance
        QVERIFY(StartProgram(lock) && scripted->messages.isEmpty());
        QCOMPARE(Globals::Prefs.thumbnailBox, QSize(120, 97));
        closeMainWindow();
    }

    // The first start opens its folder once the window shows; a second start (another
    // process) hands its folder to the first and ends without a message.
    void pathsFromTheCommandLineAndFromASecondStart()
    {
        TestEnvironment environment;
        Ui::ScriptedPlatformScope scripted;
        scripted->yieldsRunEvents = true;  // as loads run on the desktop, events and all
        const QString runtime = environment.path(u"run"_s);
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        const auto folder = [&](const QString &name, int pictures = 1) {
            const QString path = environment.path(name);
            for (int i = 0; i < pictures; ++i)
                writeFile(path + u"/%1 %2.png"_s.arg(name).arg(i),
                          TestImages::encode(TestImages::photo(400, 300, quint32(i)), "png"));
            return path;
        };
        const QString first = folder(u"first"_s), second = folder(u"second"_s);
        InstanceLock lock(InstanceLock::path());
        QVERIFY(StartProgram(lock, {first}));
        QTRY_COMPARE(Globals::MainWindow->listingRows().rowCount(), 1);
        QVERIFY(Globals::MainWindow->isMaximized());

        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        const auto handOver = [&](const QString &name, int rows) {
            QProcess start;
            start.setProcessEnvironment(variables);
            start.setWorkingDirectory(environment.path(QString()));
            start.start(QStringLiteral(QUILLMERE_PROGRAM), {name});  // relative to its directory
            QTRY_COMPARE_WITH_TIMEOUT(Globals::MainWindow->listingRows().rowCount(), rows, 20000);
            // (It may have ended while the events that brought its folder were handled.)
            QVERIFY(start.state() == QProcess::NotRunning || start.waitForFinished(20000));
            QCOMPARE(start.exitStatus(), QProcess::NormalExit);
            QCOMPARE(start.exitCode(), 0);
        };
        handOver(u"second"_s, 2);
        QCOMPARE(Globals::MainWindow->listingRows().pathAt(1), QDir::toNativeSeparators(second + u"/second 0.png"_s));
        QVERIFY(Globals::MainWindow->isMaximized());  // raised, not restored to a smaller size
        QCOMPARE(scripted->messages.size(), 1);  // the first-run note, once
        // Folders of many pictures, whose loads outlast the starts that handed them over.
        for (int round = 1; round <= 4; ++round) {
            folder(u"many %1"_s.arg(round), 24);
            handOver(u"many %1"_s.arg(round), 2 + 24 * round);
        }
        QCOMPARE(Globals::MainWindow->thumbnails().count(), 2 + 24 * 4);
        closeMainWindow();
        qunsetenv("XDG_RUNTIME_DIR");
    }
};

QTEST_MAIN(MainFormTest)
#include "tst_mainform.moc"
