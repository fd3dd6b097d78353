#include "frame/BatchBuild.h"

#include "frame/AlbumTree.h"
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

const QString Usage = QStringLiteral(
    "Usage: quillmere --batch FOLDER --output DIR [--settings FILE] [--force] [--albums] [--sort name|date] [--quiet]");
const QString ManifestName = QStringLiteral(".quillmere-build.json");
const QString LockName = QStringLiteral(".quillmere-build.lock");
const QString PageName = QStringLiteral("index.html");

// Why a build cannot start; empty when it can.
using Problem = QString;

Problem parse(const QStringList &arguments, SiteRequest &request, bool &quiet)
{
    QCommandLineParser parser;
    const QCommandLineOption batch(QStringLiteral("batch"), QString(), QStringLiteral("FOLDER"));
    const QCommandLineOption output(QStringLiteral("output"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption settings(QStringLiteral("settings"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption force(QStringLiteral("force"));
    const QCommandLineOption albums(QStringLiteral("albums"));
    const QCommandLineOption sort(QStringLiteral("sort"), QString(), QStringLiteral("ORDER"), QStringLiteral("name"));
    const QCommandLineOption quietly(QStringLiteral("quiet"));
    parser.addOptions({batch, output, settings, force, albums, sort, quietly});
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
    request.albums = parser.isSet(albums);
    const QString order = parser.value(sort);
    if (order != QLatin1String("name") && order != QLatin1String("date"))
        return QStringLiteral("Unknown order \"%1\": --sort takes name or date.").arg(order);
    request.byDate = order == QLatin1String("date");
    quiet = parser.isSet(quietly);
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

// What every album of a build shares: the settings, read once, the pictures no write
// may replace, the counts and the observer.
struct Shared {
    Shared(const SiteRequest &request, BuildObserver &observer) : request(request), observer(observer) {}

    const SiteRequest &request;
    BuildObserver &observer;
    Preferences preferences;
    SaveSettings save;
    WebCopyRules copyRules;
    QSize box;  // the thumbnails are drawn in
    QString thumbnailSettings;
    FileWriting::ProtectedFiles pictures;

    int thumbnailsMade = 0, thumbnailsKept = 0, copiesMade = 0, copiesKept = 0, otherFiles = 0, unreadableNames = 0;
    int pagesWritten = 0, pagesUnchanged = 0;
    QStringList unreadable;
    QStringList failed;

    // Names in reports cannot move the cursor or break the line.
    void line(const QString &text) { observer.line(Paths::Printable(text)); }
    void fail(const QString &problem)
    {
        failed << problem;
        line(problem);
    }
};

// One album: a folder's pictures, made into thumbnails and copies in the web site's
// directories below its own output folder, and its page.
class AlbumBuild {
    Shared &shared;

public:
    AlbumBuild(Shared &shared, QString folder, QString output) : shared(shared), folder(std::move(folder)), output(std::move(output)) {}

    Problem prepare(const QString &title);
    int pictureCount() const { return int(names.size()); }
    int shownCount() const { return page.PageThumbCount(); }
    void makeThumbnails(int &done, int total);
    void copyImages(int &done, int total);
    void writePage(QList<AlbumCard> albums, QList<TrailStep> trail);
    void writeRecord(const QStringList &albums);
    bool stopped() const { return shared.observer.cancelled(); }

    // The first thumbnail, as the page shows it, relative to the album's output.
    QString coverPath() const;
    QSize coverSize() const;
    DayRange days;  // the pictures were taken on
    QString title;
    const QString folder;
    const QString output;
    BuildManifest previous;

private:
    Problem makeOutputDirectories();
    void takeFolder(const QStringList &files);
    void sortByDate();
    PageRequest pageRequest() const;
    int addToPage(const QString &path, qint64 bytes, const BuiltThumbnail &made);
    void writeThumbnail(Picture thumbnail, int position, const QString &path, const BuiltThumbnail &made);
    void writeDoubleThumbnail(int position, const QString &path, const BuiltThumbnail &made);
    void skip(const QString &path, const PreparedThumbnail &prepared);
    void copy(const QString &source, const QString &name);
    void record(const QString &file, const QString &source, const SourceState &state);
    // A file found up to date keeps its entry of the earlier record.
    void keepRecord(const QString &file) { manifest.files.insert(recordKey(file), previous.files.value(recordKey(file))); }
    QString recordKey(const QString &file) const { return QDir(output).relativeFilePath(file); }
    void fail(const QString &problem) { shared.fail(problem); }
    void line(const QString &text) { shared.line(text); }

    const SiteRequest &request = shared.request;
    QString thumbnailDirectory;
    QString imageDirectory;
    QStringList names;
    QList<SiteFile> present;
    BuildManifest manifest;
    PageModel page;
    std::optional<SiteNames> siteNames;
    qsizetype renamingsTold = 0;
    QHash<QString, SourceState> sourceStates;  // of the pictures, as this build found them
};

Problem AlbumBuild::prepare(const QString &pageTitle)
{
    const std::optional<QStringList> files = FolderFiles(folder);
    if (!files)
        return QStringLiteral("The folder %1 cannot be read.").arg(folder);
    if (Problem problem = makeOutputDirectories(); !problem.isEmpty())
        return problem;
    // Read even with --force: it names the files earlier builds made, which are not
    // pictures of the folder when the site is built into the folder itself.
    previous = BuildManifest::Read(output + ManifestName);
    page.Load({});
    title = pageTitle.isEmpty() ? page.options.pageTitle : pageTitle;
    page.options.pageTitle = title;
    manifest.settings = shared.thumbnailSettings;
    manifest.copies = shared.copyRules.describe();
    takeFolder(*files);
    if (request.byDate)
        sortByDate();
    siteNames.emplace(pageRequest());
    return {};
}

Problem AlbumBuild::makeOutputDirectories()
{
    const std::optional<QString> thumbnails =
        OutputFiles::SiteDirectoryBelow(output, shared.preferences.siteThumbnailDirectory);
    const std::optional<QString> images = OutputFiles::SiteDirectoryBelow(output, shared.preferences.siteImageDirectory);
    if (!thumbnails || !images)
        return QStringLiteral("The web site directories \"%1\" and \"%2\" must lie below the output folder.")
            .arg(shared.preferences.siteThumbnailDirectory, shared.preferences.siteImageDirectory);
    thumbnailDirectory = *thumbnails;
    imageDirectory = *images;
    for (const QString &directory : {output, thumbnailDirectory, imageDirectory})
        if (!OutputFiles::EnsureDirectory(directory, true) || !QFileInfo(directory).isWritable())
            return QStringLiteral("The output folder %1 cannot be written.").arg(directory);
    return {};
}

// The files earlier builds made for the album whose output is `output`.
QSet<QString> madeBefore(const QString &output, const BuildManifest &previous)
{
    QSet<QString> made{output + PageName, output + ManifestName};
    for (auto file = previous.files.cbegin(); file != previous.files.cend(); ++file)
        made.insert(QDir::toNativeSeparators(QDir::cleanPath(output + file.key())));
    return made;
}

void AlbumBuild::takeFolder(const QStringList &files)
{
    const QSet<QString> made = madeBefore(output, previous);
    for (const QString &name : files) {
        const QString path = folder + name;
        if (made.contains(path))
            continue;
        names << name;
        shared.pictures.add(path);
        if (sameFolder(folder, thumbnailDirectory))
            present << SiteFile{true, name, path};
        if (sameFolder(folder, imageDirectory))
            present << SiteFile{false, name, path};
    }
    shared.pictures.add(BackgroundImageOf(page));
    for (const QString &name : UndecodableNames(folder)) {
        ++shared.unreadableNames;
        shared.unreadable << folder + name;
        line(QStringLiteral("Unreadable name, skipped: %1%2").arg(folder, name));
    }
}

// The order the pictures were taken in; a picture without a date by its file's time,
// and pictures of one time by name.
void AlbumBuild::sortByDate()
{
    QHash<QString, QDateTime> when;
    for (const QString &name : names) {
        const QString path = folder + name;
        const QFileInfo file(path);
        const BuiltThumbnail *made = previous.unchanged(path, manifest.settings, SourceState::Of(file));
        const QDateTime taken = made ? made->facts.taken : PictureFactsReader::Read(path).taken;
        when.insert(name, taken.isValid() ? taken : file.lastModified());
    }
    std::stable_sort(names.begin(), names.end(), [&when](const QString &a, const QString &b) { return when[a] < when[b]; });
}

PageRequest AlbumBuild::pageRequest() const
{
    PageRequest made = page.request(shared.preferences);
    made.present = present;
    return made;
}

void AlbumBuild::makeThumbnails(int &done, int total)
{
    QStringList paths;
    std::vector<bool> wanted;
    QList<const BuiltThumbnail *> recorded;
    for (const QString &name : names) {
        const QString path = folder + name;
        // Each picture is looked at once; its copy goes by the same state.
        const SourceState state = SourceState::Of(QFileInfo(path));
        sourceStates.insert(path, state);
        const BuiltThumbnail *made = request.force ? nullptr : previous.unchanged(path, manifest.settings, state);
        paths << path;
        recorded << made;
        wanted.push_back(!made);
    }
    ThumbnailPipeline pipeline(paths, wanted, shared.box);
    for (int i = 0; i < paths.size() && !stopped(); ++i) {
        const QString &path = paths[i];
        const SourceState state = sourceStates.value(path);
        if (const BuiltThumbnail *made = recorded[i]) {
            const int position = addToPage(path, state.bytes, *made);
            const QString file = thumbnailDirectory + siteNames->thumbnail(position);
            if (previous.upToDate(recordKey(file), file, path, state)) {
                ++shared.thumbnailsKept;
                manifest.thumbnails.insert(path, *made);
                keepRecord(file);
            } else {  // gone, cut short or renamed since: made again
                writeThumbnail(PreparedThumbnail::Prepare(path, shared.box).thumbnail, position, path,
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
                const int position = addToPage(path, state.bytes, made);
                writeThumbnail(prepared.thumbnail, position, path, made);
                writeDoubleThumbnail(position, path, made);
            }
        }
        shared.observer.progress(QStringLiteral("Thumbnails"), ++done, total);
    }
}

int AlbumBuild::addToPage(const QString &path, qint64 bytes, const BuiltThumbnail &made)
{
    page.Append(PageSource{path, ThumbnailCaption(path, made.sourceSize, bytes), made.thumbnailSize,
                           made.transparent, made.sourceSize, made.facts});
    siteNames->add(PageThumb{page.PageSources.constLast().caption, made.thumbnailSize.width(),
                             made.thumbnailSize.height(), page.PageThumbValues.constLast(), made.facts});
    days.add(made.facts.taken.date());
    for (; renamingsTold < siteNames->renamed().size(); ++renamingsTold)
        line(SiteNames::Describe(siteNames->renamed().at(renamingsTold)));
    return page.PageThumbCount() - 1;
}

void AlbumBuild::writeThumbnail(Picture thumbnail, int position, const QString &path, const BuiltThumbnail &made)
{
    const QString name = siteNames->thumbnail(position);
    QString why;
    if (const std::optional<QString> file = OutputFiles::Destination(thumbnailDirectory, name, shared.pictures, why)) {
        if (WriteThumbnail(thumbnail, *file, shared.save)) {
            ++shared.thumbnailsMade;
            manifest.thumbnails.insert(path, made);
            record(*file, path, made.source);
            return;
        }
        why = thumbnail.errorString();
    }
    fail(QStringLiteral("Not written: thumbnail of %1 as %2 (%3)").arg(path, thumbnailDirectory + name, why));
}

void AlbumBuild::writeDoubleThumbnail(int position, const QString &path, const BuiltThumbnail &made)
{
    const QString name = siteNames->doubleThumbnail(position);
    if (name.isEmpty())
        return;
    QString why;
    const std::optional<QString> file = OutputFiles::Destination(thumbnailDirectory, name, shared.pictures, why);
    if (file && !request.force && previous.upToDate(recordKey(*file), *file, path, made.source)) {
        keepRecord(*file);
        return;
    }
    if (file && (why = WriteRedrawnThumbnail(path, 2 * made.thumbnailSize, *file, shared.save)).isEmpty()) {
        record(*file, path, made.source);
        return;
    }
    fail(QStringLiteral("Not written: double-size thumbnail of %1 as %2 (%3)").arg(path, thumbnailDirectory + name, why));
}

void AlbumBuild::skip(const QString &path, const PreparedThumbnail &prepared)
{
    if (!prepared.refusedSize.isEmpty()) {
        shared.unreadable << path;
        line(QStringLiteral("Too large, skipped: %1 (%2 x %3 pixels)")
                 .arg(path, QString::number(prepared.refusedSize.width()), QString::number(prepared.refusedSize.height())));
    } else if (!HasPictureExtension(path)) {
        ++shared.otherFiles;
    } else {
        shared.unreadable << path;
        line(QStringLiteral("Unreadable, skipped: %1").arg(path)
             + (prepared.failure.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(prepared.failure)));
    }
}

// Every picture under the name its link on the page uses, and the page's background.
void AlbumBuild::copyImages(int &done, int total)
{
    for (int i = 0; i < page.PageThumbCount() && !stopped(); ++i) {
        if (const QString name = siteNames->copy(i); !name.isEmpty())
            copy(page.PageThumbValues[i].SourcePath, name);
        shared.observer.progress(QStringLiteral("Images"), ++done, total);
    }
    if (const QString background = BackgroundImageOf(page); !background.isEmpty() && !stopped())
        copy(background, siteNames->background());
}

void AlbumBuild::copy(const QString &source, const QString &name)
{
    const auto found = sourceStates.constFind(source);
    const SourceState state = found != sourceStates.cend() ? *found : SourceState::Of(QFileInfo(source));
    // A copy this build's record says is up to date is left as it is, and nothing is
    // written: the record names only real copies, never a picture that is its own.
    if (const std::optional<QString> kept = FileWriting::FileIn(imageDirectory, name);
        kept && !request.force && previous.copyUpToDate(recordKey(*kept), *kept, source, state, manifest.copies)) {
        ++shared.copiesKept;
        keepRecord(*kept);
        return;
    }
    QString why;
    const std::optional<QString> file = OutputFiles::Destination(imageDirectory, name, shared.pictures, why, source);
    if (!file) {
        fail(QStringLiteral("Not copied: %1 to %2 (%3)").arg(source, imageDirectory + name, why));
    } else if (FileWriting::IdentityOf(*file) == FileWriting::IdentityOf(source)) {
        // The picture is its own copy, unless the copy would differ from it.
        if (why = WriteWebCopy(source, *file, shared.copyRules); why.isEmpty())
            ++shared.copiesKept;
        else
            fail(QStringLiteral("Not copied: %1 to %2 (%3)").arg(source, *file, why));
    } else if (why = WriteWebCopy(source, *file, shared.copyRules); why.isEmpty()) {
        ++shared.copiesMade;
        record(*file, source, state);
    } else {
        fail(QStringLiteral("Not copied: %1 to %2 (%3)").arg(source, *file, why));
    }
}

// The page of the albums below and every thumbnail in folder order, in a table of the
// stored columns and as many rows as they need (or the stored rows when there are more).
void AlbumBuild::writePage(QList<AlbumCard> albums, QList<TrailStep> trail)
{
    const qint32 columns = std::max(1, Numbers::RoundHalfEven(BoxValue(page.options.tableColumns)));
    const qint32 needed = qint32((albums.size() + page.PageThumbCount() + columns - 1) / columns);
    const qint32 stored = Numbers::RoundHalfEven(BoxValue(page.options.tableRows));
    page.options.tableRows = QString::number(std::max(stored, needed));

    PageRequest made = pageRequest();
    made.albums = std::move(albums);
    made.trail = std::move(trail);
    const QString html = GenerateHtml(made);
    QString why;
    if (const std::optional<QString> path = OutputFiles::Destination(output, PageName, shared.pictures, why)) {
        QFile existing(*path);
        if (!request.force && existing.open(QIODevice::ReadOnly) && existing.readAll() == HtmlFile::Encode(html)) {
            ++shared.pagesUnchanged;
            return;
        }
        if (why = HtmlFile::Write(*path, html); why.isEmpty()) {
            ++shared.pagesWritten;
            return;
        }
    }
    fail(QStringLiteral("Not written: %1 (%2)").arg(output + PageName, why));
}

// The record of what this build made here; a cancelled build keeps what the earlier
// one recorded of the files it did not reach, so that none is taken for a picture.
void AlbumBuild::writeRecord(const QStringList &albums)
{
    manifest.albums = albums;
    if (stopped()) {
        for (auto file = previous.files.cbegin(); file != previous.files.cend(); ++file)
            if (!manifest.files.contains(file.key()))
                manifest.files.insert(file.key(), *file);
        for (auto made = previous.thumbnails.cbegin(); made != previous.thumbnails.cend(); ++made)
            if (!manifest.thumbnails.contains(made.key()))
                manifest.thumbnails.insert(made.key(), *made);
    }
    const QString path = output + ManifestName;
    if (!request.force && manifest == previous && manifest.copies == previous.copies && manifest.albums == previous.albums
        && QFileInfo::exists(path))
        return;  // the record it would write says what the one there says
    const QByteArray contents = manifest.contents();
    if (QFile existing(path); !request.force && existing.open(QIODevice::ReadOnly) && existing.readAll() == contents)
        return;
    QString why;
    if (OutputFiles::Destination(output, ManifestName, shared.pictures, why))
        why = FileWriting::WriteWhole(path, contents);
    if (!why.isEmpty())
        fail(QStringLiteral("Not written: %1 (%2)").arg(path, why));
}

// What this build leaves in the output, to be kept by the next one.
void AlbumBuild::record(const QString &file, const QString &source, const SourceState &state)
{
    manifest.files.insert(recordKey(file), BuiltFile{source, state, QFileInfo(file).size()});
}

QString AlbumBuild::coverPath() const
{
    if (page.PageThumbCount() == 0)
        return QString();
    return QDir::cleanPath(shared.preferences.siteThumbnailDirectory + u'/' + siteNames->thumbnail(0));
}

QSize AlbumBuild::coverSize() const
{
    if (page.PageSources.isEmpty())
        return QSize();
    const PageSource &first = page.PageSources.constFirst();
    return PageThumbnailSize(page.options, first.size, first.pictureSize);
}

// What a parent's page needs of an album once it is built.
struct AlbumSummary {
    QString cover;       // relative to the album's own folder; empty when it has none
    QSize coverSize;
    int pictures = 0;    // in it and every album below it
    DayRange days;
};

// The albums of the tree, or the one folder, built one after another, every album
// before the one above it, whose page shows its card; only a summary of each is
// kept, so that memory does not grow with the pictures. Then the albums gone from
// the tree are taken away.
class SiteBuild {
public:
    SiteBuild(const SiteRequest &request, BuildObserver &observer) : shared(request, observer) {}

    int run()
    {
        clock.start();
        if (const Problem problem = prepare(); !problem.isEmpty()) {
            shared.observer.line(Paths::Printable(problem));
            return Unusable;
        }
        summaries.resize(albums.size());
        int thumbnails = 0, copies = 0;
        for (qsizetype i = albums.size() - 1; i >= 0 && !shared.observer.cancelled(); --i)
            if (const Problem problem = buildAlbum(int(i), thumbnails, copies); !problem.isEmpty()) {
                if (albums.size() == 1) {
                    shared.observer.line(Paths::Printable(problem));
                    return Unusable;
                }
                shared.fail(problem);
            }
        const bool cancelled = shared.observer.cancelled();
        if (!cancelled)
            removeGoneAlbums();
        summarize(cancelled);
        if (cancelled)
            return Cancelled;
        return shared.unreadable.isEmpty() && shared.failed.isEmpty() ? Complete : SomeSkipped;
    }

private:
    Problem prepare();
    Problem readSettings();
    Problem lockOutput();
    void protectPictures();
    Problem buildAlbum(int index, int &thumbnails, int &copies);
    void removeGoneAlbums();
    void removeAlbum(const QString &relative);
    QString outputOf(const Album &album) const
    {
        return shared.request.output + (album.relative.isEmpty() ? QString() : QDir::toNativeSeparators(album.relative) + QDir::separator());
    }
    void summarize(bool cancelled);

    Shared shared;
    QElapsedTimer clock;
    std::unique_ptr<QLockFile> lock;
    QList<Album> albums;
    QStringList titles;                // of each album's page
    QList<AlbumSummary> summaries;     // of the albums built
    int total = 0;                     // pictures (files) of every album
    QStringList albumsBefore;          // as the top album's record named them
    QStringList albumsNow;             // what the top album's record is to name
    int albumsMade = 0, albumsRemoved = 0;
};

Problem SiteBuild::prepare()
{
    if (!FolderFiles(shared.request.folder))
        return QStringLiteral("The folder %1 cannot be read.").arg(shared.request.folder);
    if (Problem problem = readSettings(); !problem.isEmpty())
        return problem;
    if (!OutputFiles::EnsureDirectory(shared.request.output, true) || !QFileInfo(shared.request.output).isWritable())
        return QStringLiteral("The output folder %1 cannot be written.").arg(shared.request.output);
    if (Problem problem = lockOutput(); !problem.isEmpty())
        return problem;
    albums = shared.request.albums ? AlbumTree(shared.request.folder, shared.request.output)
                                   : QList<Album>{Album{shared.request.folder, QString(), QString(), -1, {}}};
    albumsBefore = BuildManifest::Read(shared.request.output + ManifestName).albums;
    albumsNow = albumsBefore;  // kept as it was without albums
    if (shared.request.albums) {
        albumsNow.clear();
        for (const Album &album : albums)
            albumsNow << album.relative;
    }
    for (const Album &album : albums)
        titles << (album.parent < 0 ? StoredPageOptions().pageTitle : album.name);
    protectPictures();
    return {};
}

// Every album's pictures, before anything is written: a write for one album never
// replaces a picture of another. Where the output lies in the tree, the files earlier
// builds made there are not pictures.
void SiteBuild::protectPictures()
{
    const auto inside = [](const QString &folder, const QString &within) {
        return Paths::FileNameKey(QDir::cleanPath(folder) + u'/').startsWith(Paths::FileNameKey(QDir::cleanPath(within) + u'/'));
    };
    const bool overlapping = inside(shared.request.output, shared.request.folder) || inside(shared.request.folder, shared.request.output);
    for (const Album &album : albums) {
        const QSet<QString> made = overlapping ? madeBefore(outputOf(album), BuildManifest::Read(outputOf(album) + ManifestName))
                                               : QSet<QString>();
        for (const QString &name : FolderFiles(album.folder).value_or(QStringList()))
            if (!made.contains(album.folder + name)) {
                shared.pictures.add(album.folder + name);
                ++total;
            }
    }
}

// Builds one album, whose albums are built: its thumbnails, its copies, and its page
// with a card for each of them and the trail of the albums above it.
Problem SiteBuild::buildAlbum(int index, int &thumbnails, int &copies)
{
    const Album &album = albums[index];
    AlbumBuild build(shared, album.folder, outputOf(album));
    if (Problem problem = build.prepare(titles[index]); !problem.isEmpty())
        return problem;
    build.makeThumbnails(thumbnails, total);
    build.copyImages(copies, total);
    if (build.stopped()) {
        build.writeRecord(index == 0 ? albumsBefore : QStringList());
        return {};
    }
    AlbumSummary &summary = summaries[index];
    summary = AlbumSummary{build.coverPath(), build.coverSize(), build.shownCount(), build.days};
    QList<AlbumCard> cards;
    for (const int child : album.children) {
        const AlbumSummary &below = summaries[child];
        const QString name = albums[child].name;
        const QString cover = below.cover.isEmpty() ? QString() : name + u'/' + below.cover;
        cards << AlbumCard{name, name + QStringLiteral("/index.html"), cover, below.coverSize, below.pictures, below.days};
        summary.pictures += below.pictures;
        summary.days.add(below.days);
        if (summary.cover.isEmpty() && !cover.isEmpty()) {
            summary.cover = cover;
            summary.coverSize = below.coverSize;
        }
    }
    QList<TrailStep> trail;
    QString up;
    for (int above = album.parent; above >= 0; above = albums[above].parent) {
        up += QStringLiteral("../");
        trail.prepend(TrailStep{titles[above], up + QStringLiteral("index.html")});
    }
    build.writePage(cards, trail);
    // The top album's record names every album, so that the next build can take
    // away those gone from the tree.
    build.writeRecord(index == 0 ? albumsNow : QStringList());
    return {};
}

// The stored preferences and page options, from the file given or the program's
// own, read without changing a byte of it.
Problem SiteBuild::readSettings()
{
    if (!shared.request.settingsFile.isEmpty())
        qputenv("QUILLMERE_SETTINGS", shared.request.settingsFile.toUtf8());
    if (const Problem problem = settingsFileProblem(SettingsStore::location(), !shared.request.settingsFile.isEmpty());
        !problem.isEmpty())
        return problem;
    shared.preferences = Preferences::read(QString());
    shared.save = SaveSettings::Read();
    shared.copyRules = WebCopyRules::Read();
    if (!Paths::UsablePrefix(shared.save.prefix))
        return QStringLiteral("The setting \"%1\" (\"%2\") cannot be used: a prefix may not "
                              "hold a path separator, \"..\" or a control character.")
            .arg(Settings::SaveImageFileNamePrefix.name, shared.save.prefix);
    shared.box = StoredPageOptions().thumbnailBox(shared.preferences.thumbnailBox);
    shared.thumbnailSettings = thumbnailSettings(shared.box, shared.save);
    return {};
}

// One build at a time writes into a folder; a lock left by a build that ended
// without removing it is taken over.
Problem SiteBuild::lockOutput()
{
    lock = std::make_unique<QLockFile>(shared.request.output + LockName);
    lock->setStaleLockTime(0);  // a long build is not stale while it runs
    if (lock->tryLock(0))
        return {};
    if (lock->error() == QLockFile::LockFailedError)
        return QStringLiteral("Another build is writing into %1; try again when it has ended.").arg(shared.request.output);
    return QStringLiteral("The output folder %1 cannot be written.").arg(shared.request.output);
}

void SiteBuild::removeGoneAlbums()
{
    if (!shared.request.albums)
        return;
    QStringList present;
    for (const Album &album : albums)
        present << album.relative;
    // The deepest first, so that a folder is empty when its album is taken away.
    QStringList gone;
    for (const QString &relative : albumsBefore)
        if (!present.contains(relative))
            gone << relative;
    std::sort(gone.begin(), gone.end(), [](const QString &a, const QString &b) { return a.count(u'/') > b.count(u'/'); });
    for (const QString &relative : gone)
        removeAlbum(relative);
    albumsRemoved = int(gone.size());
    for (const Album &album : albums)
        albumsMade += !albumsBefore.contains(album.relative) && !album.relative.isEmpty();
}

// Takes away the files the record of a gone album says it made, its page and its
// record, then its folders that are left empty; nothing else.
void SiteBuild::removeAlbum(const QString &relative)
{
    const QString folder = QDir::cleanPath(shared.request.output + relative);
    if (relative.isEmpty() || relative.startsWith(u'/') || relative.split(u'/').contains(QStringLiteral("..")))
        return;
    const BuildManifest gone = BuildManifest::Read(folder + u'/' + ManifestName);
    QStringList files{PageName, ManifestName};
    for (auto file = gone.files.cbegin(); file != gone.files.cend(); ++file)
        files << file.key();
    QSet<QString> folders{folder};
    for (const QString &site : {shared.preferences.siteThumbnailDirectory, shared.preferences.siteImageDirectory})
        files << site + u'/';
    for (const QString &name : files) {
        const QString path = QDir::cleanPath(folder + u'/' + name);
        if (!path.startsWith(folder + u'/') || shared.pictures.contains(path))
            continue;
        if (name.endsWith(u'/'))
            folders.insert(path);
        else if (QFileInfo(path).isFile() && !QFile::remove(path))
            shared.fail(QStringLiteral("Not removed: %1").arg(QDir::toNativeSeparators(path)));
        for (QString up = QFileInfo(path).path(); up.startsWith(folder); up = QFileInfo(up).path())
            folders.insert(up);
    }
    QStringList deepestFirst = folders.values();
    std::sort(deepestFirst.begin(), deepestFirst.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (const QString &empty : deepestFirst)
        QDir().rmdir(empty);  // only when nothing is left in it
}

void SiteBuild::summarize(bool cancelled)
{
    const int files = total + shared.unreadableNames;
    QString pages;
    if (albums.size() == 1)
        pages = shared.pagesWritten ? QStringLiteral("page written")
                : shared.pagesUnchanged ? QStringLiteral("page unchanged")
                                        : QStringLiteral("page not written");
    else
        pages = QStringLiteral("%1 pages (%2 written, %3 unchanged)")
                    .arg(albums.size())
                    .arg(shared.pagesWritten)
                    .arg(shared.pagesUnchanged);
    QString text = QStringLiteral("%1 files: %2 thumbnails (%3 made, %4 kept), %5 images (%6 copied, %7 kept), %8; "
                                  "skipped %9 unreadable and %10 not pictures; %11 failed; %12 s")
                       .arg(files)
                       .arg(shared.thumbnailsMade + shared.thumbnailsKept)
                       .arg(shared.thumbnailsMade)
                       .arg(shared.thumbnailsKept)
                       .arg(shared.copiesMade + shared.copiesKept)
                       .arg(shared.copiesMade)
                       .arg(shared.copiesKept)
                       .arg(pages)
                       .arg(shared.unreadable.size())
                       .arg(shared.otherFiles)
                       .arg(shared.failed.size())
                       .arg(double(clock.elapsed()) / 1000, 0, 'f', 1);
    if (shared.request.albums)
        text += QStringLiteral("; albums: %1 made, %2 kept, %3 removed")
                    .arg(albumsMade)
                    .arg(int(albums.size()) - 1 - albumsMade)
                    .arg(albumsRemoved);
    if (cancelled)
        text += QStringLiteral("; cancelled: the next build completes the site");
    shared.line(text);
}

// The report on a terminal or in a log: progress as one line rewritten in place on a
// terminal, else at most a line a second and the last of each stage; none when quiet.
class TextObserver : public BuildObserver {
public:
    TextObserver(QTextStream &report, bool terminal, bool quiet) : report(report), terminal(terminal), quiet(quiet)
    {
        clock.start();
    }

    // Every picture goes through both stages, album by album; the rate and the time
    // left are of the two together.
    void progress(const QString &stage, int done, int total) override
    {
        if (quiet)
            return;
        stagesDone[stage] = done;
        const qint64 elapsed = clock.elapsed();
        if (!terminal && done != total && elapsed - lastShown < 1000)
            return;
        lastShown = elapsed;
        qint64 steps = 0;
        for (const int count : std::as_const(stagesDone))
            steps += count;
        const double rate = elapsed > 0 ? steps * 1000.0 / elapsed : 0;  // steps a second
        QString text = QStringLiteral("%1: %2 of %3 (%4%)").arg(stage).arg(done).arg(total).arg(total ? done * 100 / total : 100);
        if (rate > 0)
            text += QStringLiteral(", %1 pictures a second, %2 left")
                        .arg(rate / 2, 0, 'f', 1)
                        .arg(duration(qint64((2.0 * total - double(steps)) / rate)));
        if (terminal)
            report << '\r' << text << "\x1b[K";
        else
            report << text << '\n';
        report.flush();
    }
    void line(const QString &text) override
    {
        if (terminal)
            report << "\r\x1b[K";
        report << text << '\n';
        report.flush();
    }

private:
    static QString duration(qint64 seconds)
    {
        return QStringLiteral("%1:%2").arg(std::max<qint64>(0, seconds) / 60).arg(std::max<qint64>(0, seconds) % 60, 2, 10, QLatin1Char('0'));
    }

    QTextStream &report;
    const bool terminal, quiet;
    QElapsedTimer clock;
    qint64 lastShown = -1000;
    QHash<QString, int> stagesDone;
};

} // namespace

int Build(const SiteRequest &request, BuildObserver &observer)
{
    return SiteBuild(request, observer).run();
}

bool Requested(const QStringList &arguments)
{
    return std::any_of(arguments.cbegin(), arguments.cend(), [](const QString &argument) {
        return argument == QLatin1String("--batch") || argument.startsWith(QLatin1String("--batch="));
    });
}

int Run(const QStringList &arguments, QTextStream &report, bool terminal)
{
    SiteRequest request;
    bool quiet = false;
    if (const Problem problem = parse(arguments, request, quiet); !problem.isEmpty()) {
        report << Paths::Printable(problem) << '\n' << Usage << '\n';
        return Unusable;
    }
    TextObserver observer(report, terminal, quiet);
    return Build(request, observer);
}

} // namespace BatchBuild
