#pragma once

#include <QString>

class PageModel;
class SiteNames;
class ThumbCollection;
struct Preferences;

// The background image of a page the Generate dialog holds, when it names an
// existing file; else empty.
QString BackgroundImageOf(const PageModel &page);

// Copies the full-size pictures into `directory` (asked for when empty, and then
// remembered) under the names `names` gives them: every loaded picture, or with
// `pageImagesOnly` those on the page; while the Generate dialog is open (`page` not
// null) also the page's background image. Logs every copy in `images.txt` of the
// program's directory. A directory that cannot be made or a log that cannot be
// written stops it with a message. No copy replaces another of the pictures; copies
// that failed are reported with the reason at the end, as are the ones given other
// names. Copies are written as the stored web copy settings say.
void CopyImages(const QString &directory, bool pageImagesOnly, const ThumbCollection &thumbs, const PageModel *page,
                const SiteNames &names, Preferences &preferences, const QString &appPath);
