#include "frame/AlbumTree.h"

#include "thumbs/ImageLoading.h"
#include "ui/NaturalOrder.h"
#include "ui/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace {

class Walk {
public:
    Walk(const QString &output) : outputKey(key(output)) {}

    // Adds the album of `folder` and those below it; false when it holds neither
    // pictures nor albums, and then adds nothing.
    bool add(const QString &folder, const QString &relative, int parent)
    {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        if (canonical.isEmpty() || walked.contains(canonical))
            return false;
        walked.insert(canonical);
        const int index = int(albums.size());
        albums << Album{folder, relative, QFileInfo(QDir::cleanPath(folder)).fileName(), parent, {}};
        bool holdsPictures = false;
        if (const std::optional<QStringList> files = FolderFiles(folder))
            holdsPictures = std::any_of(files->cbegin(), files->cend(), [](const QString &name) { return HasPictureExtension(name); });
        // Hidden folders are not listed.
        QStringList folders = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(folders.begin(), folders.end(), [](const QString &a, const QString &b) { return CompareNaturally(a, b) < 0; });
        for (const QString &name : folders) {
            const QString child = folder + name + QDir::separator();
            if (key(child) == outputKey)
                continue;
            const int childIndex = int(albums.size());
            if (add(child, relative.isEmpty() ? name : relative + u'/' + name, index))
                albums[index].children << childIndex;
        }
        if (parent >= 0 && !holdsPictures && albums[index].children.isEmpty()) {
            albums.removeLast();
            return false;
        }
        return true;
    }

    QList<Album> albums;

private:
    static QString key(const QString &folder) { return Paths::FileNameKey(QDir::cleanPath(QFileInfo(folder).absoluteFilePath())); }

    const QString outputKey;
    QSet<QString> walked;  // canonical paths, so that a link back up is walked once
};

} // namespace

QList<Album> AlbumTree(const QString &top, const QString &output)
{
    Walk walk(output);
    walk.add(top, QString(), -1);
    return walk.albums;
}
