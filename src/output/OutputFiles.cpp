#include "output/OutputFiles.h"

#include "settings/StoredSettings.h"
#include "ui/Paths.h"
#include "ui/Platform.h"
#include "webpage/SiteNames.h"

#include <QDir>
#include <QFileInfo>

namespace OutputFiles {

QString ToBackslashes(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

std::optional<QString> SiteDirectoryBelow(const QString &root, const QString &siteDirectory)
{
    const QString top = QDir::cleanPath(QDir::fromNativeSeparators(root));
    const QString path = QDir::cleanPath(top + QLatin1Char('/') + QDir::fromNativeSeparators(siteDirectory));
    if (path != top && !path.startsWith(top + QLatin1Char('/')))
        return std::nullopt;
    return QDir::toNativeSeparators(path + QLatin1Char('/'));
}

bool EnsureDirectory(const QString &path, bool create)
{
    QString directory = ToBackslashes(path);
    if (!directory.endsWith(QDir::separator()))
        directory += QDir::separator();
    if (QFileInfo(directory).isDir())
        return true;
    if (!create)
        return false;
    // Level by level from the left; a root ("/", "C:\") is never made.
    for (qsizetype at = directory.indexOf(QDir::separator()); at >= 0; at = directory.indexOf(QDir::separator(), at + 1)) {
        const QString level = directory.left(at + 1);
        if (QFileInfo(level).isDir() || QDir(level).isRoot())
            continue;
        if (!QDir().mkdir(level))
            return false;
    }
    return QFileInfo(directory).isDir();
}

QString AskDirectory(const QString &title, const QString &current)
{
    const Ui::FileDialogAnswer answer = Ui::platform().saveFile({title, QString(), 1, current, QStringLiteral("*.*")});
    if (answer.fileName.isEmpty())
        return QString();
    return Paths::DirectoryOf(ToBackslashes(answer.fileName));
}

RecordLog::RecordLog(const QString &path) : path(path), file(path)
{
    QFile::remove(path);  // a log that cannot be written anew leaves none behind
}

void RecordLog::write(const QString &record)
{
    file.write((u'"' + record + QStringLiteral("\"\r\n")).toUtf8());
}

bool RecordLog::finish(const QString &title)
{
    const QString why = file.commit();
    if (!why.isEmpty())
        Ui::MsgBox(QStringLiteral("The File %1 Could Not Be Written.\n%2").arg(ToBackslashes(path), why),
                   Ui::MsgButtons::OK, Ui::MsgIcon::Critical, title);
    return why.isEmpty();
}

void CommandOutcome::renamed(const SiteNames &names, SiteNames::Kind kind, RecordLog &log)
{
    for (const SiteNames::Renamed &file : names.renamed())
        if (file.kind == kind) {
            renamings << SiteNames::Describe(file);
            log.write(renamings.last());
        }
}

void CommandOutcome::report(const QString &failedText, const QString &title) const
{
    QStringList parts;
    if (!failures.isEmpty())
        parts << failedText.arg(failures.size()) + u'\n' + Ui::Listed(failures);
    if (!renamings.isEmpty())
        parts << QStringLiteral("Files Whose Names Were Taken Were Given Others:\n") + Ui::Listed(renamings);
    if (!parts.isEmpty())
        Ui::MsgBox(parts.join(QStringLiteral("\n\n")), Ui::MsgButtons::OK,
                   failures.isEmpty() ? Ui::MsgIcon::Information : Ui::MsgIcon::Exclamation, title);
}

std::optional<QString> Destination(const QString &directory, const QString &name,
                                   const FileWriting::ProtectedFiles &pictures, QString &why, const QString &own)
{
    const std::optional<QString> path = FileWriting::FileIn(directory, name);
    if (!path)
        why = QStringLiteral("the name \"%1\" leads out of the folder").arg(name);
    else if (pictures.contains(*path) && FileWriting::IdentityOf(*path) != FileWriting::IdentityOf(own))
        why = QStringLiteral("it would replace one of the pictures");
    else
        return path;
    return std::nullopt;
}

QString TargetDirectory(const QString &directory, const QString &dialogTitle, QString &remembered,
                        const Setting<QString> &setting)
{
    if (!directory.isEmpty())
        return directory;
    const QString chosen = AskDirectory(dialogTitle, remembered);
    if (!chosen.isEmpty()) {
        remembered = chosen;
        setting.write(chosen);
    }
    return chosen;
}

bool BeginLog(RecordLog &log, const QString &directory, const QString &title)
{
    if (!log.isOpen()) {
        Ui::MsgBox(QStringLiteral("The File %1 Could Not Be Written.").arg(ToBackslashes(log.fileName())),
                   Ui::MsgButtons::OK, Ui::MsgIcon::Critical, title);
        return false;
    }
    const bool made = EnsureDirectory(directory, true);
    log.write(QStringLiteral("CreateDirectory -- %1: %2").arg(ToBackslashes(directory), made ? "True" : "False"));
    if (!made && log.finish(title))
        Ui::MsgBox(QStringLiteral("The Directory %1 Could Not Be Created.").arg(ToBackslashes(directory)),
                   Ui::MsgButtons::OK, Ui::MsgIcon::Critical, title);
    return made;
}

} // namespace OutputFiles
