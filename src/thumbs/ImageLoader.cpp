#include "thumbs/ImageLoader.h"

#include "imagebuffer/ImageBuffer.h"
#include "settings/Preferences.h"
#include "settings/SettingsSection.h"
#include "settings/StoredSettings.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ListingModel.h"
#include "thumbs/ThumbnailPipeline.h"
#include "thumbs/ThumbnailWindow.h"
#include "ui/DocumentArea.h"
#include "ui/Memory.h"
#include "ui/Paths.h"
#include "ui/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>

namespace {

const QString OpenFilter = QStringLiteral(
    "All Files (*.*)|*.*|"
    "All Picture Files (*.jpg;*.bmp;*.gif;*.png;*.tif;*.tga;*.wmf;*.ico;*.pcx;*.heic;*.heif;*.hif;*.avif;*.webp)"
    "|*.jpg;*.bmp;*.gif;*.png;*.tif;*.tga;*.wmf;*.ico;*.pcx;*.heic;*.heif;*.hif;*.avif;*.webp|"
    "JPEGs (*.jpg)|*.jpg|Bitmaps (*.bmp)|*.bmp|GIFs (*.gif)|*.gif|PNGs (*.png)|*.png|TIFFs (*.tif)|*.tif|"
    "Targas (*.tga)|*.tga|Windows Meta Files (*.wmf)|*.wmf|Icons (*.ico)|*.ico|ZSOFT Bitmap (*.pcx)|*.pcx|"
    "HEIC Photos (*.heic;*.heif;*.hif)|*.heic;*.heif;*.hif|AVIFs (*.avif)|*.avif|WebPs (*.webp)|*.webp");

bool notifyOfDuplicates()
{
    return Settings::NotifyOfDuplicateImages.read();
}

// Marks a load as running for as long as it lives, and ends it on every way out.
class Running {
public:
    Running(bool &flag, std::function<void()> end) : flag(flag), end(std::move(end)) { flag = true; }
    ~Running()
    {
        flag = false;
        end();
    }

private:
    bool &flag;
    std::function<void()> end;
};

} // namespace

ImageLoader::ImageLoader(Thumbnails &thumbnails, ListingModel &listing, Preferences &preferences,
                         ImageBuffer &loadBuffer, LoadHost &host, QObject *parent)
    : QObject(parent), thumbnails(thumbnails), listing(listing), preferences(preferences), loadBuffer(loadBuffer),
      host(host)
{
}

bool ImageLoader::loadIntoBuffer(const QString &path)
{
    loadBuffer.Clear();
    Picture picture;
    if (!LoadAnyImageFile(picture, path)) {
        noteNotOpened(path, picture.errorString(), picture.refusedSize());
        return false;
    }
    loadBuffer.setPicture(picture);
    return true;
}

// A file of another kind is passed over without a word; a picture that could not
// be opened is told of when the load ends.
void ImageLoader::noteNotOpened(const QString &path, const QString &failure, QSize refusedSize)
{
    if (refusedSize.isEmpty() && !HasPictureExtension(path))
        return;
    notOpened << Paths::FileNameOf(path) + QStringLiteral(": ")
                     + (failure.isEmpty() ? QStringLiteral("no picture reader reads it") : failure);
}

void ImageLoader::reportNotOpened()
{
    if (notOpened.isEmpty())
        return;
    Ui::MsgBox(QStringLiteral("These Pictures Could Not Be Opened:\n") + Ui::Listed(notOpened), Ui::MsgButtons::OK,
               Ui::MsgIcon::Exclamation, QStringLiteral("Pictures Not Opened"));
    notOpened.clear();
}

// A thumbnail made of a picture that was read; one whose picture data would not
// decode is told of with the pictures not opened.
void ImageLoader::addThumbnail(const PreparedThumbnail &prepared, const QString &path, bool inFolderLoad)
{
    if (prepared.loaded)
        reportFailure(thumbnails.AddThumbnail(prepared, path), path, inFolderLoad);
    else
        noteNotOpened(path, prepared.failure, prepared.refusedSize);
}

void ImageLoader::reportFailure(int error, const QString &path, bool inFolderLoad)
{
    if (error == 0)
        return;
    if (error == Thumbnails::ErrOutOfMemory) {
        Ui::MsgBox(QStringLiteral("Memory is Running Low!"), Ui::MsgButtons::OK, Ui::MsgIcon::Exclamation,
                   QStringLiteral("Too Many Images!"));
        thumbnails.FreeMemory();
    } else {
        const QString text = QStringLiteral("An Error Occured (#%1) While Loading File %2.").arg(error).arg(Paths::FileNameOf(path));
        Ui::MsgBox(inFolderLoad ? text + QStringLiteral("  Loading from this Directory Will Be Halted.") : text,
                   Ui::MsgButtons::OK, Ui::MsgIcon::Exclamation, QStringLiteral("Error #%1").arg(error));
    }
    StopLoading = true;
}

// The thumbnail of file `index`, letting window events run while it is still being
// made so that the window stays responsive; nothing when a stop came first. One
// made for another box (the preferences changed meanwhile), or not made ahead (the
// file was listed when the load began), is made here.
std::optional<PreparedThumbnail> ImageLoader::awaitThumbnail(ThumbnailPipeline &pipeline, int index, bool ahead)
{
    if (ahead) {
        while (!pipeline.waitFor(index, 10)) {
            QCoreApplication::processEvents();
            if (StopLoading)
                return std::nullopt;
        }
        PreparedThumbnail prepared = pipeline.take(index);
        if (prepared.box == preferences.thumbnailBox)
            return prepared;
    }
    return PreparedThumbnail::Prepare(pipeline.path(index), preferences.thumbnailBox);
}

void ImageLoader::arrangeAfterLoad()
{
    const StoredSection section(Settings::PreferencesSection);
    if (Settings::AutoArrangeAfterLoad.read(section))
        host.arrangeWindows(Settings::AutoArrangeMethod.read(section));
}

void ImageLoader::endLoad()
{
    if (ThumbnailWindow *made = thumbnails.newest(); made && made != newestBefore)
        host.documentArea().setActiveSubWindow(made);
    host.showLoadProgress(0, 0);
    host.SetCommandStates(false);
    StopLoading = false;
    ReturnFreedMemory();  // what the decoding threads held
    emit finished();
}

bool ImageLoader::LoadImageDirectory()
{
    if (running)
        return true;
    const QString chosen = Ui::platform().chooseFolder(
        {QStringLiteral("Please Select a Directory From Which to Load Images..."), preferences.lastOpenDirectory});
    if (chosen.isEmpty()) {
        endLoad();
        return true;
    }
    return LoadDirectory(chosen);
}

bool ImageLoader::LoadDirectory(const QString &chosen)
{
    if (running)
        return true;
    if (Settings::FirstDirectoryLoad.read() == 0) {
        Settings::FirstDirectoryLoad.write(1);
        Ui::MsgBox(QStringLiteral("Images Loading from a Directory Can be Halted at any Time by Pressing the ESC Key."),
                   Ui::MsgButtons::OK, Ui::MsgIcon::Information, QStringLiteral("Stop Loading Information"));
    }
    const QString directory = QDir::toNativeSeparators(chosen);
    preferences.lastOpenDirectory = directory.endsWith(QDir::separator()) ? directory : directory + QDir::separator();
    const std::optional<QStringList> names = FolderFiles(preferences.lastOpenDirectory);
    if (!names)
        return false;

    newestBefore = thumbnails.newest();
    const Running run(running, [this] { endLoad(); });
    // The hourglass from here on: the dialogs before it are the user's to answer.
    Ui::BusyPointer busy;
    host.SetCommandStates(true);
    const bool notify = notifyOfDuplicates();
    // The folder is taken as it is now: files that arrive during the load wait for
    // the next one. Worker threads make the thumbnails of the files not yet listed
    // ahead of this loop, which takes them in order and makes windows and rows.
    const QString folder = preferences.lastOpenDirectory;
    QStringList paths;
    std::vector<bool> wanted;
    for (const QString &name : *names) {
        paths << folder + name;
        wanted.push_back(!listing.containsFile(name, folder));
    }
    ThumbnailPipeline pipeline(paths, wanted, preferences.thumbnailBox);
    for (qsizetype i = 0; i < names->size(); ++i) {
        const QString &name = names->at(i);
        if (listing.containsFile(name, folder)) {
            if (notify
                && Ui::MsgBox(QStringLiteral("The File %1 Has Already Been Loaded.  Do You Wish to Continue Loading "
                                             "Images from this Directory?")
                                  .arg(name),
                              Ui::MsgButtons::YesNo, Ui::MsgIcon::Question,
                              QStringLiteral("Duplicate Thumbnail; Continue?"))
                       == Ui::MsgResult::No)
                StopLoading = true;
        } else {
            const std::optional<PreparedThumbnail> prepared = awaitThumbnail(pipeline, int(i), wanted[size_t(i)]);
            if (!prepared)
                break;
            addThumbnail(*prepared, paths[i], true);
        }
        host.showLoadProgress(int(i + 1), int(names->size()));
        Ui::platform().yieldEvents();
        if (StopLoading)
            break;
    }
    reportNotOpened();
    arrangeAfterLoad();
    return true;
}

void ImageLoader::OpenImageFile()
{
    if (running)
        return;
    const Ui::FileDialogAnswer answer = Ui::platform().openFile({QStringLiteral("Specify the Image File to Open"),
                                                                 OpenFilter, 3, preferences.lastOpenDirectory,
                                                                 QStringLiteral("*.jpg")});
    if (!answer.fileName.isEmpty())
        OpenFile(answer.fileName);
}

void ImageLoader::OpenFile(const QString &chosen)
{
    if (running)
        return;
    newestBefore = thumbnails.newest();
    const Running run(running, [this] { endLoad(); });
    Ui::BusyPointer busy;
    const QString path = QDir::toNativeSeparators(chosen);
    preferences.lastOpenDirectory = Paths::DirectoryOf(path);
    if (listing.containsFile(Paths::FileNameOf(path), Paths::DirectoryOf(path))) {
        if (notifyOfDuplicates())
            Ui::MsgBox(QStringLiteral("The File %1 Has Already Been Loaded.").arg(path), Ui::MsgButtons::OK,
                       Ui::MsgIcon::Exclamation, QStringLiteral("Duplicate Image"));
    } else if (loadIntoBuffer(path)) {
        Picture source = loadBuffer.picture();
        addThumbnail(PreparedThumbnail::FromPicture(source, preferences.thumbnailBox, path), path, false);
    }
    reportNotOpened();
    arrangeAfterLoad();
}
