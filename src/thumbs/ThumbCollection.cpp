#include "thumbs/ThumbCollection.h"

bool ThumbCollection::isFree(int slot) const
{
    return !valid(slot) || entries[slot - 1].free;
}

QWidget *ThumbCollection::window(int slot) const
{
    return valid(slot) ? entries[slot - 1].window.data() : nullptr;
}

int ThumbCollection::FindFreeThumb()
{
    for (int slot = 1; slot <= upperBound(); ++slot)
        if (entries[slot - 1].free) {
            entries[slot - 1].free = false;
            setCount(inUse + 1);
            return slot;
        }
    entries.append(Slot());
    setCount(inUse + 1);
    return upperBound();
}

void ThumbCollection::setWindow(int slot, QWidget *window)
{
    if (valid(slot) && !entries[slot - 1].free)
        entries[slot - 1].window = window;
}

void ThumbCollection::release(int slot)
{
    if (isFree(slot))
        return;
    entries[slot - 1].free = true;
    setCount(inUse - 1);
}

void ThumbCollection::releaseAll()
{
    for (Slot &slot : entries)
        slot.free = true;
    setCount(0);
}

void ThumbCollection::setCount(int value)
{
    if (value == inUse)
        return;
    inUse = value;
    emit countChanged(inUse);
}
