#include "frame/Startup.h"

#include "frame/Globals.h"
#include "frame/InstanceChannel.h"
#include "frame/MainForm.h"
#include "settings/SettingsSection.h"
#include "ui/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QStandardPaths>
#include <memory>
#include <utility>

InstanceLock::InstanceLock(const QString &lockPath) : where(lockPath), file(lockPath)
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

void ReportSettingsError(const QString &consequence)
{
    Ui::MsgBox(QStringLiteral("Quillmere cannot read or write its settings file:\n%1\n\n%2")
                   .arg(QDir::toNativeSeparators(SettingsStore::location()), consequence),
               Ui::MsgButtons::OK, Ui::MsgIcon::Critical, QStringLiteral("Settings Error"));
}

// The settings file is checked before anything is written to it, so that a refused
// start leaves it exactly as it was.
bool PreferencesLoaded()
{
    try {
        return SettingsStore::fileUsable() && LoadPreferences();
    } catch (const RegistryError &) {
        return false;
    }
}

// A store that fails while the program runs is reported once; the program goes on
// with the settings it has, and whatever it could not store is lost.
void ReportStoreFailuresOnce()
{
    auto reported = std::make_shared<bool>(false);
    SetStoreFailureReporter([reported](const RegistryError &) {
        if (std::exchange(*reported, true))
            return;
        ReportSettingsError(QStringLiteral("Changes to the settings cannot be saved until this is put right."));
    });
}

} // namespace

bool StartProgram(InstanceLock &lock, const QStringList &paths)
{
    using namespace Globals;
    AppPath = ResolveAppPath();
    const QString channel = InstanceChannel::NameFor(lock.lockPath());
    if (!lock.acquire()) {
        QStringList absolute;
        for (const QString &path : paths)
            absolute << QFileInfo(path).absoluteFilePath();
        if (!paths.isEmpty() && InstanceChannel::Send(channel, absolute))
            return false;
        Ui::MsgBox(QStringLiteral("Quillmere is Already Running."), Ui::MsgButtons::OK, Ui::MsgIcon::Critical,
                   QStringLiteral("Previous Instance"));
        return false;
    }
    HelpFile = ResolveHelpFile();
    if (!PreferencesLoaded()) {
        ReportSettingsError(QStringLiteral("Make sure the file and its folder can be read and written, "
                                           "then start Quillmere again."));
        return false;
    }
    ReportStoreFailuresOnce();
    MainWindow = new MainForm;
    MainWindow->show();
    auto *listener = new InstanceChannel::Listener(channel, MainWindow);
    QObject::connect(listener, &InstanceChannel::Listener::pathsArrived, MainWindow, [](const QStringList &arrived) {
        // Brought forward as it was: out of the task bar, but a maximised window stays maximised.
        MainWindow->setWindowState(MainWindow->windowState() & ~Qt::WindowMinimized);
        MainWindow->raise();
        MainWindow->activateWindow();
        MainWindow->OpenPaths(arrived);
    });
    if (!paths.isEmpty())
        QTimer::singleShot(0, MainWindow, [paths] { MainWindow->OpenPaths(paths); });
    return true;
}
