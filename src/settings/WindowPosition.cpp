#include "settings/WindowPosition.h"

#include "settings/CRegistry.h"
#include "ui/Numbers.h"
#include "ui/Twips.h"

namespace WindowPosition {

QPoint Restored(const CRegistry &section, double fallback)
{
    const QString fallbackText = QString::number(fallback);
    double top = Numbers::LeadingNumber(section.GetValue(QStringLiteral("Top"), fallbackText));
    double left = Numbers::LeadingNumber(section.GetValue(QStringLiteral("Left"), fallbackText));
    if (top < 0 || top > Twips::ScreenHeight())
        top = fallback;
    if (left < 0 || left > Twips::ScreenWidth())
        left = fallback;
    return QPoint(Twips::ToPixelsX(left), Twips::ToPixelsY(top));
}

void Store(CRegistry &section, QPoint position)
{
    section.SetValue(QStringLiteral("Top"), QString::number(Twips::FromPixelsY(position.y()), 'g', 9));
    section.SetValue(QStringLiteral("Left"), QString::number(Twips::FromPixelsX(position.x()), 'g', 9));
}

} // namespace WindowPosition
