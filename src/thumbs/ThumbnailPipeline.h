#pragma once

#include "imagebuffer/Picture.h"
#include "imagebuffer/PictureFacts.h"

#include <QSize>
#include <QStringList>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// A thumbnail made away from the user-interface thread: the picture read as every
// loading path reads it, then scaled into the box, within the memory budget that
// every thread decoding pictures shares.
struct PreparedThumbnail {
    bool loaded = false;     // some loader read the file
    bool made = false;       // the thumbnail could be made (false: out of memory)
    QSize sourceSize;
    QSize box;               // the box it was made for
    Picture thumbnail;
    QString failure;         // why no loader read it
    QSize refusedSize;       // the picture's size, when it was refused as too large
    bool transparent = false;  // the picture holds transparency, which its thumbnail does not show
    PictureFacts facts;        // what its metadata says, read once the thumbnail is made

    static PreparedThumbnail Prepare(const QString &path, QSize box);
    // The thumbnail of the picture already read from `path`.
    static PreparedThumbnail FromPicture(Picture &source, QSize box, const QString &path);
};

// Makes the thumbnails of a list of files on worker threads, a bounded number ahead
// of the one that takes them, which takes them strictly in list order. Only the
// scaled thumbnails are kept, so memory does not grow with the pictures' sizes.
// Dropping the pipeline drops every decode not yet taken.
class ThumbnailPipeline {
public:
    // `wanted[i]` false: file i is not prepared (it is already loaded). One worker
    // per core, at most twice as many files plus two ahead of the taker.
    ThumbnailPipeline(QStringList paths, std::vector<bool> wanted, QSize box);
    ~ThumbnailPipeline();
    ThumbnailPipeline(const ThumbnailPipeline &) = delete;
    ThumbnailPipeline &operator=(const ThumbnailPipeline &) = delete;

    // Waits at most `milliseconds` for file `index` (indices only ever increase);
    // true when it is ready to take. A file not wanted is never ready.
    bool waitFor(int index, int milliseconds);
    // The thumbnail of a file waitFor() found ready.
    PreparedThumbnail take(int index);
    const QString &path(int index) const { return paths[index]; }

private:
    void work();

    const QStringList paths;
    const std::vector<bool> wanted;
    const QSize box;
    const int ahead;
    std::mutex lock;
    std::condition_variable changed;
    int next = 0;       // the next file to start
    int consumer = 0;   // the file being taken
    bool stopping = false;
    std::map<int, PreparedThumbnail> ready;
    std::vector<std::thread> workers;
};
