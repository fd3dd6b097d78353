#include "output/WebCopies.h"

#include "imagebuffer/DecodeBudget.h"
#include "imagebuffer/ImageFormat.h"
#include "imagebuffer/JpegMetadata.h"
#include "imagebuffer/Picture.h"
#include "settings/StoredSettings.h"
#include "settings/SettingsSection.h"
#include "thumbs/ImageLoading.h"
#include "ui/FileWriting.h"
#include "webpage/SiteNames.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The format a copy is written in anew, or None when it is copied as it is.
ImageFormat::Code formatOfCopy(const QString &source, const QString &destination, const WebCopyRules &rules)
{
    const QString type = QFileInfo(destination).suffix().toLower();
    if (!rules.webReady || BrowsersShow(source) || QFileInfo(source).suffix().compare(type, Qt::CaseInsensitive) == 0)
        return ImageFormat::None;
    if (type == QLatin1String("png"))
        return ImageFormat::Png;
    if (type == QLatin1String("jpg") || type == QLatin1String("jpeg"))
        return ImageFormat::Jpeg;
    return ImageFormat::None;
}

QSize withinLongEdge(QSize size, int longEdge)
{
    if (longEdge <= 0 || std::max(size.width(), size.height()) <= longEdge)
        return size;
    return size.scaled(longEdge, longEdge, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// The picture drawn anew, at most `size`, in the depth the format keeps.
std::optional<Picture> redrawn(const Picture &picture, QSize size, ImageFormat::Code format, QString &why)
{
    Picture source = picture;
    const int depth = format == ImageFormat::Png && picture.depth() == 32 ? 32 : 24;
    if (!source.convertDepth(depth)) {
        why = source.errorString().isEmpty() ? QStringLiteral("out of memory") : source.errorString();
        return std::nullopt;
    }
    if (size == source.size())
        return source;
    Picture scaled;
    if (!scaled.createBlank(depth, size, depth == 32 ? QColor(Qt::transparent) : QColor(Qt::white))
        || !scaled.copyScaled(source, Resampling::Smooth)) {
        why = QStringLiteral("out of memory");
        return std::nullopt;
    }
    return scaled;
}

QString writeAnew(const Picture &picture, QSize size, ImageFormat::Code format, const QString &destination,
                  const WebCopyRules &rules)
{
    QString why;
    const std::optional<Picture> copy = redrawn(picture, size, format, why);
    if (!copy)
        return why;
    return copy->save(destination, format, SaveOptions{rules.quality, false, true}) ? QString() : copy->errorString();
}

QString withoutMetadata(const QString &source, const QString &destination)
{
    QFile file(source);
    if (file.size() > ImageFormat::MaxFileBytes)
        return QStringLiteral("the file is too large");
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size())
        return file.errorString();
    QString why;
    const std::optional<QByteArray> kept = JpegMetadata::WithoutPhotoMetadata(bytes, why);
    return kept ? FileWriting::WriteWhole(destination, *kept) : why;
}

// What the start of a file says it is: a JPEG (one damaged after its start is refused
// rather than copied with its metadata) or a PNG, the pictures a longest edge applies to.
struct FileKind {
    bool jpeg = false, png = false;

    static FileKind Of(const QString &path)
    {
        QFile file(path);
        const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(4) : QByteArray();
        return {head.startsWith(QByteArray("\xFF\xD8", 2)), head.startsWith(QByteArray("\x89PNG", 4))};
    }
};

} // namespace

WebCopyRules WebCopyRules::Read()
{
    using namespace Settings;
    const StoredSection preferences(PreferencesSection);
    return {WebReadyImages.read(preferences), WebImageLongEdge.read(preferences),
            RemovePhotoMetadata.read(preferences), SaveImageQuality.read(preferences)};
}

QString WebCopyRules::describe() const
{
    // Plain copies are described by nothing, as builds before these settings recorded
    // them; the quality counts only for pictures written anew.
    if (!changesCopies())
        return QString();
    QString text = QStringLiteral("web ready %1 long edge %2 no metadata %3")
                       .arg(int(webReady))
                       .arg(longEdge)
                       .arg(int(removeMetadata));
    if (webReady || longEdge > 0)
        text += QStringLiteral(" quality %1").arg(quality);
    return text;
}

QString WriteWebCopy(const QString &source, const QString &destination, const WebCopyRules &rules)
{
    const QString original = FileWriting::IdentityOf(source);
    const bool itself = !original.isEmpty() && original == FileWriting::IdentityOf(destination);
    if (!rules.changesCopies())
        return itself ? QString() : FileWriting::CopyWhole(source, destination);
    try {
        const DecodeBudget::Scope decoding;
        const FileKind kind = FileKind::Of(source);
        ImageFormat::Code format = formatOfCopy(source, destination, rules);
        Picture picture;
        QSize size;
        if (format != ImageFormat::None || (rules.longEdge > 0 && (kind.jpeg || kind.png))) {
            const std::optional<int> code = LoadAnyImageFile(picture, source);
            if (!code)
                return picture.errorString().isEmpty() ? QStringLiteral("the picture cannot be read")
                                                       : picture.errorString();
            size = withinLongEdge(picture.size(), rules.longEdge);
            if (format == ImageFormat::None && size != picture.size()
                && (*code == ImageFormat::Jpeg || *code == ImageFormat::Png))
                format = ImageFormat::Code(*code);
        }
        const bool strip = format == ImageFormat::None && rules.removeMetadata && kind.jpeg;
        if (itself)
            return format == ImageFormat::None && !strip ? QString()
                                                         : QStringLiteral("the copy would replace the picture itself");
        if (format != ImageFormat::None)
            return writeAnew(picture, size, format, destination, rules);
        return strip ? withoutMetadata(source, destination) : FileWriting::CopyWhole(source, destination);
    } catch (const std::bad_alloc &) {
        return QStringLiteral("out of memory");
    }
}
