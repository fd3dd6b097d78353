#pragma once

#include <QString>

class PageModel;
class ThumbCollection;
struct Preferences;

// Copies the full-size pictures into `directory` (asked for when empty, and then
// remembered): every loaded picture, or with `pageImagesOnly` those on the page
// under the names its links use; while the Generate dialog is open (`page` not
// null) also the page's background image. Logs every copy in `images.txt` of the
// program's directory. A directory that cannot be made or a log that cannot be
// written stops it with a message; copies that failed are reported at the end.
void CopyImages(const QString &directory, bool pageImagesOnly, const ThumbCollection &thumbs, const PageModel *page,
                Preferences &preferences, const QString &appPath);
