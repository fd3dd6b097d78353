#pragma once

#include "thumbs/WindowFlow.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

class ListingModel;
class Picture;
struct PreparedThumbnail;
class DocumentArea;
class ThumbCollection;
class ThumbnailWindow;
struct Preferences;

// What the thumbnails need of the main window.
class ThumbnailHost {
public:
    virtual ~ThumbnailHost() = default;
    // Where thumbnail windows live.
    virtual DocumentArea &documentArea() = 0;
    // Puts an empty document area in place of the one there; the windows in it go
    // with it, at once, without closing one by one.
    virtual void emptyDocumentArea() = 0;
    virtual void SetPanelText(int panel, const QString &text) = 0;
    virtual void SetCommandStates(bool Loading) = 0;
};

// Making and removing thumbnails: a window in a slot of the collection and a row of
// the listing for each, kept in step.
class Thumbnails : public QObject {
    Q_OBJECT
public:
    // The run-time error numbers creation reports.
    static constexpr int ErrOutOfMemory = 7;
    static constexpr int ErrDivisionByZero = 11;  // a source without width or height
    static constexpr int ErrKeyNotUnique = 35602; // the path is listed already

    Thumbnails(ThumbCollection &thumbs, ListingModel &listing, const Preferences &preferences, ThumbnailHost &host,
               QObject *parent = nullptr);

    // Turns the loaded picture of the file at `path` into a thumbnail: 0 when made,
    // else the error number. A failed creation leaves no slot in use and no window.
    int CreateThumbnail(Picture &source, const QString &path);
    // The same for a thumbnail already made from the file (off this thread); the
    // checks and their error numbers are the same.
    int AddThumbnail(const PreparedThumbnail &prepared, const QString &path);
    // What closing a thumbnail window does to the collection, listing and status bar.
    void CloseThumbnail(ThumbnailWindow &window);
    // Asks, then closes every thumbnail and empties the listing.
    void ClearThumbnails();
    // Closes the thumbnails in the highest tenth of the slots, telling the user.
    void FreeMemory();

    // The window made last, while it is open.
    ThumbnailWindow *newest() const;

    // The window of the first slot in use whose thumbnail shows this file.
    ThumbnailWindow *windowOf(const QString &path) const;

    // The picture of a file at full size, modal.
    void ViewFullSize(const QString &path);
    // "Remove Thumbnail" of a thumbnail window: closes it when the listing finds its
    // row, else tells the user to remove it from the listing.
    void RemoveThumbnail(ThumbnailWindow &window);

signals:
    // ESC in a thumbnail window: a running folder load is to stop.
    void stopLoadingRequested();

public:
    // "Total Thumbnails:  " and the number of listing rows.
    QString totalText() const;

private:
    int giveBack(int slot, int error);
    void closeSlots(int first, int last);
    void forgetCurrent(const QSet<QString> &closed);

    ThumbCollection &thumbs;
    ListingModel &listing;
    const Preferences &preferences;
    ThumbnailHost &host;
    bool closingInBulk = false;
    QString currentPath;  // the thumbnail the status bar names
    QPointer<ThumbnailWindow> newestWindow;
    WindowFlow flow;  // where the next window goes
};
