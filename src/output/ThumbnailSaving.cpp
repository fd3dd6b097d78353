#include "output/ThumbnailSaving.h"

#include "imagebuffer/DecodeBudget.h"
#include "output/OutputFiles.h"
#include "settings/Preferences.h"
#include "settings/SettingsSection.h"
#include "settings/StoredSettings.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/ThumbnailImage.h"
#include "ui/Paths.h"
#include "ui/Platform.h"
#include "webpage/PageModel.h"
#include "webpage/SiteNames.h"

namespace {

const QString Title = QStringLiteral("Save Thumbnails");

// Tells the user when the stored prefix would put thumbnails elsewhere.
bool prefixUsable(const QString &prefix)
{
    if (Paths::UsablePrefix(prefix))
        return true;
    Ui::MsgBox(QStringLiteral("The Thumbnail File Name Prefix \"%1\" Cannot Be Used: a Prefix May Not Hold a Path "
                              "Separator, \"..\" or a Control Character.  Please Choose Another in the Preferences.")
                   .arg(Paths::Printable(prefix)),
               Ui::MsgButtons::OK, Ui::MsgIcon::Exclamation, Title);
    return false;
}

} // namespace

SaveSettings SaveSettings::Read()
{
    using namespace Settings;
    const StoredSection preferences(PreferencesSection);
    SaveSettings settings;
    settings.fileType = SaveImageFileType.read(preferences);
    settings.prefix = SaveImageFileNamePrefix.read(preferences);
    settings.progressive = SaveImageProgressive.read(preferences);
    settings.reducedColours = SaveImageReducedColours.read(preferences);
    settings.quality = SaveImageQuality.read(preferences);
    settings.lowerCase = ThumbnailNamesLowerCase.read(preferences);
    settings.doubleSize = HighDensityThumbnails.read(preferences);
    return settings;
}

bool WriteThumbnail(Picture &thumbnail, const QString &path, const SaveSettings &settings)
{
    const bool reduce = settings.png() && settings.reducedColours;
    if (reduce)
        thumbnail.reduceColors(256);
    const bool written = thumbnail.save(path, settings.png() ? ImageFormat::Png : ImageFormat::Jpeg,
                                        {settings.png() ? 0 : settings.quality, settings.progressive});
    if (reduce)
        thumbnail.convertDepth(24);
    return written;
}

QString WriteRedrawnThumbnail(const QString &source, QSize box, const QString &path, const SaveSettings &settings)
{
    try {
        const DecodeBudget::Scope decoding;
        Picture picture;
        if (!LoadAnyImageFile(picture, source))
            return picture.errorString().isEmpty() ? QStringLiteral("the picture cannot be read") : picture.errorString();
        Picture thumbnail;
        if (!MakeThumbnailImage(picture, thumbnail, box))
            return QStringLiteral("out of memory");
        return WriteThumbnail(thumbnail, path, settings) ? QString() : thumbnail.errorString();
    } catch (const std::bad_alloc &) {
        return QStringLiteral("out of memory");
    }
}

void SaveThumbnails(const QString &directory, ThumbCollection &thumbs, const SiteNames &names,
                    Preferences &preferences, const QString &appPath)
{
    const SaveSettings settings = SaveSettings::Read();
    if (!prefixUsable(settings.prefix))
        return;
    const QString target = OutputFiles::TargetDirectory(directory, QStringLiteral("Specify the Local Thumbnail Directory"),
                                                         preferences.localThumbnailDirectory,
                                                         Settings::LocalThumbnailDirectory);
    if (target.isEmpty())
        return;
    const PageOptions page = StoredPageOptions();
    Ui::BusyPointer busy;
    OutputFiles::RecordLog log(appPath + QStringLiteral("thumbnail.txt"));
    if (!OutputFiles::BeginLog(log, target, Title))
        return;

    const FileWriting::ProtectedFiles pictures(thumbs.sourcePaths());
    OutputFiles::CommandOutcome outcome;
    for (int slot = 1; slot <= thumbs.upperBound(); ++slot) {
        const ThumbnailRecord *record = thumbs.record(slot);
        if (!record)
            continue;
        // Every thumbnail is on the page the names were given for.
        const QString name = names.thumbnail(names.positionOf(record->sourcePath));
        QString why;
        const std::optional<QString> path = OutputFiles::Destination(target, name, pictures, why);
        if (settings.png())
            log.write(OutputFiles::ToBackslashes(target + name));  // before the save, so that a failed one is logged too
        if (!path) {
            outcome.failed(target + name, why);
            continue;
        }
        const QSize shown = PageThumbnailSize(page, record->picture.size(), record->sourceSize);
        if (page.modernStyle) {
            if (const QString failure = WriteRedrawnThumbnail(record->sourcePath, shown, *path, settings); !failure.isEmpty())
                outcome.failed(*path, failure);
        } else {
            Picture thumbnail = record->picture;
            if (!WriteThumbnail(thumbnail, *path, settings))
                outcome.failed(*path, thumbnail.errorString());
            if (settings.png() && settings.reducedColours)
                thumbs.setPicture(slot, thumbnail);  // the thumbnail keeps the colours it was written with
        }
        if (const QString doubleName = names.doubleThumbnail(names.positionOf(record->sourcePath)); !doubleName.isEmpty()) {
            if (const std::optional<QString> doublePath = OutputFiles::Destination(target, doubleName, pictures, why))
                why = WriteRedrawnThumbnail(record->sourcePath, 2 * shown, *doublePath, settings);
            if (!why.isEmpty())
                outcome.failed(target + doubleName, why);
        }
    }
    outcome.renamed(names, SiteNames::Kind::Thumbnail, log);
    log.finish(Title);
    outcome.report(QStringLiteral("%1 of the Thumbnails Could Not Be Saved."), Title);
}
