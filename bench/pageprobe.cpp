// Reads one page description as JSON and writes exactly the page text GenerateHtml
// makes of it to standard output (UTF-8, CR LF as generated). The keys are listed in
// bench/README.md; the options go through the same model the Generate dialog uses.

#include "webpage/HtmlGenerator.h"
#include "webpage/PageModel.h"
#include "ui/Numbers.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <cstdio>

namespace {

// A JSON value as the text typed into a box: strings as they are, numbers in
// plain decimal.
QString typed(const QJsonValue &value)
{
    return value.isDouble() ? Numbers::PlainDecimal(value.toDouble()) : value.toString();
}

PageRequest requestOf(const QJsonObject &json)
{
    PageRequest page;
    page.prefix = json.value(QStringLiteral("prefix")).toString(page.prefix);
    page.savedExtension = json.value(QStringLiteral("ext")).toString(page.savedExtension);
    page.imageNamesLower = json.value(QStringLiteral("image_lower")).toInt();
    page.thumbNamesLower = json.value(QStringLiteral("thumb_lower")).toInt();
    page.siteImageDirectory = json.value(QStringLiteral("site_images")).toString(page.siteImageDirectory);
    page.siteThumbnailDirectory = json.value(QStringLiteral("site_thumbs")).toString(page.siteThumbnailDirectory);
    const QJsonObject options = json.value(QStringLiteral("opts")).toObject();
    for (auto it = options.begin(); it != options.end(); ++it)
        if (!page.options.set(it.key(), typed(it.value())))
            QTextStream(stderr) << "pageprobe: unknown option " << it.key() << '\n';
    for (const QJsonValue &entry : json.value(QStringLiteral("thumbs")).toArray()) {
        const QJsonObject thumb = entry.toObject();
        ThumbPageValues values;
        values.Link = thumb.value(QStringLiteral("Link")).toString();
        values.SourcePath = thumb.value(QStringLiteral("SourcePath")).toString();
        values.Target = thumb.value(QStringLiteral("Target")).toString();
        values.Caption = thumb.value(QStringLiteral("Caption")).toString();
        values.Border = RecordNumber(typed(thumb.value(QStringLiteral("Border"))));
        values.HSpace = RecordNumber(typed(thumb.value(QStringLiteral("HSpace"))));
        values.VSpace = RecordNumber(typed(thumb.value(QStringLiteral("VSpace"))));
        page.thumbs << PageThumb{thumb.value(QStringLiteral("caption")).toString(),
                                 thumb.value(QStringLiteral("width")).toInt(),
                                 thumb.value(QStringLiteral("height")).toInt(), values,
                                 PictureFacts{thumb.value(QStringLiteral("title")).toString(),
                                              QDateTime::fromString(thumb.value(QStringLiteral("taken")).toString(),
                                                                    Qt::ISODate)}};
    }
    return page;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: pageprobe FILE.json\n";
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        QTextStream(stderr) << "pageprobe: " << file.errorString() << '\n';
        return 2;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (!document.isObject()) {
        QTextStream(stderr) << "pageprobe: " << error.errorString() << '\n';
        return 2;
    }
    const QByteArray page = GenerateHtml(requestOf(document.object())).toUtf8();
    return std::fwrite(page.constData(), 1, size_t(page.size()), stdout) == size_t(page.size()) ? 0 : 1;
}
