#include "TestEnvironment.h"

#include "ui/DesktopPlatform.h"
#include "ui/FileFilter.h"

#include <QApplication>
#include <QTextBrowser>
#include <QTest>


using namespace Ui;

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    void filterConversion()
    {
        const QString filter = u"Pictures|*.jpg;*.png|HTML Files (*.htm)|*.htm;*.html|All Files|*.*"_s;
        QCOMPARE(ToQtFilter(filter), u"Pictures (*.jpg *.png);;HTML Files (*.htm *.html);;"
                                                    "All Files (*.*)"_s);
        QCOMPARE(QtFilterAt(filter, 2), u"HTML Files (*.htm *.html)"_s);
        QCOMPARE(QtFilterAt(filter, 4), QString());
        QCOMPARE(QtFilterAt(filter, 0), QString());
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
        // It opens beside the window it was asked from, not over its menus.
        QVERIFY(!help->frameGeometry().intersects(owner.frameGeometry()));

        // Esc and Ctrl+W close it; it comes back where and as large as the user left it.
        help->setGeometry(150, 40, 300, 200);
        for (const QKeyCombination keys : {QKeyCombination(Qt::Key_Escape), QKeyCombination(Qt::CTRL | Qt::Key_W)}) {
            QApplication::setActiveWindow(help);
            QTest::keyClick(browser, keys.key(), keys.keyboardModifiers());
            QVERIFY(!help->isVisible());
            desktop.showHelp({file, 1003});
            QVERIFY(help->isVisible());
            QCOMPARE(help->geometry(), QRect(150, 40, 300, 200));
        }
        help->close();
    }
};

QTEST_MAIN(PlatformTest)
#include "tst_platform.moc"
