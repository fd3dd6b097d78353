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
    void storedPreferencesAreRead();
    void leftMargin_data();
    void leftMargin();
    void thumbnailSides_data();
    void thumbnailSides();
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
    QCOMPARE(Globals::ThumbMaxWidth, 93);
    QCOMPARE(Globals::ThumbMaxHeight, 97);
    QCOMPARE(Globals::SiteImageDirectory, QStringLiteral("images"));
    QCOMPARE(Globals::SiteThumbnailDirectory, QStringLiteral("images"));
    QCOMPARE(Globals::LocalImageDirectory, home);
    QCOMPARE(Globals::LocalThumbnailDirectory, home);
    QCOMPARE(Globals::LeftMargin, 4);
    QCOMPARE(Globals::RegistryBase, QStringLiteral("SOFTWARE\\Fennmoor Software\\Quillmere\\"));
    QVERIFY(Globals::HelpFile.endsWith(QStringLiteral("Quillmere.hlp")));

    QSettings raw = environment.raw();
    QVERIFY(raw.childGroups().contains(QStringLiteral("Preferences")));
    const QString canonical = QFileInfo(home).canonicalFilePath() + QDir::separator();
    QCOMPARE(raw.value(QStringLiteral("Path/EXE Path")).toString(), canonical);
    closeMainWindow();
}

void StartupTest::storedPreferencesAreRead()
{
    TestEnvironment environment;
    {
        QSettings raw = environment.raw();
        raw.beginGroup(QStringLiteral("Preferences"));
        raw.setValue(QStringLiteral("Last Open Directory"), QStringLiteral("/pictures/"));
        raw.setValue(QStringLiteral("Web Site Images Directory"), QStringLiteral("photos"));
        raw.setValue(QStringLiteral("Web Site Thumbnail Directory"), QStringLiteral("thumbs"));
        raw.setValue(QStringLiteral("Local Image Directory"), QStringLiteral("/site/photos/"));
        raw.setValue(QStringLiteral("Local Thumbnail Directory"), QStringLiteral("/site/thumbs/"));
    }
    Globals::AppPath = ResolveAppPath();
    QVERIFY(LoadPreferences());
    QCOMPARE(Globals::LastOpenDirectory, QStringLiteral("/pictures/"));
    QCOMPARE(Globals::SiteImageDirectory, QStringLiteral("photos"));
    QCOMPARE(Globals::SiteThumbnailDirectory, QStringLiteral("thumbs"));
    QCOMPARE(Globals::LocalImageDirectory, QStringLiteral("/site/photos/"));
    QCOMPARE(Globals::LocalThumbnailDirectory, QStringLiteral("/site/thumbs/"));
}

void StartupTest::leftMargin_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("margin");
    QTest::newRow("half goes down to even") << "4.5" << 4;
    QTest::newRow("half goes up to even") << "5.5" << 6;
    QTest::newRow("leading number") << "7 pixels" << 7;
    QTest::newRow("no number") << "wide" << 0;
}

void StartupTest::leftMargin()
{
    QFETCH(QString, stored);
    QFETCH(int, margin);
    TestEnvironment environment;
    environment.raw().setValue(QStringLiteral("Preferences/Left Margin"), stored);
    QVERIFY(LoadPreferences());
    QCOMPARE(Globals::LeftMargin, margin);
}

void StartupTest::thumbnailSides_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<int>("expectedWidth");
    QTest::addColumn<int>("expectedHeight");
    QTest::newRow("numbers") << "120" << "80.5" << 120 << 80;
    QTest::newRow("not numbers") << "big" << "12px" << 93 << 97;
    QTest::newRow("not positive") << "0" << "-40" << 93 << 97;
}

void StartupTest::thumbnailSides()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(int, expectedWidth);
    QFETCH(int, expectedHeight);
    TestEnvironment environment;
    {
        QSettings raw = environment.raw();
        raw.setValue(QStringLiteral("Preferences/Thumbnail Width"), width);
        raw.setValue(QStringLiteral("Preferences/Thumbnail Height"), height);
    }
    QVERIFY(LoadPreferences());
    QCOMPARE(Globals::ThumbMaxWidth, expectedWidth);
    QCOMPARE(Globals::ThumbMaxHeight, expectedHeight);
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
