#pragma once

#include <QString>

class CRegistry;
class PageModel;
class ThumbCollection;
struct Preferences;
struct ThumbPageValues;

// Whether copies take lower-case names ("Image File Name Lower Case").
bool ImageNamesLowerCase(const CRegistry &preferences);
// The name a picture is copied under when no page link names it: its own,
// lower-cased when asked.
QString OwnCopyName(const QString &source, bool lowerCase);
// The name a page position's link gives the copy of its picture; empty when the
// position has no link.
QString LinkedCopyName(const ThumbPageValues &values);
// The background image of a page the Generate dialog holds, when it names an
// existing file; else empty.
QString BackgroundImageOf(const PageModel &page);
// A plain byte copy that replaces an existing file; a file copied onto itself stays
// as it is.
bool CopyReplacing(const QString &source, const QString &destination);

// Copies the full-size pictures into `directory` (asked for when empty, and then
// remembered): every loaded picture, or with `pageImagesOnly` those on the page
// under the names its links use; while the Generate dialog is open (`page` not
// null) also the page's background image. Logs every copy in `images.txt` of the
// program's directory. A directory that cannot be made or a log that cannot be
// written stops it with a message; copies that failed are reported at the end.
void CopyImages(const QString &directory, bool pageImagesOnly, const ThumbCollection &thumbs, const PageModel *page,
                Preferences &preferences, const QString &appPath);
