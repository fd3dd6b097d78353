#include "imagebuffer/DecodeBudget.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace DecodeBudget {

namespace {

constexpr qint64 MiB = qint64(1) << 20;

qint64 machineMemory()
{
#ifdef Q_OS_WIN
    MEMORYSTATUSEX status;
    status.dwLength = sizeof(status);
    return GlobalMemoryStatusEx(&status) ? qint64(status.ullTotalPhys) : 0;
#else
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    return pages > 0 && pageSize > 0 ? qint64(pages) * pageSize : 0;
#endif
}

struct Budget {
    std::mutex lock;
    std::condition_variable freed;
    qint64 total = std::clamp(machineMemory() / 3, 256 * MiB, 3072 * MiB);
    qint64 used = 0;
};

Budget &budget()
{
    static Budget shared;
    return shared;
}

// The reservation of the innermost scope on this thread; null without one.
thread_local qint64 *threadHeld = nullptr;

void giveBack(Budget &b, qint64 &held)
{
    b.used -= held;
    held = 0;
    b.freed.notify_all();
}

} // namespace

qint64 Total()
{
    Budget &b = budget();
    const std::lock_guard<std::mutex> guard(b.lock);
    return b.total;
}

void SetTotal(qint64 bytes)
{
    Budget &b = budget();
    const std::lock_guard<std::mutex> guard(b.lock);
    b.total = bytes;
    b.freed.notify_all();
}

Scope::Scope() : outer(threadHeld)
{
    threadHeld = &held;
}

Scope::~Scope()
{
    Budget &b = budget();
    {
        const std::lock_guard<std::mutex> guard(b.lock);
        giveBack(b, held);
    }
    threadHeld = outer;
}

bool Reserve(qint64 bytes)
{
    Budget &b = budget();
    std::unique_lock<std::mutex> guard(b.lock);
    if (bytes > b.total)
        return false;
    qint64 *held = threadHeld;
    if (!held || bytes <= *held)
        return true;
    // Waiting while holding nothing: two threads that both need more can never
    // wait for each other.
    giveBack(b, *held);
    b.freed.wait(guard, [&b, bytes] { return b.used + bytes <= b.total || bytes > b.total; });
    if (bytes > b.total)
        return false;
    b.used += bytes;
    *held = bytes;
    return true;
}

} // namespace DecodeBudget
