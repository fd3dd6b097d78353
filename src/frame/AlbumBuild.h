#pragma once

#include "frame/BatchBuild.h"
#include "output/BuildManifest.h"
#include "output/ThumbnailSaving.h"
#include "output/WebCopies.h"
#include "settings/Preferences.h"
#include "thumbs/ThumbnailPipeline.h"
#include "ui/FileWriting.h"
#include "ui/Paths.h"
#include "webpage/PageModel.h"

#include <QDir>
#include <QSet>
#include <optional>

class QFileInfo;

// The parts of a site build: what its albums share, and the build of one album.
namespace BatchBuild {

inline const QString ManifestName = QStringLiteral(".quillmere-build.json");
inline const QString PageName = QStringLiteral("index.html");

// Why a build cannot go on; empty when it can.
using Problem = QString;

// What every album of a build shares: the settings, read once, the pictures no write
// may replace, the counts and the observer.
struct BuildContext {
    BuildContext(const SiteRequest &request, BuildObserver &observer) : request(request), observer(observer) {}

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
    BuildContext &shared;
    const QString folder;
    const QString output;

public:
    AlbumBuild(BuildContext &shared, QString folder, QString output) : shared(shared), folder(std::move(folder)), output(std::move(output)) {}

    // Lists the folder and reads its record; the page has the title given.
    Problem prepare(const QString &title);
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
    BuildManifest previous;
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

// The files earlier builds made for the album whose output is `output`.
QSet<QString> madeBefore(const QString &output, const BuildManifest &previous);

} // namespace BatchBuild
