#pragma once

#include <QFile>
#include <QString>
#include <optional>

class CRegistry;

// What saving thumbnails and copying images share: where they write, how they make
// directories, how they ask for one, and their log files.
namespace OutputFiles {

// The path with the platform's directory separator throughout.
QString ToBackslashes(const QString &path);

// Whether the directory exists; with `create`, makes every missing level from the
// left first. False when a level could not be made.
bool EnsureDirectory(const QString &path, bool create);

// Where a web site directory (relative to the page) lies below `root`, ending with
// the separator; nothing when it leads out of `root` ("..", for one).
std::optional<QString> SiteDirectoryBelow(const QString &root, const QString &siteDirectory);

// Asks for a directory with a save dialog opened at `current`: the directory part
// of the name the user confirms, ending with the separator; empty when cancelled.
QString AskDirectory(const QString &title, const QString &current);

// A log of one command in the program's directory, written anew: each record a line
// in double quotes ending with CR LF.
class RecordLog {
public:
    explicit RecordLog(const QString &path);
    bool isOpen() const { return file.isOpen(); }
    QString fileName() const { return file.fileName(); }
    void write(const QString &record);

private:
    QFile file;
};

// Where an output command writes: `directory` when given, else one the user picks
// with `dialogTitle`, which is then kept in `remembered` and stored as
// `preferenceName` in `section`. Empty when the user cancelled.
QString TargetDirectory(const QString &directory, const QString &dialogTitle, QString &remembered, CRegistry &section,
                        const QString &preferenceName);

// Starts a command's log: makes the directory and records the outcome as the first
// line. False, after telling the user under `title`, when the log cannot be
// written or the directory cannot be made.
bool BeginLog(RecordLog &log, const QString &directory, const QString &title);

} // namespace OutputFiles
