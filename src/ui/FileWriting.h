#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <QSet>
#include <optional>

// Writing files so that a failure is never taken for success: every byte is checked
// on its way to the file (a full disk shows as a short write), the file appears
// under its name only when complete, and its size is checked once it is there.
namespace FileWriting {

// A file written in pieces and committed at the end. Writes go straight to the
// system, unbuffered, so that no failure waits in a buffer where committing would
// not see it.
class CheckedFile {
public:
    // `directFallback`: where no file can be made beside it (a writable file in a
    // directory that is not), the file itself is written.
    explicit CheckedFile(const QString &path, bool directFallback = false);
    CheckedFile(const CheckedFile &) = delete;
    CheckedFile &operator=(const CheckedFile &) = delete;

    // Why the file could not even be started; empty when it could.
    QString openError() const { return opened ? QString() : failure; }
    void write(const QByteArray &bytes);
    // Puts the file in place; empty on success, else the system's reason. On failure
    // nothing stays under the file's name (but for a direct write).
    QString commit();

private:
    QString path;
    QSaveFile file;
    qint64 written = 0;
    bool opened = false;
    QString failure;
};

// Writes the whole file; empty on success, else why not.
QString WriteWhole(const QString &path, const QByteArray &bytes, bool directFallback = false);

// Copies a file byte for byte, replacing any earlier one only with a complete copy;
// empty on success, else why not.
QString CopyWhole(const QString &source, const QString &destination);

// Which file a path leads to, through any link: a file reached by two names (a
// symbolic or a hard link) has one identity. Empty when the path names no file.
QString IdentityOf(const QString &path);

// The files a command reads from, which no write of it may replace.
class ProtectedFiles {
public:
    ProtectedFiles() = default;
    explicit ProtectedFiles(const QStringList &paths);
    void add(const QString &path);
    // Whether writing `path` would replace one of them.
    bool contains(const QString &path) const;

private:
    QSet<QString> identities;
};

// The path of a file named `name` directly in `directory` (which ends with the
// separator): nothing when the name would lead elsewhere (empty, ".", "..", or
// holding a separator).
std::optional<QString> FileIn(const QString &directory, const QString &name);

} // namespace FileWriting
