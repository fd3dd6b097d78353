#pragma once

#include <QString>
#include <optional>

class Picture;

// Loads a file into a picture by trying every format code in turn; returns the code
// that read it, or 0 when none did.
int LoadImageFile(Picture &picture, const QString &path);

// Loads a file the way every loading path of the program does: the format codes in
// turn, then the picture loader of last resort. Returns the code that read it (0 for
// the last-resort loader), or nothing when no loader could.
std::optional<int> LoadAnyImageFile(Picture &picture, const QString &path);
