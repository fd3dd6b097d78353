#pragma once

#include <QByteArray>
#include <QImage>

// Plays the records of a Windows metafile with QPainter, anti-aliased, on white:
// pens, brushes, fonts and text, lines, polygons, rectangles, ellipses, arcs, pies,
// chords, device-independent bitmaps, saved states, clipping, and the window's
// origin and extent. The picture is as large as the placeable header says (at 96
// pixels an inch), or as the window extent when there is no such header.
namespace MetafilePlayer {

bool IsMetafile(const QByteArray &bytes);
QImage Render(const QByteArray &bytes);

// The longest side a played picture may have; a larger one is drawn scaled down.
inline constexpr int MaxSide = 4000;

} // namespace MetafilePlayer
