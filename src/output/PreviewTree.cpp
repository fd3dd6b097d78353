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
    return OutputFiles::SiteDirectoryBelow(root(), siteDirectory).value_or(root());
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
