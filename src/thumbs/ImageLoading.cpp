#include "thumbs/ImageLoading.h"

#include "imagebuffer/Picture.h"
#include "imagebuffer/PictureFile.h"
#include "imagebuffer/PictureLoader.h"
#include "ui/NaturalOrder.h"
#include "ui/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>

namespace {

struct Attempt {
    int code = 0;         // the code that read the file, 0 when none did
    bool claimed = false; // whether any code's signature matched
};

// Every format code in order, on a file opened and read once.
Attempt tryEveryCode(Picture &picture, const QString &path)
{
    PictureFile file(path);
    Attempt attempt;
    for (ImageFormat::Code code : ImageFormat::LoadOrder) {
        if (!file.mayBe(code))
            continue;
        attempt.claimed = true;
        if (picture.load(file, code)) {
            attempt.code = code;
            return attempt;
        }
    }
    picture.clear();
    return attempt;
}

} // namespace

int LoadImageFile(Picture &picture, const QString &path)
{
    return tryEveryCode(picture, path).code;
}

std::optional<int> LoadAnyImageFile(Picture &picture, const QString &path)
{
    const Attempt attempt = tryEveryCode(picture, path);
    if (attempt.code)
        return attempt.code;
    // The last-resort loader reads only what no format claims: a file that its own
    // format's reader refused is damaged, and another reader's guess at it would
    // show a broken picture as if it were whole.
    if (attempt.claimed)
        return std::nullopt;
    picture = Picture::fromImage(PictureLoader::Load(path));
    if (picture.isNull())
        return std::nullopt;
    return 0;
}

std::optional<QStringList> FolderFiles(const QString &directory)
{
    const QDir folder(directory);
    if (!folder.exists() || !QFileInfo(directory).isReadable())
        return std::nullopt;
    QStringList names = folder.entryList(QDir::Files | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return CompareNaturally(a, b) < 0; });
    return names;
}

QStringList UndecodableNames(const QString &directory)
{
    QStringList names;
#ifndef Q_OS_WIN  // names there are always text
    std::error_code failed;
    for (std::filesystem::directory_iterator entry(QFile::encodeName(directory).toStdString(), failed), end;
         !failed && entry != end; entry.increment(failed)) {
        const QByteArray name = QByteArray::fromStdString(entry->path().filename().native());
        std::error_code notAFolder;
        if (name.startsWith('.') || entry->is_directory(notAFolder) || QFile::encodeName(QFile::decodeName(name)) == name)
            continue;
        QString shown;
        for (const char byte : name)
            shown += byte >= 0x20 && byte < 0x7F ? QString(QLatin1Char(byte))
                                                 : QStringLiteral("\\x%1").arg(quint8(byte), 2, 16, QLatin1Char('0'));
        names << shown;
    }
#else
    Q_UNUSED(directory);
#endif
    return names;
}

bool HasPictureExtension(const QString &path)
{
    static const QStringList extensions = {QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("jpe"),
                                           QStringLiteral("bmp"), QStringLiteral("gif"),  QStringLiteral("png"),
                                           QStringLiteral("tif"), QStringLiteral("tiff"), QStringLiteral("tga"),
                                           QStringLiteral("wmf"), QStringLiteral("ico"),  QStringLiteral("pcx"),
                                           QStringLiteral("heic"), QStringLiteral("heif"), QStringLiteral("hif"),
                                           QStringLiteral("avif"), QStringLiteral("webp")};
    return extensions.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive);
}
