#pragma once

#include <QList>
#include <QPoint>
#include <QSizeF>

class DocumentArea;
class QMdiSubWindow;
class ThumbCollection;

// Where the mosaic puts windows of these outer sizes (twips), in order, into an area
// this wide: in rows from the top-left corner like words in a paragraph, a new row
// below the tallest window of the last one when the next window would pass the right
// edge. The first window of a row starts it even when it is wider than the area.
QList<QPoint> MosaicPositions(const QList<QSizeF> &sizes, double areaWidth);

// Packs the thumbnail windows at their own sizes, in slot order, into the document
// area. Minimised and maximised windows are restored first, and every window takes
// its own size again, so that every thumbnail takes its place.
void MosaicArrange(const ThumbCollection &thumbs, DocumentArea &area);

// Scrolls the document area so that the window shows, as far as it fits: a window
// reached by the keyboard or the Windows menu is never out of sight.
void RevealWindow(DocumentArea &area, const QMdiSubWindow *window);
