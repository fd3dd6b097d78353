#pragma once

#include <QString>

// The program's path rules. They work on the text alone, with the platform's
// directory separator, and never consult the file system.
namespace Paths {

// The text after the last separator; the whole text when it holds none, "" when it
// ends with one.
QString FileNameOf(const QString &path);

// The text up to and including the last separator; the whole text when it holds none.
QString DirectoryOf(const QString &path);

// The extension in upper case: the text after the last "." when any "." stands at
// the second character or later (".hidden.png" has "PNG"); "" when the last "." ends
// the text; the text itself, unchanged, when it holds no such ".".
QString ExtensionOf(const QString &name);

// The name a thumbnail of the picture `name` is saved under, and the page refers to:
// the prefix, the name up to and including its last dot, and the extension. A name
// without an extension gets the dot before the extension, so that no two pictures
// share a thumbnail name for want of one.
QString SavedThumbnailName(const QString &prefix, const QString &name, const QString &extension);

// Whether a thumbnail name prefix keeps every thumbnail beside the others: no path
// separator, no "..", no control character.
bool UsablePrefix(const QString &prefix);

// A file name as the file system compares names: the same key for two names that
// name one file (case counts here, not on Windows).
QString FileNameKey(const QString &name);

// A text fit for a terminal or a log: control characters written as escapes
// ("\n", "\x1b"), so that no name can move the cursor or break a line.
QString Printable(const QString &text);

} // namespace Paths
