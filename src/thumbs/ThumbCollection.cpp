#include "thumbs/ThumbCollection.h"

#include <algorithm>

bool ThumbCollection::isFree(int slot) const
{
    return !valid(slot) || entries[slot - 1].free;
}

QWidget *ThumbCollection::window(int slot) const
{
    return valid(slot) ? entries[slot - 1].window.data() : nullptr;
}

const ThumbnailRecord *ThumbCollection::record(int slot) const
{
    return inUseAt(slot) && entries[slot - 1].record ? &*entries[slot - 1].record : nullptr;
}

QStringList ThumbCollection::sourcePaths() const
{
    QStringList paths;
    for (const Slot &slot : entries)
        if (!slot.free && slot.record)
            paths << slot.record->sourcePath;
    return paths;
}

int ThumbCollection::FindFreeThumb()
{
    // No slot below `lowestFree` is free: a load of thousands does not scan them all
    // for every thumbnail.
    for (int slot = lowestFree; slot <= upperBound(); ++slot)
        if (entries[slot - 1].free) {
            entries[slot - 1].free = false;
            lowestFree = slot + 1;
            setCount(inUse + 1);
            return slot;
        }
    entries.append(Slot());
    lowestFree = upperBound() + 1;
    setCount(inUse + 1);
    return upperBound();
}

void ThumbCollection::setWindow(int slot, QWidget *window)
{
    if (inUseAt(slot))
        entries[slot - 1].window = window;
}

void ThumbCollection::setRecord(int slot, ThumbnailRecord record)
{
    if (inUseAt(slot))
        entries[slot - 1].record = std::move(record);
}

void ThumbCollection::setPicture(int slot, const Picture &picture)
{
    if (!inUseAt(slot) || !entries[slot - 1].record)
        return;
    entries[slot - 1].record->picture = picture;
    emit pictureChanged(slot);
}

void ThumbCollection::release(int slot)
{
    if (isFree(slot))
        return;
    entries[slot - 1].free = true;
    entries[slot - 1].record.reset();
    lowestFree = std::min(lowestFree, slot);
    setCount(inUse - 1);
}

void ThumbCollection::releaseAll()
{
    for (Slot &slot : entries) {
        slot.free = true;
        slot.record.reset();
    }
    lowestFree = 1;
    setCount(0);
}

void ThumbCollection::setCount(int value)
{
    if (value == inUse)
        return;
    inUse = value;
    emit countChanged(inUse);
}
