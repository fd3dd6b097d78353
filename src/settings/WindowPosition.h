#pragma once

#include <QPoint>

struct PositionSettings;

// A window's position as the settings keep it: top and left in twips.
namespace WindowPosition {

// The stored position in pixels. A coordinate below 0 or beyond the screen (a window
// closed while minimised, or on a screen that is gone) takes its default, as does a
// missing one.
QPoint Restored(const PositionSettings &position);

// Stores a position given in pixels.
void Store(const PositionSettings &stored, QPoint position);

} // namespace WindowPosition
