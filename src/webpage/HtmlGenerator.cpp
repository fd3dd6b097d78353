#include "webpage/HtmlGenerator.h"

#include "ui/Numbers.h"
#include "webpage/HtmlText.h"
#include "webpage/ModernPage.h"
#include "webpage/SiteNames.h"

namespace {

using HtmlText::CrLf;
const QString Indent = QStringLiteral("        ");

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
QString head(const QString &title)
{
    return QStringLiteral("<html>\r\n\r\n<head>\r\n<meta http-equiv=\"Content-Type\"\r\n"
                          "content=\"text/html; charset=iso-8859-1\">\r\n"
                          "<meta name=\"GENERATOR\" content=\"Fennmoor Software Quillmere %1.%2.0\">\r\n"
                          "<title>%3</title>\r\n</head>\r\n\r\n<body>\r\n"
                          "<div align=\"center\"><center>\r\n\r\n")
        .arg(QUILLMERE_VERSION_MAJOR)
        .arg(QUILLMERE_VERSION_MINOR)
        .arg(HtmlText::Content(title));
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
               + quoted(HtmlText::Url(request.siteImageDirectory, true) + u'/' + HtmlText::Url(names.background(), true)) + CrLf;
    const bool background = !o.defaultBackgroundColor;
    if (background)
        tag += QStringLiteral("bgcolor=") + colour(o.tableBackgroundColor);
    if (border > 0 && !o.defaultBorderColor)
        tag += (background ? QStringLiteral(" bordercolor=") : QStringLiteral("bordercolor=")) + colour(o.tableBorderColor);
    return tag + u'>' + CrLf;
}

QString captionBlock(const PageOptions &o, const HtmlText::CaptionLines &lines)
{
    QString block = Indent + QStringLiteral("<font ");
    if (!o.defaultFontColor)
        block += QStringLiteral("color=") + colour(o.tableFontColor) + u' ';
    block += QStringLiteral("size=") + quoted(number(BoxValue(o.fontSize)));
    if (!o.useDefaultFont && !o.nonDefaultFont.isEmpty())
        block += QStringLiteral(" face=") + quoted(HtmlText::Attribute(o.nonDefaultFont));
    block += u'>';
    if (o.fontBold)
        block += QStringLiteral("<strong>");
    if (o.displayFileName)
        block += HtmlText::Content(lines.name) + QStringLiteral("<br>") + CrLf;
    if (o.displayImageSize)
        block += (o.displayFileName ? Indent : QString()) + HtmlText::Content(lines.size) + QStringLiteral("<br>") + CrLf;
    if (o.displayFileSize)
        block += (o.displayFileName || o.displayImageSize ? Indent : QString()) + HtmlText::Content(lines.fileSize);
    if (o.fontBold)
        block += QStringLiteral("</strong>");
    return block + QStringLiteral("</font></p>") + CrLf;
}

QString cell(const PageRequest &request, const PageThumb &thumb, const SiteNames &names, int position)
{
    const PageOptions &o = request.options;
    const ThumbPageValues &v = thumb.values;
    HtmlText::CaptionLines lines = HtmlText::SplitCaption(thumb.caption);
    if (request.thumbNamesLower == 1)
        lines.name = lines.name.toLower();
    QString text = QStringLiteral("<p align=\"center\">") + CrLf;
    if (!v.Link.isEmpty()) {
        text += Indent + QStringLiteral("<a href=")
                + quoted(HtmlText::Url(request.siteImageDirectory + u'/' + names.copy(position), true));
        if (!v.Target.isEmpty())
            text += QStringLiteral(" target=") + quoted(HtmlText::Attribute(v.Target));
        text += QStringLiteral("><img") + CrLf;
    } else {
        text += QStringLiteral("<img") + CrLf;
    }
    text += Indent + QStringLiteral("src=")
            + quoted(HtmlText::Url(request.siteThumbnailDirectory, true) + u'/' + HtmlText::Url(names.thumbnail(position), false))
            + CrLf;
    text += Indent + QStringLiteral("alt=") + quoted(HtmlText::Attribute(v.Caption));
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

// A sub-album's cell: its cover linking to its page, its folder's name as caption.
QString albumCell(const PageOptions &o, const AlbumCard &album)
{
    const QString link = quoted(HtmlText::Url(album.page, true));
    QString text = QStringLiteral("<p align=\"center\">") + CrLf + Indent + QStringLiteral("<a href=") + link;
    if (album.cover.isEmpty())
        return text + u'>' + HtmlText::Content(album.name) + QStringLiteral("</a></p>") + CrLf + Indent
               + QStringLiteral("</td>") + CrLf;
    text += QStringLiteral("><img") + CrLf + Indent + QStringLiteral("src=") + quoted(HtmlText::Url(album.cover, true)) + CrLf;
    text += Indent + QStringLiteral("alt=") + quoted(HtmlText::Attribute(album.name)) + QStringLiteral(" border=\"0\"") + CrLf;
    text += Indent + QStringLiteral("width=") + quoted(QString::number(album.coverSize.width())) + QStringLiteral(" height=")
            + quoted(QString::number(album.coverSize.height())) + QStringLiteral("></a><br>") + CrLf;
    PageOptions nameOnly = o;
    nameOnly.displayFileName = true;
    nameOnly.displayImageSize = nameOnly.displayFileSize = false;
    return text + captionBlock(nameOnly, {album.name, QString(), QString()}) + Indent + QStringLiteral("</td>") + CrLf;
}

// The albums above, each linking to its page, over the table.
QString trail(const PageRequest &request)
{
    if (request.trail.isEmpty())
        return QString();
    QStringList steps;
    for (const TrailStep &step : request.trail)
        steps << QStringLiteral("<a href=%1>%2</a>").arg(quoted(HtmlText::Url(step.page, true)), HtmlText::Content(step.title));
    return QStringLiteral("<p>") + steps.join(QStringLiteral(" &gt; ")) + QStringLiteral("</p>") + CrLf + CrLf;
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
    if (o.modernStyle)
        return ModernPageHtml(request, names);
    QString page;
    page.reserve(512 + 400 * request.thumbs.size());
    if (o.includePageCode)
        page += head(o.pageTitle);
    page += trail(request) + tableTag(request, names);
    const qint32 rows = Numbers::RoundHalfEven(BoxValue(o.tableRows));
    const qint32 columns = Numbers::RoundHalfEven(BoxValue(o.tableColumns));
    // The albums' cells come first, then the thumbnails'.
    const qint64 albums = request.albums.size();
    qint64 k = 0;
    for (qint32 row = 0; row < rows; ++row) {
        page += QStringLiteral("    <tr>") + CrLf;
        for (qint32 column = 0; column < columns; ++column) {
            page += Indent + QStringLiteral("<td>");
            if (k < albums)
                page += albumCell(o, request.albums[k]);
            else if (k - albums < request.thumbs.size())
                page += cell(request, request.thumbs[k - albums], names, int(k - albums));
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
