#pragma once

#include <QStringList>

class QTextStream;

// The site built without any window, from the command line or the Build Site
// dialog: `--batch FOLDER --output DIR [--settings FILE] [--force] [--albums]
// [--sort name|date] [--quiet]` loads the folder as a folder load does, saves its
// thumbnails and copies its pictures into the web site's directories below DIR, and
// writes the page as DIR/index.html; with --albums every folder below that holds
// pictures or albums becomes an album page at the same place below DIR. What an
// earlier build made and is still up to date is kept.
namespace BatchBuild {

// The exit statuses.
enum Status { Complete = 0, SomeSkipped = 1, Unusable = 2, Cancelled = 3 };

// What a build is asked to do.
struct SiteRequest {
    QString folder;        // ends with the separator
    QString output;        // ends with the separator
    QString settingsFile;  // empty: the program's own settings
    bool force = false;    // make everything again
    bool albums = false;   // the folders below become albums
    bool byDate = false;   // pictures in the order they were taken, else by name
};

// Where a build tells how it goes. Called on the thread the build runs on.
class BuildObserver {
public:
    virtual ~BuildObserver() = default;
    // `done` of `total` pictures through a stage ("Thumbnails", "Images").
    virtual void progress(const QString &stage, int done, int total) = 0;
    // A problem, or the summary at the end.
    virtual void line(const QString &text) = 0;
    // Asked between pictures: true stops the build after the current one, leaving
    // a site the next build completes.
    virtual bool cancelled() const { return false; }
};

// Builds the site, telling `observer`; returns the status.
int Build(const SiteRequest &request, BuildObserver &observer);

// Whether the program's arguments ask for a build instead of the windows.
bool Requested(const QStringList &arguments);

// Builds the site the arguments describe, reporting progress and a summary on
// `report` (progress as one line rewritten in place when it is a terminal, else at
// most a line a second; none with --quiet), and returns the status.
int Run(const QStringList &arguments, QTextStream &report, bool terminal);

} // namespace BatchBuild
