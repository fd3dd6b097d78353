#include "MainFormFixture.h"

#include "frame/CaptionFlasher.h"
#include "frame/ListingPanel.h"
#include "imagebuffer/ImageBuffer.h"
#include "ui/Twips.h"

#include <QStatusBar>
#include <QTest>


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
};

QTEST_MAIN(MainFormTest)
#include "tst_mainform.moc"
