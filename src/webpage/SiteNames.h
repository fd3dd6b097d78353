#pragma once

#include "webpage/HtmlGenerator.h"

#include <QHash>
#include <QList>
#include <QString>

// The names of a site's files: every page position's thumbnail and copy, and the
// background image. The page, the save commands, the preview and the batch build all
// take their names from here, so that the files and the page's links agree.
//
// Names are given in page order: the pictures already in the site's folders keep
// theirs, then the background image (it stands in the table's tag), then each
// position's copy and thumbnail. A name that an earlier file of another picture
// already took in the same folder gets " (2)" before its extension, or " (3)" and so
// on, the first that is free. Copies of one picture share a name, with the picture
// itself too.
class SiteNames {
public:
    enum class Kind { Thumbnail, Copy, Picture };

    // A file that did not get the name it wanted, and the file that has that name.
    struct Renamed {
        Kind kind;
        QString source;
        QString wanted;
        QString given;
        Kind holderKind;
        QString holderSource;
    };

    // Names for a page made as `request` says: its prefix, thumbnail type, name case,
    // web directories and background image; positions are added one by one.
    explicit SiteNames(const PageRequest &request);

    // Gives the names of the next page position.
    void add(const PageThumb &thumb);

    int count() const { return int(positions.size()); }
    QString thumbnail(int position) const { return positions.value(position).thumbnail; }
    // The thumbnail at twice its size; empty unless the page asks for them.
    QString doubleThumbnail(int position) const { return positions.value(position).doubleThumbnail; }
    // Empty when the position links to no file.
    QString copy(int position) const { return positions.value(position).copy; }
    // Empty when the page has no background image.
    QString background() const { return backgroundName; }
    // The first position showing the picture; -1 when none does.
    int positionOf(const QString &source) const { return firstPosition.value(source, -1); }

    const QList<Renamed> &renamed() const { return renamedFiles; }
    // One line naming both pictures.
    static QString Describe(const Renamed &renamed);

private:
    struct Names {
        QString thumbnail, doubleThumbnail, copy;
    };
    struct Holder {
        Kind kind;
        QString source;
    };
    QString give(Kind kind, const QString &source, const QString &wanted);
    QHash<QString, Holder> &folderOf(bool thumbnail);

    QString prefix, thumbnailExtension;
    bool thumbnailsLower;
    bool highDensity;
    bool oneFolder;
    QHash<QString, Holder> takenThumbnails;  // by name key, in the thumbnails' folder
    QHash<QString, Holder> takenCopies;      // in the images' folder
    QString backgroundName;
    QList<Names> positions;
    QHash<QString, int> firstPosition;
    QList<Renamed> renamedFiles;
};

// The names of every file of the page `request` describes.
SiteNames SiteNamesOf(const PageRequest &request);

// The name of a thumbnail at twice its size: "@2x" before the extension.
QString DoubleSizeName(const QString &thumbnailName);

// The extension of saved thumbnails for the stored file type: only exactly "PNG"
// saves PNG files.
QString SavedThumbnailExtension(const QString &fileType);

// Whether browsers show pictures of the file's type, by its extension: JPEG, PNG,
// GIF, BMP, icons, WebP and AVIF (HEIC is Safari's alone).
bool BrowsersShow(const QString &name);
// The name of the web-ready copy of a picture browsers cannot show: its base name
// with "jpg", or "png" when it holds transparency.
QString WebReadyName(const QString &name, bool transparent);
