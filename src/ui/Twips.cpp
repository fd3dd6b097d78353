#include "ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace Twips {

namespace {

constexpr double TwipsPerInch = 1440.0;
constexpr double UsualDpi = 96.0;

double dpiX()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen && screen->logicalDotsPerInchX() > 0 ? screen->logicalDotsPerInchX() : UsualDpi;
}

double dpiY()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen && screen->logicalDotsPerInchY() > 0 ? screen->logicalDotsPerInchY() : UsualDpi;
}

QRect available()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

double PerPixelX() { return TwipsPerInch / dpiX(); }
double PerPixelY() { return TwipsPerInch / dpiY(); }

int ToPixelsX(double twips) { return int(std::lround(twips / PerPixelX())); }
int ToPixelsY(double twips) { return int(std::lround(twips / PerPixelY())); }
double FromPixelsX(int pixels) { return pixels * PerPixelX(); }
double FromPixelsY(int pixels) { return pixels * PerPixelY(); }

double ScreenWidth() { return FromPixelsX(available().width()); }
double ScreenHeight() { return FromPixelsY(available().height()); }

} // namespace Twips
