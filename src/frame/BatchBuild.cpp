#include "frame/BatchBuild.h"

#include "output/BuildManifest.h"
#include "output/HtmlFile.h"
#include "output/ImageCopying.h"
#include "output/OutputFiles.h"
#include "output/ThumbnailSaving.h"
#include "settings/Preferences.h"
#include "settings/SettingsSection.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ThumbnailImage.h"
#include "thumbs/ThumbnailPipeline.h"
#include "ui/Numbers.h"
#include "webpage/PageModel.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>

namespace BatchBuild {
namespace {

const QString Usage = QStringLiteral("Usage: quillmere --batch FOLDER --output DIR [--settings FILE] [--force]");
const QString ManifestName = QStringLiteral(".quillmere-build.json");

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

qint64 modifiedMs(const QFileInfo &file)
{
    return file.lastModified().toMSecsSinceEpoch();
}

// A copy that an earlier build made and the source has not changed since.
bool copyUpToDate(const QFileInfo &source, const QString &destination)
{
    const QFileInfo copy(destination);
    return copy.isFile() && copy.size() == source.size() && copy.lastModified() >= source.lastModified();
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
            report << problem << '\n';
            return Unusable;
        }
        makeThumbnails();
        loadPage();
        copyImages();
        writePage();
        if (manifest != previous && !manifest.write(request.output + ManifestName))
            failed << request.output + ManifestName;
        summarize();
        return unreadable.isEmpty() && failed.isEmpty() ? Complete : SomeSkipped;
    }

private:
    Problem prepare();
    Problem readSettings();
    Problem makeOutputDirectories();
    const BuiltThumbnail *keptThumbnail(const QString &path, const QFileInfo &source) const;
    void makeThumbnails();
    void writeThumbnail(PreparedThumbnail prepared, const QString &path, const QFileInfo &source);
    void addThumbnail(const QString &path, const QFileInfo &source, QSize sourceSize, QSize thumbnailSize);
    void skip(const QString &path);
    void loadPage();
    void copyImages();
    void copy(const QString &source, const QString &destination);
    void writePage();
    void progress(const QString &what, int done, int total);
    void line(const QString &text);
    void summarize();

    const Request &request;
    QTextStream &report;
    const bool terminal;
    QElapsedTimer clock;

    std::optional<SettingsSection> preferencesSection;
    std::optional<SettingsSection> htmlSection;
    Preferences preferences;
    SaveSettings save;
    QString thumbnailDirectory;
    QString imageDirectory;
    QStringList names;
    BuildManifest previous;
    BuildManifest manifest;
    QList<PageSource> sources;
    PageModel page;

    int thumbnailsMade = 0, thumbnailsKept = 0, copiesMade = 0, copiesKept = 0, otherFiles = 0;
    QStringList unreadable;
    QStringList failed;
    QString pageOutcome = QStringLiteral("unchanged");
};

Problem SiteBuild::prepare()
{
    const std::optional<QStringList> files = FolderFiles(request.folder);
    if (!files)
        return QStringLiteral("The folder %1 cannot be read.").arg(request.folder);
    names = *files;
    if (const Problem problem = readSettings(); !problem.isEmpty())
        return problem;
    if (const Problem problem = makeOutputDirectories(); !problem.isEmpty())
        return problem;
    if (!request.force)
        previous = BuildManifest::Read(request.output + ManifestName);
    manifest.settings = thumbnailSettings(preferences.thumbnailBox, save);
    return {};
}

// The stored preferences and page options, from the file given or the program's own.
Problem SiteBuild::readSettings()
{
    if (!request.settingsFile.isEmpty()) {
        if (!QFileInfo(request.settingsFile).isFile())
            return QStringLiteral("The settings file %1 does not exist.").arg(request.settingsFile);
        qputenv("QUILLMERE_SETTINGS", request.settingsFile.toUtf8());
    }
    if (!SettingsStore::fileUsable())
        return QStringLiteral("The settings file %1 cannot be read.").arg(SettingsStore::location());
    try {
        preferencesSection.emplace(QStringLiteral("Preferences"));
        htmlSection.emplace(QStringLiteral("HTML Preferences"));
    } catch (const RegistryError &error) {
        return QStringLiteral("The settings in %1 cannot be used: %2").arg(SettingsStore::location(), error.description);
    }
    preferences = Preferences::read(*preferencesSection, QString());
    save = SaveSettings::Read(*preferencesSection);
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

// What an earlier build made of a source, when its thumbnail can be kept: made with
// the same settings from the source as it is now, and newer than it.
const BuiltThumbnail *SiteBuild::keptThumbnail(const QString &path, const QFileInfo &source) const
{
    const BuiltThumbnail *made = previous.unchanged(path, manifest.settings, source.size(), modifiedMs(source));
    const QFileInfo thumbnail(SavedThumbnailPath(thumbnailDirectory, path, save));
    return made && thumbnail.isFile() && thumbnail.lastModified() > source.lastModified() ? made : nullptr;
}

// Every file of the folder in its order: thumbnails still up to date are kept as
// they are; the others are made on worker threads, as a folder load makes them.
void SiteBuild::makeThumbnails()
{
    QStringList paths;
    std::vector<bool> wanted;
    QList<const BuiltThumbnail *> kept;
    for (const QString &name : names) {
        const QString path = request.folder + name;
        const BuiltThumbnail *made = keptThumbnail(path, QFileInfo(path));
        paths << path;
        kept << made;
        wanted.push_back(!made);
    }
    ThumbnailPipeline pipeline(paths, wanted, preferences.thumbnailBox);
    for (int i = 0; i < paths.size(); ++i) {
        const QString &path = paths[i];
        const QFileInfo source(path);
        if (const BuiltThumbnail *made = kept[i]) {
            ++thumbnailsKept;
            addThumbnail(path, source, made->sourceSize, made->thumbnailSize);
        } else {
            while (!pipeline.waitFor(i, 1000)) {
            }
            writeThumbnail(pipeline.take(i), path, source);
        }
        progress(QStringLiteral("Thumbnails"), i + 1, int(paths.size()));
    }
}

void SiteBuild::writeThumbnail(PreparedThumbnail prepared, const QString &path, const QFileInfo &source)
{
    if (!prepared.loaded || FitThumbnail(prepared.box, prepared.sourceSize).isEmpty()) {
        skip(path);
    } else if (!prepared.made
               || !WriteThumbnail(prepared.thumbnail, SavedThumbnailPath(thumbnailDirectory, path, save), save)) {
        failed << path;
        line(QStringLiteral("Not written: thumbnail of %1").arg(path));
    } else {
        ++thumbnailsMade;
        addThumbnail(path, source, prepared.sourceSize, prepared.thumbnail.size());
    }
}

void SiteBuild::addThumbnail(const QString &path, const QFileInfo &source, QSize sourceSize, QSize thumbnailSize)
{
    sources << PageSource{path, ThumbnailCaption(path, sourceSize, source.size()), thumbnailSize};
    manifest.thumbnails.insert(path, {source.size(), modifiedMs(source), sourceSize, thumbnailSize});
}

// A file no loader reads: a picture that is damaged, or a file of another kind.
void SiteBuild::skip(const QString &path)
{
    if (!HasPictureExtension(path)) {
        ++otherFiles;
        return;
    }
    unreadable << path;
    line(QStringLiteral("Unreadable, skipped: %1").arg(path));
}

// The page of every thumbnail in folder order, in a table of the stored columns and
// as many rows as they need (or the stored rows when there are more).
void SiteBuild::loadPage()
{
    page.Load(sources, StoredValues(*htmlSection), StoredValues(*preferencesSection));
    const qint32 columns = std::max(1, Numbers::RoundHalfEven(BoxValue(page.options.tableColumns)));
    const qint32 needed = qint32((sources.size() + columns - 1) / columns);
    const qint32 stored = Numbers::RoundHalfEven(BoxValue(page.options.tableRows));
    page.options.tableRows = QString::number(std::max(stored, needed));
}

// Every picture under the name its link on the page uses, and the page's background.
void SiteBuild::copyImages()
{
    const int total = int(page.PageThumbValues.size());
    for (int i = 0; i < total; ++i) {
        const ThumbPageValues &values = page.PageThumbValues[i];
        if (const QString name = LinkedCopyName(values); !name.isEmpty())
            copy(values.SourcePath, imageDirectory + name);
        progress(QStringLiteral("Images"), i + 1, total);
    }
    if (const QString background = BackgroundImageOf(page); !background.isEmpty())
        copy(background, imageDirectory + OwnCopyName(background, ImageNamesLowerCase(*preferencesSection)));
}

void SiteBuild::copy(const QString &source, const QString &destination)
{
    if (!request.force && copyUpToDate(QFileInfo(source), destination)) {
        ++copiesKept;
    } else if (CopyReplacing(source, destination)) {
        ++copiesMade;
    } else {
        failed << destination;
        line(QStringLiteral("Not copied: %1").arg(source));
    }
}

void SiteBuild::writePage()
{
    const QString html = GenerateHtml(page.request(preferences, StoredValues(*preferencesSection)));
    const QString path = request.output + QStringLiteral("index.html");
    QFile existing(path);
    if (!request.force && existing.open(QIODevice::ReadOnly) && existing.readAll() == HtmlFile::Encode(html))
        return;
    if (const QString error = HtmlFile::Write(path, html); !error.isEmpty()) {
        failed << path;
        pageOutcome = QStringLiteral("not written");
        line(QStringLiteral("Not written: %1 (%2)").arg(path, error));
        return;
    }
    pageOutcome = QStringLiteral("written");
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

void SiteBuild::line(const QString &text)
{
    if (terminal)
        report << "\r\x1b[K";
    report << text << '\n';
    report.flush();
}

void SiteBuild::summarize()
{
    line(QStringLiteral("%1 files: %2 thumbnails (%3 made, %4 kept), %5 images (%6 copied, %7 kept), page %8; "
                        "skipped %9 unreadable and %10 not pictures; %11 failed; %12 s")
             .arg(names.size())
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
        report << problem << '\n' << Usage << '\n';
        return Unusable;
    }
    return SiteBuild(request, report, terminal).run();
}

} // namespace BatchBuild
