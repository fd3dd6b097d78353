#include "output/OutputFiles.h"

#include "settings/CRegistry.h"
#include "ui/Paths.h"
#include "ui/Platform.h"

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

RecordLog::RecordLog(const QString &path) : file(path)
{
    QFile::remove(path);
    file.open(QIODevice::WriteOnly);
}

void RecordLog::write(const QString &record)
{
    file.write((u'"' + record + QStringLiteral("\"\r\n")).toUtf8());
}

QString TargetDirectory(const QString &directory, const QString &dialogTitle, QString &remembered, CRegistry &section,
                        const QString &preferenceName)
{
    if (!directory.isEmpty())
        return directory;
    const QString chosen = AskDirectory(dialogTitle, remembered);
    if (!chosen.isEmpty()) {
        remembered = chosen;
        section.SetValue(preferenceName, chosen);
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
    if (!made)
        Ui::MsgBox(QStringLiteral("The Directory %1 Could Not Be Created.").arg(ToBackslashes(directory)),
                   Ui::MsgButtons::OK, Ui::MsgIcon::Critical, title);
    return made;
}

} // namespace OutputFiles
