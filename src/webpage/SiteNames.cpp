#include "webpage/SiteNames.h"

#include "thumbs/ThumbnailImage.h"
#include "ui/Paths.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString folderKey(const QString &siteDirectory)
{
    const QString path = QDir::cleanPath(QDir::fromNativeSeparators(siteDirectory));
    return Paths::FileNameKey(path.isEmpty() ? QStringLiteral(".") : path);
}


// "name (n).ext", or "name (n)" for a name without an extension.
QString numbered(const QString &name, int number)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString mark = QStringLiteral(" (%1)").arg(number);
    return dot >= 1 ? name.left(dot) + mark + name.mid(dot) : name + mark;
}

QString kindName(SiteNames::Kind kind)
{
    switch (kind) {
    case SiteNames::Kind::Thumbnail: return QStringLiteral("thumbnail of");
    case SiteNames::Kind::Copy: return QStringLiteral("copy of");
    case SiteNames::Kind::Picture: break;
    }
    return QStringLiteral("picture");
}

} // namespace

SiteNames::SiteNames(const PageRequest &request)
    : prefix(request.prefix), thumbnailExtension(request.savedExtension), thumbnailsLower(request.thumbNamesLower == 1),
      highDensity(request.highDensity),
      oneFolder(folderKey(request.siteThumbnailDirectory) == folderKey(request.siteImageDirectory))
{
    for (const SiteFile &file : request.present)
        folderOf(file.inThumbnailFolder).insert(Paths::FileNameKey(file.name), Holder{Kind::Picture, file.source});
    const QString background = QDir::toNativeSeparators(request.options.backgroundImageFile);
    QString name = Paths::FileNameOf(background);
    if (request.imageNamesLower != 0)
        name = name.toLower();
    backgroundName = give(Kind::Copy, background, name);
}

void SiteNames::add(const PageThumb &thumb)
{
    const QString &source = thumb.values.SourcePath;
    QString thumbnailName = Paths::SavedThumbnailName(prefix, CaptionFileName(thumb.caption), thumbnailExtension);
    if (thumbnailsLower)
        thumbnailName = thumbnailName.toLower();
    Names names;
    // In the order the page names them: the link, then the picture.
    if (!thumb.values.Link.isEmpty())
        names.copy = give(Kind::Copy, source, Paths::FileNameOf(QDir::toNativeSeparators(thumb.values.Link)));
    names.thumbnail = give(Kind::Thumbnail, source, thumbnailName);
    if (highDensity)
        names.doubleThumbnail = give(Kind::Thumbnail, source, DoubleSizeName(names.thumbnail));
    if (!firstPosition.contains(source))
        firstPosition.insert(source, int(positions.size()));
    positions << names;
}

QHash<QString, SiteNames::Holder> &SiteNames::folderOf(bool thumbnail)
{
    return thumbnail || oneFolder ? takenThumbnails : takenCopies;
}

QString SiteNames::give(Kind kind, const QString &source, const QString &wanted)
{
    if (wanted.isEmpty())
        return wanted;
    QHash<QString, Holder> &taken = folderOf(kind == Kind::Thumbnail);
    // Copies of one picture, and the picture itself, are one file; anything else
    // needs a name of its own (a position without a source is a picture of its own).
    const auto mayShare = [&](const Holder &holder) {
        return holder.kind != Kind::Thumbnail && kind == Kind::Copy && !source.isEmpty() && holder.source == source;
    };
    QString name = wanted;
    for (int number = 2;; ++number) {
        const auto holder = taken.constFind(Paths::FileNameKey(name));
        if (holder == taken.cend())
            break;
        if (mayShare(*holder))
            return name;
        name = numbered(wanted, number);
    }
    taken.insert(Paths::FileNameKey(name), Holder{kind, source});
    if (name != wanted) {
        const Holder &holder = taken.value(Paths::FileNameKey(wanted));
        renamedFiles << Renamed{kind, source, wanted, name, holder.kind, holder.source};
    }
    return name;
}

QString SiteNames::Describe(const Renamed &renamed)
{
    return QStringLiteral("The %1 %2 is named \"%3\": \"%4\" is the %5 %6.")
        .arg(kindName(renamed.kind), renamed.source, renamed.given, renamed.wanted, kindName(renamed.holderKind),
             renamed.holderSource);
}

SiteNames SiteNamesOf(const PageRequest &request)
{
    SiteNames names(request);
    for (const PageThumb &thumb : request.thumbs)
        names.add(thumb);
    return names;
}

QString SavedThumbnailExtension(const QString &fileType)
{
    return fileType == QLatin1String("PNG") ? QStringLiteral("png") : QStringLiteral("jpg");
}

QString DoubleSizeName(const QString &thumbnailName)
{
    const qsizetype dot = thumbnailName.lastIndexOf(u'.');
    return dot >= 1 ? thumbnailName.left(dot) + QStringLiteral("@2x") + thumbnailName.mid(dot)
                    : thumbnailName + QStringLiteral("@2x");
}

bool BrowsersShow(const QString &name)
{
    static const QStringList shown = {QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("jpe"),
                                      QStringLiteral("png"), QStringLiteral("gif"),  QStringLiteral("bmp"),
                                      QStringLiteral("ico"), QStringLiteral("webp"), QStringLiteral("avif")};
    return shown.contains(QFileInfo(name).suffix(), Qt::CaseInsensitive);
}

QString WebReadyName(const QString &name, bool transparent)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot >= 1 ? name.left(dot) : name;
    return base + (transparent ? QStringLiteral(".png") : QStringLiteral(".jpg"));
}
