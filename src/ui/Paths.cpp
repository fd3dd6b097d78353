#include "ui/Paths.h"

#include <QDir>

namespace Paths {

QString FileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QDir::separator()) + 1);
}

QString DirectoryOf(const QString &path)
{
    const qsizetype cut = path.lastIndexOf(QDir::separator());
    return cut < 0 ? path : path.left(cut + 1);
}

QString ExtensionOf(const QString &name)
{
    const qsizetype first = name.indexOf(u'.');
    if (first < 1)
        return name;
    if (first == name.size() - 1)
        return QString();
    return name.mid(name.lastIndexOf(u'.') + 1).toUpper();
}

QString SavedThumbnailName(const QString &prefix, const QString &name, const QString &extension)
{
    const bool hasExtension = name.indexOf(u'.') >= 1;
    const QString base = hasExtension ? name.left(name.size() - ExtensionOf(name).size()) : name + u'.';
    return prefix + base + extension;
}

} // namespace Paths
