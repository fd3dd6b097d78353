#include "ui/FileWriting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace FileWriting {

CheckedFile::CheckedFile(const QString &path, bool directFallback) : path(path), file(path)
{
    file.setDirectWriteFallback(directFallback);
    // Unbuffered: a buffered write whose flush fails still commits (Qt 6.4).
    opened = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (!opened)
        failure = file.errorString();
}

void CheckedFile::write(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    // A write the system takes only in part is tried again for the rest, which then
    // fails with the system's reason (a full disk, a file size limit).
    while (failure.isEmpty() && left > 0) {
        const qint64 done = file.write(data, left);
        if (done <= 0) {
            failure = file.errorString();
            return;
        }
        data += done;
        left -= done;
        written += done;
    }
}

QString CheckedFile::commit()
{
    if (!failure.isEmpty())
        return failure;  // the unfinished file is dropped with the writer
    if (!file.commit())
        return file.errorString();
    if (QFileInfo(path).size() != written) {
        QFile::remove(path);
        return QStringLiteral("the file was cut short");
    }
    return QString();
}

QString WriteWhole(const QString &path, const QByteArray &bytes, bool directFallback)
{
    CheckedFile file(path, directFallback);
    file.write(bytes);
    return file.commit();
}

QString CopyWhole(const QString &source, const QString &destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return in.errorString();
    CheckedFile out(destination);
    if (const QString why = out.openError(); !why.isEmpty())
        return why;
    constexpr qint64 Chunk = qint64(1) << 20;
    while (!in.atEnd()) {
        const QByteArray block = in.read(Chunk);
        if (block.isEmpty() && in.error() != QFileDevice::NoError)
            return in.errorString();  // the unfinished copy is dropped
        out.write(block);
    }
    if (const QString why = out.commit(); !why.isEmpty())
        return why;
    return QFileInfo(destination).size() == QFileInfo(source).size() ? QString()
                                                                      : QStringLiteral("the copy is incomplete");
}

QString IdentityOf(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return QString();
    return QString::number(quint64(status.st_dev)) + u':' + QString::number(quint64(status.st_ino));
#else
    return QFileInfo(path).canonicalFilePath().toLower();
#endif
}

ProtectedFiles::ProtectedFiles(const QStringList &paths)
{
    for (const QString &path : paths)
        add(path);
}

void ProtectedFiles::add(const QString &path)
{
    if (const QString identity = IdentityOf(path); !identity.isEmpty())
        identities.insert(identity);
}

bool ProtectedFiles::contains(const QString &path) const
{
    const QString identity = IdentityOf(path);
    return !identity.isEmpty() && identities.contains(identity);
}

std::optional<QString> FileIn(const QString &directory, const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(u'/')
        || name.contains(QDir::separator()))
        return std::nullopt;
    return directory + name;
}

} // namespace FileWriting
