#pragma once

#include <QString>

// Where a page is previewed: "Temporary" under the program's directory, holding the
// page as temp.html and the thumbnails and images in the site's directories below
// it, so that the page's relative links resolve as on the web site. A site directory
// that would lead out of the tree ("..", for one) is taken as the tree itself, so
// that neither the preview nor its clean-up ever touches other files.
class PreviewTree {
public:
    PreviewTree(const QString &appPath, const QString &siteThumbnailDirectory, const QString &siteImageDirectory);

    // The page every preview opens.
    static QString PagePath(const QString &appPath);

    QString page() const { return PagePath(appPath); }
    // Both end with the directory separator.
    QString thumbnails() const { return thumbnailDirectory; }
    QString images() const { return imageDirectory; }

    // Makes both directories, every missing level; failures are left to the writes.
    void Create() const;
    // Deletes the files in the images' directory, the thumbnails' directory and
    // directly in the tree; the directories stay.
    void Empty() const;

private:
    QString root() const;
    QString inside(const QString &siteDirectory) const;

    QString appPath;
    QString thumbnailDirectory;
    QString imageDirectory;
};
