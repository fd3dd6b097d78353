#pragma once

#include "imagebuffer/PictureFacts.h"

#include <QHash>
#include <QSize>
#include <QString>
#include <QStringList>

class QFileInfo;

// A source file as a build read it: its size and modification time.
struct SourceState {
    qint64 bytes = 0;
    qint64 modified = 0;  // milliseconds since the epoch

    static SourceState Of(const QFileInfo &file);
    bool operator==(const SourceState &other) const { return bytes == other.bytes && modified == other.modified; }
    bool operator!=(const SourceState &other) const { return !(*this == other); }
};

// What a batch build made of one source picture: enough to put its thumbnail on the
// page again without reading the picture.
struct BuiltThumbnail {
    SourceState source;
    QSize sourceSize;
    QSize thumbnailSize;
    bool transparent = false;  // the picture holds transparency
    PictureFacts facts;

    bool operator==(const BuiltThumbnail &other) const;
};

// A file a build wrote: the source it was made from, as it was then, and its size.
struct BuiltFile {
    QString source;
    SourceState state;
    qint64 bytes = 0;

    bool operator==(const BuiltFile &other) const;
};

// The record a batch build keeps in its output: the thumbnail settings it ran with,
// what it made of each source and every file it wrote, so that the next build over
// the same folder makes again only what has changed or gone.
class BuildManifest {
public:
    // The record in `path`; an empty one when there is none or it cannot be read.
    static BuildManifest Read(const QString &path);
    // The record as the bytes of its file.
    QByteArray contents() const;

    // What the thumbnail of `source` was made from, when it was made with
    // `settings` from the source as it is now.
    const BuiltThumbnail *unchanged(const QString &source, const QString &settings, const SourceState &now) const;
    // Whether the file at `path` (`key` in the record) is the one this record wrote
    // from `source` as it is now, whole.
    bool upToDate(const QString &key, const QString &path, const QString &source, const SourceState &now) const;
    // The same for a copy, which is up to date only when made the way `copyRules` says.
    bool copyUpToDate(const QString &key, const QString &path, const QString &source, const SourceState &now,
                      const QString &copyRules) const;

    QString settings;                        // how every thumbnail in it was made
    QString copies;                          // how every copy in it was made
    QHash<QString, BuiltThumbnail> thumbnails;  // by source path
    QHash<QString, BuiltFile> files;            // by path relative to the output
    QStringList albums;                         // of the whole tree, in the top album's record

    bool operator==(const BuildManifest &other) const
    {
        return settings == other.settings && thumbnails == other.thumbnails && files == other.files;
    }
    bool operator!=(const BuildManifest &other) const { return !(*this == other); }
};
