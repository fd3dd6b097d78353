#include "imagebuffer/PictureFacts.h"

#include "imagebuffer/ByteReader.h"
#include "imagebuffer/ImageReaders.h"

#include <QFile>
#include <QtEndian>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <algorithm>
#include <initializer_list>

namespace PictureFactsReader {
namespace {

constexpr qint64 LargestBlock = 16 * 1024 * 1024;  // no metadata block is read past this
constexpr qint64 LargestTiff = 64 * 1024 * 1024;   // a TIFF is read whole to follow its offsets

// Text whose encoding is not stated: UTF-8 when it is valid UTF-8, else Latin-1.
QString textOf(QByteArray bytes)
{
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return (utf8.hasError() ? QString::fromLatin1(bytes) : text).trimmed();
}

QString firstWorthShowing(std::initializer_list<QString> candidates)
{
    for (const QString &text : candidates)
        if (!IsCameraFiller(text))
            return text.simplified();
    return QString();
}

// At most `length` bytes from where the file is: never more than it holds, so that a
// length a damaged file claims asks for no memory the file cannot fill.
QByteArray readUpTo(QFile &file, qint64 length)
{
    return file.read(std::clamp<qint64>(length, 0, file.bytesAvailable()));
}

quint32 bigEndian(const QByteArray &bytes, qsizetype at, int size)
{
    return ByteReader::numberAt(bytes, at, size, true);
}

// A TIFF structure (an EXIF block or a TIFF file) read through offsets that are
// checked against its size.
class TiffView {
public:
    explicit TiffView(const QByteArray &bytes) : bytes(bytes), big(bytes.startsWith("MM")) {}

    bool valid() const { return bytes.startsWith(QByteArrayLiteral("MM\0*")) || bytes.startsWith(QByteArrayLiteral("II*\0")); }
    quint32 number(qsizetype at, int size) const { return ByteReader::numberAt(bytes, at, size, big); }
    quint32 firstDirectory() const { return number(4, 4); }

    // The value bytes of each entry of the directory at `offset`, by tag.
    template <typename Visit>
    void entries(quint32 offset, Visit visit) const
    {
        const quint32 count = number(offset, 2);
        for (quint32 i = 0; i < count && qsizetype(offset) + 2 + 12 * (i + 1) <= bytes.size(); ++i) {
            const qsizetype entry = qsizetype(offset) + 2 + 12 * i;
            static const int typeSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
            const quint32 type = number(entry + 2, 2);
            const quint64 length = quint64(type < 13 ? typeSizes[type] : 0) * number(entry + 4, 4);
            const qsizetype at = length <= 4 ? entry + 8 : qsizetype(number(entry + 8, 4));
            if (length > 0 && quint64(at) + length <= quint64(bytes.size()))
                visit(number(entry, 2), bytes.mid(at, qsizetype(length)), number(entry + 8, 4));
        }
    }

private:
    const QByteArray &bytes;
    bool big;
};

QDateTime dateOf(const QByteArray &value)
{
    return QDateTime::fromString(QString::fromLatin1(value.left(19)), QStringLiteral("yyyy:MM:dd HH:mm:ss"));
}

// The text of a dc:title or dc:description: its default language, else its first.
QString alternativeText(QXmlStreamReader &xml)
{
    QString first, preferred;
    const auto end = xml.name().toString();
    while (!xml.atEnd() && !(xml.readNext() == QXmlStreamReader::EndElement && xml.name() == end)) {
        if (!xml.isStartElement() || xml.name() != QLatin1String("li"))
            continue;
        const bool isDefault = xml.attributes().value(QLatin1String("xml:lang")) == QLatin1String("x-default");
        const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        if (first.isEmpty())
            first = text;
        if (isDefault && preferred.isEmpty())
            preferred = text;
    }
    return preferred.isEmpty() ? first : preferred;
}

// The JPEG's application segments that carry facts.
struct JpegBlocks {
    QByteArray exif, xmp, photoshop;
};

JpegBlocks jpegBlocks(QFile &file)
{
    JpegBlocks blocks;
    file.seek(2);
    for (;;) {
        const QByteArray head = file.read(4);
        if (head.size() < 4 || quint8(head[0]) != 0xFF)
            return blocks;
        const quint8 marker = quint8(head[1]);
        if (marker == 0xDA || marker == 0xD9)
            return blocks;
        if (marker == 0xFF) {  // fill byte
            file.seek(file.pos() - 3);
            continue;
        }
        const qint64 length = qint64(bigEndian(head, 2, 2)) - 2;
        if (length < 0)
            return blocks;
        if (marker != 0xE1 && marker != 0xED) {
            file.seek(file.pos() + length);
            continue;
        }
        const QByteArray payload = readUpTo(file, length);
        if (payload.startsWith(QByteArrayLiteral("Exif\0\0")) && blocks.exif.isEmpty())
            blocks.exif = payload.mid(6);
        else if (payload.startsWith(QByteArrayLiteral("http://ns.adobe.com/xap/1.0/\0")) && blocks.xmp.isEmpty())
            blocks.xmp = payload.mid(29);
        else if (payload.startsWith(QByteArrayLiteral("Photoshop 3.0\0")))
            blocks.photoshop += payload.mid(14);
    }
}

PictureFacts jpegFacts(QFile &file)
{
    const JpegBlocks blocks = jpegBlocks(file);
    PictureFacts facts = FromExif(blocks.exif);
    facts.title = firstWorthShowing({TitleFromXmp(blocks.xmp), CaptionFromPhotoshop(blocks.photoshop), facts.title});
    return facts;
}

PictureFacts pngFacts(QFile &file)
{
    QByteArray exif;
    QString xmpTitle, textTitle, textDescription;
    file.seek(8);
    for (;;) {
        const QByteArray head = file.read(8);
        if (head.size() < 8 || head.mid(4) == "IEND")
            break;
        const qint64 length = bigEndian(head, 0, 4);
        const QByteArray type = head.mid(4);
        if (length > LargestBlock || (type != "eXIf" && type != "iTXt" && type != "tEXt")) {
            if (!file.seek(file.pos() + length + 4))
                break;
            continue;
        }
        const QByteArray data = readUpTo(file, length);
        file.seek(file.pos() + 4);
        const QByteArray keyword = data.left(data.indexOf('\0'));
        QString *text = keyword == "Title" ? &textTitle : keyword == "Description" ? &textDescription : nullptr;
        if (type == "eXIf") {
            exif = data;
        } else if (type == "tEXt") {
            if (text)
                *text = QString::fromLatin1(data.mid(keyword.size() + 1));
        } else if (data.mid(keyword.size() + 1, 1) == QByteArrayLiteral("\0")) {  // uncompressed international text
            // keyword, 0, compression flag and method, language, 0, translated keyword, 0, text
            qsizetype at = data.indexOf('\0', keyword.size() + 3);
            at = at < 0 ? -1 : data.indexOf('\0', at + 1);
            const QByteArray value = at < 0 ? QByteArray() : data.mid(at + 1);
            if (keyword == "XML:com.adobe.xmp")
                xmpTitle = TitleFromXmp(value);
            else if (text)
                *text = QString::fromUtf8(value);
        }
    }
    PictureFacts facts = FromExif(exif);
    facts.title = firstWorthShowing({xmpTitle, textTitle, textDescription, facts.title});
    return facts;
}

PictureFacts webpFacts(QFile &file)
{
    QByteArray exif, xmp;
    file.seek(12);
    for (;;) {
        const QByteArray head = file.read(8);
        if (head.size() < 8)
            break;
        const qint64 length = qFromLittleEndian<quint32>(head.constData() + 4);
        const qint64 padded = length + (length & 1);
        const QByteArray type = head.left(4);
        if (length > LargestBlock || (type != "EXIF" && type != "XMP ")) {
            if (!file.seek(file.pos() + padded))
                break;
            continue;
        }
        (type == "EXIF" ? exif : xmp) = readUpTo(file, length);
        file.seek(file.pos() + padded - length);
    }
    if (exif.startsWith(QByteArrayLiteral("Exif\0\0")))
        exif.remove(0, 6);
    PictureFacts facts = FromExif(exif);
    facts.title = firstWorthShowing({TitleFromXmp(xmp), facts.title});
    return facts;
}

PictureFacts heifFacts(const QString &path)
{
    const ImageReaders::HeifMetadata metadata = ImageReaders::ReadHeifMetadata(path);
    // The EXIF block starts with the offset of its TIFF header.
    const QByteArray exif = metadata.exif.mid(4 + qsizetype(bigEndian(metadata.exif, 0, 4)));
    PictureFacts facts = FromExif(exif);
    facts.title = firstWorthShowing({TitleFromXmp(metadata.xmp), facts.title});
    return facts;
}

} // namespace

bool IsCameraFiller(const QString &text)
{
    static const QRegularExpression filler(
        QStringLiteral("^(?:[\\w-]+ ){0,3}(?:digital )?(?:still )?(?:camera|dsc|csc|digicam)$"),
        QRegularExpression::CaseInsensitiveOption);
    const QString simple = QString(text).remove(QChar(0)).simplified();
    return simple.isEmpty() || filler.match(simple).hasMatch();
}

PictureFacts FromExif(const QByteArray &tiff)
{
    PictureFacts facts;
    const TiffView view(tiff);
    if (!view.valid())
        return facts;
    QString description, iptcCaption, xmpTitle;
    quint32 exifDirectory = 0;
    view.entries(view.firstDirectory(), [&](quint32 tag, const QByteArray &value, quint32 offset) {
        if (tag == 0x010E)
            description = textOf(value);
        else if (tag == 0x02BC)
            xmpTitle = TitleFromXmp(value);
        else if (tag == 0x83BB)
            iptcCaption = CaptionFromIptc(value);
        else if (tag == 0x8769)
            exifDirectory = offset;
    });
    if (exifDirectory)
        view.entries(exifDirectory, [&facts](quint32 tag, const QByteArray &value, quint32) {
            if (tag == 0x9003)
                facts.taken = dateOf(value);
        });
    facts.title = firstWorthShowing({xmpTitle, iptcCaption, description});
    return facts;
}

QString TitleFromXmp(const QByteArray &xmp)
{
    if (xmp.isEmpty())
        return QString();
    QXmlStreamReader xml(xmp);
    QString title, description;
    const QLatin1String dublinCore("http://purl.org/dc/elements/1.1/");
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.namespaceUri() != dublinCore)
            continue;
        if (xml.name() == QLatin1String("title") && title.isEmpty())
            title = alternativeText(xml);
        else if (xml.name() == QLatin1String("description") && description.isEmpty())
            description = alternativeText(xml);
    }
    return firstWorthShowing({title, description});
}

QString CaptionFromIptc(const QByteArray &iptc)
{
    bool utf8 = false;
    QByteArray caption;
    for (qsizetype at = 0; at + 5 <= iptc.size() && iptc[at] == 0x1C;) {
        const int record = quint8(iptc[at + 1]), dataset = quint8(iptc[at + 2]);
        qint64 length = bigEndian(iptc, at + 3, 2);
        at += 5;
        if (length & 0x8000) {  // an extended length, in the bytes that follow
            const int bytes = int(length & 0x7FFF);
            if (bytes > 4)
                break;
            length = bigEndian(iptc, at, bytes);
            at += bytes;
        }
        const QByteArray value = iptc.mid(at, qsizetype(length));
        if (record == 1 && dataset == 90)
            utf8 = value == QByteArrayLiteral("\x1B%G");
        else if (record == 2 && dataset == 120)
            caption = value;
        at += qsizetype(length);
    }
    return utf8 ? QString::fromUtf8(caption).trimmed() : textOf(caption);
}

QString CaptionFromPhotoshop(const QByteArray &resources)
{
    for (qsizetype at = 0; at + 12 <= resources.size() && resources.mid(at, 4) == "8BIM";) {
        const quint32 id = bigEndian(resources, at + 4, 2);
        const qsizetype nameLength = quint8(resources[at + 6]);
        at += 6 + ((nameLength + 2) & ~qsizetype(1));  // the name, with its length, padded to even
        const qint64 size = bigEndian(resources, at, 4);
        at += 4;
        if (id == 0x0404)
            return CaptionFromIptc(resources.mid(at, qsizetype(size)));
        at += qsizetype(size + (size & 1));
    }
    return QString();
}

PictureFacts Read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.peek(16);
    if (head.startsWith("\xFF\xD8"))
        return jpegFacts(file);
    if (head.startsWith("\x89PNG\r\n\x1A\n"))
        return pngFacts(file);
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return webpFacts(file);
    if ((head.startsWith(QByteArrayLiteral("MM\0*")) || head.startsWith(QByteArrayLiteral("II*\0")))
        && file.size() <= LargestTiff)
        return FromExif(file.readAll());
    if (ImageReaders::SniffHeif(head))
        return heifFacts(path);
    return {};
}

} // namespace PictureFactsReader
