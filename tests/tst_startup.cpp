#include "TestEnvironment.h"

#include "frame/MainForm.h"
#include "frame/Startup.h"
#include "ScriptedPlatform.h"

#include <QAction>
#include <QProcess>
#include <QTest>

#include "TestImages.h"


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

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartAndSettingsLostWhileRunning()
    {
        TestEnvironment environment;
        Ui::ScriptedPlatformScope scripted;
        InstanceLock lock(environment.lockFile());
        QVERIFY(StartProgram(lock) && scripted->messages.isEmpty() && Globals::MainWindow && Globals::MainWindow->isVisible());

        const QString home = QDir::toNativeSeparators(environment.path(u"app"_s)) + QDir::separator();
        QCOMPARE(Globals::AppPath, home);
        QVERIFY(QFileInfo(home).isDir());
        const Preferences &preferences = Globals::Prefs;
        QCOMPARE(preferences.lastOpenDirectory, home);
        QCOMPARE(preferences.localImageDirectory, home);
        QCOMPARE(preferences.localThumbnailDirectory, home);
        QCOMPARE(preferences.thumbnailBox, QSize(93, 97));
        QCOMPARE(preferences.siteImageDirectory, u"images"_s);
        QCOMPARE(preferences.leftMargin, 4);

        QSettings raw = environment.raw();
        QVERIFY(raw.childGroups().contains(u"Preferences"_s));
        const QString canonical = QFileInfo(home).canonicalFilePath() + QDir::separator();
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

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
