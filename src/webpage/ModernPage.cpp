#include "webpage/ModernPage.h"

#include "ui/Numbers.h"
#include "webpage/HtmlText.h"
#include "webpage/SiteNames.h"

#include <algorithm>

namespace {

using HtmlText::CrLf;

int whole(const QString &box)
{
    return std::max(0, Numbers::RoundHalfEven(BoxValue(box)));
}

QString px(int value)
{
    return QString::number(value) + QStringLiteral("px");
}

QString cssColour(quint32 colour)
{
    return u'#' + HtmlColorHex(colour);
}

// The HTML font sizes 1 to 7 as the CSS keywords browsers draw them with.
QString cssFontSize(const QString &fontSize)
{
    static const char *const keywords[] = {"x-small", "small", "medium", "large", "x-large", "xx-large", "xxx-large"};
    const int size = std::clamp(Numbers::RoundHalfEven(BoxValue(fontSize)), 1, 7);
    return QString::fromLatin1(keywords[size - 1]);
}

// A font name inside a CSS string in a style element.
QString cssString(QString text)
{
    text.remove(u'<').remove(u'>').remove(u'\n').remove(u'\r');
    return u'"' + text.replace(u'\\', QLatin1String("\\\\")).replace(u'"', QLatin1String("\\\"")) + u'"';
}

// How wide the widest thumbnail is with its border and spacing.
int widestThumbnail(const PageRequest &request)
{
    const PageOptions &o = request.options;
    int widest = 1;
    for (const PageThumb &thumb : request.thumbs) {
        const int border = BoxValue(o.cellImageBorder) > 0 ? std::max<int>(0, thumb.values.Border) : 0;
        const int space = BoxValue(o.horizontalSpacing) > 0 ? std::max<int>(0, thumb.values.HSpace) : 0;
        widest = std::max(widest, thumb.width + 2 * (border + space));
    }
    return widest;
}

QString style(const PageRequest &request, const SiteNames &names)
{
    const PageOptions &o = request.options;
    const int columns = std::max(1, Numbers::RoundHalfEven(BoxValue(o.tableColumns)));
    const int gap = whole(o.cellSpacing);
    const int padding = whole(o.cellPadding);
    const int border = whole(o.tableBorder);
    const int cellBorder = border > 0 ? 1 : 0;
    const int cell = widestThumbnail(request) + 2 * (padding + cellBorder);
    const QString borderColour = o.defaultBorderColor ? QStringLiteral("gray") : cssColour(o.tableBorderColor);

    // A cell is as wide as its thumbnail, and wide enough for a caption's file name;
    // the page's width allows the chosen number of them.
    const QString column = QStringLiteral("max(%1,7em)").arg(px(cell));
    QString gallery = QStringLiteral("display:grid;grid-template-columns:repeat(auto-fill,minmax(min(%1,100%),1fr));"
                                     "gap:%2;max-width:calc(%3*%1 + %4);margin:0 auto;box-sizing:border-box")
                          .arg(column, px(gap), QString::number(columns), px((columns - 1) * gap + 2 * border));
    if (border > 0)
        gallery += QStringLiteral(";border:%1 solid %2").arg(px(border), borderColour);
    if (!o.defaultBackgroundColor)
        gallery += QStringLiteral(";background-color:") + cssColour(o.tableBackgroundColor);
    if (o.useBackgroundImage && !names.background().isEmpty())
        gallery += QStringLiteral(";background-image:url(\"%1/%2\")")
                       .arg(HtmlText::CssUrl(request.siteImageDirectory), HtmlText::CssUrl(names.background()));
    QString figure = QStringLiteral("margin:0;padding:%1;text-align:center;min-width:0;box-sizing:border-box").arg(px(padding));
    if (cellBorder)
        figure += QStringLiteral(";border:1px solid ") + borderColour;
    QString caption = QStringLiteral("margin-top:.25em;overflow-wrap:anywhere;font-size:") + cssFontSize(o.fontSize);
    if (!o.defaultFontColor)
        caption += QStringLiteral(";color:") + cssColour(o.tableFontColor);
    if (!o.useDefaultFont && !o.nonDefaultFont.isEmpty())
        caption += QStringLiteral(";font-family:") + cssString(o.nonDefaultFont) + QStringLiteral(",sans-serif");
    if (o.fontBold)
        caption += QStringLiteral(";font-weight:bold");

    QString css = QStringLiteral("<style>") + CrLf;
    css += QStringLiteral("body{margin:0;padding:8px}") + CrLf;
    css += QStringLiteral(".gallery{") + gallery + u'}' + CrLf;
    css += QStringLiteral(".gallery figure{") + figure + u'}' + CrLf;
    css += QStringLiteral(".gallery img{max-width:100%;height:auto;vertical-align:middle;box-sizing:content-box}") + CrLf;
    css += QStringLiteral(".gallery figcaption{") + caption + u'}' + CrLf;
    if (o.pictureViewer)
        css += QStringLiteral(
                   ".viewer{position:fixed;inset:0;z-index:1;display:flex;align-items:center;justify-content:center;"
                   "background:rgba(0,0,0,.88)}\r\n"
                   ".viewer[hidden]{display:none}\r\n"
                   ".viewer:focus{outline:none}\r\n"
                   ".viewer img{max-width:calc(100% - 6em);max-height:calc(100% - 2em);object-fit:contain}\r\n"
                   ".viewer button{font:2em/1 sans-serif;color:#fff;background:none;border:0;padding:.5em;cursor:pointer}\r\n"
                   ".viewer .close{position:absolute;top:0;right:0}\r\n");
    return css + QStringLiteral("</style>") + CrLf;
}

QString captionOf(const PageRequest &request, const PageThumb &thumb)
{
    const PageOptions &o = request.options;
    HtmlText::CaptionLines lines = HtmlText::SplitCaption(thumb.caption);
    if (request.thumbNamesLower == 1)
        lines.name = lines.name.toLower();
    QStringList shown;
    if (o.displayFileName)
        shown << HtmlText::Content(lines.name);
    if (o.displayImageSize)
        shown << HtmlText::Content(lines.size);
    if (o.displayFileSize)
        shown << HtmlText::Content(lines.fileSize);
    return shown.isEmpty() ? QString() : QStringLiteral("<figcaption>") + shown.join(QStringLiteral("<br>")) + QStringLiteral("</figcaption>") + CrLf;
}

QString figure(const PageRequest &request, const SiteNames &names, int position)
{
    const PageOptions &o = request.options;
    const PageThumb &thumb = request.thumbs[position];
    const ThumbPageValues &v = thumb.values;
    const QString folder = HtmlText::Url(request.siteThumbnailDirectory, true) + u'/';
    QString image = QStringLiteral("<img src=\"") + folder + HtmlText::Url(names.thumbnail(position), false) + u'"';
    if (!names.doubleThumbnail(position).isEmpty())
        image += QStringLiteral(" srcset=\"") + folder + HtmlText::Url(names.doubleThumbnail(position), true)
                 + QStringLiteral(" 2x\"");
    image += QStringLiteral(" width=\"%1\" height=\"%2\" alt=\"%3\" loading=\"lazy\"")
                 .arg(thumb.width)
                 .arg(thumb.height)
                 .arg(HtmlText::Attribute(v.Caption));
    QStringList look;
    if (BoxValue(o.cellImageBorder) > 0 && v.Border > 0)
        look << QStringLiteral("border:%1 solid").arg(px(v.Border));
    const int vertical = BoxValue(o.verticalSpacing) > 0 ? std::max<int>(0, v.VSpace) : 0;
    const int horizontal = BoxValue(o.horizontalSpacing) > 0 ? std::max<int>(0, v.HSpace) : 0;
    if (vertical || horizontal)
        look << QStringLiteral("margin:%1 %2").arg(px(vertical), px(horizontal));
    if (!look.isEmpty())
        image += QStringLiteral(" style=\"") + look.join(u';') + u'"';
    image += u'>';

    QString text = QStringLiteral("<figure>");
    if (v.Link.isEmpty()) {
        text += image;
    } else {
        const QString copy = names.copy(position);
        text += QStringLiteral("<a href=\"") + HtmlText::Url(request.siteImageDirectory + u'/' + copy, true) + u'"';
        if (!v.Target.isEmpty())
            text += QStringLiteral(" target=\"") + HtmlText::Attribute(v.Target) + u'"';
        // Only a link to the picture's own copy, in this window, opens in the viewer.
        else if (o.pictureViewer && BrowsersShow(copy))
            text += QStringLiteral(" data-view");
        text += u'>' + image + QStringLiteral("</a>");
    }
    return text + CrLf + captionOf(request, thumb) + QStringLiteral("</figure>") + CrLf;
}

// The overlay and its script: a click or Enter on a thumbnail opens its picture,
// the arrow keys, the buttons and a swipe go to the previous or next one, Esc, the
// close button or a click beside the picture close it and give the focus back to
// the thumbnail. Without script the links simply open the pictures.
QString viewer()
{
    return QStringLiteral(
        "<div class=\"viewer\" role=\"dialog\" aria-modal=\"true\" aria-label=\"Picture\" tabindex=\"-1\" hidden>\r\n"
        "<button type=\"button\" class=\"close\" aria-label=\"Close\">&times;</button>\r\n"
        "<button type=\"button\" class=\"prev\" aria-label=\"Previous picture\">&lsaquo;</button>\r\n"
        "<img alt=\"\">\r\n"
        "<button type=\"button\" class=\"next\" aria-label=\"Next picture\">&rsaquo;</button>\r\n"
        "</div>\r\n"
        "<script>\r\n"
        "(function () {\r\n"
        "  var links = [].slice.call(document.querySelectorAll('.gallery a[data-view]'));\r\n"
        "  var box = document.querySelector('.viewer'), picture = box.querySelector('img');\r\n"
        "  var at = 0, opener = null, startX = null;\r\n"
        "  function show(i) {\r\n"
        "    at = (i + links.length) % links.length;\r\n"
        "    picture.src = links[at].href;\r\n"
        "    picture.alt = links[at].querySelector('img').alt;\r\n"
        "  }\r\n"
        "  function open(i) { opener = links[i]; show(i); box.hidden = false; box.focus(); }\r\n"
        "  function close() { box.hidden = true; picture.removeAttribute('src'); if (opener) opener.focus(); }\r\n"
        "  links.forEach(function (link, i) {\r\n"
        "    link.addEventListener('click', function (e) {\r\n"
        "      if (e.button || e.ctrlKey || e.metaKey || e.shiftKey || e.altKey) return;\r\n"
        "      e.preventDefault();\r\n"
        "      open(i);\r\n"
        "    });\r\n"
        "  });\r\n"
        "  box.querySelector('.close').onclick = close;\r\n"
        "  box.querySelector('.prev').onclick = function () { show(at - 1); };\r\n"
        "  box.querySelector('.next').onclick = function () { show(at + 1); };\r\n"
        "  box.addEventListener('click', function (e) { if (e.target === box) close(); });\r\n"
        "  document.addEventListener('keydown', function (e) {\r\n"
        "    if (box.hidden) return;\r\n"
        "    if (e.key === 'Escape') close();\r\n"
        "    else if (e.key === 'ArrowLeft') show(at - 1);\r\n"
        "    else if (e.key === 'ArrowRight') show(at + 1);\r\n"
        "    else return;\r\n"
        "    e.preventDefault();\r\n"
        "  });\r\n"
        "  box.addEventListener('touchstart', function (e) { startX = e.touches[0].clientX; }, {passive: true});\r\n"
        "  box.addEventListener('touchend', function (e) {\r\n"
        "    if (startX === null) return;\r\n"
        "    var moved = e.changedTouches[0].clientX - startX;\r\n"
        "    startX = null;\r\n"
        "    if (Math.abs(moved) > 40) show(at + (moved < 0 ? 1 : -1));\r\n"
        "  });\r\n"
        "})();\r\n"
        "</script>\r\n");
}

} // namespace

QString ModernPageHtml(const PageRequest &request, const SiteNames &names)
{
    const PageOptions &o = request.options;
    QString page;
    page.reserve(4096 + 300 * request.thumbs.size());
    if (o.includePageCode)
        page += QStringLiteral("<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
                               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n"
                               "<meta name=\"generator\" content=\"Fennmoor Software Quillmere %1.%2.0\">\r\n"
                               "<title>%3</title>\r\n")
                    .arg(QUILLMERE_VERSION_MAJOR)
                    .arg(QUILLMERE_VERSION_MINOR)
                    .arg(HtmlText::Content(o.pageTitle));
    page += style(request, names);
    if (o.includePageCode)
        page += QStringLiteral("</head>\r\n<body>\r\n");
    page += QStringLiteral("<main class=\"gallery\">") + CrLf;
    for (int position = 0; position < request.thumbs.size(); ++position)
        page += figure(request, names, position);
    page += QStringLiteral("</main>") + CrLf;
    if (o.pictureViewer)
        page += viewer();
    if (o.includePageCode)
        page += QStringLiteral("</body>\r\n</html>\r\n");
    return page;
}
