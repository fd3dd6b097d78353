#include "TestEnvironment.h"

#include "frame/AboutBox.h"
#include "frame/CaptionFlasher.h"
#include "frame/ListingPanel.h"
#include "frame/MainForm.h"
#include "imagebuffer/ImageBuffer.h"
#include "ui/ScriptedPlatform.h"
#include "ui/Twips.h"

#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

namespace {

// A main window made the way the start procedure makes it, shown and activated.
struct Frame {
    TestEnvironment environment;
    Ui::ScriptedPlatformScope scripted;
    std::unique_ptr<MainForm> form;

    explicit Frame(QTime clock = QTime(12, 0))
    {
        scripted->clock = clock;
        form.reset(new MainForm);
        form->setAttribute(Qt::WA_DeleteOnClose, false);
        form->show();
    }
    QString stored(const QString &key) const { return environment.raw().value(key).toString(); }
    bool enabled(const char *key) const { return form->button(QString::fromUtf8(key))->isEnabled(); }
    bool visible(const char *key) const { return form->button(QString::fromUtf8(key))->isVisible(); }
    void addRow() { new QTreeWidgetItem(form->listing()->list(), {QStringLiteral("a.jpg")}); }
    void open(const char *menu) { emit form->findChild<QMenu *>(QString::fromUtf8(menu))->aboutToShow(); }
};

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartOpensMaximisedWithTheListingOnTheRight();
    void menusHaveTheirCaptionsAndNoShortcuts();
    void toolbarButtons();
    void generatePictureFollowsTheHour();
    void positionIsRestoredAndRepaired_data();
    void positionIsRestoredAndRepaired();
    void unloadStoresThePosition();
    void storedListingSideIsUsed();
    void commandStates();
    void menusSetTheirItemsWhenOpened();
    void toolbarAndStatusBarToggle();
    void windowsMenuListsTheChildWindows();
    void flashRestartsForASecondWindow();
    void helpAndAbout();
    void stopButtonEndsALoad();
};

void MainFormTest::firstStartOpensMaximisedWithTheListingOnTheRight()
{
    Frame frame;
    QVERIFY(frame.form->isMaximized());
    QCOMPARE(frame.form->windowTitle(), QStringLiteral("Quillmere"));
    QCOMPARE(frame.form->dockWidgetArea(frame.form->listing()), Qt::RightDockWidgetArea);
    QCOMPARE(frame.form->findChild<QLabel *>(QStringLiteral("lblLogo"))->text(), QStringLiteral("Quillmere v 1.3"));
    QCOMPARE(frame.form->PanelText(1), QStringLiteral("Total Thumbnails:"));
    QCOMPARE(frame.form->PanelText(2), QStringLiteral("Current Thumbnail:"));
    QCOMPARE(frame.form->thumbTemplate()->size(), QSize(93, 97));
    QCOMPARE(frame.stored(QStringLiteral("Preferences/Listing Alignment")), QStringLiteral("4"));
    QVERIFY(frame.form->findChild<QToolBar *>(QStringLiteral("picToolbar"))->isVisible());
    QVERIFY(frame.form->findChild<QStatusBar *>(QStringLiteral("StatusBar1"))->isVisible());
    QVERIFY(!frame.form->loadBuffer()->isVisible());
}

void MainFormTest::menusHaveTheirCaptionsAndNoShortcuts()
{
    Frame frame;
    const QList<QPair<QString, QString>> items = {
        {"mnuFile", "&File"}, {"mnuFileOpenDir", "Open Image &Directory"}, {"mnuFileOpenFile", "Open an &Image"},
        {"mnuFileClearThumbnails", "&Clear All Thumbnails"}, {"mnuFilePrefs", "&Preferences"},
        {"mnuFileExit", "E&xit"}, {"mnuHTML", "&HTML"}, {"mnuHTMLGenerate", "&Generate HTML Code..."},
        {"mnuHTMLEditor", "&Editor..."}, {"mnuImages", "&Images"}, {"mnuImagesSaveThumbnails", "Save &Thumbnails"},
        {"mnuImagesSaveImages", "Save &Images"}, {"mnuListing", "&Listing"}, {"mnuListingAlignment", "&Alignment"},
        {"mnuListingAlignmentTop", "&Top"}, {"mnuListingAlignmentRight", "&Right"},
        {"mnuListingAlignmentBottom", "&Bottom"}, {"mnuListingAlignmentLeft", "&Left"}, {"mnuListingHide", "&Hide"},
        {"mnuWindows", "&Windows"}, {"mnuWindowsCascade", "&Cascade"}, {"mnuWindowsTile", "&Tile"},
        {"mnuWindowsMosaic", "&Mosaic"}, {"mnuWindowsToolbar", "&Toolbar"}, {"mnuWindowsStatusbar", "&Status Bar"},
        {"mnuHelp", "H&elp"}, {"mnuHelpContents", "&Help Contents"}, {"mnuHelpAbout", "&About..."}};
    for (const auto &[name, caption] : items) {
        QAction *item = frame.form->menuItem(name);
        QVERIFY2(item, qPrintable(name));
        QCOMPARE(item->text(), caption);
        QVERIFY(item->shortcut().isEmpty());
    }
    for (const char *separator : {"mnuFileSep1", "mnuFileSep2", "mnuFileSep3", "mnuListingSep1", "mnuWindowsSep1",
                                  "mnuHelpSep"})
        QVERIFY(frame.form->menuItem(QString::fromUtf8(separator))->isSeparator());
    QStringList bar;
    for (QAction *menu : frame.form->menuBar()->actions())
        bar << menu->text();
    QCOMPARE(bar, (QStringList{"&File", "&HTML", "&Images", "&Listing", "&Windows", "H&elp"}));
}

void MainFormTest::toolbarButtons()
{
    Frame frame;
    const QList<QAction *> actions = frame.form->toolbar()->actions();
    QCOMPARE(actions.size(), 14);
    for (int separator : {2, 5, 8, 10})
        QVERIFY(actions[separator]->isSeparator());
    QAction *saveThumbs = actions[4];
    QCOMPARE(saveThumbs->property("key").toString(), QStringLiteral("Save Thumbnails"));
    QCOMPARE(saveThumbs->text(), QStringLiteral("Save Thumbs"));
    QCOMPARE(saveThumbs->property("tag").toString(), QStringLiteral("Save Thumbnails"));
    QCOMPARE(saveThumbs->toolTip(), QStringLiteral("Save Thumbnails to a Directory"));
    QAction *openFile = actions[1];
    QCOMPARE(openFile->property("key").toString(), QStringLiteral("Open File"));
    QCOMPARE(openFile->property("image").toString(), QStringLiteral("Open Image"));
    QCOMPARE(openFile->property("tag").toString(), QStringLiteral("Open Image"));
    QCOMPARE(openFile->toolTip(), QStringLiteral("Create a Thumbnail From An Image"));
    QAction *stop = actions[7];
    QCOMPARE(stop->text(), QStringLiteral("Stop!"));
    QCOMPARE(stop->property("tag").toString(), QStringLiteral("Stop!"));
    QCOMPARE(actions[13]->toolTip(), QStringLiteral("Mosaic Arrange All Thumbnail Windows"));
    for (QAction *action : actions)
        QVERIFY(action->isSeparator() || !action->icon().isNull());

    frame.form->CreateToolbarButtons(false, {});
    QVERIFY(frame.form->toolbar()->actions().isEmpty());
}

void MainFormTest::generatePictureFollowsTheHour()
{
    Frame beforeEleven(QTime(10, 59));
    QCOMPARE(beforeEleven.form->button("Generate Code")->property("image").toString(), QStringLiteral("Generate1"));
    Frame atEleven(QTime(11, 0));
    QCOMPARE(atEleven.form->button("Generate Code")->property("image").toString(), QStringLiteral("Generate2"));
    Frame midnight(QTime(0, 30));
    QCOMPARE(midnight.form->button("Generate Code")->property("image").toString(), QStringLiteral("Generate1"));
}

void MainFormTest::positionIsRestoredAndRepaired_data()
{
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("left");
    QTest::addColumn<double>("expectedTop");
    QTest::addColumn<double>("expectedLeft");
    QTest::newRow("inside") << "1500" << "3000" << 1500.0 << 3000.0;
    QTest::newRow("closed while minimised") << "-48000" << "-48000" << 100.0 << 100.0;
    QTest::newRow("beyond the screen") << "9e6" << "9e6" << 100.0 << 100.0;
    QTest::newRow("not numbers") << "high" << "far" << 0.0 << 0.0;
}

void MainFormTest::positionIsRestoredAndRepaired()
{
    QFETCH(QString, top);
    QFETCH(QString, left);
    QFETCH(double, expectedTop);
    QFETCH(double, expectedLeft);
    TestEnvironment environment;
    {
        QSettings raw = environment.raw();
        raw.setValue(QStringLiteral("Window Positions/MAINFORM/Window State"), QStringLiteral("0"));
        raw.setValue(QStringLiteral("Window Positions/MAINFORM/Top"), top);
        raw.setValue(QStringLiteral("Window Positions/MAINFORM/Left"), left);
    }
    Ui::ScriptedPlatformScope scripted;
    MainForm form;
    QVERIFY(!form.isMaximized());
    QCOMPARE(form.pos(), QPoint(Twips::ToPixelsX(expectedLeft), Twips::ToPixelsY(expectedTop)));
}

void MainFormTest::unloadStoresThePosition()
{
    Frame frame;
    frame.form->close();
    QCOMPARE(frame.stored(QStringLiteral("Window Positions/MAINFORM/Window State")), QStringLiteral("2"));
    QVERIFY(!frame.environment.raw().contains(QStringLiteral("Window Positions/MAINFORM/Top")));

    Frame normal;
    normal.form->setWindowState(Qt::WindowNoState);
    normal.form->move(40, 60);
    normal.form->close();
    QCOMPARE(normal.stored(QStringLiteral("Window Positions/MAINFORM/Window State")), QStringLiteral("0"));
    QCOMPARE(normal.stored(QStringLiteral("Window Positions/MAINFORM/Top")), QStringLiteral("900"));
    QCOMPARE(normal.stored(QStringLiteral("Window Positions/MAINFORM/Left")), QStringLiteral("600"));
    // The next start comes back there.
    MainForm again;
    QCOMPARE(again.pos(), QPoint(40, 60));
}

void MainFormTest::storedListingSideIsUsed()
{
    TestEnvironment environment;
    environment.raw().setValue(QStringLiteral("Preferences/Listing Alignment"), QStringLiteral("1"));
    Ui::ScriptedPlatformScope scripted;
    MainForm form;
    QCOMPARE(form.listing()->side(), 1);
    QCOMPARE(form.dockWidgetArea(form.listing()), Qt::TopDockWidgetArea);
    environment.raw().setValue(QStringLiteral("Preferences/Listing Alignment"), QStringLiteral("9"));
    MainForm unknownSide;
    QCOMPARE(unknownSide.dockWidgetArea(unknownSide.listing()), Qt::RightDockWidgetArea);
}

void MainFormTest::commandStates()
{
    Frame frame;
    const char *const idleOff[] = {"Save Thumbnails", "Save Images", "Generate Code", "Cascade", "Tile", "Mosaic"};
    // Idle without rows after the first activation.
    QVERIFY(frame.enabled("Open Directory") && frame.enabled("Open File"));
    for (const char *key : idleOff)
        QVERIFY2(!frame.enabled(key), key);
    QVERIFY(frame.visible("Generate Code"));
    QVERIFY(!frame.visible("Stop"));
    QVERIFY(frame.enabled("Listing Align"));

    frame.form->SetCommandStates(true);
    for (QAction *action : frame.form->toolbar()->actions())
        if (!action->isSeparator() && action->property("key") != QStringLiteral("Stop"))
            QVERIFY(!action->isEnabled());
    QVERIFY(!frame.visible("Generate Code"));
    QVERIFY(frame.visible("Stop") && frame.enabled("Stop"));

    // A load that made nothing leaves Listing Align as the load left it.
    frame.form->SetCommandStates(false);
    QVERIFY(frame.enabled("Open Directory") && frame.enabled("Open File"));
    QVERIFY(!frame.enabled("Listing Align"));
    QVERIFY(!frame.visible("Stop"));
    QVERIFY(frame.visible("Generate Code"));

    frame.addRow();
    frame.form->SetCommandStates(false);
    for (QAction *action : frame.form->toolbar()->actions())
        if (action != frame.form->button("Stop"))  // a hidden action never reports itself enabled
            QVERIFY2(action->isEnabled(), qPrintable(action->property("key").toString()));
    QVERIFY(!frame.visible("Stop"));
}

void MainFormTest::menusSetTheirItemsWhenOpened()
{
    Frame frame;
    frame.open("mnuFile");
    QVERIFY(!frame.form->menuItem("mnuFileClearThumbnails")->isEnabled());
    frame.addRow();
    frame.open("mnuFile");
    QVERIFY(frame.form->menuItem("mnuFileClearThumbnails")->isEnabled());

    frame.open("mnuHTML");
    frame.open("mnuImages");
    QVERIFY(!frame.form->menuItem("mnuHTMLGenerate")->isEnabled());
    QVERIFY(frame.form->menuItem("mnuHTMLEditor")->isEnabled());
    QVERIFY(!frame.form->menuItem("mnuImagesSaveThumbnails")->isEnabled());
    QVERIFY(!frame.form->menuItem("mnuImagesSaveImages")->isEnabled());
    Globals::Thumbs = {nullptr, nullptr};
    Globals::ThumbFree = {0, -1};
    frame.open("mnuHTML");
    frame.open("mnuImages");
    QVERIFY(frame.form->menuItem("mnuHTMLGenerate")->isEnabled());
    QVERIFY(frame.form->menuItem("mnuImagesSaveThumbnails")->isEnabled());
    QVERIFY(frame.form->menuItem("mnuImagesSaveImages")->isEnabled());
}

void MainFormTest::toolbarAndStatusBarToggle()
{
    Frame frame;
    QToolBar *toolbar = frame.form->findChild<QToolBar *>(QStringLiteral("picToolbar"));
    QStatusBar *status = frame.form->findChild<QStatusBar *>(QStringLiteral("StatusBar1"));
    frame.open("mnuWindows");
    QVERIFY(frame.form->menuItem("mnuWindowsToolbar")->isChecked());
    QVERIFY(frame.form->menuItem("mnuWindowsStatusbar")->isChecked());

    frame.form->menuItem("mnuWindowsToolbar")->trigger();
    frame.form->menuItem("mnuWindowsStatusbar")->trigger();
    QVERIFY(!toolbar->isVisible());
    QVERIFY(!status->isVisible());
    frame.open("mnuWindows");
    QVERIFY(!frame.form->menuItem("mnuWindowsToolbar")->isChecked());
    QVERIFY(!frame.form->menuItem("mnuWindowsStatusbar")->isChecked());

    frame.form->menuItem("mnuWindowsToolbar")->trigger();
    QVERIFY(toolbar->isVisible());
}

void MainFormTest::windowsMenuListsTheChildWindows()
{
    Frame frame;
    QMenu *windows = frame.form->findChild<QMenu *>(QStringLiteral("mnuWindows"));
    const qsizetype fixed = windows->actions().size();
    QMdiSubWindow *first = frame.form->mdiArea()->addSubWindow(new QWidget);
    first->setWindowTitle(QStringLiteral("a.jpg"));
    QMdiSubWindow *second = frame.form->mdiArea()->addSubWindow(new QWidget);
    second->setWindowTitle(QStringLiteral("b.png"));
    first->show();
    second->show();
    frame.form->mdiArea()->setActiveSubWindow(second);
    frame.open("mnuWindows");
    frame.open("mnuWindows");  // opening again does not list the windows twice
    const QList<QAction *> actions = windows->actions();
    QCOMPARE(actions.size(), fixed + 3);
    QCOMPARE(actions[fixed + 1]->text(), QStringLiteral("&1 a.jpg"));
    QCOMPARE(actions[fixed + 2]->text(), QStringLiteral("&2 b.png"));
    QVERIFY(actions[fixed + 2]->isChecked());
    actions[fixed + 1]->trigger();
    QCOMPARE(frame.form->mdiArea()->activeSubWindow(), first);
}

void MainFormTest::flashRestartsForASecondWindow()
{
    Frame frame;
    CaptionFlasher &flasher = frame.form->flasher();
    QMdiSubWindow *first = frame.form->mdiArea()->addSubWindow(new QWidget);
    QMdiSubWindow *second = frame.form->mdiArea()->addSubWindow(new QWidget);
    first->show();
    second->show();

    Globals::FlashTarget = first;
    flasher.start();
    QVERIFY(flasher.timer().isActive());
    QCOMPARE(flasher.timer().interval(), 250);
    for (int tick = 0; tick < 3; ++tick)
        flasher.tmrFlash_Timer();
    QCOMPARE(flasher.count(), 3);
    QVERIFY(CaptionFlasher::LooksToggled(first));

    Globals::FlashTarget = second;
    flasher.tmrFlash_Timer();
    QCOMPARE(flasher.count(), 1);
    for (int tick = 1; tick < 10; ++tick)
        flasher.tmrFlash_Timer();
    QCOMPARE(flasher.count(), 10);
    QVERIFY(!CaptionFlasher::LooksToggled(second));  // ten toggles: back to its own look
    QVERIFY(CaptionFlasher::LooksToggled(first));    // the first keeps its last toggle
    QVERIFY(flasher.timer().isActive());
    flasher.tmrFlash_Timer();
    QCOMPARE(flasher.count(), 0);
    QVERIFY(!flasher.timer().isActive());
    QCOMPARE(frame.form->mdiArea()->activeSubWindow(), second);
}

void MainFormTest::helpAndAbout()
{
    Frame frame;
    Globals::HelpFile = QCoreApplication::applicationDirPath() + QStringLiteral("/../Quillmere.hlp");
    frame.form->menuItem("mnuHelpContents")->trigger();
    QCOMPARE(frame.scripted->helpRequests.size(), 1);
    QCOMPARE(frame.scripted->helpRequests[0].topic, 1003);
    QFile help(frame.scripted->helpRequests[0].helpFile);
    QVERIFY(help.open(QIODevice::ReadOnly));
    QVERIFY(help.readAll().contains("name=\"1003\""));

    frame.form->menuItem("mnuHelpAbout")->trigger();
    QCOMPARE(frame.scripted->dialogsShown, QStringList{QStringLiteral("ABOUT")});
    AboutBox about;
    about.show();
    QTest::mouseClick(&about, Qt::LeftButton);
    QCOMPARE(about.result(), int(QDialog::Accepted));
    QVERIFY(!about.isVisible());
}

void MainFormTest::stopButtonEndsALoad()
{
    Frame frame;
    frame.form->SetCommandStates(true);
    QVERIFY(!Globals::StopLoading);
    frame.form->button("Stop")->trigger();
    QVERIFY(Globals::StopLoading);
}

QTEST_MAIN(MainFormTest)
#include "tst_mainform.moc"
