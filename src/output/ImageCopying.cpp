#include "output/ImageCopying.h"

#include "output/OutputFiles.h"
#include "settings/Preferences.h"
#include "settings/SettingsSection.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/ThumbnailWindow.h"
#include "ui/Numbers.h"
#include "ui/Paths.h"
#include "ui/Platform.h"
#include "webpage/PageModel.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString Title = QStringLiteral("Save Images");

class Copier {
public:
    Copier(const QString &directory, bool lowerCase, OutputFiles::RecordLog &log)
        : directory(directory), lowerCase(lowerCase), log(log)
    {
    }
    // Copies under the source's own name (lower-cased when asked); the log names it
    // as it was.
    void underOwnName(const QString &source)
    {
        const QString logged = OutputFiles::ToBackslashes(directory + Paths::FileNameOf(source));
        copy(source, OutputFiles::ToBackslashes(directory + OwnCopyName(source, lowerCase)), logged);
    }
    // A page position without a link names no file: nothing to copy, only the log line.
    void underName(const QString &source, const QString &name)
    {
        const QString destination = OutputFiles::ToBackslashes(directory + name);
        if (name.isEmpty())
            log.write(source + QStringLiteral(" to ") + destination);
        else
            copy(source, destination, destination);
    }
    int failures() const { return failed; }

private:
    void copy(const QString &source, const QString &destination, const QString &logged)
    {
        if (!CopyReplacing(source, destination))
            ++failed;
        log.write(source + QStringLiteral(" to ") + logged);
    }

    QString directory;
    bool lowerCase;
    OutputFiles::RecordLog &log;
    int failed = 0;
};

const ThumbnailWindow *thumbnailIn(const ThumbCollection &thumbs, int slot)
{
    return thumbs.isFree(slot) ? nullptr : qobject_cast<const ThumbnailWindow *>(thumbs.window(slot));
}

// Whether the path names an existing file, its name compared without regard to case.
bool existingFile(const QString &path)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.dir().exists())
        return false;
    for (const QString &name : file.dir().entryList(QDir::Files | QDir::Hidden))
        if (name.compare(file.fileName(), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

bool ImageNamesLowerCase(const CRegistry &preferences)
{
    return Numbers::RoundHalfEven(
               Numbers::LeadingNumber(preferences.GetValue(QStringLiteral("Image File Name Lower Case"), "0")))
           != 0;
}

QString OwnCopyName(const QString &source, bool lowerCase)
{
    const QString name = Paths::FileNameOf(source);
    return lowerCase ? name.toLower() : name;
}

QString LinkedCopyName(const ThumbPageValues &values)
{
    return Paths::FileNameOf(OutputFiles::ToBackslashes(values.Link));
}

QString BackgroundImageOf(const PageModel &page)
{
    const QString background = OutputFiles::ToBackslashes(page.options.backgroundImageFile);
    return page.GenerateDialogLoaded && existingFile(background) ? background : QString();
}

bool CopyReplacing(const QString &source, const QString &destination)
{
    // Copying a picture onto itself (its own folder chosen as the target) would
    // delete it before the copy.
    const QString original = QFileInfo(source).canonicalFilePath();
    if (!original.isEmpty() && original == QFileInfo(destination).canonicalFilePath())
        return true;
    if (QFileInfo(destination).isFile())
        QFile::remove(destination);
    return QFile::copy(source, destination);
}

void CopyImages(const QString &directory, bool pageImagesOnly, const ThumbCollection &thumbs, const PageModel *page,
                Preferences &preferences, const QString &appPath)
{
    SettingsSection section(QStringLiteral("Preferences"));
    const bool lowerCase = ImageNamesLowerCase(section);
    const QString target = OutputFiles::TargetDirectory(directory, QStringLiteral("Specify the Local Image Directory"),
                                                         preferences.localImageDirectory, section,
                                                         QStringLiteral("Local Image Directory"));
    if (target.isEmpty())
        return;
    Ui::BusyPointer busy;
    OutputFiles::RecordLog log(appPath + QStringLiteral("images.txt"));
    if (!OutputFiles::BeginLog(log, target, Title))
        return;

    Copier copier(target, lowerCase, log);
    for (int slot = 1; slot <= thumbs.upperBound(); ++slot) {
        const ThumbnailWindow *window = thumbnailIn(thumbs, slot);
        if (!window)
            continue;
        const QString source = window->sourcePath();
        if (!pageImagesOnly) {
            copier.underOwnName(source);
            continue;
        }
        // Once for every page position showing it, under the name its link uses.
        if (page)
            for (const ThumbPageValues &values : page->PageThumbValues)
                if (values.SourcePath == source)
                    copier.underName(source, LinkedCopyName(values));
    }
    if (page)
        if (const QString background = BackgroundImageOf(*page); !background.isEmpty())
            copier.underOwnName(background);
    if (copier.failures())
        Ui::MsgBox(QStringLiteral("%1 of the Images Could Not Be Copied.").arg(copier.failures()), Ui::MsgButtons::OK,
                   Ui::MsgIcon::Exclamation, Title);
}
