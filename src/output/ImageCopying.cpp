#include "output/ImageCopying.h"

#include "output/OutputFiles.h"
#include "output/WebCopies.h"
#include "settings/Preferences.h"
#include "settings/StoredSettings.h"
#include "thumbs/ThumbCollection.h"
#include "ui/Paths.h"
#include "ui/Platform.h"
#include "webpage/PageModel.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString Title = QStringLiteral("Save Images");

class Copier {
public:
    Copier(const QString &directory, OutputFiles::RecordLog &log, const FileWriting::ProtectedFiles &pictures,
           OutputFiles::CommandOutcome &outcome)
        : directory(directory), log(log), pictures(pictures), outcome(outcome), rules(WebCopyRules::Read())
    {
    }
    // Copies under the picture's own name (lower-cased when asked); the log names
    // it as it was, unless it had to take another name.
    void underOwnName(const QString &source, const QString &name)
    {
        const QString own = Paths::FileNameOf(source);
        copy(source, name, name.compare(own, Qt::CaseInsensitive) == 0 ? own : name);
    }
    // A page position without a link names no file: nothing to copy, only the log line.
    void underName(const QString &source, const QString &name)
    {
        if (name.isEmpty())
            log.write(source + QStringLiteral(" to ") + OutputFiles::ToBackslashes(directory));
        else
            copy(source, name, name);
    }

private:
    void copy(const QString &source, const QString &name, const QString &logged)
    {
        log.write(source + QStringLiteral(" to ") + OutputFiles::ToBackslashes(directory + logged));
        QString why;
        if (const std::optional<QString> path = OutputFiles::Destination(directory, name, pictures, why, source))
            why = WriteWebCopy(source, *path, rules);
        if (!why.isEmpty())
            outcome.failed(OutputFiles::ToBackslashes(directory + name), why);
    }

    QString directory;
    OutputFiles::RecordLog &log;
    const FileWriting::ProtectedFiles &pictures;
    OutputFiles::CommandOutcome &outcome;
    const WebCopyRules rules;
};

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

QString BackgroundImageOf(const PageModel &page)
{
    const QString background = OutputFiles::ToBackslashes(page.options.backgroundImageFile);
    return page.GenerateDialogLoaded && existingFile(background) ? background : QString();
}

void CopyImages(const QString &directory, bool pageImagesOnly, const ThumbCollection &thumbs, const PageModel *page,
                const SiteNames &names, Preferences &preferences, const QString &appPath)
{
    const QString target = OutputFiles::TargetDirectory(directory, QStringLiteral("Specify the Local Image Directory"),
                                                         preferences.localImageDirectory, Settings::LocalImageDirectory);
    if (target.isEmpty())
        return;
    Ui::BusyPointer busy;
    OutputFiles::RecordLog log(appPath + QStringLiteral("images.txt"));
    if (!OutputFiles::BeginLog(log, target, Title))
        return;

    const QString background = page ? BackgroundImageOf(*page) : QString();
    FileWriting::ProtectedFiles pictures(thumbs.sourcePaths());
    pictures.add(background);
    OutputFiles::CommandOutcome outcome;
    Copier copier(target, log, pictures, outcome);
    for (int slot = 1; slot <= thumbs.upperBound(); ++slot) {
        const ThumbnailRecord *record = thumbs.record(slot);
        if (!record)
            continue;
        const QString source = record->sourcePath;
        if (!pageImagesOnly) {
            copier.underOwnName(source, names.copy(names.positionOf(source)));
            continue;
        }
        // Once for every page position showing it, under the name its link uses.
        if (page)
            for (int position = 0; position < page->PageThumbValues.size(); ++position)
                if (page->PageThumbValues[position].SourcePath == source)
                    copier.underName(source, names.copy(position));
    }
    if (!background.isEmpty())
        copier.underOwnName(background, names.background());
    outcome.renamed(names, SiteNames::Kind::Copy, log);
    log.finish(Title);
    outcome.report(QStringLiteral("%1 of the Images Could Not Be Copied."), Title);
}
