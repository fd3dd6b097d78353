#include "output/BuildManifest.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

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

} // namespace

bool BuiltThumbnail::operator==(const BuiltThumbnail &other) const
{
    return sourceBytes == other.sourceBytes && sourceModified == other.sourceModified
           && sourceSize == other.sourceSize && thumbnailSize == other.thumbnailSize;
}

BuildManifest BuildManifest::Read(const QString &path)
{
    BuildManifest manifest;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return manifest;
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    manifest.settings = root.value(QStringLiteral("settings")).toString();
    const QJsonObject sources = root.value(QStringLiteral("thumbnails")).toObject();
    for (auto entry = sources.begin(); entry != sources.end(); ++entry) {
        const QJsonObject made = entry.value().toObject();
        manifest.thumbnails.insert(
            entry.key(), BuiltThumbnail{qint64(made.value(QStringLiteral("bytes")).toDouble()),
                                        qint64(made.value(QStringLiteral("modified")).toDouble()),
                                        sizeOf(made.value(QStringLiteral("source"))),
                                        sizeOf(made.value(QStringLiteral("thumbnail")))});
    }
    return manifest;
}

bool BuildManifest::write(const QString &path) const
{
    QJsonObject sources;
    for (auto entry = thumbnails.cbegin(); entry != thumbnails.cend(); ++entry)
        sources.insert(entry.key(), QJsonObject{{QStringLiteral("bytes"), double(entry->sourceBytes)},
                                                {QStringLiteral("modified"), double(entry->sourceModified)},
                                                {QStringLiteral("source"), sizeArray(entry->sourceSize)},
                                                {QStringLiteral("thumbnail"), sizeArray(entry->thumbnailSize)}});
    const QJsonObject root{{QStringLiteral("settings"), settings}, {QStringLiteral("thumbnails"), sources}};
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(root).toJson()) >= 0 && file.commit();
}

const BuiltThumbnail *BuildManifest::unchanged(const QString &source, const QString &thumbnailSettings, qint64 bytes,
                                               qint64 modified) const
{
    if (thumbnailSettings != settings)
        return nullptr;
    const auto made = thumbnails.constFind(source);
    if (made == thumbnails.cend() || made->sourceBytes != bytes || made->sourceModified != modified)
        return nullptr;
    return &*made;
}
