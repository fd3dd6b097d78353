#include "frame/Globals.h"

#include "frame/MainForm.h"
#include "frame/Numbers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Globals {

int ThumbUpperBound()
{
    return Thumbs.isEmpty() ? 0 : int(Thumbs.size()) - 1;
}

void Reset()
{
    AppPath.clear();
    HelpFile.clear();
    RegistryBase = DefaultRegistryBase;
    LastOpenDirectory.clear();
    ThumbMaxWidth = 93;
    ThumbMaxHeight = 97;
    SiteImageDirectory = QStringLiteral("images");
    SiteThumbnailDirectory = QStringLiteral("images");
    LocalImageDirectory.clear();
    LocalThumbnailDirectory.clear();
    LeftMargin = 4;
    StopLoading = false;
    FlashTarget = nullptr;
    Thumbs.clear();
    ThumbFree.clear();
    MainWindow = nullptr;
}

} // namespace Globals

SettingsSection::SettingsSection(const QString &section)
{
    setAutoCreate(true);
    setRoot(HKEY_LOCAL_MACHINE);
    setKey(Globals::RegistryBase + section);
}

QString WithTrailingSeparator(const QString &path)
{
    const QString separator = QDir::separator();
    return path.endsWith(separator) ? path : path + separator;
}

QString ResolveAppPath()
{
    QString directory = qEnvironmentVariable("QUILLMERE_HOME");
    if (directory.isEmpty()) {
        directory = QCoreApplication::applicationDirPath();
        if (!QFileInfo(directory).isWritable())
            directory = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    }
    directory = QDir::toNativeSeparators(QDir(directory).absolutePath());
    QDir().mkpath(directory);
    return WithTrailingSeparator(directory);
}

namespace {

// A thumbnail side must be a positive whole number; anything else takes the default.
qint32 ThumbnailSide(const CRegistry &preferences, const QString &name, qint32 fallback)
{
    const std::optional<qint32> side = Numbers::ToWhole(preferences.GetValue(name, QString::number(fallback)));
    return side && *side > 0 ? *side : fallback;
}

} // namespace

bool LoadPreferences()
{
    using namespace Globals;
    const SettingsSection preferences(QStringLiteral("Preferences"));
    LastOpenDirectory = preferences.GetValue(QStringLiteral("Last Open Directory"), AppPath);
    ThumbMaxWidth = ThumbnailSide(preferences, QStringLiteral("Thumbnail Width"), 93);
    ThumbMaxHeight = ThumbnailSide(preferences, QStringLiteral("Thumbnail Height"), 97);
    SiteImageDirectory = preferences.GetValue(QStringLiteral("Web Site Images Directory"), QStringLiteral("images"));
    SiteThumbnailDirectory =
        preferences.GetValue(QStringLiteral("Web Site Thumbnail Directory"), QStringLiteral("images"));
    LocalImageDirectory = preferences.GetValue(QStringLiteral("Local Image Directory"), AppPath);
    LocalThumbnailDirectory = preferences.GetValue(QStringLiteral("Local Thumbnail Directory"), AppPath);
    LeftMargin =
        Numbers::RoundHalfEven(Numbers::LeadingNumber(preferences.GetValue(QStringLiteral("Left Margin"), "4")));

    SettingsSection path(QStringLiteral("Path"));
    const QString canonical = QFileInfo(AppPath).canonicalFilePath();
    const QString exePath = WithTrailingSeparator(QDir::toNativeSeparators(canonical.isEmpty() ? AppPath : canonical));
    return path.SetValue(QStringLiteral("EXE Path"), exePath);
}
