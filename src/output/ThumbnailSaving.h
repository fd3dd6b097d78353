#pragma once

#include <QString>

class CRegistry;
class Picture;
class ThumbCollection;
struct Preferences;

// How thumbnails are saved, as the section "Preferences" says at the moment.
struct SaveSettings {
    QString fileType = QStringLiteral("JPG");  // exactly "PNG" selects PNG
    QString prefix = QStringLiteral("QM_");
    bool progressive = false;                   // progressive JPEG, interlaced PNG
    bool reducedColours = false;                // 256-colour PNG
    int quality = 75;
    bool lowerCase = false;

    bool png() const { return fileType == QLatin1String("PNG"); }
    QString extension() const { return png() ? QStringLiteral("png") : QStringLiteral("jpg"); }
    static SaveSettings Read(const CRegistry &preferences);
};

// The path a thumbnail of `source` is saved under in `directory`: the name the page
// uses for it, lower-cased (prefix and name, not the directory) when asked.
QString SavedThumbnailPath(const QString &directory, const QString &source, const SaveSettings &settings);

// Writes one thumbnail to `path` as the settings say. A 256-colour PNG leaves the
// thumbnail with the reduced colours, as it was written.
bool WriteThumbnail(Picture &thumbnail, const QString &path, const SaveSettings &settings);

// Writes every thumbnail, in slot order, into `directory` (asked for when empty, and
// then remembered), and logs it in `thumbnail.txt` of the program's directory. A
// directory that cannot be made or a log that cannot be written stops it with a
// message; thumbnails that could not be saved are counted and reported at the end.
void SaveThumbnails(const QString &directory, const ThumbCollection &thumbs, Preferences &preferences,
                    const QString &appPath);
