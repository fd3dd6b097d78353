#include "output/ThumbnailSaving.h"

#include "imagebuffer/ImageBuffer.h"
#include "output/OutputFiles.h"
#include "settings/Preferences.h"
#include "settings/SettingsSection.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/ThumbnailWindow.h"
#include "ui/Numbers.h"
#include "ui/Paths.h"
#include "ui/Platform.h"

namespace {

const QString Title = QStringLiteral("Save Thumbnails");

bool setting(const CRegistry &preferences, const char *name, const char *fallback)
{
    return Numbers::RoundHalfEven(Numbers::LeadingNumber(preferences.GetValue(QString::fromUtf8(name), QString::fromUtf8(fallback)))) != 0;
}

} // namespace

SaveSettings SaveSettings::Read(const CRegistry &preferences)
{
    SaveSettings settings;
    settings.fileType = preferences.GetValue(QStringLiteral("Save Image File Type"), settings.fileType);
    settings.prefix = preferences.GetValue(QStringLiteral("Save Image File Name Prefix"), settings.prefix);
    settings.progressive = setting(preferences, "Save Image Progressive", "0");
    settings.reducedColours = setting(preferences, "Save Image Color Depth", "0");
    settings.quality = Numbers::RoundHalfEven(
        Numbers::LeadingNumber(preferences.GetValue(QStringLiteral("Save Image Compression Quality"), "75")));
    settings.lowerCase = setting(preferences, "Thumbnail File Name Lower Case", "0");
    return settings;
}

QString SavedThumbnailPath(const QString &directory, const QString &source, const SaveSettings &settings)
{
    QString name = Paths::SavedThumbnailName(settings.prefix, Paths::FileNameOf(source), settings.extension());
    if (settings.lowerCase)
        name = name.toLower();
    return OutputFiles::ToBackslashes(directory + name);
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

void SaveThumbnails(const QString &directory, const ThumbCollection &thumbs, Preferences &preferences,
                    const QString &appPath)
{
    SettingsSection section(QStringLiteral("Preferences"));
    const SaveSettings settings = SaveSettings::Read(section);
    const QString target = OutputFiles::TargetDirectory(directory, QStringLiteral("Specify the Local Thumbnail Directory"),
                                                         preferences.localThumbnailDirectory, section,
                                                         QStringLiteral("Local Thumbnail Directory"));
    if (target.isEmpty())
        return;
    Ui::BusyPointer busy;
    OutputFiles::RecordLog log(appPath + QStringLiteral("thumbnail.txt"));
    if (!OutputFiles::BeginLog(log, target, Title))
        return;

    int failed = 0;
    for (int slot = 1; slot <= thumbs.upperBound(); ++slot) {
        auto *window = qobject_cast<ThumbnailWindow *>(thumbs.window(slot));
        if (!window || thumbs.isFree(slot))
            continue;
        const QString path = SavedThumbnailPath(target, window->sourcePath(), settings);
        if (settings.png())
            log.write(path);  // before the save, so that a failed one is logged too
        Picture thumbnail = window->picture().picture();
        if (!WriteThumbnail(thumbnail, path, settings))
            ++failed;
        window->picture().setPicture(thumbnail);
    }
    if (failed)
        Ui::MsgBox(QStringLiteral("%1 of the Thumbnails Could Not Be Saved.").arg(failed), Ui::MsgButtons::OK,
                   Ui::MsgIcon::Exclamation, Title);
}
