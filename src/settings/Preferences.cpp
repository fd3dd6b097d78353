#include "settings/Preferences.h"

#include "settings/SettingsSection.h"

Preferences Preferences::read(const QString &appPath)
{
    using namespace Settings;
    const StoredSection section(PreferencesSection);
    Preferences read;
    read.lastOpenDirectory = LastOpenDirectory.read(section, appPath);
    read.thumbnailBox = QSize(ThumbnailWidth.read(section), ThumbnailHeight.read(section));
    read.siteImageDirectory = SiteImageDirectory.read(section);
    read.siteThumbnailDirectory = SiteThumbnailDirectory.read(section);
    read.localImageDirectory = LocalImageDirectory.read(section, appPath);
    read.localThumbnailDirectory = LocalThumbnailDirectory.read(section, appPath);
    read.leftMargin = LeftMargin.read(section);
    return read;
}
