#include "frame/BatchBuild.h"

#include "output/BuildManifest.h"
#include "output/HtmlFile.h"
#include "output/ImageCopying.h"
#include "output/OutputFiles.h"
#include "output/ThumbnailSaving.h"
#include "output/WebCopies.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"
#include "settings/StoredSettings.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ThumbnailImage.h"
#include "thumbs/ThumbnailPipeline.h"
#include "ui/Numbers.h"
#include "ui/Paths.h"
#include "webpage/PageModel.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QTextStream>
#include <algorithm>
#include <memory>

namespace BatchBuild {
namespace {

const QString Usage = QStringLiteral("Usage: quillmere --batch FOLDER --output DIR [--settings FILE] [--force]");
const QString ManifestName = QStringLiteral(".quillmere-build.json");
const QString LockName = QStringLiteral(".quillmere-build.lock");
const QString PageName = QStringLiteral("index.html");

struct Request {
    QString folder;   // ends with the separator
    QString output;   // ends with the separator
    QString settingsFile;
    bool force = false;
};

// Why a build cannot start; empty when it can.
using Problem = QString;

Problem parse(const QStringList &arguments, Request &request)
{
    QCommandLineParser parser;
    const QCommandLineOption batch(QStringLiteral("batch"), QString(), QStringLiteral("FOLDER"));
    const QCommandLineOption output(QStringLiteral("output"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption settings(QStringLiteral("settings"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption force(QStringLiteral("force"));
    parser.addOptions({batch, output, settings, force});
    if (!parser.parse(QStringList{QStringLiteral("quillmere")} + arguments))
        return parser.errorText();
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("Unexpected argument \"%1\".").arg(parser.positionalArguments().constFirst());
    if (parser.value(batch).isEmpty())
        return QStringLiteral("No folder given.");
    if (parser.value(output).isEmpty())
        return QStringLiteral("No output folder given.");
    const auto directory = [](const QString &path) {
        return QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(path))) + QDir::separator();
    };
    request.folder = directory(parser.value(batch));
    request.output = directory(parser.value(output));
    if (parser.isSet(settings))
        request.settingsFile = QDir::current().absoluteFilePath(parser.value(settings));
    request.force = parser.isSet(force);
    return {};
}

// What the thumbnails' files depend on besides their sources.
QString thumbnailSettings(QSize box, const SaveSettings &save)
{
    return QStringLiteral("%1x%2 %3 quality %4 progressive %5 256 colours %6")
        .arg(box.width())
        .arg(box.height())
        .arg(save.extension())
        .arg(save.quality)
        .arg(int(save.progressive))
        .arg(int(save.reducedColours));
}

// Why the settings file cannot be read, in the system's words; empty when it can
// (a missing file that was not named reads as every default).
Problem settingsFileProblem(const QString &path, bool named)
{
    const QFileInfo file(path);
    if (!file.exists())
        return named ? QStringLiteral("The settings file %1 does not exist.").arg(path) : Problem();
    if (file.isDir())
        return QStringLiteral("The settings file %1 is a folder.").arg(path);
    if (QFile reading(path); !reading.open(QIODevice::ReadOnly))
        return QStringLiteral("The settings file %1 cannot be read: %2.").arg(path, reading.errorString());
    if (!SettingsStore::fileUsable())
        return QStringLiteral("The settings file %1 cannot be read: it is not a settings file.").arg(path);
    return {};
}

bool sameFolder(const QString &a, const QString &b)
{
    return Paths::FileNameKey(QDir::cleanPath(a)) == Paths::FileNameKey(QDir::cleanPath(b));
}

class SiteBuild {
public:
    SiteBuild(const Request &request, QTextStream &report, bool terminal)
        : request(request), report(report), terminal(terminal)
    {
    }

    int run()
    {
        clock.start();
        if (const Problem problem = prepare(); !problem.isEmpty()) {
            report << Paths::Printable(problem) << '\n';
            return Unusable;
        }
        makeThumbnails();
        copyImages();
        writePage();
        writeRecord();
        summarize();
        return unreadable.isEmpty() && failed.isEmpty() ? Complete : SomeSkipped;
    }

private:
    Problem prepare();
    Problem readSettings();
    Problem makeOutputDirectories();
    Problem lockOutput();
    void takeFolder(const QStringList &files);
    PageRequest pageRequest() const;
    void makeThumbnails();
    int addToPage(const QString &path, const QFileInfo &source, const BuiltThumbnail &made);
    void writeThumbnail(Picture thumbnail, int position, const QString &path, const BuiltThumbnail &made);
    void writeDoubleThumbnail(int position, const QString &path, const BuiltThumbnail &made);
    void skip(const QString &path, const PreparedThumbnail &prepared);
    void copyImages();
    void copy(const QString &source, const QString &name);
    void writePage();
    void writeRecord();
    void record(const QString &file, const QString &source, const SourceState &state);
    QString recordKey(const QString &file) const { return QDir(request.output).relativeFilePath(file); }
    void fail(const QString &problem);
    void progress(const QString &what, int done, int total);
    void line(const QString &text);
    void summarize();

    const Request &request;
    QTextStream &report;
    const bool terminal;
    QElapsedTimer clock;

    Preferences preferences;
    QSize box;  // the thumbnails are drawn in
    SaveSettings save;
    WebCopyRules copyRules;
    QString thumbnailDirectory;
    QString imageDirectory;
    std::unique_ptr<QLockFile> lock;
    QStringList names;
    QList<SiteFile> present;
    FileWriting::ProtectedFiles pictures;
    BuildManifest previous;
    BuildManifest manifest;
    PageModel page;
    std::optional<SiteNames> siteNames;
    qsizetype renamingsTold = 0;

    int thumbnailsMade = 0, thumbnailsKept = 0, copiesMade = 0, copiesKept = 0, otherFiles = 0, unreadableNames = 0;
    QStringList unreadable;
    QStringList failed;
    QString pageOutcome = QStringLiteral("unchanged");
};

Problem SiteBuild::prepare()
{
    const std::optional<QStringList> files = FolderFiles(request.folder);
    if (!files)
        return QStringLiteral("The folder %1 cannot be read.").arg(request.folder);
    if (Problem problem = readSettings(); !problem.isEmpty())
        return problem;
    if (Problem problem = makeOutputDirectories(); !problem.isEmpty())
        return problem;
    if (Problem problem = lockOutput(); !problem.isEmpty())
        return problem;
    // Read even with --force: it names the files earlier builds made, which are not
    // pictures of the folder when the site is built into the folder itself.
    previous = BuildManifest::Read(request.output + ManifestName);
    page.Load({});
    box = page.options.thumbnailBox(preferences.thumbnailBox);
    manifest.settings = thumbnailSettings(box, save);
    manifest.copies = copyRules.describe();
    takeFolder(*files);
    siteNames.emplace(pageRequest());
    return {};
}

// The stored preferences and page options, from the file given or the program's
// own, read without changing a byte of it.
Problem SiteBuild::readSettings()
{
    if (!request.settingsFile.isEmpty())
        qputenv("QUILLMERE_SETTINGS", request.settingsFile.toUtf8());
    if (const Problem problem = settingsFileProblem(SettingsStore::location(), !request.settingsFile.isEmpty());
        !problem.isEmpty())
        return problem;
    preferences = Preferences::read(QString());
    save = SaveSettings::Read();
    copyRules = WebCopyRules::Read();
    if (!Paths::UsablePrefix(save.prefix))
        return QStringLiteral("The setting \"%1\" (\"%2\") cannot be used: a prefix may not "
                              "hold a path separator, \"..\" or a control character.")
            .arg(Settings::SaveImageFileNamePrefix.name, save.prefix);
    return {};
}

// The output folder and the web site's directories below it, so that every link of
// the page resolves inside the output.
Problem SiteBuild::makeOutputDirectories()
{
    const std::optional<QString> thumbnails =
        OutputFiles::SiteDirectoryBelow(request.output, preferences.siteThumbnailDirectory);
    const std::optional<QString> images = OutputFiles::SiteDirectoryBelow(request.output, preferences.siteImageDirectory);
    if (!thumbnails || !images)
        return QStringLiteral("The web site directories \"%1\" and \"%2\" must lie below the output folder.")
            .arg(preferences.siteThumbnailDirectory, preferences.siteImageDirectory);
    thumbnailDirectory = *thumbnails;
    imageDirectory = *images;
    for (const QString &directory : {request.output, thumbnailDirectory, imageDirectory})
        if (!OutputFiles::EnsureDirectory(directory, true) || !QFileInfo(directory).isWritable())
            return QStringLiteral("The output folder %1 cannot be written.").arg(directory);
    return {};
}

// One build at a time writes into a folder; a lock left by a build that ended
// without removing it is taken over.
Problem SiteBuild::lockOutput()
{
    lock = std::make_unique<QLockFile>(request.output + LockName);
    lock->setStaleLockTime(0);  // a long build is not stale while it runs
    if (lock->tryLock(0))
        return {};
    if (lock->error() == QLockFile::LockFailedError)
        return QStringLiteral("Another build is writing into %1; try again when it has ended.").arg(request.output);
    return QStringLiteral("The output folder %1 cannot be written.").arg(request.output);
}

// The folder's files but for the ones earlier builds made in it, which are protected
// from every write of this build, and keep their names on the site when they lie
// in one of its folders.
void SiteBuild::takeFolder(const QStringList &files)
{
    QSet<QString> made{request.output + PageName, request.output + ManifestName};
    for (auto file = previous.files.cbegin(); file != previous.files.cend(); ++file)
        made.insert(QDir::toNativeSeparators(QDir::cleanPath(request.output + file.key())));
    for (const QString &name : files) {
        const QString path = request.folder + name;
        if (made.contains(path))
            continue;
        names << name;
        pictures.add(path);
        if (sameFolder(request.folder, thumbnailDirectory))
            present << SiteFile{true, name, path};
        if (sameFolder(request.folder, imageDirectory))
            present << SiteFile{false, name, path};
    }
    pictures.add(BackgroundImageOf(page));
    for (const QString &name : UndecodableNames(request.folder)) {
        ++unreadableNames;
        unreadable << request.folder + name;
        line(QStringLiteral("Unreadable name, skipped: %1%2").arg(request.folder, name));
    }
}

PageRequest SiteBuild::pageRequest() const
{
    PageRequest made = page.request(preferences);
    made.present = present;
    return made;
}

// Every file of the folder in its order: thumbnails still up to date are kept as
// they are; the others are made on worker threads, as a folder load makes them.
void SiteBuild::makeThumbnails()
{
    QStringList paths;
    std::vector<bool> wanted;
    QList<const BuiltThumbnail *> recorded;
    for (const QString &name : names) {
        const QString path = request.folder + name;
        const BuiltThumbnail *made =
            request.force ? nullptr : previous.unchanged(path, manifest.settings, SourceState::Of(QFileInfo(path)));
        paths << path;
        recorded << made;
        wanted.push_back(!made);
    }
    ThumbnailPipeline pipeline(paths, wanted, box);
    for (int i = 0; i < paths.size(); ++i) {
        const QString &path = paths[i];
        const QFileInfo source(path);
        const SourceState state = SourceState::Of(source);
        if (const BuiltThumbnail *made = recorded[i]) {
            const int position = addToPage(path, source, *made);
            const QString file = thumbnailDirectory + siteNames->thumbnail(position);
            if (previous.upToDate(recordKey(file), file, path, state)) {
                ++thumbnailsKept;
                manifest.thumbnails.insert(path, *made);
                record(file, path, state);
            } else {  // gone, cut short or renamed since: made again
                writeThumbnail(PreparedThumbnail::Prepare(path, box).thumbnail, position, path,
                               *made);
            }
            writeDoubleThumbnail(position, path, *made);
        } else {
            while (!pipeline.waitFor(i, 1000)) {
            }
            PreparedThumbnail prepared = pipeline.take(i);
            if (!prepared.loaded || FitThumbnail(prepared.box, prepared.sourceSize).isEmpty())
                skip(path, prepared);
            else if (!prepared.made)
                fail(QStringLiteral("Not made: thumbnail of %1 (out of memory)").arg(path));
            else {
                const BuiltThumbnail made{state, prepared.sourceSize, prepared.thumbnail.size(),
                                          prepared.transparent, prepared.facts};
                const int position = addToPage(path, source, made);
                writeThumbnail(prepared.thumbnail, position, path, made);
                writeDoubleThumbnail(position, path, made);
            }
        }
        progress(QStringLiteral("Thumbnails"), i + 1, int(paths.size()));
    }
}

// Puts a picture on the page, which gives its files their names; tells of every
// name that was taken. Returns its position.
int SiteBuild::addToPage(const QString &path, const QFileInfo &source, const BuiltThumbnail &made)
{
    page.Append(PageSource{path, ThumbnailCaption(path, made.sourceSize, source.size()), made.thumbnailSize,
                           made.transparent, made.sourceSize, made.facts});
    siteNames->add(PageThumb{page.PageSources.constLast().caption, made.thumbnailSize.width(),
                             made.thumbnailSize.height(), page.PageThumbValues.constLast(), made.facts});
    for (; renamingsTold < siteNames->renamed().size(); ++renamingsTold)
        line(SiteNames::Describe(siteNames->renamed().at(renamingsTold)));
    return page.PageThumbCount() - 1;
}

void SiteBuild::writeThumbnail(Picture thumbnail, int position, const QString &path, const BuiltThumbnail &made)
{
    const QString name = siteNames->thumbnail(position);
    QString why;
    if (const std::optional<QString> file = OutputFiles::Destination(thumbnailDirectory, name, pictures, why)) {
        if (WriteThumbnail(thumbnail, *file, save)) {
            ++thumbnailsMade;
            manifest.thumbnails.insert(path, made);
            record(*file, path, made.source);
            return;
        }
        why = thumbnail.errorString();
    }
    fail(QStringLiteral("Not written: thumbnail of %1 as %2 (%3)").arg(path, thumbnailDirectory + name, why));
}

// The thumbnail at twice its size, when the page names one; kept while up to date.
void SiteBuild::writeDoubleThumbnail(int position, const QString &path, const BuiltThumbnail &made)
{
    const QString name = siteNames->doubleThumbnail(position);
    if (name.isEmpty())
        return;
    QString why;
    const std::optional<QString> file = OutputFiles::Destination(thumbnailDirectory, name, pictures, why);
    if (file && !request.force && previous.upToDate(recordKey(*file), *file, path, made.source)) {
        record(*file, path, made.source);
        return;
    }
    if (file && (why = WriteRedrawnThumbnail(path, 2 * made.thumbnailSize, *file, save)).isEmpty()) {
        record(*file, path, made.source);
        return;
    }
    fail(QStringLiteral("Not written: double-size thumbnail of %1 as %2 (%3)").arg(path, thumbnailDirectory + name, why));
}

// A file no loader reads: a picture that is damaged or too large, or a file of
// another kind.
void SiteBuild::skip(const QString &path, const PreparedThumbnail &prepared)
{
    if (!prepared.refusedSize.isEmpty()) {
        unreadable << path;
        line(QStringLiteral("Too large, skipped: %1 (%2 x %3 pixels)")
                 .arg(path, QString::number(prepared.refusedSize.width()), QString::number(prepared.refusedSize.height())));
    } else if (!HasPictureExtension(path)) {
        ++otherFiles;
    } else {
        unreadable << path;
        line(QStringLiteral("Unreadable, skipped: %1").arg(path)
             + (prepared.failure.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(prepared.failure)));
    }
}

// Every picture under the name its link on the page uses, and the page's background.
void SiteBuild::copyImages()
{
    const int total = page.PageThumbCount();
    for (int i = 0; i < total; ++i) {
        if (const QString name = siteNames->copy(i); !name.isEmpty())
            copy(page.PageThumbValues[i].SourcePath, name);
        progress(QStringLiteral("Images"), i + 1, total);
    }
    if (const QString background = BackgroundImageOf(page); !background.isEmpty())
        copy(background, siteNames->background());
}

void SiteBuild::copy(const QString &source, const QString &name)
{
    const SourceState state = SourceState::Of(QFileInfo(source));
    QString why;
    const std::optional<QString> file = OutputFiles::Destination(imageDirectory, name, pictures, why, source);
    if (!file) {
        fail(QStringLiteral("Not copied: %1 to %2 (%3)").arg(source, imageDirectory + name, why));
    } else if (FileWriting::IdentityOf(*file) == FileWriting::IdentityOf(source)) {
        // The picture is its own copy, unless the copy would differ from it.
        if (why = WriteWebCopy(source, *file, copyRules); why.isEmpty())
            ++copiesKept;
        else
            fail(QStringLiteral("Not copied: %1 to %2 (%3)").arg(source, *file, why));
    } else if (!request.force && previous.copyUpToDate(recordKey(*file), *file, source, state, manifest.copies)) {
        ++copiesKept;
        record(*file, source, state);
    } else if (why = WriteWebCopy(source, *file, copyRules); why.isEmpty()) {
        ++copiesMade;
        record(*file, source, state);
    } else {
        fail(QStringLiteral("Not copied: %1 to %2 (%3)").arg(source, *file, why));
    }
}

// The page of every thumbnail in folder order, in a table of the stored columns and
// as many rows as they need (or the stored rows when there are more).
void SiteBuild::writePage()
{
    const qint32 columns = std::max(1, Numbers::RoundHalfEven(BoxValue(page.options.tableColumns)));
    const qint32 needed = qint32((page.PageThumbCount() + columns - 1) / columns);
    const qint32 stored = Numbers::RoundHalfEven(BoxValue(page.options.tableRows));
    page.options.tableRows = QString::number(std::max(stored, needed));

    const QString html = GenerateHtml(pageRequest());
    QString why;
    const std::optional<QString> path = OutputFiles::Destination(request.output, PageName, pictures, why);
    if (path) {
        QFile existing(*path);
        if (!request.force && existing.open(QIODevice::ReadOnly) && existing.readAll() == HtmlFile::Encode(html))
            return;
        if (why = HtmlFile::Write(*path, html); why.isEmpty()) {
            pageOutcome = QStringLiteral("written");
            return;
        }
    }
    pageOutcome = QStringLiteral("not written");
    fail(QStringLiteral("Not written: %1 (%2)").arg(request.output + PageName, why));
}

void SiteBuild::writeRecord()
{
    const QString path = request.output + ManifestName;
    const QByteArray contents = manifest.contents();
    if (QFile existing(path); !request.force && existing.open(QIODevice::ReadOnly) && existing.readAll() == contents)
        return;
    QString why;
    if (OutputFiles::Destination(request.output, ManifestName, pictures, why))
        why = FileWriting::WriteWhole(path, contents);
    if (!why.isEmpty())
        fail(QStringLiteral("Not written: %1 (%2)").arg(path, why));
}

// What this build leaves in the output, to be kept by the next one.
void SiteBuild::record(const QString &file, const QString &source, const SourceState &state)
{
    manifest.files.insert(recordKey(file), BuiltFile{source, state, QFileInfo(file).size()});
}

void SiteBuild::fail(const QString &problem)
{
    failed << problem;
    line(problem);
}

// On a terminal one line, rewritten for every file; in a log a line for every
// twentieth part of the files.
void SiteBuild::progress(const QString &what, int done, int total)
{
    const QString text = QStringLiteral("%1: %2 of %3").arg(what).arg(done).arg(total);
    if (terminal)
        report << '\r' << text << "\x1b[K";
    else if (done == total || done % std::max(1, total / 20) == 0)
        report << text << '\n';
    report.flush();
}

// A line of the report; names in it cannot move the cursor or break the line.
void SiteBuild::line(const QString &text)
{
    if (terminal)
        report << "\r\x1b[K";
    report << Paths::Printable(text) << '\n';
    report.flush();
}

void SiteBuild::summarize()
{
    line(QStringLiteral("%1 files: %2 thumbnails (%3 made, %4 kept), %5 images (%6 copied, %7 kept), page %8; "
                        "skipped %9 unreadable and %10 not pictures; %11 failed; %12 s")
             .arg(names.size() + unreadableNames)
             .arg(thumbnailsMade + thumbnailsKept)
             .arg(thumbnailsMade)
             .arg(thumbnailsKept)
             .arg(copiesMade + copiesKept)
             .arg(copiesMade)
             .arg(copiesKept)
             .arg(pageOutcome)
             .arg(unreadable.size())
             .arg(otherFiles)
             .arg(failed.size())
             .arg(double(clock.elapsed()) / 1000, 0, 'f', 1));
}

} // namespace

bool Requested(const QStringList &arguments)
{
    return std::any_of(arguments.cbegin(), arguments.cend(), [](const QString &argument) {
        return argument == QLatin1String("--batch") || argument.startsWith(QLatin1String("--batch="));
    });
}

int Run(const QStringList &arguments, QTextStream &report, bool terminal)
{
    Request request;
    if (const Problem problem = parse(arguments, request); !problem.isEmpty()) {
        report << Paths::Printable(problem) << '\n' << Usage << '\n';
        return Unusable;
    }
    return SiteBuild(request, report, terminal).run();
}

} // namespace BatchBuild
