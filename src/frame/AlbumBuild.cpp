#include "frame/AlbumBuild.h"

#include "output/HtmlFile.h"
#include "output/ImageCopying.h"
#include "output/OutputFiles.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ThumbnailImage.h"
#include "ui/Numbers.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace BatchBuild {
namespace {

bool sameFolder(const QString &a, const QString &b)
{
    return Paths::FileNameKey(QDir::cleanPath(a)) == Paths::FileNameKey(QDir::cleanPath(b));
}

} // namespace

QSet<QString> madeBefore(const QString &output, const BuildManifest &previous)
{
    QSet<QString> made{output + PageName, output + ManifestName};
    for (auto file = previous.files.cbegin(); file != previous.files.cend(); ++file)
        made.insert(QDir::toNativeSeparators(QDir::cleanPath(output + file.key())));
    return made;
}

Problem AlbumBuild::prepare(const QString &title)
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

} // namespace BatchBuild
