#pragma once

#include <QFile>
#include <QString>

// What saving thumbnails and copying images share: where they write, how they make
// directories, how they ask for one, and their log files.
namespace OutputFiles {

// The path with the platform's directory separator throughout.
QString ToBackslashes(const QString &path);

// Whether the directory exists; with `create`, makes every missing level from the
// left first. False when a level could not be made.
bool EnsureDirectory(const QString &path, bool create);

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

// Tells the user that a directory could not be made, or a log not written.
void ReportDirectoryFailure(const QString &directory, const QString &title);
void ReportLogFailure(const QString &log, const QString &title);

} // namespace OutputFiles
