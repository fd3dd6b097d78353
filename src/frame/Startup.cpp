#include "frame/Startup.h"

#include "frame/Globals.h"
#include "frame/MainForm.h"
#include "settings/SettingsStore.h"
#include "ui/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

InstanceLock::InstanceLock(const QString &lockPath) : file(lockPath)
{
    file.setStaleLockTime(0);  // only a lock whose owner has died is stale
}

bool InstanceLock::acquire()
{
    return file.tryLock(0) || file.error() != QLockFile::LockFailedError;
}

QString InstanceLock::path()
{
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath();
    return QDir(directory).filePath(QStringLiteral("quillmere.lock"));
}

namespace {

void ReportUnusableSettings()
{
    Ui::MsgBox(QStringLiteral("Quillmere cannot read or write its settings file:\n%1\n\n"
                              "Make sure the file and its folder can be read and written, "
                              "then start Quillmere again.")
                   .arg(QDir::toNativeSeparators(SettingsStore::location())),
               Ui::MsgButtons::OK, Ui::MsgIcon::Critical, QStringLiteral("Settings Error"));
}

bool PreferencesLoaded()
{
    try {
        return LoadPreferences();
    } catch (const RegistryError &) {
        return false;
    }
}

} // namespace

bool StartProgram(InstanceLock &lock)
{
    using namespace Globals;
    AppPath = ResolveAppPath();
    if (!lock.acquire()) {
        Ui::MsgBox(QStringLiteral("Quillmere is Already Running."), Ui::MsgButtons::OK, Ui::MsgIcon::Critical,
                   QStringLiteral("Previous Instance"));
        return false;
    }
    HelpFile = WithTrailingSeparator(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()))
               + QStringLiteral("Quillmere.hlp");
    RegistryBase = DefaultRegistryBase;
    if (!PreferencesLoaded()) {
        ReportUnusableSettings();
        return false;
    }
    MainWindow = new MainForm;
    MainWindow->show();
    return true;
}
