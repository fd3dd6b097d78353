#include "frame/BatchBuild.h"

#include "frame/AlbumBuild.h"
#include "frame/AlbumTree.h"
#include "output/BuildManifest.h"
#include "output/OutputFiles.h"
#include "output/ThumbnailSaving.h"
#include "output/WebCopies.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"
#include "settings/StoredSettings.h"
#include "thumbs/ImageLoading.h"
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
const QString LockName = QStringLiteral(".quillmere-build.lock");

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

    BuildContext shared;
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
