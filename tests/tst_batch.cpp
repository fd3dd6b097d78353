#include "MainFormFixture.h"
#include "PageFiles.h"
#include "TestImages.h"

#include "output/ImageCopying.h"
#include "output/ThumbnailSaving.h"
#include "settings/SettingsSection.h"
#include "webpage/PageModel.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

namespace {

const QString S = QDir::separator();

struct Outcome {
    int status = -1;
    QString report;
    QString output;
};

// The program run as a script would run it: no display, and no settings but those given.
Outcome build(const QStringList &arguments)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QUILLMERE_SETTINGS"})
        environment.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUILLMERE_PROGRAM), arguments);
    if (!program.waitForFinished(60000) || program.exitStatus() != QProcess::NormalExit)
        return {};
    return {program.exitCode(), QString::fromLocal8Bit(program.readAllStandardError()),
            QString::fromLocal8Bit(program.readAllStandardOutput())};
}

// Every file below a directory, hidden ones too, by path relative to it, with its
// modification time.
QMap<QString, QDateTime> filesBelow(const QString &directory)
{
    QMap<QString, QDateTime> files;
    QDirIterator it(directory, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file = it.nextFileInfo();
        files.insert(QDir(directory).relativeFilePath(file.filePath()), file.lastModified());
    }
    return files;
}

void setModified(const QString &path, const QDateTime &when)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}

QString summaryOf(const Outcome &outcome)
{
    const QStringList lines = outcome.report.split(u'\n', Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.constLast();
}

} // namespace

class BatchTest : public QObject {
    Q_OBJECT
private slots:
    void buildsTheSiteTheSaveCommandsWould();
    void refusesAFolderOrOutputItCannotUse();
};

// A folder of several picture types, a damaged picture and a text file is built into
// a site; the same folder loaded through the main window and saved with the save
// commands gives the same thumbnails, copies and page. A second build writes
// nothing, a changed picture is made again, and --force rewrites everything.
void BatchTest::buildsTheSiteTheSaveCommandsWould()
{
    Frame f;
    QSettings raw = f.environment.raw();
    raw.setValue(QStringLiteral("Preferences/Web Site Thumbnail Directory"), QStringLiteral("thumbs"));
    raw.setValue(QStringLiteral("Preferences/Image File Name Lower Case"), QStringLiteral("1"));
    raw.setValue(QStringLiteral("Preferences/Auto Arrange After Directory Load"), QStringLiteral("False"));
    raw.setValue(QStringLiteral("HTML Preferences/Table Columns"), QStringLiteral("2"));
    raw.setValue(QStringLiteral("HTML Preferences/Table Rows"), QStringLiteral("1"));
    raw.sync();

    const QString folder = f.environment.path(QStringLiteral("my photos")) + S;
    QDir().mkpath(folder);
    const QImage photo = TestImages::photo(160, 120);
    const QMap<QString, QByteArray> files = {
        {QStringLiteral("Harbour at Dusk.jpg"), TestImages::encode(photo, "jpg")},
        {QStringLiteral("R&D Chart.PNG"), TestImages::encode(TestImages::pattern(60, 90, true), "png")},
        {QStringLiteral("scan 9.bmp"), TestImages::bmp(TestImages::pattern(40, 30), 40, 24)},
        {QStringLiteral("scan 10.tga"), TestImages::targa(photo, 2, 24, false, false)},
        {QStringLiteral("broken & co.jpg"), QByteArray("not a picture at all")},
        {QStringLiteral("notes.txt"), QByteArray("captions to write")},
    };
    for (auto file = files.cbegin(); file != files.cend(); ++file)
        QVERIFY(writeFile(folder + file.key(), file.value()));
    const QString site = f.environment.path(QStringLiteral("site")) + S;
    const QStringList arguments = {QStringLiteral("--batch"), folder, QStringLiteral("--output"), site,
                                   QStringLiteral("--settings"), f.environment.settingsFile()};

    const Outcome first = build(arguments);
    QCOMPARE(first.status, 1);
    QVERIFY2(first.report.contains(QStringLiteral("Unreadable, skipped: ") + folder + QStringLiteral("broken & co.jpg")),
             qPrintable(first.report));
    QVERIFY(first.report.contains(QStringLiteral("Thumbnails: 6 of 6")));
    QVERIFY2(summaryOf(first).startsWith(QStringLiteral("6 files: 4 thumbnails (4 made, 0 kept), 4 images (4 copied, 0 kept), "
                                                        "page written; skipped 1 unreadable and 1 not pictures; 0 failed; ")),
             qPrintable(summaryOf(first)));

    // The same folder through the main window, saved by the save commands.
    f.scripted->folderAnswers << folder;
    f.form->mnuFileOpenDir_Click();
    QCOMPARE(f.form->listingRows().rowCount(), 4);
    const SettingsSection preferences(QStringLiteral("Preferences"));
    const SettingsSection html(QStringLiteral("HTML Preferences"));
    Preferences directories = Preferences::read(preferences, QString());
    PageModel page;
    page.Load(PageSourcesOf(PageOrder(f.form->listingRows(), f.form->thumbnails()), f.form->thumbnails()),
              StoredValues(html), StoredValues(preferences));
    page.options.tableRows = QStringLiteral("2");  // four thumbnails in two columns
    const QString saved = f.environment.path(QStringLiteral("saved")) + S;
    const QString app = f.environment.path(QStringLiteral("app")) + S;  // where the commands log
    QVERIFY(QDir().mkpath(app));
    const SiteNames names = page.siteNames(directories);
    SaveThumbnails(saved + QStringLiteral("thumbs") + S, f.form->thumbnails(), names, directories, app);
    CopyImages(saved + QStringLiteral("images") + S, true, f.form->thumbnails(), &page, names, directories, app);
    QCOMPARE(f.scripted->messages.size(), 1);  // only the first folder load's note

    const QString index = QString::fromUtf8(contentsOf(site + QStringLiteral("index.html")));
    QCOMPARE(index, GenerateHtml(page.request(directories, StoredValues(preferences))));
    for (const QString &directory : {QStringLiteral("thumbs"), QStringLiteral("images")}) {
        const QStringList names = QDir(saved + directory).entryList(QDir::Files);
        QCOMPARE(QDir(site + directory).entryList(QDir::Files), names);
        for (const QString &name : names)
            QVERIFY2(contentsOf(site + directory + S + name) == contentsOf(saved + directory + S + name), qPrintable(name));
    }
    QVERIFY(QFile::exists(site + QStringLiteral("images") + S + QStringLiteral("r&d chart.png")));
    // Every picture and link of the page is in the site, in folder order.
    const QStringList referred = referencedFiles(index);
    QCOMPARE(referred.size(), 8);
    for (const QString &target : referred)
        QVERIFY2(QFile::exists(site + target), qPrintable(target));
    QVERIFY(referred.indexOf(QStringLiteral("images/scan 9.bmp")) < referred.indexOf(QStringLiteral("images/scan 10.tga")));

    const QMap<QString, QDateTime> built = filesBelow(site);
    const Outcome second = build(arguments);
    QCOMPARE(second.status, 1);
    QVERIFY2(summaryOf(second).startsWith(QStringLiteral("6 files: 4 thumbnails (0 made, 4 kept), 4 images (0 copied, 4 kept), "
                                                         "page unchanged;")),
             qPrintable(summaryOf(second)));
    QCOMPARE(filesBelow(site), built);

    // A picture changed since: only its thumbnail and copy are made again.
    setModified(folder + QStringLiteral("scan 9.bmp"), QDateTime::currentDateTime().addSecs(60));
    const Outcome third = build(arguments);
    QVERIFY2(summaryOf(third).startsWith(QStringLiteral("6 files: 4 thumbnails (1 made, 3 kept), 4 images (1 copied, 3 kept), "
                                                        "page unchanged;")),
             qPrintable(summaryOf(third)));

    // Every file dated where an unchanged build would keep it: --force writes them all.
    const QDateTime later = QDateTime::currentDateTime().addDays(1);
    for (const QString &name : built.keys())
        setModified(site + name, later);
    QCOMPARE(build(arguments + QStringList{QStringLiteral("--force")}).status, 1);
    const QMap<QString, QDateTime> forced = filesBelow(site);
    QCOMPARE(forced.keys(), built.keys());
    for (auto file = forced.cbegin(); file != forced.cend(); ++file)
        QVERIFY2(file.value() < later, qPrintable(file.key()));
}

void BatchTest::refusesAFolderOrOutputItCannotUse()
{
    TestEnvironment environment;
    const QString folder = environment.path(QStringLiteral("pictures"));
    QVERIFY(writeFile(folder + S + QStringLiteral("a.png"), TestImages::encode(TestImages::pattern(20, 20), "png")));
    const QString notAFolder = folder + S + QStringLiteral("a.png");
    const QString site = environment.path(QStringLiteral("site"));
    const QString settings = environment.settingsFile();
    QSettings(settings, QSettings::IniFormat).setValue(QStringLiteral("Preferences/Prefix"), QStringLiteral("x"));

    const QList<QPair<QStringList, QString>> cases = {
        {{"--batch", environment.path("missing"), "--output", site, "--settings", settings}, "The folder"},
        {{"--batch", folder, "--output", notAFolder, "--settings", settings}, "The output folder"},
        {{"--batch", folder, "--output", site, "--settings", environment.path("none.ini")}, "The settings file"},
        {{"--batch", folder, "--settings", settings}, "No output folder given."},
        {{"--batch", folder, "--output", site, "--colour"}, "Unknown option 'colour'."},
    };
    for (const auto &[arguments, message] : cases) {
        const Outcome outcome = build(arguments);
        QCOMPARE(outcome.status, 2);
        QVERIFY2(outcome.report.contains(message), qPrintable(outcome.report));
        QVERIFY(!QFile::exists(site + S + QStringLiteral("index.html")));
    }
    // Web site directories that lead out of the output would leave the page's links
    // pointing outside it.
    QSettings(settings, QSettings::IniFormat)
        .setValue(QStringLiteral("Preferences/Web Site Images Directory"), QStringLiteral("../elsewhere"));
    const Outcome outside = build({"--batch", folder, "--output", site, "--settings", settings});
    QCOMPARE(outside.status, 2);
    QVERIFY(outside.report.contains(QStringLiteral("must lie below the output folder")));
    QVERIFY(!QFile::exists(environment.path(QStringLiteral("elsewhere"))));

    // Asked how it is used, it says so and starts nothing.
    const Outcome help = build({"--help"});
    QCOMPARE(help.status, 0);
    QVERIFY(help.output.contains(QStringLiteral("quillmere --batch FOLDER --output DIR")));
}

QTEST_MAIN(BatchTest)
#include "tst_batch.moc"
