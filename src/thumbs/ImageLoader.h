#pragma once

#include "thumbs/Thumbnails.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

class ImageBuffer;
class ThumbnailPipeline;
class ThumbnailWindow;
struct PreparedThumbnail;
class ListingModel;
struct Preferences;

// What loading needs of the main window besides what the thumbnails need.
class LoadHost : public ThumbnailHost {
public:
    // 0 cascade, 1 tile, 2 mosaic.
    virtual void arrangeWindows(int method) = 0;
    // Files done of the folder's files; hidden when `total` is 0.
    virtual void showLoadProgress(int done, int total) = 0;
};

// Brings pictures in: every readable file of a folder, or one chosen file, each
// through the load buffer into a thumbnail. A folder load yields to the user
// interface after every file and stops when asked.
class ImageLoader : public QObject {
    Q_OBJECT
public:
    ImageLoader(Thumbnails &thumbnails, ListingModel &listing, Preferences &preferences, ImageBuffer &loadBuffer,
                LoadHost &host, QObject *parent = nullptr);

    // Asks for a folder and loads it. False only when the chosen folder cannot be
    // listed. Does nothing (and returns true) while a load runs.
    bool LoadImageDirectory();
    // Asks for one file and loads it. Does nothing while a load runs.
    void OpenImageFile();
    // The same for a folder or a file chosen elsewhere (the command line, a drop).
    bool LoadDirectory(const QString &folder);
    void OpenFile(const QString &path);

    bool loading() const { return running; }
    // Asks the running load to stop after its current file; with no load running it
    // does nothing, so that an earlier Esc never cuts the next load short.
    void stop()
    {
        if (running)
            StopLoading = true;
    }
    bool stopRequested() const { return StopLoading; }

signals:
    // A load has ended, whatever ended it.
    void finished();

private:
    bool loadIntoBuffer(const QString &path);
    void noteNotOpened(const QString &path, const QString &failure, QSize refusedSize);
    void reportNotOpened();
    void addThumbnail(const PreparedThumbnail &prepared, const QString &path, bool inFolderLoad);
    void reportFailure(int error, const QString &path, bool inFolderLoad);
    std::optional<PreparedThumbnail> awaitThumbnail(ThumbnailPipeline &pipeline, int index, bool ahead);
    void arrangeAfterLoad();
    void endLoad();

    Thumbnails &thumbnails;
    ListingModel &listing;
    Preferences &preferences;
    ImageBuffer &loadBuffer;
    LoadHost &host;
    QPointer<ThumbnailWindow> newestBefore;  // activated at the end when a newer one was made
    bool StopLoading = false;
    bool running = false;
    QStringList notOpened;  // the pictures the load could not open, and why
};
