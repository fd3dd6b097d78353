#include "frame/CaptionFlasher.h"

#include "frame/Globals.h"
#include "ui/DocumentArea.h"

#include <QMdiSubWindow>
#include <QPalette>

namespace {
const char *const ToggledProperty = "captionToggled";
constexpr int Toggles = 10;
} // namespace

CaptionFlasher::CaptionFlasher(QObject *parent) : QObject(parent)
{
    tmrFlash.setObjectName(QStringLiteral("tmrFlash"));
    tmrFlash.setInterval(250);
    connect(&tmrFlash, &QTimer::timeout, this, &CaptionFlasher::tmrFlash_Timer);
}

void CaptionFlasher::start()
{
    tmrFlash.start();
}

void CaptionFlasher::tmrFlash_Timer()
{
    QWidget *target = Globals::FlashTarget;
    if (counter == Toggles) {
        counter = 0;
        tmrFlash.stop();
        if (auto *subWindow = qobject_cast<QMdiSubWindow *>(target); DocumentArea *area = DocumentArea::of(subWindow))
            area->setActiveSubWindow(subWindow);
        else if (target)
            target->setFocus();
        return;
    }
    ++counter;
    if (lastFlashed != target)
        counter = 1;
    ToggleCaptionLook(target);
    lastFlashed = target;
}

void CaptionFlasher::ToggleCaptionLook(QWidget *window)
{
    if (!window)
        return;
    // Swapping the palette's active and inactive groups draws the caption the other way.
    QPalette palette = window->palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto colorRole = QPalette::ColorRole(role);
        const QBrush active = palette.brush(QPalette::Active, colorRole);
        palette.setBrush(QPalette::Active, colorRole, palette.brush(QPalette::Inactive, colorRole));
        palette.setBrush(QPalette::Inactive, colorRole, active);
    }
    window->setPalette(palette);
    window->setProperty(ToggledProperty, !LooksToggled(window));
}

bool CaptionFlasher::LooksToggled(const QWidget *window)
{
    return window && window->property(ToggledProperty).toBool();
}
