#include "webpage/HtmlGenerator.h"

#include "ui/Numbers.h"
#include "ui/Paths.h"

#include <QDir>

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString Indent = QStringLiteral("        ");

// What the page writes unescaped would break its markup or its links for names
// holding these characters; names without them come out exactly as before.

// Text inside an attribute value.
QString attribute(QString text)
{
    return text.replace(u'&', QLatin1String("&amp;"))
        .replace(u'"', QLatin1String("&quot;"))
        .replace(u'<', QLatin1String("&lt;"))
        .replace(u'>', QLatin1String("&gt;"));
}

// Text between tags.
QString content(QString text)
{
    return text.replace(u'&', QLatin1String("&amp;")).replace(u'<', QLatin1String("&lt;")).replace(u'>', QLatin1String("&gt;"));
}

// A piece of a URL: the characters a browser would take for something else are
// percent-encoded (spaces only where the page has always encoded them), then the
// whole made fit for an attribute value.
QString url(QString text, bool spaces)
{
    text.replace(u'%', QLatin1String("%25")).replace(u'#', QLatin1String("%23")).replace(u'?', QLatin1String("%3F"))
        .replace(u'"', QLatin1String("%22"));
    return attribute(spaces ? UrlSpaces(text) : text);
}

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

QString number(double value)
{
    return Numbers::PlainDecimal(value);
}

QString colour(quint32 value)
{
    return quoted(u'#' + HtmlColorHex(value));
}

// The page's head, up to the centred division the table stands in.
QString head()
{
    return QStringLiteral("<html>\r\n\r\n<head>\r\n<meta http-equiv=\"Content-Type\"\r\n"
                          "content=\"text/html; charset=iso-8859-1\">\r\n"
                          "<meta name=\"GENERATOR\" content=\"Fennmoor Software Quillmere %1.%2.0\">\r\n"
                          "<title>Quillmere Thumbnail Page</title>\r\n</head>\r\n\r\n<body>\r\n"
                          "<div align=\"center\"><center>\r\n\r\n")
        .arg(QUILLMERE_VERSION_MAJOR)
        .arg(QUILLMERE_VERSION_MINOR);
}

QString tableTag(const PageRequest &request)
{
    const PageOptions &o = request.options;
    const double border = BoxValue(o.tableBorder);
    const double spacing = BoxValue(o.cellSpacing);
    QString tag = QStringLiteral("<table border=") + quoted(number(border));
    if (spacing > 0)
        tag += QStringLiteral(" cellspacing=") + quoted(number(spacing));
    if (!o.useBackgroundImage && o.defaultBackgroundColor && border == 0)
        return tag + u'>' + CrLf;
    tag += CrLf;
    if (o.useBackgroundImage) {
        QString file = Paths::FileNameOf(QDir::toNativeSeparators(o.backgroundImageFile));
        if (request.imageNamesLower != 0)
            file = file.toLower();
        tag += QStringLiteral("background=")
               + quoted(url(request.siteImageDirectory, true) + u'/' + url(file, true)) + CrLf;
    }
    const bool background = !o.defaultBackgroundColor;
    if (background)
        tag += QStringLiteral("bgcolor=") + colour(o.tableBackgroundColor);
    if (border > 0 && !o.defaultBorderColor)
        tag += (background ? QStringLiteral(" bordercolor=") : QStringLiteral("bordercolor=")) + colour(o.tableBorderColor);
    return tag + u'>' + CrLf;
}

// The three caption lines of a thumbnail window.
struct CaptionLines {
    QString name, size, fileSize;
};

CaptionLines split(const QString &caption)
{
    const qsizetype first = caption.indexOf(CrLf);
    if (first < 0)
        return {caption, QString(), QString()};
    const qsizetype second = caption.indexOf(CrLf, first + 2);
    if (second < 0)
        return {caption.left(first), caption.mid(first + 2), QString()};
    return {caption.left(first), caption.mid(first + 2, second - first - 2), caption.mid(second + 2)};
}

QString captionBlock(const PageOptions &o, const CaptionLines &lines)
{
    QString block = Indent + QStringLiteral("<font ");
    if (!o.defaultFontColor)
        block += QStringLiteral("color=") + colour(o.tableFontColor) + u' ';
    block += QStringLiteral("size=") + quoted(number(BoxValue(o.fontSize)));
    if (!o.useDefaultFont && !o.nonDefaultFont.isEmpty())
        block += QStringLiteral(" face=") + quoted(attribute(o.nonDefaultFont));
    block += u'>';
    if (o.fontBold)
        block += QStringLiteral("<strong>");
    if (o.displayFileName)
        block += content(lines.name) + QStringLiteral("<br>") + CrLf;
    if (o.displayImageSize)
        block += (o.displayFileName ? Indent : QString()) + content(lines.size) + QStringLiteral("<br>") + CrLf;
    if (o.displayFileSize)
        block += (o.displayFileName || o.displayImageSize ? Indent : QString()) + content(lines.fileSize);
    if (o.fontBold)
        block += QStringLiteral("</strong>");
    return block + QStringLiteral("</font></p>") + CrLf;
}

QString cell(const PageRequest &request, const PageThumb &thumb)
{
    const PageOptions &o = request.options;
    const ThumbPageValues &v = thumb.values;
    CaptionLines lines = split(thumb.caption);
    QString thumbName = Paths::SavedThumbnailName(request.prefix, lines.name, request.savedExtension);
    if (request.thumbNamesLower == 1) {
        thumbName = thumbName.toLower();
        lines.name = lines.name.toLower();
    }
    QString text = QStringLiteral("<p align=\"center\">") + CrLf;
    if (!v.Link.isEmpty()) {
        text += Indent + QStringLiteral("<a href=")
                + quoted(url(request.siteImageDirectory + u'/' + Paths::FileNameOf(QDir::toNativeSeparators(v.Link)), true));
        if (!v.Target.isEmpty())
            text += QStringLiteral(" target=") + quoted(attribute(v.Target));
        text += QStringLiteral("><img") + CrLf;
    } else {
        text += QStringLiteral("<img") + CrLf;
    }
    text += Indent + QStringLiteral("src=") + quoted(url(request.siteThumbnailDirectory, true) + u'/' + url(thumbName, false))
            + CrLf;
    text += Indent + QStringLiteral("alt=") + quoted(attribute(v.Caption));
    if (BoxValue(o.cellImageBorder) > 0)
        text += QStringLiteral(" border=") + quoted(QString::number(v.Border));
    if (BoxValue(o.horizontalSpacing) > 0)
        text += QStringLiteral(" hspace=") + quoted(QString::number(v.HSpace));
    if (BoxValue(o.verticalSpacing) > 0)
        text += QStringLiteral(" vspace=") + quoted(QString::number(v.VSpace));
    text += CrLf + Indent + QStringLiteral("width=") + quoted(QString::number(qint16(thumb.width)))
            + QStringLiteral(" height=") + quoted(QString::number(qint16(thumb.height))) + u'>'
            + (v.Link.isEmpty() ? QString() : QStringLiteral("</a>")) + QStringLiteral("<br>") + CrLf;
    if (!o.displayFileName && !o.displayImageSize && !o.displayFileSize)
        return text + Indent + QStringLiteral("</p>") + CrLf + Indent + QStringLiteral("</td>") + CrLf;
    return text + captionBlock(o, lines) + Indent + QStringLiteral("</td>") + CrLf;
}

} // namespace

QString UrlSpaces(const QString &text)
{
    QString escaped = text;
    return escaped.replace(u' ', QLatin1String("%20"));
}

QString HtmlColorHex(quint32 colour)
{
    const auto component = [](quint32 value) { return QString::number(value & 0xFF, 16).toUpper().rightJustified(2, u'0'); };
    return component(colour) + component(colour >> 8) + component(colour >> 16);
}

QString GenerateHtml(const PageRequest &request)
{
    const PageOptions &o = request.options;
    QString page;
    page.reserve(512 + 400 * request.thumbs.size());
    if (o.includePageCode)
        page += head();
    page += tableTag(request);
    const qint32 rows = Numbers::RoundHalfEven(BoxValue(o.tableRows));
    const qint32 columns = Numbers::RoundHalfEven(BoxValue(o.tableColumns));
    qint64 k = 0;
    for (qint32 row = 0; row < rows; ++row) {
        page += QStringLiteral("    <tr>") + CrLf;
        for (qint32 column = 0; column < columns; ++column) {
            page += Indent + QStringLiteral("<td>");
            if (k < request.thumbs.size())
                page += cell(request, request.thumbs[k]);
            else
                page += QStringLiteral("&nbsp;</td>") + CrLf;
            ++k;
        }
        page += QStringLiteral("    </tr>") + CrLf;
    }
    page += QStringLiteral("</table>") + CrLf;
    if (o.includePageCode)
        page += QStringLiteral("</center></div>\r\n</body>\r\n</html>\r\n");
    return page;
}
