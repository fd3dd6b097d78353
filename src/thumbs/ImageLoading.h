#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class Picture;

// Loads a file into a picture by trying every format code in turn; returns the code
// that read it, or 0 when none did.
int LoadImageFile(Picture &picture, const QString &path);

// Loads a file the way every loading path of the program does: the format codes in
// turn, then the picture loader of last resort. Returns the code that read it (0 for
// the last-resort loader), or nothing when no loader could.
std::optional<int> LoadAnyImageFile(Picture &picture, const QString &path);

// The folder's files in the order a folder load takes them: by name as people read
// it, hidden files and folders left out. Nothing when the folder cannot be listed.
std::optional<QStringList> FolderFiles(const QString &directory);

// The folder's files whose names the file system holds as bytes that are not text
// in its encoding, which no listing above names: each as its bytes, those that are
// not printable written as "\xE9". Hidden files are left out.
QStringList UndecodableNames(const QString &directory);

// Whether the file's name ends with the extension of a picture type the program
// reads (what the open dialog's picture filter lists, and their longer spellings).
bool HasPictureExtension(const QString &path);
