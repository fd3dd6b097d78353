#pragma once

#include <QStringList>

class QTextStream;

// The site built from the command line, without any window:
// `--batch FOLDER --output DIR [--settings FILE] [--force]` loads the folder as a
// folder load does, saves its thumbnails and copies its pictures into the web site's
// directories below DIR, and writes the page as DIR/index.html. What an earlier
// build made and is still up to date is kept.
namespace BatchBuild {

// The exit statuses.
enum Status { Complete = 0, SomeSkipped = 1, Unusable = 2 };

// Whether the program's arguments ask for a build instead of the windows.
bool Requested(const QStringList &arguments);

// Builds the site the arguments describe, reporting progress and a summary on
// `report` (as one rewritten line when it is a terminal), and returns the status.
int Run(const QStringList &arguments, QTextStream &report, bool terminal);

} // namespace BatchBuild
