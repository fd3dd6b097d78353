#include "ui/DesktopPlatform.h"
#include "ui/FileFilter.h"
#include "ui/ScriptedPlatform.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTest>
#include <stdexcept>

using namespace Ui;

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    void filterConversion();
    void scriptedAnswersAndRecords();
    void busyPointerIsRestoredOnEveryExit();
    void twipsAtUsualDensity();
    void desktopHelpShowsTheTopic();
    void desktopShellReportsFailures();
};

void PlatformTest::filterConversion()
{
    const QString filter = QStringLiteral("Pictures|*.jpg;*.png|HTML Files (*.htm)|*.htm;*.html|All Files|*.*");
    QCOMPARE(ToQtFilter(filter), QStringLiteral("Pictures (*.jpg *.png);;HTML Files (*.htm) (*.htm *.html);;"
                                                "All Files (*.*)"));
    QCOMPARE(QtFilterAt(filter, 2), QStringLiteral("HTML Files (*.htm) (*.htm *.html)"));
    QCOMPARE(QtFilterAt(filter, 4), QString());
    QCOMPARE(QtFilterAt(filter, 0), QString());
    QCOMPARE(QtFilterIndex(filter, QStringLiteral("All Files (*.*)")), 3);
    QCOMPARE(QtFilterIndex(filter, QStringLiteral("nothing")), 1);
    // A trailing description without a pattern is not an entry.
    QCOMPARE(ToQtFilter(QStringLiteral("Text|*.txt|Broken")), QStringLiteral("Text (*.txt)"));
}

void PlatformTest::scriptedAnswersAndRecords()
{
    ScriptedPlatformScope scripted;
    scripted->messageAnswers.enqueue(MsgResult::No);
    QCOMPARE(MsgBox("Replace it?", MsgButtons::YesNo, MsgIcon::Question, "Title"), MsgResult::No);
    // Without a prepared answer the first button is taken.
    QCOMPARE(MsgBox("Go on?", MsgButtons::RetryCancel, MsgIcon::Exclamation, "T2"), MsgResult::Retry);
    QCOMPARE(scripted->messages.size(), 2);
    QCOMPARE(scripted->messages[0].title, QStringLiteral("Title"));
    QCOMPARE(scripted->messages[0].text, QStringLiteral("Replace it?"));
    QCOMPARE(scripted->messages[0].icon, MsgIcon::Question);
    QCOMPARE(scripted->messages[1].buttons, MsgButtons::RetryCancel);

    scripted->fileAnswers.enqueue({QStringLiteral("/tmp/a.png"), 2});
    const FileDialogAnswer chosen = platform().openFile({"Open", "A|*.a|B|*.b", 1, "/tmp", ""});
    QCOMPARE(chosen.fileName, QStringLiteral("/tmp/a.png"));
    QCOMPARE(chosen.filterIndex, 2);
    QVERIFY(platform().saveFile({"Save", "A|*.a", 1, "/tmp", "x.a"}).fileName.isEmpty());
    QCOMPARE(scripted->saveRequests.first().fileName, QStringLiteral("x.a"));

    QDialog dialog;
    dialog.setObjectName(QStringLiteral("PREFS"));
    scripted->dialogAnswers.enqueue(QDialog::Accepted);
    QCOMPARE(platform().execDialog(dialog), int(QDialog::Accepted));
    QCOMPARE(scripted->dialogsShown, QStringList{QStringLiteral("PREFS")});

    scripted->shellAnswers.enqueue(31);
    QCOMPARE(platform().openDocument(QStringLiteral("/tmp/page.html")), 31);
    QCOMPARE(platform().startProgram(QStringLiteral("/usr/bin/b"), QStringLiteral("/tmp/p x.html")), ShellSuccess);
    QCOMPARE(scripted->shellCalls,
             (QStringList{QStringLiteral("open /tmp/page.html"), QStringLiteral("start /usr/bin/b /tmp/p x.html")}));
    QVERIFY(!platform().chooseColor(Qt::red).has_value());
    QCOMPARE(scripted->colorRequests.first(), QColor(Qt::red));
}

void PlatformTest::busyPointerIsRestoredOnEveryExit()
{
    ScriptedPlatformScope scripted;
    try {
        BusyPointer outer;
        BusyPointer inner;
        QCOMPARE(scripted->busyDepth, 2);
        throw std::runtime_error("failed");
    } catch (const std::runtime_error &) {
    }
    QCOMPARE(scripted->busyDepth, 0);
    QCOMPARE(scripted->busyPeak, 2);
}

void PlatformTest::twipsAtUsualDensity()
{
    // The offscreen screen has the usual 96 DPI.
    QCOMPARE(Twips::PerPixelX(), 15.0);
    QCOMPARE(Twips::PerPixelY(), 15.0);
    QCOMPARE(Twips::ToPixelsX(1500), 100);
    QCOMPARE(Twips::FromPixelsY(7), 105.0);
}

void PlatformTest::desktopHelpShowsTheTopic()
{
    QTemporaryDir directory;
    const QString file = directory.filePath(QStringLiteral("Quillmere.hlp"));
    QFile help(file);
    QVERIFY(help.open(QIODevice::WriteOnly));
    help.write("<html><head><title>Help</title></head><body><p>Intro</p>"
               "<h2><a name=\"1003\"></a>Contents</h2></body></html>");
    help.close();
    DesktopPlatform desktop;
    desktop.showHelp({file, 1003});
    QTextBrowser *browser = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QStringLiteral("HELP"))
            browser = qobject_cast<QTextBrowser *>(widget);
    QVERIFY(browser && browser->isVisible());
    QCOMPARE(browser->windowTitle(), QStringLiteral("Help"));
    QCOMPARE(browser->source().fragment(), QStringLiteral("1003"));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Contents")));
    browser->close();
}

void PlatformTest::desktopShellReportsFailures()
{
    QTemporaryDir directory;
    DesktopPlatform desktop;
    QCOMPARE(desktop.openDocument(directory.filePath(QStringLiteral("missing.html"))), 2);
    QCOMPARE(desktop.startProgram(directory.filePath(QStringLiteral("missing")), QStringLiteral("a b")), 2);
    QFile plain(directory.filePath(QStringLiteral("not-a-program")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QCOMPARE(desktop.startProgram(plain.fileName(), QString()), 5);
}

QTEST_MAIN(PlatformTest)
#include "tst_platform.moc"
