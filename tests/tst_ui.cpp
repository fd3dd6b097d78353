#include "TestEnvironment.h"

#include "ui/DesktopPlatform.h"
#include "ui/DocumentArea.h"
#include "ui/FileFilter.h"
#include "ui/Numbers.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

// A main window around a document area, with windows added as the program adds them.
struct Frame {
    QMainWindow main;
    DocumentArea *area = new DocumentArea;

    Frame()
    {
        main.setCentralWidget(area);
        main.resize(640, 480);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
    }
    QMdiSubWindow *add(const QString &title, const QSize &size = {160, 120})
    {
        QMdiSubWindow *window = area->addSubWindow(new QLabel(title));
        window->setWindowTitle(title);
        window->resize(size);
        window->show();
        return window;
    }
    // Windows titled with one letter each, in that order.
    QList<QMdiSubWindow *> addAll(const char *titles)
    {
        QList<QMdiSubWindow *> windows;
        for (const char *title = titles; *title; ++title)
            windows << add(QString(QLatin1Char(*title)));
        return windows;
    }
    static bool isActive(const QMdiSubWindow *window) { return window->windowState() & Qt::WindowActive; }
    // How many of the windows show themselves active.
    int activeCount() const
    {
        const QList<QMdiSubWindow *> windows = area->subWindowList();
        return int(std::count_if(windows.begin(), windows.end(), isActive));
    }
};

using namespace Ui;

class UiTest : public QObject {
    Q_OBJECT
private slots:
    void oneWindowIsActiveAtATime()
    {
        Frame f;
        QSignalSpy activated(f.area, &DocumentArea::subWindowActivated);
        const QList<QMdiSubWindow *> windows = f.addAll("abc");
        QMdiSubWindow *a = windows[0], *b = windows[1], *c = windows[2];
        QCOMPARE(f.area->subWindowList(), (QList<QMdiSubWindow *>{a, b, c}));
        QCOMPARE(f.area->activeSubWindow(), c);  // a window shown activates itself
        QCOMPARE(f.activeCount(), 1);

        activated.clear();
        f.area->setActiveSubWindow(a);
        f.area->setActiveSubWindow(a);  // already active: nothing to tell
        QVERIFY(f.area->activeSubWindow() == a && Frame::isActive(a) && f.activeCount() == 1);
        QCOMPARE(activated.size(), 1);
        QCOMPARE(activated.at(0).at(0).value<QMdiSubWindow *>(), a);

        // The main window losing and regaining the activation leaves the child's be.
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        QCOMPARE(QApplication::activeWindow(), &other);
        QApplication::setActiveWindow(&f.main);
        QCOMPARE(f.area->activeSubWindow(), a);
        QVERIFY(Frame::isActive(a) && f.activeCount() == 1);

        f.area->setActiveSubWindow(nullptr);
        QVERIFY(!f.area->activeSubWindow() && f.activeCount() == 0);
        QCOMPARE(activated.size(), 2);
        QVERIFY(!activated.at(1).at(0).value<QMdiSubWindow *>());
        // A maximised window hands its state to the one activated next.
        c->showMaximized();
        f.area->setActiveSubWindow(a);
        QVERIFY(a->isMaximized() && !c->isMaximized());
    }

    void theKeyboardStepsThroughTheWindowsInTheirOrder()
    {
        Frame f;
        const QList<QMdiSubWindow *> windows = f.addAll("abcd");
        QMdiSubWindow *a = windows[0], *b = windows[1], *c = windows[2], *d = windows[3];
        c->hide();  // passed over
        f.area->setActiveSubWindow(b);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(f.area->activeSubWindow(), d);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(f.area->activeSubWindow(), a);  // round the end
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.area->activeSubWindow(), d);
        f.area->activatePreviousSubWindow();
        QCOMPARE(f.area->activeSubWindow(), b);
        f.area->setActiveSubWindow(nullptr);
        f.area->activateNextSubWindow();  // from none: the first
        QCOMPARE(f.area->activeSubWindow(), a);
    }

    void closingPassesTheActivationToTheOneActiveBefore()
    {
        Frame f;
        const QList<QMdiSubWindow *> windows = f.addAll("abcd");
        QMdiSubWindow *a = windows[0], *b = windows[1], *c = windows[2], *d = windows[3];
        f.area->setActiveSubWindow(b);
        f.area->setActiveSubWindow(a);
        c->close();  // not the active one: a stays
        QCOMPARE(f.area->activeSubWindow(), a);
        QCOMPARE(f.area->subWindowList(), (QList<QMdiSubWindow *>{a, b, d}));
        a->close();
        QVERIFY(f.area->activeSubWindow() == b && f.activeCount() == 1);
        delete b;  // gone without closing
        QCOMPARE(f.area->activeSubWindow(), d);
        QCOMPARE(f.area->subWindowList(), QList<QMdiSubWindow *>{d});

        // With no window active, as before closing many, none is activated on the way.
        QMdiSubWindow *e = f.add(u"e"_s);
        QMdiSubWindow *g = f.add(u"g"_s);
        f.area->setActiveSubWindow(nullptr);
        QSignalSpy activated(f.area, &DocumentArea::subWindowActivated);
        for (QMdiSubWindow *window : {g, d})
            window->close();
        QVERIFY(activated.isEmpty() && f.activeCount() == 0);
        QCOMPARE(f.area->subWindowList(), QList<QMdiSubWindow *>{e});

        // The area goes with its windows.
        QPointer<QMdiSubWindow> last = e;
        delete f.area;
        QVERIFY(!last);
    }

    void cascadeAndTile()
    {
        Frame f;
        QList<QMdiSubWindow *> windows;
        for (const char *title : {"a", "b", "c", "d", "e"})
            windows << f.add(QString::fromLatin1(title), QSize(90, 70));
        windows[4]->showMaximized();
        windows[3]->showMinimized();

        f.area->cascadeSubWindows();
        QVERIFY(!windows[4]->isMaximized() && windows[3]->isMinimized());
        const int step = windows[1]->y() - windows[0]->y();
        QVERIFY(step > 0);
        for (int i : {0, 1, 2, 4}) {
            const int row = i == 4 ? 3 : i;
            QCOMPARE(windows[i]->pos(), QPoint(10 * row, step * row));
            QCOMPARE(windows[i]->size(), windows[i]->sizeHint());
        }

        // Four windows tile two by two, the newest in the top-left corner, and fill the area.
        f.area->tileSubWindows();
        const QRect area = f.area->viewport()->rect();
        QCOMPARE(windows[4]->geometry().topLeft(), QPoint(0, 0));
        QCOMPARE(windows[0]->geometry().bottomRight(), area.bottomRight());
        QRegion covered;
        for (int i : {0, 1, 2, 4}) {
            QVERIFY(!covered.intersects(windows[i]->geometry()));
            covered += windows[i]->geometry();
        }
        QCOMPARE(covered.boundingRect(), area);

        // Windows that cannot be made small enough tile a larger area, which scrolls.
        for (QMdiSubWindow *window : std::as_const(windows))
            window->setMinimumSize(400, 300);
        f.area->tileSubWindows();
        QVERIFY(f.area->horizontalScrollBar()->maximum() > 0 && f.area->verticalScrollBar()->maximum() > 0);
        QVERIFY(windows[0]->width() >= 400 && windows[0]->height() >= 300);
    }

    void theScrollRangeReachesEveryWindow()
    {
        Frame f;
        QMdiSubWindow *near = f.add(u"near"_s);
        QMdiSubWindow *far = f.add(u"far"_s);
        QApplication::processEvents();
        QCOMPARE(f.area->verticalScrollBar()->maximum(), 0);
        {
            const ScrollRangeHeld held(*f.area);
            far->move(2000, 1500);
            QApplication::processEvents();
            QCOMPARE(f.area->verticalScrollBar()->maximum(), 0);  // held: worked out when it ends
        }
        QScrollBar *across = f.area->horizontalScrollBar(), *down = f.area->verticalScrollBar();
        QVERIFY(down->maximum() > 0);
        QApplication::processEvents();  // the scroll bars take their place
        QVERIFY(across->isVisible() && down->isVisible());
        const int acrossRange = far->geometry().right() + 1 - f.area->viewport()->width();
        const int downRange = far->geometry().bottom() + 1 - f.area->viewport()->height();
        QCOMPARE(QPoint(across->maximum(), down->maximum()), QPoint(acrossRange, downRange));
        across->setValue(across->maximum());
        down->setValue(down->maximum());
        QApplication::processEvents();
        QVERIFY(f.area->viewport()->rect().contains(far->geometry()));
        QCOMPARE(near->pos(), -QPoint(acrossRange, downRange));  // every window scrolls
        // Scrolling changes nothing of the range; a window brought back shrinks it.
        QCOMPARE(QPoint(across->maximum(), down->maximum()), QPoint(acrossRange, downRange));
        far->move(near->pos() + QPoint(10, 10));
        QApplication::processEvents();
        QCOMPARE(QPoint(across->maximum(), down->maximum()), QPoint(0, 0));
    }

    // Leading numbers, whole numbers (with blanks around, halves to even and exponents;
    // anything else, or beyond 32 bits, is none), rounding, whole-number text and truth.
    void numberRules()
    {
        const QList<QPair<QString, double>> leading = {{"4.5", 4.5}, {"  -12.25px", -12.25}, {"2e3 twips", 2000.0}, {"7e", 7.0},
                                                       {".5", 0.5}, {"abc", 0.0}, {"1e999", 0.0}};
        for (const auto &[text, expected] : leading)
            QVERIFY2(Numbers::LeadingNumber(text) == expected, qPrintable(text));
        const QList<QPair<QString, std::optional<qint32>>> whole = {
            {" 97 ", 97}, {"92.5", 92}, {"1e3", 1000}, {"93px", {}}, {"wide", {}}, {"3000000000", {}}, {"1e999", {}}};
        for (const auto &[text, expected] : whole)
            QVERIFY2(Numbers::ToWhole(text) == expected, qPrintable(text));
        QList<qint32> rounded;
        for (double value : {4.5, 5.5, -2.5, 1e12, -1e12})
            rounded << Numbers::RoundHalfEven(value);
        QCOMPARE(rounded, (QList<qint32>{4, 6, -2, std::numeric_limits<qint32>::max(), std::numeric_limits<qint32>::min()}));
        QStringList formatted;
        for (double value : {2.5, -2.5, 1440.4, -0.4})
            formatted << Numbers::FormatWhole(value);
        QCOMPARE(formatted, (QStringList{"3", "-3", "1440", "0"}));  // halves away from zero
        const QList<QPair<QString, std::optional<bool>>> truths = {
            {"True", true}, {" false ", false}, {"-1", true}, {"0", false}, {"0.0", false}, {"yes", {}}, {"", {}}};
        for (const auto &[text, expected] : truths)
            QVERIFY2(Numbers::ToBoolean(text) == expected, qPrintable(text));
        QCOMPARE(Numbers::BooleanText(true), u"True"_s);
    }

    void filterConversion()
    {
        const QString filter = u"Pictures|*.jpg;*.png|HTML Files (*.htm)|*.htm;*.html|All Files|*.*"_s;
        QCOMPARE(ToQtFilter(filter), u"Pictures (*.jpg *.png);;HTML Files (*.htm *.html);;"
                                                    "All Files (*.*)"_s);
        QCOMPARE((QStringList{QtFilterAt(filter, 2), QtFilterAt(filter, 4), QtFilterAt(filter, 0)}),
                 (QStringList{"HTML Files (*.htm *.html)", QString(), QString()}));
        QCOMPARE(QtFilterIndex(filter, u"All Files (*.*)"_s), 3);
        QCOMPARE(QtFilterIndex(filter, u"nothing"_s), 1);
        // A trailing description without a pattern is not an entry.
        QCOMPARE(ToQtFilter(u"Text|*.txt|Broken"_s), u"Text (*.txt)"_s);
        QTemporaryDir directory;
        DesktopPlatform desktop;
        QCOMPARE(desktop.openDocument(directory.filePath(u"missing.html"_s)), 2);
        QCOMPARE(desktop.startProgram(directory.filePath(u"missing"_s), u"a b"_s), 2);
        const QString plain = directory.filePath(u"not-a-program"_s);
        QVERIFY(writeFile(plain));
        QCOMPARE(desktop.startProgram(plain, QString()), 5);
    }

    void desktopHelpShowsTheTopic()
    {
        QTemporaryDir directory;
        const QString file = directory.filePath(u"Quillmere.hlp"_s);
        QVERIFY(writeFile(file, "<html><head><title>Help</title></head><body><p>Intro</p>"
                                "<h2><a name=\"1003\"></a>Contents</h2></body></html>"));
        QWidget owner;
        owner.setGeometry(QRect(QGuiApplication::primaryScreen()->availableGeometry().topLeft(), QSize(100, 100)));
        owner.show();
        QApplication::setActiveWindow(&owner);
        DesktopPlatform desktop;
        desktop.showHelp({file, 1003});
        QWidget *help = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget->objectName() == u"HELP"_s)
                help = widget;
        QVERIFY(help && help->isVisible());
        auto *browser = help->findChild<QTextBrowser *>();
        QCOMPARE(browser->source().fragment(), u"1003"_s);
        QVERIFY(browser->toPlainText().contains(u"Contents"_s));
        // It opens beside the window it was asked from, not over its menus, and Esc closes it.
        QVERIFY(!help->frameGeometry().intersects(owner.frameGeometry()));
        QApplication::setActiveWindow(help);
        QTest::keyClick(browser, Qt::Key_Escape);
        QVERIFY(!help->isVisible());
    }
};

QTEST_MAIN(UiTest)
#include "tst_ui.moc"
