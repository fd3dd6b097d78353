#include "webpage/HtmlGenerator.h"

#include "ui/Numbers.h"
#include "webpage/SiteNames.h"

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

// A piece of a URL: the characters a browser would take for something else (an
// escape, a fragment, a query, a separator) or drop (control characters) are
// percent-encoded, spaces only where the page has always encoded them; then the
// whole is made fit for an attribute value.
QString url(const QString &text, bool spaces)
{
    QString encoded;
    encoded.reserve(text.size());
    for (const QChar character : text) {
        const char16_t code = character.unicode();
        const bool unsafe = code < 0x20 || (code >= 0x7F && code < 0xA0) || character == u'%' || character == u'#'
                            || character == u'?' || character == u'"' || character == u'\\'
                            || (spaces && character == u' ');
        if (!unsafe) {
            encoded += character;
            continue;
        }
        for (const char byte : QString(character).toUtf8())
            encoded += QStringLiteral("%%1").arg(quint8(byte), 2, 16, QLatin1Char('0')).toUpper();
    }
    return attribute(encoded);
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

QString tableTag(const PageRequest &request, const SiteNames &names)
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
    if (o.useBackgroundImage)
        tag += QStringLiteral("background=")
               + quoted(url(request.siteImageDirectory, true) + u'/' + url(names.background(), true)) + CrLf;
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

QString cell(const PageRequest &request, const PageThumb &thumb, const SiteNames &names, int position)
{
    const PageOptions &o = request.options;
    const ThumbPageValues &v = thumb.values;
    CaptionLines lines = split(thumb.caption);
    if (request.thumbNamesLower == 1)
        lines.name = lines.name.toLower();
    QString text = QStringLiteral("<p align=\"center\">") + CrLf;
    if (!v.Link.isEmpty()) {
        text += Indent + QStringLiteral("<a href=")
                + quoted(url(request.siteImageDirectory + u'/' + names.copy(position), true));
        if (!v.Target.isEmpty())
            text += QStringLiteral(" target=") + quoted(attribute(v.Target));
        text += QStringLiteral("><img") + CrLf;
    } else {
        text += QStringLiteral("<img") + CrLf;
    }
    text += Indent + QStringLiteral("src=")
            + quoted(url(request.siteThumbnailDirectory, true) + u'/' + url(names.thumbnail(position), false))
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

QString HtmlColorHex(quint32 colour)
{
    const auto component = [](quint32 value) { return QString::number(value & 0xFF, 16).toUpper().rightJustified(2, u'0'); };
    return component(colour) + component(colour >> 8) + component(colour >> 16);
}

QString GenerateHtml(const PageRequest &request)
{
    const PageOptions &o = request.options;
    const SiteNames names = SiteNamesOf(request);
    QString page;
    page.reserve(512 + 400 * request.thumbs.size());
    if (o.includePageCode)
        page += head();
    page += tableTag(request, names);
    const qint32 rows = Numbers::RoundHalfEven(BoxValue(o.tableRows));
    const qint32 columns = Numbers::RoundHalfEven(BoxValue(o.tableColumns));
    qint64 k = 0;
    for (qint32 row = 0; row < rows; ++row) {
        page += QStringLiteral("    <tr>") + CrLf;
        for (qint32 column = 0; column < columns; ++column) {
            page += Indent + QStringLiteral("<td>");
            if (k < request.thumbs.size())
                page += cell(request, request.thumbs[k], names, int(k));
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
