#include "frame/Globals.h"

#include "frame/MainForm.h"
#include "settings/StoredSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Globals {

void Reset()
{
    AppPath.clear();
    HelpFile.clear();
    Prefs = Preferences();
    FlashTarget = nullptr;
    MainWindow = nullptr;
}

} // namespace Globals

QString WithTrailingSeparator(const QString &path)
{
    const QString separator = QDir::separator();
    return path.endsWith(separator) ? path : path + separator;
}

// An installed program (bin/ with share/quillmere/ beside it) keeps nothing beside
// its executable, even when the user may write there, as in a per-user prefix.
bool InstalledProgram()
{
    return QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/quillmere")).isDir();
}

QString ResolveAppPath()
{
    QString directory = qEnvironmentVariable("QUILLMERE_HOME");
    if (directory.isEmpty()) {
        directory = QCoreApplication::applicationDirPath();
        if (!QFileInfo(directory).isWritable() || InstalledProgram())
            directory = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    }
    directory = QDir::toNativeSeparators(QDir(directory).absolutePath());
    QDir().mkpath(directory);
    return WithTrailingSeparator(directory);
}

QString ResolveHelpFile()
{
    const QString programDirectory = QCoreApplication::applicationDirPath();
    const QString beside = programDirectory + QStringLiteral("/Quillmere.hlp");
    const QString installed = programDirectory + QStringLiteral("/../share/quillmere/Quillmere.hlp");
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(beside).isFile() || !QFileInfo(installed).isFile() ? beside : installed));
}

bool LoadPreferences()
{
    using namespace Globals;
    Prefs = Preferences::read(AppPath);
    const QString canonical = QFileInfo(AppPath).canonicalFilePath();
    const QString exePath = WithTrailingSeparator(QDir::toNativeSeparators(canonical.isEmpty() ? AppPath : canonical));
    return Settings::ExePath.write(exePath);
}
