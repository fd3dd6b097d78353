#include "output/PreviewTree.h"

#include "output/OutputFiles.h"

#include <QDir>

namespace {

void deleteFilesIn(const QString &directory)
{
    QDir dir(directory);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        dir.remove(name);
}

} // namespace

PreviewTree::PreviewTree(const QString &appPath, const QString &siteThumbnailDirectory,
                         const QString &siteImageDirectory)
    : appPath(appPath), thumbnailDirectory(inside(siteThumbnailDirectory)), imageDirectory(inside(siteImageDirectory))
{
}

QString PreviewTree::PagePath(const QString &appPath)
{
    return QDir::toNativeSeparators(appPath + QStringLiteral("Temporary/temp.html"));
}

QString PreviewTree::root() const
{
    return QDir::toNativeSeparators(appPath + QStringLiteral("Temporary/"));
}

QString PreviewTree::inside(const QString &siteDirectory) const
{
    const QString top = QDir::cleanPath(QDir::fromNativeSeparators(root()));
    const QString path = QDir::cleanPath(top + QLatin1Char('/') + QDir::fromNativeSeparators(siteDirectory));
    if (path != top && !path.startsWith(top + QLatin1Char('/')))
        return root();
    return QDir::toNativeSeparators(path + QLatin1Char('/'));
}

void PreviewTree::Create() const
{
    OutputFiles::EnsureDirectory(thumbnailDirectory, true);
    OutputFiles::EnsureDirectory(imageDirectory, true);
}

void PreviewTree::Empty() const
{
    deleteFilesIn(imageDirectory);
    deleteFilesIn(thumbnailDirectory);
    deleteFilesIn(root());
}
