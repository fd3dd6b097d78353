#pragma once

#include "settings/Preferences.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class MainForm;

// The program's shared state: where it lives, the preferences read at start, and the
// few flags that windows pass to one another.
namespace Globals {

inline QString AppPath;                 // ends with the directory separator
inline QString HelpFile;
inline Preferences Prefs;
inline QPointer<QWidget> FlashTarget;   // the thumbnail window being flashed
inline QPointer<MainForm> MainWindow;

// Puts every global back to its value before start (tests start the program many times).
void Reset();

} // namespace Globals

// Appends the directory separator unless the path already ends with one.
QString WithTrailingSeparator(const QString &path);

// The program's own directory for its files: $QUILLMERE_HOME, else the directory of
// the executable when it can be written and is no installed prefix, else the
// per-user data directory.
QString ResolveAppPath();

// The help file: beside the executable (a build tree or a portable install), else in
// the installed program's share/quillmere.
QString ResolveHelpFile();

// Fills the preferences from the settings store and records where the program lives
// for other programs. Throws RegistryError when the store cannot be opened; returns false
// when it cannot be written.
bool LoadPreferences();
