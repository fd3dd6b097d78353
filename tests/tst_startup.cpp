#include "TestEnvironment.h"

#include "frame/MainForm.h"
#include "frame/Startup.h"
#include "ui/ScriptedPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartWritesDefaultsAndShowsTheWindow();
    void numericPreferences_data();
    void numericPreferences();
    void secondInstanceIsRefusedWithoutTouchingSettings();
    void unusableSettingsAreReportedAndEndTheProgram();
    void aLockThatCannotBeMadeDoesNotBlockTheStart();
    void trailingSeparator();
};

namespace {

void closeMainWindow()
{
    if (Globals::MainWindow) {
        MainForm *window = Globals::MainWindow;
        window->close();
        delete window;
    }
}

} // namespace

void StartupTest::firstStartWritesDefaultsAndShowsTheWindow()
{
    TestEnvironment environment;
    Ui::ScriptedPlatformScope scripted;
    InstanceLock lock;
    QVERIFY(StartProgram(lock));
    QVERIFY(scripted->messages.isEmpty());
    QVERIFY(Globals::MainWindow && Globals::MainWindow->isVisible());

    const QString home = QDir::toNativeSeparators(environment.path(QStringLiteral("app"))) + QDir::separator();
    QCOMPARE(Globals::AppPath, home);
    QVERIFY(QFileInfo(home).isDir());
    QCOMPARE(Globals::LastOpenDirectory, home);
    QCOMPARE(Globals::LocalImageDirectory, home);
    QCOMPARE(Globals::LocalThumbnailDirectory, home);
    QCOMPARE(Globals::ThumbMaxWidth, 93);
    QCOMPARE(Globals::LeftMargin, 4);

    QSettings raw = environment.raw();
    QVERIFY(raw.childGroups().contains(QStringLiteral("Preferences")));
    const QString canonical = QFileInfo(home).canonicalFilePath() + QDir::separator();
    QCOMPARE(raw.value(QStringLiteral("Path/EXE Path")).toString(), canonical);
    closeMainWindow();
}

// Stored width, height and left margin, and what the preferences become.
void StartupTest::numericPreferences_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("numbers, halves to even") << QStringList{"120", "80.5", "4.5"} << QList<int>{120, 80, 4};
    QTest::newRow("margin half up to even") << QStringList{"93", "97", "5.5"} << QList<int>{93, 97, 6};
    QTest::newRow("leading numbers") << QStringList{"12px", "97", "7 pixels"} << QList<int>{93, 97, 7};
    QTest::newRow("no numbers") << QStringList{"big", "tall", "wide"} << QList<int>{93, 97, 0};
    QTest::newRow("not positive") << QStringList{"0", "-40", "4"} << QList<int>{93, 97, 4};
}

void StartupTest::numericPreferences()
{
    QFETCH(QStringList, stored);
    QFETCH(QList<int>, expected);
    TestEnvironment environment;
    {
        QSettings raw = environment.raw();
        raw.setValue(QStringLiteral("Preferences/Thumbnail Width"), stored[0]);
        raw.setValue(QStringLiteral("Preferences/Thumbnail Height"), stored[1]);
        raw.setValue(QStringLiteral("Preferences/Left Margin"), stored[2]);
    }
    QVERIFY(LoadPreferences());
    QCOMPARE((QList<int>{Globals::ThumbMaxWidth, Globals::ThumbMaxHeight, Globals::LeftMargin}), expected);
}

void StartupTest::secondInstanceIsRefusedWithoutTouchingSettings()
{
    TestEnvironment environment;
    Ui::ScriptedPlatformScope scripted;
    InstanceLock first;
    QVERIFY(first.acquire());
    InstanceLock second;
    QVERIFY(!StartProgram(second));
    QCOMPARE(scripted->messages.size(), 1);
    QCOMPARE(scripted->messages[0].title, QStringLiteral("Previous Instance"));
    QCOMPARE(scripted->messages[0].text, QStringLiteral("Quillmere is Already Running."));
    QCOMPARE(scripted->messages[0].icon, Ui::MsgIcon::Critical);
    QCOMPARE(scripted->messages[0].buttons, Ui::MsgButtons::OK);
    QVERIFY(!QFileInfo::exists(environment.settingsFile()));
    QVERIFY(!Globals::MainWindow);
}

void StartupTest::unusableSettingsAreReportedAndEndTheProgram()
{
    TestEnvironment environment;
    Ui::ScriptedPlatformScope scripted;
    QVERIFY(QDir().mkpath(environment.settingsFile()));
    InstanceLock lock;
    QVERIFY(!StartProgram(lock));
    QCOMPARE(scripted->messages.size(), 1);
    QCOMPARE(scripted->messages[0].icon, Ui::MsgIcon::Critical);
    QVERIFY(scripted->messages[0].text.contains(environment.settingsFile()));
    QVERIFY(!Globals::MainWindow);
}

void StartupTest::aLockThatCannotBeMadeDoesNotBlockTheStart()
{
    TestEnvironment environment;
    QFile notADirectory(environment.path(QStringLiteral("plain-file")));
    QVERIFY(notADirectory.open(QIODevice::WriteOnly));
    notADirectory.close();
    InstanceLock lock(notADirectory.fileName() + QStringLiteral("/quillmere.lock"));
    QVERIFY(lock.acquire());
    // A lock that is really held still refuses.
    InstanceLock first(environment.path(QStringLiteral("held.lock")));
    InstanceLock second(environment.path(QStringLiteral("held.lock")));
    QVERIFY(first.acquire());
    QVERIFY(!second.acquire());
}

void StartupTest::trailingSeparator()
{
    const QString separator = QDir::separator();
    QCOMPARE(WithTrailingSeparator(separator), separator);
    QCOMPARE(WithTrailingSeparator(QStringLiteral("opt") + separator + QStringLiteral("q")),
             QStringLiteral("opt") + separator + QStringLiteral("q") + separator);
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
