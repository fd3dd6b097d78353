#include "output/BuildManifest.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonArray sizeArray(QSize size)
{
    return {size.width(), size.height()};
}

QSize sizeOf(const QJsonValue &value)
{
    const QJsonArray pair = value.toArray();
    return QSize(pair.at(0).toInt(), pair.at(1).toInt());
}

qint64 number(const QJsonObject &object, const char *key)
{
    return qint64(object.value(QLatin1String(key)).toDouble());
}

SourceState stateIn(const QJsonObject &object)
{
    return {number(object, "bytes"), number(object, "modified")};
}

void putState(QJsonObject &object, const SourceState &state)
{
    object.insert(QStringLiteral("bytes"), double(state.bytes));
    object.insert(QStringLiteral("modified"), double(state.modified));
}

} // namespace

SourceState SourceState::Of(const QFileInfo &file)
{
    return {file.size(), file.lastModified().toMSecsSinceEpoch()};
}

bool BuiltThumbnail::operator==(const BuiltThumbnail &other) const
{
    return source == other.source && sourceSize == other.sourceSize && thumbnailSize == other.thumbnailSize
           && transparent == other.transparent && facts == other.facts;
}

bool BuiltFile::operator==(const BuiltFile &other) const
{
    return source == other.source && state == other.state && bytes == other.bytes;
}

BuildManifest BuildManifest::Read(const QString &path)
{
    BuildManifest manifest;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return manifest;
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    manifest.settings = root.value(QStringLiteral("settings")).toString();
    manifest.copies = root.value(QStringLiteral("copies")).toString();
    const QJsonObject sources = root.value(QStringLiteral("thumbnails")).toObject();
    for (auto entry = sources.begin(); entry != sources.end(); ++entry) {
        const QJsonObject made = entry.value().toObject();
        // A record from before transparency and the metadata were noted is made
        // again: the name of a web-ready copy and the page's captions depend on them.
        if (!made.contains(QStringLiteral("transparent")) || !made.contains(QStringLiteral("taken")))
            continue;
        const PictureFacts facts{made.value(QStringLiteral("title")).toString(),
                                 QDateTime::fromString(made.value(QStringLiteral("taken")).toString(), Qt::ISODate)};
        manifest.thumbnails.insert(entry.key(), BuiltThumbnail{stateIn(made), sizeOf(made.value(QStringLiteral("source"))),
                                                               sizeOf(made.value(QStringLiteral("thumbnail"))),
                                                               made.value(QStringLiteral("transparent")).toBool(), facts});
    }
    for (const QJsonValue &album : root.value(QStringLiteral("albums")).toArray())
        manifest.albums << album.toString();
    const QJsonObject files = root.value(QStringLiteral("files")).toObject();
    for (auto entry = files.begin(); entry != files.end(); ++entry) {
        const QJsonObject made = entry.value().toObject();
        manifest.files.insert(entry.key(), BuiltFile{made.value(QStringLiteral("from")).toString(), stateIn(made),
                                                     number(made, "size")});
    }
    return manifest;
}

QByteArray BuildManifest::contents() const
{
    QJsonObject sources;
    for (auto entry = thumbnails.cbegin(); entry != thumbnails.cend(); ++entry) {
        QJsonObject made{{QStringLiteral("source"), sizeArray(entry->sourceSize)},
                         {QStringLiteral("thumbnail"), sizeArray(entry->thumbnailSize)},
                         {QStringLiteral("transparent"), entry->transparent},
                         {QStringLiteral("title"), entry->facts.title},
                         {QStringLiteral("taken"), entry->facts.taken.toString(Qt::ISODate)}};
        putState(made, entry->source);
        sources.insert(entry.key(), made);
    }
    QJsonObject written;
    for (auto entry = files.cbegin(); entry != files.cend(); ++entry) {
        QJsonObject made{{QStringLiteral("from"), entry->source}, {QStringLiteral("size"), double(entry->bytes)}};
        putState(made, entry->state);
        written.insert(entry.key(), made);
    }
    QJsonObject root{{QStringLiteral("settings"), settings},
                     {QStringLiteral("copies"), copies},
                     {QStringLiteral("thumbnails"), sources},
                     {QStringLiteral("files"), written}};
    if (!albums.isEmpty())
        root.insert(QStringLiteral("albums"), QJsonArray::fromStringList(albums));
    return QJsonDocument(root).toJson();
}

const BuiltThumbnail *BuildManifest::unchanged(const QString &source, const QString &thumbnailSettings,
                                               const SourceState &now) const
{
    if (thumbnailSettings != settings)
        return nullptr;
    const auto made = thumbnails.constFind(source);
    return made == thumbnails.cend() || made->source != now ? nullptr : &*made;
}

bool BuildManifest::upToDate(const QString &key, const QString &path, const QString &source,
                             const SourceState &now) const
{
    const auto made = files.constFind(key);
    if (made == files.cend() || made->source != source || made->state != now)
        return false;
    const QFileInfo file(path);
    return file.isFile() && file.size() == made->bytes;
}

bool BuildManifest::copyUpToDate(const QString &key, const QString &path, const QString &source, const SourceState &now,
                                 const QString &copyRules) const
{
    return copyRules == copies && upToDate(key, path, source, now);
}
