#pragma once

#include "ui/FileWriting.h"
#include "webpage/SiteNames.h"

#include <QString>
#include <QStringList>
#include <optional>

template <typename Value> struct Setting;

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
// in double quotes ending with CR LF. It takes the place of the earlier log only
// once it is complete.
class RecordLog {
public:
    explicit RecordLog(const QString &path);
    bool isOpen() const { return file.openError().isEmpty(); }
    QString fileName() const { return path; }
    void write(const QString &record);
    // Puts the log in place; false, after telling the user under `title`, when it
    // could not be written.
    bool finish(const QString &title);

private:
    QString path;
    FileWriting::CheckedFile file;
};

// What one save command could not do, and the files it gave other names, told the
// user at its end with each file's name and the reason.
class CommandOutcome {
public:
    void failed(const QString &path, const QString &why) { failures << path + QStringLiteral(": ") + why; }
    // Records the renamed files of `kind` in the log, to be told at the end too.
    void renamed(const SiteNames &names, SiteNames::Kind kind, RecordLog &log);
    // `failedText` holds the count as %1.
    void report(const QString &failedText, const QString &title) const;

private:
    QStringList failures;
    QStringList renamings;
};

// Where a command may write the file `name` in `directory`: nothing, with the reason
// in `why`, when the name would lead out of the directory or the file there is one
// of the pictures the command reads from, which it never replaces (but for `own`,
// the picture a copy is made of, which a copy onto itself leaves as it is).
std::optional<QString> Destination(const QString &directory, const QString &name,
                                   const FileWriting::ProtectedFiles &pictures, QString &why,
                                   const QString &own = QString());

// Where an output command writes: `directory` when given, else one the user picks
// with `dialogTitle`, which is then kept in `remembered` and stored as `setting`.
// Empty when the user cancelled.
QString TargetDirectory(const QString &directory, const QString &dialogTitle, QString &remembered,
                        const Setting<QString> &setting);

// Starts a command's log: makes the directory and records the outcome as the first
// line. False, after telling the user under `title`, when the log cannot be
// written or the directory cannot be made.
bool BeginLog(RecordLog &log, const QString &directory, const QString &title);

} // namespace OutputFiles
