#pragma once

#include "webpage/SiteNames.h"

#include <QSize>
#include <QString>

class Picture;
class ThumbCollection;
struct Preferences;

// How thumbnails are saved, as the stored preferences say at the moment.
struct SaveSettings {
    QString fileType;        // exactly "PNG" selects PNG
    QString prefix;
    bool progressive = false;     // progressive JPEG, interlaced PNG
    bool reducedColours = false;  // 256-colour PNG
    int quality = 0;
    bool lowerCase = false;
    bool doubleSize = false;      // each thumbnail at twice its size too

    QString extension() const { return SavedThumbnailExtension(fileType); }
    bool png() const { return extension() == QLatin1String("png"); }
    static SaveSettings Read();
};

// Writes one thumbnail to `path` as the settings say. A 256-colour PNG leaves the
// thumbnail with the reduced colours, as it was written. On failure the thumbnail's
// errorString() says why.
bool WriteThumbnail(Picture &thumbnail, const QString &path, const SaveSettings &settings);

// Writes the thumbnail of the picture at `source` drawn anew from the picture to fit
// `box`, as the settings say. Empty on success, else why not.
QString WriteRedrawnThumbnail(const QString &source, QSize box, const QString &path, const SaveSettings &settings);

// Writes every thumbnail, in slot order, as the page shows it (the modern page's
// drawn anew at its row height), into `directory` (asked for when empty, and
// then remembered) under the name `names` gives it, and logs it in `thumbnail.txt`
// of the program's directory. A prefix that would lead out of the directory, a
// directory that cannot be made or a log that cannot be written stops it with a
// message. No thumbnail replaces one of the pictures. Thumbnails that could not be
// saved are counted and reported with the reason at the end, as are the ones
// given other names.
void SaveThumbnails(const QString &directory, ThumbCollection &thumbs, const SiteNames &names,
                    Preferences &preferences, const QString &appPath);
