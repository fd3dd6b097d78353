#pragma once

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QString>

// The program's own pictures, drawn in code so that they stay sharp at any size.
namespace ToolbarPictures {

// The toolbar's image list, keyed "Open Directory", "Open Image", "Save Images",
// "Save Thumbnails", "Generate1", "Generate2", "Stop", "Listing", "Cascade", "Tile"
// and "Mosaic".
QHash<QString, QIcon> ImageList();

// The program's window icon, and its picture at any size (the installed icons).
QIcon ProgramIcon();
QImage ProgramPicture(int size);

} // namespace ToolbarPictures
