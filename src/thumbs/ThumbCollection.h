#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

// The thumbnail collection: numbered slots from 1 to the upper bound, each free or in
// use and holding the thumbnail's window. Slots are never removed; the lowest free
// one is handed out first and the collection grows by one slot only when none is free.
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

    // The lowest free slot, now in use, or a new slot at the end. Never 0.
    int FindFreeThumb();
    // Puts the thumbnail's window into a slot that is in use.
    void setWindow(int slot, QWidget *window);
    // Frees a slot; its window stays until the slot is handed out again.
    void release(int slot);
    // Frees every slot; the upper bound stays.
    void releaseAll();

signals:
    // The number of slots in use has changed.
    void countChanged(int count);

private:
    struct Slot {
        QPointer<QWidget> window;
        bool free = false;
    };
    bool valid(int slot) const { return slot >= 1 && slot <= upperBound(); }
    void setCount(int value);

    QList<Slot> entries;  // slot i at index i - 1
    int inUse = 0;
};
