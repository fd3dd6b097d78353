#pragma once

#include <QtGlobal>

// The memory that reading pictures may take at once, shared by every thread that
// reads them: a large picture waits until the others have given theirs back instead
// of decoding beside them, and one that needs more than the whole budget is refused
// as too large. So peak memory stays the same however many threads decode.
//
// The budget is a third of the machine's memory, at most 3 GiB and at least 256 MiB.
namespace DecodeBudget {

// What a picture needs at most while it is read and made a thumbnail of: its pixels
// and one converted copy of them, four bytes a pixel each.
inline constexpr qint64 BytesPerPixel = 8;

qint64 Total();
// For tests: another budget, for every thread.
void SetTotal(qint64 bytes);

// While one lives on a thread, the memory the pictures read there need is reserved
// from the budget, and it is given back when the scope ends. Without one, a thread
// reserves nothing but is still refused what exceeds the whole budget.
class Scope {
public:
    Scope();
    ~Scope();
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;

private:
    qint64 held = 0;
    qint64 *outer;
};

// Makes sure the thread's scope holds `bytes`, waiting while other threads hold too
// much of the budget; what the scope held before is given back first, as the
// picture it was for is gone. False when `bytes` is more than the whole budget.
bool Reserve(qint64 bytes);

} // namespace DecodeBudget
