#pragma once

// Window geometry that the program stores or compares is in twips (1/1440 inch);
// the screen's logical DPI gives the factor to pixels (15 at 96 DPI).
namespace Twips {

double PerPixelX();
double PerPixelY();

int ToPixelsX(double twips);
int ToPixelsY(double twips);
double FromPixelsX(int pixels);
double FromPixelsY(int pixels);

// The primary screen's available area, in twips.
double ScreenWidth();
double ScreenHeight();

} // namespace Twips
