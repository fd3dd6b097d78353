#include "webpage/ModernPage.h"

#include "ui/Numbers.h"
#include "webpage/HtmlText.h"
#include "webpage/SiteNames.h"

#include <QLocale>
#include <QRegularExpression>
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

// The page's colours as CSS variables: a light and a dark palette that follow the
// visitor's preference while both colours are the defaults; a colour that is set
// holds in both.
QString palette(const PageOptions &o)
{
    const bool followsVisitor = o.defaultBackgroundColor && o.defaultFontColor;
    const QString background = o.defaultBackgroundColor ? QStringLiteral("#fff") : cssColour(o.tableBackgroundColor);
    const QString text = o.defaultFontColor ? QStringLiteral("#1f1f1f") : cssColour(o.tableFontColor);
    const QString muted = o.defaultFontColor ? QStringLiteral("#595959") : text;
    QString css = QStringLiteral(":root{--bg:%1;--fg:%2;--muted:%3;--line:#d6d6d6;--focus:#0b57d0%4}\r\n")
                      .arg(background, text, muted, followsVisitor ? QStringLiteral(";color-scheme:light dark") : QString());
    if (followsVisitor)
        css += QStringLiteral("@media (prefers-color-scheme:dark){:root{--bg:#121212;--fg:#ececec;--muted:#adadad;"
                              "--line:#3d3d3d;--focus:#8ab4f8}}\r\n");
    return css;
}

// Justified rows: each picture's box grows from the row height in proportion to its
// width over its height (--r), so that every full row meets both edges with all its
// pictures equally tall; the last row keeps the row height, as the empty box after
// the pictures takes up what is left. Phones aim at lower rows, for two pictures
// side by side.
QString rows(const PageOptions &o)
{
    const int row = o.rowHeight();
    const int phoneRow = std::min(row, std::max(100, row * 3 / 5));
    const int gap = whole(o.cellSpacing) + 2 * whole(o.cellPadding);
    const int border = whole(o.tableBorder);
    QString gallery = QStringLiteral("display:flex;flex-wrap:wrap;gap:%1;margin:0;padding:0").arg(px(gap));
    if (border > 0)
        gallery += QStringLiteral(";border:%1 solid %2;padding:%3")
                       .arg(px(border), o.defaultBorderColor ? QStringLiteral("var(--line)") : cssColour(o.tableBorderColor),
                            px(std::max(gap, 1)));
    return QStringLiteral(".gallery{%1}\r\n"
                          ".gallery::after{content:\"\";flex-grow:1e9}\r\n"
                          ".gallery figure{margin:0;flex:var(--r) 1 calc(var(--r)*%2);min-width:0}\r\n"
                          "@media (max-width:600px){.gallery figure{flex-basis:calc(var(--r)*%3)}}\r\n"
                          ".gallery a{display:block;border-radius:2px}\r\n"
                          ".gallery img{display:block;width:100%;height:auto;background:var(--line)}\r\n")
        .arg(gallery, px(row), px(phoneRow));
}

QString captionStyle(const PageOptions &o)
{
    QString caption = QStringLiteral("padding-top:.3em;line-height:1.35;font-size:") + cssFontSize(o.fontSize);
    if (!o.useDefaultFont && !o.nonDefaultFont.isEmpty())
        caption += QStringLiteral(";font-family:") + cssString(o.nonDefaultFont) + QStringLiteral(",sans-serif");
    if (o.fontBold)
        caption += QStringLiteral(";font-weight:bold");
    return QStringLiteral(".gallery figcaption{%1}\r\n"
                          ".gallery figcaption span{display:block;white-space:nowrap;overflow:hidden;text-overflow:ellipsis}\r\n"
                          ".gallery figcaption .more{color:var(--muted);font-size:.85em}\r\n")
        .arg(caption);
}

QString style(const PageRequest &request, const SiteNames &names)
{
    const PageOptions &o = request.options;
    QString css = QStringLiteral("<style>") + CrLf + palette(o);
    QString body = QStringLiteral("margin:0;padding:12px clamp(8px,3vw,32px) 32px;background:var(--bg);color:var(--fg);"
                                  "font:16px/1.4 system-ui,-apple-system,\"Segoe UI\",Roboto,sans-serif");
    if (o.useBackgroundImage && !names.background().isEmpty())
        body += QStringLiteral(";background-image:url(\"%1/%2\")")
                    .arg(HtmlText::CssUrl(request.siteImageDirectory), HtmlText::CssUrl(names.background()));
    css += QStringLiteral("body{") + body + QStringLiteral("}\r\n");
    css += QStringLiteral("h1{font-size:clamp(1.5rem,4vw,2.25rem);line-height:1.2;margin:.4em 0 .2em}\r\n"
                          ".summary{margin:0 0 1.2em;color:var(--muted)}\r\n"
                          "a{color:inherit}\r\n"
                          ":focus-visible{outline:3px solid var(--focus);outline-offset:2px}\r\n");
    if (!request.trail.isEmpty())
        css += QStringLiteral(".trail{margin:.6em 0 0;color:var(--muted)}\r\n");
    if (!request.albums.isEmpty())
        css += QStringLiteral(
            ".albums{display:grid;grid-template-columns:repeat(auto-fill,minmax(min(220px,100%),1fr));gap:16px;margin:0 0 24px}\r\n"
            ".album{display:block;text-decoration:none;border-radius:4px}\r\n"
            ".album img,.album .nocover{display:block;width:100%;height:auto;aspect-ratio:3/2;object-fit:cover;"
            "border-radius:4px;background:var(--line)}\r\n"
            ".album .name{display:block;font-weight:600;margin-top:.4em}\r\n"
            ".album .more{display:block;color:var(--muted);font-size:.85em}\r\n");
    css += rows(o) + captionStyle(o);
    if (o.pictureViewer)
        css += QStringLiteral(
            ".viewer{position:fixed;inset:0;z-index:1;display:flex;align-items:center;justify-content:center;"
            "background:#000;color:#fff;--focus:#8ab4f8}\r\n"
            ".viewer[hidden]{display:none}\r\n"
            ".viewer:focus{outline:none}\r\n"
            ".viewer figure{margin:0;display:flex;flex-direction:column;align-items:center;min-width:0}\r\n"
            ".viewer img{max-width:calc(100vw - 6em);max-height:calc(100vh - 6em);object-fit:contain}\r\n"
            ".viewer figcaption{padding:.6em 1em 0;text-align:center;max-width:calc(100vw - 6em);overflow-wrap:anywhere}\r\n"
            ".viewer .count{color:#c8c8c8;margin-left:.6em;white-space:nowrap}\r\n"
            ".viewer button,.viewer .download{font:2em/1 sans-serif;color:#fff;background:none;border:0;padding:.5em;"
            "cursor:pointer;text-decoration:none}\r\n"
            ".viewer .close{position:absolute;top:0;right:0}\r\n"
            ".viewer .download{position:absolute;top:0;right:2em;font-size:1em;padding:1.1em .8em}\r\n");
    return css + QStringLiteral("</style>") + CrLf;
}

// What a thumbnail's caption says: the alt text the user set, else the picture's
// own title, else the lines the display options choose; and the whole text, for
// the alt text and the viewer.
struct Caption {
    QString text;
    QStringList lines;  // the first line, then the smaller ones
};

Caption captionOf(const PageRequest &request, const PageThumb &thumb)
{
    const PageOptions &o = request.options;
    HtmlText::CaptionLines lines = HtmlText::SplitCaption(thumb.caption);
    const QString startingAlt = request.imageNamesLower ? lines.name.toLower() : lines.name;
    const QString alt = thumb.values.Caption;
    if (!alt.isEmpty() && alt != startingAlt)
        return {alt, {alt}};
    if (!thumb.facts.title.isEmpty())
        return {thumb.facts.title, {thumb.facts.title}};
    if (request.thumbNamesLower == 1)
        lines.name = lines.name.toLower();
    QStringList details;
    if (o.displayImageSize)
        details << lines.size;
    if (o.displayFileSize)
        details << lines.fileSize;
    details.removeAll(QString());
    Caption caption{alt, {}};
    if (o.displayFileName)
        caption.lines << lines.name;
    if (!details.isEmpty())
        caption.lines << details.join(QStringLiteral(" \u00B7 "));
    return caption;
}

QString figcaption(const Caption &caption)
{
    if (caption.lines.isEmpty())
        return QString();
    QString text = QStringLiteral("<figcaption>");
    for (qsizetype i = 0; i < caption.lines.size(); ++i)
        text += (i == 0 ? QStringLiteral("<span>") : QStringLiteral("<span class=\"more\">"))
                + HtmlText::Content(caption.lines[i]) + QStringLiteral("</span>");
    return text + QStringLiteral("</figcaption>") + CrLf;
}

// The first pictures load at once, as they are what a visitor sees first; the
// others as they scroll into view.
constexpr int EagerPictures = 12;

QString figure(const PageRequest &request, const SiteNames &names, int position)
{
    const PageOptions &o = request.options;
    const PageThumb &thumb = request.thumbs[position];
    const ThumbPageValues &v = thumb.values;
    const Caption caption = captionOf(request, thumb);
    const QString folder = HtmlText::Url(request.siteThumbnailDirectory, true) + u'/';
    QString image = QStringLiteral("<img src=\"") + folder + HtmlText::Url(names.thumbnail(position), false) + u'"';
    if (!names.doubleThumbnail(position).isEmpty())
        image += QStringLiteral(" srcset=\"") + folder + HtmlText::Url(names.doubleThumbnail(position), true)
                 + QStringLiteral(" 2x\"");
    image += QStringLiteral(" width=\"%1\" height=\"%2\" alt=\"%3\"")
                 .arg(thumb.width)
                 .arg(thumb.height)
                 .arg(HtmlText::Attribute(caption.text));
    if (position == 0)
        image += QStringLiteral(" fetchpriority=\"high\"");
    else if (position >= EagerPictures)
        image += QStringLiteral(" loading=\"lazy\"");
    image += QStringLiteral(" decoding=\"async\"");
    // A border is drawn over the picture's edge, so that it never changes the row's sums.
    if (BoxValue(o.cellImageBorder) > 0 && v.Border > 0)
        image += QStringLiteral(" style=\"outline:%1 solid %2;outline-offset:-%1\"")
                     .arg(px(v.Border), o.defaultBorderColor ? QStringLiteral("var(--line)") : cssColour(o.tableBorderColor));
    image += u'>';

    // Spacing is padding outside the box whose width grows, which keeps the pictures
    // of a row equally tall.
    QString look = QStringLiteral("--r:") + QString::number(double(std::max(1, thumb.width)) / std::max(1, thumb.height), 'g', 5);
    const int vertical = BoxValue(o.verticalSpacing) > 0 ? std::max<int>(0, v.VSpace) : 0;
    const int horizontal = BoxValue(o.horizontalSpacing) > 0 ? std::max<int>(0, v.HSpace) : 0;
    if (vertical || horizontal)
        look += QStringLiteral(";padding:%1 %2").arg(px(vertical), px(horizontal));
    QString text = QStringLiteral("<figure style=\"") + look + QStringLiteral("\">");
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
    return text + CrLf + figcaption(caption) + QStringLiteral("</figure>") + CrLf;
}

// A language tag fit for the lang attribute; "en" for anything else.
QString languageTag(const QString &typed)
{
    static const QRegularExpression tag(QStringLiteral("^[A-Za-z]{2,8}(-[A-Za-z0-9]{1,8})*$"));
    const QString trimmed = typed.trimmed();
    return tag.match(trimmed).hasMatch() ? trimmed : QStringLiteral("en");
}

QString dayRange(const QLocale &locale, const DayRange &days)
{
    if (!days.first.isValid())
        return QString();
    const QString format = QStringLiteral("d MMMM yyyy");
    return locale.toString(days.first, format)
           + (days.last != days.first ? QStringLiteral(" \u2013 ") + locale.toString(days.last, format) : QString());
}

QString counted(const QLocale &locale, qsizetype count, const char *one, const char *many)
{
    return locale.toString(count) + u' ' + QLatin1String(count == 1 ? one : many);
}

// How many albums and pictures there are, and the days they were taken on when known.
QString summary(const PageRequest &request)
{
    const QLocale locale(languageTag(request.options.pageLanguage));
    QStringList parts;
    if (!request.albums.isEmpty())
        parts << counted(locale, request.albums.size(), "album", "albums");
    if (!request.thumbs.isEmpty() || request.albums.isEmpty())
        parts << counted(locale, request.thumbs.size(), "picture", "pictures");
    DayRange days;
    for (const PageThumb &thumb : request.thumbs)
        days.add(thumb.facts.taken.date());
    for (const AlbumCard &album : request.albums)
        days.add(album.days);
    if (days.first.isValid())
        parts << dayRange(locale, days);
    return parts.join(QStringLiteral(" \u00B7 "));
}

// The albums above this one, each linking to its page.
QString trail(const PageRequest &request)
{
    if (request.trail.isEmpty())
        return QString();
    QStringList steps;
    for (const TrailStep &step : request.trail)
        steps << QStringLiteral("<a href=\"%1\">%2</a>").arg(HtmlText::Url(step.page, true), HtmlText::Content(step.title));
    return QStringLiteral("<nav class=\"trail\" aria-label=\"Albums above\">")
           + steps.join(QStringLiteral("<span aria-hidden=\"true\"> \u203A </span>")) + QStringLiteral("</nav>\r\n");
}

// A card for each album below: its cover, its name, and how many pictures it holds
// and when they were taken.
QString albums(const PageRequest &request)
{
    if (request.albums.isEmpty())
        return QString();
    const QLocale locale(languageTag(request.options.pageLanguage));
    QString text = QStringLiteral("<section class=\"albums\" aria-label=\"Albums\">\r\n");
    for (const AlbumCard &album : request.albums) {
        text += QStringLiteral("<a class=\"album\" href=\"%1\">").arg(HtmlText::Url(album.page, true));
        text += album.cover.isEmpty()
                    ? QStringLiteral("<span class=\"nocover\"></span>")
                    : QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"\" loading=\"lazy\" decoding=\"async\">")
                          .arg(HtmlText::Url(album.cover, true))
                          .arg(album.coverSize.width())
                          .arg(album.coverSize.height());
        QString more = counted(locale, album.pictures, "picture", "pictures");
        if (album.days.first.isValid())
            more += QStringLiteral(" \u00B7 ") + dayRange(locale, album.days);
        text += QStringLiteral("<span class=\"name\">%1</span><span class=\"more\">%2</span></a>\r\n")
                    .arg(HtmlText::Content(album.name), HtmlText::Content(more));
    }
    return text + QStringLiteral("</section>\r\n");
}

QString head(const PageRequest &request)
{
    const PageOptions &o = request.options;
    const QString title = HtmlText::Attribute(o.pageTitle);
    return QStringLiteral("<!DOCTYPE html>\r\n<html lang=\"%1\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
                          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n"
                          "<meta name=\"generator\" content=\"Fennmoor Software Quillmere %2.%3.0\">\r\n"
                          "<meta name=\"description\" content=\"%4: %5\">\r\n"
                          "<title>%4</title>\r\n"
                          "<link rel=\"icon\" href=\"data:,\">\r\n")
        .arg(languageTag(o.pageLanguage))
        .arg(QUILLMERE_VERSION_MAJOR)
        .arg(QUILLMERE_VERSION_MINOR)
        .arg(title, HtmlText::Attribute(summary(request)));
}

// The overlay and its script. A click or Enter on a thumbnail opens its picture with
// its caption and place, and gives the page an address of its own (#name of its
// copy), so that a shared link opens it and Back closes it. The arrow keys, the
// buttons and a swipe go to the previous or next one, whose neighbours are fetched
// ahead; Esc, the close button or a click beside the picture close it and give the
// focus to the thumbnail of the picture shown. While it is open the page behind
// cannot be reached and Tab goes round its controls. Without script the links
// simply open the pictures.
QString viewer()
{
    return QStringLiteral(
        "<div class=\"viewer\" role=\"dialog\" aria-modal=\"true\" aria-label=\"Picture\" tabindex=\"-1\" hidden>\r\n"
        "<button type=\"button\" class=\"prev\" aria-label=\"Previous picture\">&lsaquo;</button>\r\n"
        "<figure><img alt=\"\"><figcaption><span class=\"caption\"></span><span class=\"count\"></span></figcaption></figure>\r\n"
        "<button type=\"button\" class=\"next\" aria-label=\"Next picture\">&rsaquo;</button>\r\n"
        "<a class=\"download\" download>Download</a>\r\n"
        "<button type=\"button\" class=\"close\" aria-label=\"Close\">&times;</button>\r\n"
        "</div>\r\n"
        "<script>\r\n"
        "(function () {\r\n"
        "  var links = [].slice.call(document.querySelectorAll('.gallery a[data-view]'));\r\n"
        "  var box = document.querySelector('.viewer'), picture = box.querySelector('img');\r\n"
        "  var caption = box.querySelector('.caption'), count = box.querySelector('.count');\r\n"
        "  var download = box.querySelector('.download'), behind = document.querySelectorAll('header, .albums, .gallery');\r\n"
        "  var at = 0, pushed = false, startX = null;\r\n"
        "  if (!links.length) return box.remove();\r\n"
        "  download.href = links[0].href;\r\n"
        "  function decoded(text) { try { return decodeURIComponent(text); } catch (e) { return text; } }\r\n"
        "  function name(i) { return links[i].getAttribute('href').split('/').pop(); }\r\n"
        "  function find(hash) {\r\n"
        "    for (var i = 0; i < links.length; i++) if (decoded(hash) === '#' + decoded(name(i))) return i;\r\n"
        "    return -1;\r\n"
        "  }\r\n"
        "  function show(i) {\r\n"
        "    at = (i + links.length) % links.length;\r\n"
        "    picture.src = download.href = links[at].href;\r\n"
        "    picture.alt = caption.textContent = links[at].querySelector('img').alt;\r\n"
        "    count.textContent = (at + 1) + ' / ' + links.length;\r\n"
        "    [at + 1, at - 1].forEach(function (n) { new Image().src = links[(n + links.length) % links.length].href; });\r\n"
        "    if (box.hidden) {\r\n"
        "      box.hidden = false;\r\n"
        "      [].forEach.call(behind, function (part) { part.inert = true; });\r\n"
        "      box.focus();\r\n"
        "    }\r\n"
        "  }\r\n"
        "  function hide() {\r\n"
        "    if (box.hidden) return;\r\n"
        "    box.hidden = true;\r\n"
        "    picture.removeAttribute('src');\r\n"
        "    [].forEach.call(behind, function (part) { part.inert = false; });\r\n"
        "    links[at].focus();\r\n"
        "  }\r\n"
        "  function open(i) { show(i); history.pushState(null, '', '#' + name(at)); pushed = true; }\r\n"
        "  function go(i) { show(i); history.replaceState(null, '', '#' + name(at)); }\r\n"
        "  function close() {\r\n"
        "    if (pushed) return history.back();\r\n"
        "    history.replaceState(null, '', location.pathname + location.search);\r\n"
        "    hide();\r\n"
        "  }\r\n"
        "  function follow() {\r\n"
        "    var i = find(location.hash);\r\n"
        "    if (i < 0) { pushed = false; hide(); } else show(i);\r\n"
        "  }\r\n"
        "  links.forEach(function (link, i) {\r\n"
        "    link.addEventListener('click', function (e) {\r\n"
        "      if (e.button || e.ctrlKey || e.metaKey || e.shiftKey || e.altKey) return;\r\n"
        "      e.preventDefault();\r\n"
        "      open(i);\r\n"
        "    });\r\n"
        "  });\r\n"
        "  box.querySelector('.close').onclick = close;\r\n"
        "  box.querySelector('.prev').onclick = function () { go(at - 1); };\r\n"
        "  box.querySelector('.next').onclick = function () { go(at + 1); };\r\n"
        "  box.addEventListener('click', function (e) { if (e.target === box) close(); });\r\n"
        "  window.addEventListener('popstate', follow);\r\n"
        "  document.addEventListener('keydown', function (e) {\r\n"
        "    if (box.hidden) return;\r\n"
        "    if (e.key === 'Escape') close();\r\n"
        "    else if (e.key === 'ArrowLeft') go(at - 1);\r\n"
        "    else if (e.key === 'ArrowRight') go(at + 1);\r\n"
        "    else if (e.key === 'Tab') {\r\n"
        "      var controls = box.querySelectorAll('button, a'), first = controls[0], last = controls[controls.length - 1];\r\n"
        "      if (e.shiftKey && (document.activeElement === first || document.activeElement === box)) last.focus();\r\n"
        "      else if (!e.shiftKey && document.activeElement === last) first.focus();\r\n"
        "      else return;\r\n"
        "    } else return;\r\n"
        "    e.preventDefault();\r\n"
        "  });\r\n"
        "  box.addEventListener('touchstart', function (e) { startX = e.touches[0].clientX; }, {passive: true});\r\n"
        "  box.addEventListener('touchend', function (e) {\r\n"
        "    if (startX === null) return;\r\n"
        "    var moved = e.changedTouches[0].clientX - startX;\r\n"
        "    startX = null;\r\n"
        "    if (Math.abs(moved) > 40) go(at + (moved < 0 ? 1 : -1));\r\n"
        "  });\r\n"
        "  if (location.hash) follow();\r\n"
        "})();\r\n"
        "</script>\r\n");
}

} // namespace

QString ModernPageHtml(const PageRequest &request, const SiteNames &names)
{
    const PageOptions &o = request.options;
    QString page;
    page.reserve(8192 + 400 * request.thumbs.size());
    if (o.includePageCode)
        page += head(request);
    page += style(request, names);
    if (o.includePageCode)
        page += QStringLiteral("</head>\r\n<body>\r\n<header>\r\n%1<h1>%2</h1>\r\n<p class=\"summary\">%3</p>\r\n</header>\r\n")
                    .arg(trail(request), HtmlText::Content(o.pageTitle), HtmlText::Content(summary(request)));
    page += albums(request);
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
