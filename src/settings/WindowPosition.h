#pragma once

#include <QPoint>

class CRegistry;

// A window's position as a settings section keeps it: "Top" and "Left" in twips.
namespace WindowPosition {

// The stored position in pixels. A coordinate below 0 or beyond the screen (a window
// closed while minimised, or on a screen that is gone) takes `fallback` twips, as
// does a missing one.
QPoint Restored(const CRegistry &section, double fallback);

// Stores a position given in pixels.
void Store(CRegistry &section, QPoint position);

} // namespace WindowPosition
