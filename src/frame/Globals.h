#pragma once

#include "settings/CRegistry.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

class MainForm;

// The program's shared state: where it lives, the preferences read at start, and the
// few flags that windows pass to one another.
namespace Globals {

inline const QString DefaultRegistryBase = QStringLiteral("SOFTWARE\\Fennmoor Software\\Quillmere\\");

inline QString AppPath;                 // ends with the directory separator
inline QString HelpFile;
inline QString RegistryBase = DefaultRegistryBase;
inline QString LastOpenDirectory;
inline qint32 ThumbMaxWidth = 93;
inline qint32 ThumbMaxHeight = 97;
inline QString SiteImageDirectory = QStringLiteral("images");
inline QString SiteThumbnailDirectory = QStringLiteral("images");
inline QString LocalImageDirectory;
inline QString LocalThumbnailDirectory;
inline qint32 LeftMargin = 4;
inline bool StopLoading = false;
inline QPointer<QWidget> FlashTarget;   // the thumbnail window being flashed

// The thumbnail collection: 1-based slots, element 0 unused; empty until the first
// thumbnail is made.
inline QList<QPointer<QWidget>> Thumbs;
inline QList<qint16> ThumbFree;

inline QPointer<MainForm> MainWindow;

// The highest slot of the collection, 0 while it is empty.
int ThumbUpperBound();

// Puts every global back to its value before start (tests start the program many times).
void Reset();

} // namespace Globals

// A settings-store instance opened on one section of the program's settings, the way
// every part of the program reads and writes them.
class SettingsSection : public CRegistry {
public:
    explicit SettingsSection(const QString &section);
};

// Appends the directory separator unless the path already ends with one.
QString WithTrailingSeparator(const QString &path);

// The program's own directory for its files: $QUILLMERE_HOME, else the directory of
// the executable when it can be written, else the per-user data directory.
QString ResolveAppPath();

// Fills the preferences from the settings store and records where the program lives
// ("EXE Path"). Throws RegistryError when the store cannot be opened; returns false
// when it cannot be written.
bool LoadPreferences();
