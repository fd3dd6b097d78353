#include "thumbs/ThumbnailPipeline.h"

#include "imagebuffer/DecodeBudget.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ThumbnailImage.h"
#include "ui/Memory.h"

#include <algorithm>
#include <chrono>
#include <new>

PreparedThumbnail PreparedThumbnail::Prepare(const QString &path, QSize box)
{
    PreparedThumbnail unreadable;
    unreadable.box = box;
    try {
        const DecodeBudget::Scope decoding;
        Picture source;
        if (LoadAnyImageFile(source, path))
            return FromPicture(source, box, path);
        unreadable.failure = source.errorString();
        unreadable.refusedSize = source.refusedSize();
    } catch (const std::bad_alloc &) {
        // Out of memory while reading or scaling: the creation reports error 7 (the
        // box stands in for the unknown size, which must not read as empty).
        PreparedThumbnail tooLarge;
        tooLarge.loaded = true;
        tooLarge.sourceSize = box;
        tooLarge.box = box;
        return tooLarge;
    }
    return unreadable;
}

PreparedThumbnail PreparedThumbnail::FromPicture(Picture &source, QSize box, const QString &path)
{
    PreparedThumbnail prepared;
    prepared.loaded = true;
    prepared.box = box;
    prepared.sourceSize = source.size();
    prepared.transparent = source.hasTransparency();
    // A source without width or height is for the creation to report.
    if (!FitThumbnail(box, source.size()).isEmpty())
        prepared.made = MakeThumbnailImage(source, prepared.thumbnail, box);
    // A photo whose header read well but whose picture data would not decode is
    // damaged, not too large for memory.
    if (!prepared.made && !source.errorString().isEmpty()) {
        prepared.loaded = false;
        prepared.failure = source.errorString();
    }
    if (prepared.made)
        prepared.facts = PictureFactsReader::Read(path);
    return prepared;
}

namespace {

int workerCount()
{
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

} // namespace

ThumbnailPipeline::ThumbnailPipeline(QStringList paths, std::vector<bool> wanted, QSize box)
    : paths(std::move(paths)), wanted(std::move(wanted)), box(box), ahead(2 * workerCount() + 2)
{
    KeepFreedMemoryShort();
    for (int i = 0; i < workerCount(); ++i)
        workers.emplace_back(&ThumbnailPipeline::work, this);
}

ThumbnailPipeline::~ThumbnailPipeline()
{
    {
        const std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    changed.notify_all();
    for (std::thread &worker : workers)
        worker.join();
}

void ThumbnailPipeline::work()
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        // Files not wanted are passed over; the others wait until they are within
        // reach of the one being taken.
        changed.wait(guard, [this] {
            while (next < paths.size() && !wanted[size_t(next)])
                ++next;
            return stopping || next >= paths.size() || next < consumer + ahead;
        });
        if (stopping || next >= paths.size())
            return;
        const int index = next++;
        guard.unlock();
        PreparedThumbnail prepared = PreparedThumbnail::Prepare(paths[index], box);
        guard.lock();
        ready.emplace(index, std::move(prepared));
        changed.notify_all();
    }
}

bool ThumbnailPipeline::waitFor(int index, int milliseconds)
{
    std::unique_lock<std::mutex> guard(lock);
    if (consumer != index) {
        consumer = index;
        changed.notify_all();
    }
    if (index < 0 || index >= paths.size() || !wanted[size_t(index)])
        return false;
    return changed.wait_for(guard, std::chrono::milliseconds(milliseconds),
                            [this, index] { return ready.count(index) > 0; });
}

PreparedThumbnail ThumbnailPipeline::take(int index)
{
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [this, index] { return ready.count(index) > 0; });
    PreparedThumbnail prepared = std::move(ready.at(index));
    ready.erase(index);
    return prepared;
}
