#include "settings/Preferences.h"

#include "settings/CRegistry.h"
#include "ui/Numbers.h"

namespace {

qint32 thumbnailSide(const CRegistry &section, const QString &name, qint32 fallback)
{
    const std::optional<qint32> side = Numbers::ToWhole(section.GetValue(name, QString::number(fallback)));
    return side && *side > 0 ? *side : fallback;
}

} // namespace

Preferences Preferences::read(const CRegistry &section, const QString &appPath)
{
    const Preferences defaults;
    Preferences read;
    read.lastOpenDirectory = section.GetValue(QStringLiteral("Last Open Directory"), appPath);
    read.thumbnailBox = QSize(thumbnailSide(section, QStringLiteral("Thumbnail Width"), defaults.thumbnailBox.width()),
                              thumbnailSide(section, QStringLiteral("Thumbnail Height"), defaults.thumbnailBox.height()));
    read.siteImageDirectory = section.GetValue(QStringLiteral("Web Site Images Directory"), defaults.siteImageDirectory);
    read.siteThumbnailDirectory =
        section.GetValue(QStringLiteral("Web Site Thumbnail Directory"), defaults.siteThumbnailDirectory);
    read.localImageDirectory = section.GetValue(QStringLiteral("Local Image Directory"), appPath);
    read.localThumbnailDirectory = section.GetValue(QStringLiteral("Local Thumbnail Directory"), appPath);
    read.leftMargin = Numbers::RoundHalfEven(Numbers::LeadingNumber(
        section.GetValue(QStringLiteral("Left Margin"), QString::number(defaults.leftMargin))));
    return read;
}
