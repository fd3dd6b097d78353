#pragma once

#include "imagebuffer/Picture.h"
#include "imagebuffer/PictureFacts.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <optional>

// What the program knows of one thumbnail, apart from its window: the source file,
// the caption's three lines (file name, pixel size, size in kilobytes) and the
// thumbnail picture. Saving, copying and the page work on these.
struct ThumbnailRecord {
    QString sourcePath;
    QString caption;
    Picture picture;
    bool transparent = false;  // the source picture holds transparency
    QSize sourceSize;
    PictureFacts facts;
};

// The thumbnail collection: numbered slots from 1 to the upper bound, each free or in
// use and holding the thumbnail's record and the window that shows it. Slots are
// never removed; the lowest free one is handed out first and the collection grows by
// one slot only when none is free.
class ThumbCollection : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The highest slot number, 0 while no slot was ever handed out.
    int upperBound() const { return int(entries.size()); }
    // Slots in use.
    int count() const { return inUse; }
    bool isFree(int slot) const;
    // The window of a slot; null when it holds none (or its window has gone).
    QWidget *window(int slot) const;
    // The record of a slot in use; null for a free slot or one not yet filled.
    const ThumbnailRecord *record(int slot) const;
    // The source paths of every thumbnail, in slot order.
    QStringList sourcePaths() const;

    // The lowest free slot, now in use, or a new slot at the end. Never 0.
    int FindFreeThumb();
    // Puts the thumbnail's window into a slot that is in use.
    void setWindow(int slot, QWidget *window);
    // Fills a slot that is in use.
    void setRecord(int slot, ThumbnailRecord record);
    // Replaces the picture of a slot in use, and says so.
    void setPicture(int slot, const Picture &picture);
    // Frees a slot and forgets its record; its window stays until the slot is handed
    // out again.
    void release(int slot);
    // Frees every slot; the upper bound stays.
    void releaseAll();

signals:
    // The number of slots in use has changed.
    void countChanged(int count);
    // The picture of a slot was replaced.
    void pictureChanged(int slot);

private:
    struct Slot {
        QPointer<QWidget> window;
        std::optional<ThumbnailRecord> record;
        bool free = false;
    };
    bool valid(int slot) const { return slot >= 1 && slot <= upperBound(); }
    bool inUseAt(int slot) const { return valid(slot) && !entries[slot - 1].free; }
    void setCount(int value);

    QList<Slot> entries;  // slot i at index i - 1
    int inUse = 0;
    int lowestFree = 1;   // no slot below it is free
};
