#include "settings/WindowPosition.h"

#include "settings/SettingsSection.h"
#include "settings/StoredSettings.h"
#include "ui/Twips.h"

namespace WindowPosition {

QPoint Restored(const PositionSettings &position)
{
    const StoredSection section(position.top.section);
    double top = position.top.read(section);
    double left = position.left.read(section);
    if (top < 0 || top > Twips::ScreenHeight())
        top = position.top.fallback;
    if (left < 0 || left > Twips::ScreenWidth())
        left = position.left.fallback;
    return QPoint(Twips::ToPixelsX(left), Twips::ToPixelsY(top));
}

void Store(const PositionSettings &stored, QPoint position)
{
    SettingsSection section(stored.top.section);
    stored.top.write(section, Twips::FromPixelsY(position.y()));
    stored.left.write(section, Twips::FromPixelsX(position.x()));
}

} // namespace WindowPosition
