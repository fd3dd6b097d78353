#include "ui/Paths.h"

#include <QDir>
#include <algorithm>

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

namespace {

bool hasExtension(const QString &name)
{
    return name.indexOf(u'.', 1) >= 1;
}

bool isControl(QChar character)
{
    const char16_t code = character.unicode();
    return code < 0x20 || (code >= 0x7F && code < 0xA0);
}

} // namespace

QString ExtensionOf(const QString &name)
{
    if (!hasExtension(name))
        return name;
    return name.mid(name.lastIndexOf(u'.') + 1).toUpper();
}

QString SavedThumbnailName(const QString &prefix, const QString &name, const QString &extension)
{
    const QString base = hasExtension(name) ? name.left(name.size() - ExtensionOf(name).size()) : name + u'.';
    return prefix + base + extension;
}

bool UsablePrefix(const QString &prefix)
{
    return !prefix.contains(u'/') && !prefix.contains(u'\\') && !prefix.contains(QLatin1String(".."))
           && std::none_of(prefix.cbegin(), prefix.cend(), isControl);
}

QString FileNameKey(const QString &name)
{
#ifdef Q_OS_WIN
    return name.toLower();
#else
    return name;
#endif
}

QString Printable(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar character : text) {
        if (character == u'\n')
            shown += QLatin1String("\\n");
        else if (character == u'\t')
            shown += QLatin1String("\\t");
        else if (character == u'\r')
            shown += QLatin1String("\\r");
        else if (isControl(character))
            shown += QStringLiteral("\\x%1").arg(character.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += character;
    }
    return shown;
}

} // namespace Paths
