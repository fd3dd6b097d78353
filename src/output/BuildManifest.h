#pragma once

#include <QHash>
#include <QSize>
#include <QString>

// What a batch build made of one source picture: enough to put its thumbnail on the
// page again without reading the picture, and to tell whether the source changed.
struct BuiltThumbnail {
    qint64 sourceBytes = 0;
    qint64 sourceModified = 0;  // milliseconds since the epoch
    QSize sourceSize;
    QSize thumbnailSize;

    bool operator==(const BuiltThumbnail &other) const;
};

// The record a batch build keeps in its output: the thumbnail settings it ran with
// and what it made of each source, so that the next build over the same folder
// makes again only what has changed.
class BuildManifest {
public:
    // The record in `path`; an empty one when there is none or it cannot be read.
    static BuildManifest Read(const QString &path);
    // Replaces the file only with a complete new one; false when it could not.
    bool write(const QString &path) const;

    // What the thumbnail of `source` was made from, when it was made with
    // `settings` and the source's size and time are still those recorded.
    const BuiltThumbnail *unchanged(const QString &source, const QString &settings, qint64 bytes,
                                    qint64 modified) const;

    QString settings;                          // how every thumbnail in it was made
    QHash<QString, BuiltThumbnail> thumbnails; // by source path

    bool operator==(const BuildManifest &other) const
    {
        return settings == other.settings && thumbnails == other.thumbnails;
    }
    bool operator!=(const BuildManifest &other) const { return !(*this == other); }
};
