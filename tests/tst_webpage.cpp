#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "TestImages.h"
#include "ThumbnailHostStub.h"

#include "imagebuffer/Picture.h"
#include "output/HtmlFile.h"
#include "settings/Preferences.h"
#include "settings/SettingsSection.h"
#include "thumbs/ListingModel.h"
#include "thumbs/ThumbCollection.h"
#include "ui/Paths.h"
#include "webpage/HtmlGenerator.h"
#include "webpage/PageModel.h"
#include "webpage/SiteNames.h"

#include <QTest>


namespace {

const QString Blanks4 = u"    "_s;
const QString Blanks8 = u"        "_s;

QString lines(const QStringList &all)
{
    return all.join(u"\r\n"_s) + u"\r\n"_s;
}

PageThumb thumb(const QString &name, const QString &size, const QString &kilobytes, int width, int height)
{
    return PageThumb{name + u"\r\n"_s + size + u"\r\n"_s + kilobytes, width, height,
                     ThumbPageValues{name, QString(), QString(), name, 1, 1, 1}, {}};
}

// The worked example: Beach.jpg and Dog.gif, the defaults, one row of two columns.
PageRequest example()
{
    PageRequest page;
    page.options.tableRows = u"1"_s;
    page.options.tableColumns = u"2"_s;
    page.thumbs << thumb(u"Beach.jpg"_s, u"640x480"_s, u"57K"_s, 93, 70)
                << thumb(u"Dog.gif"_s, u"300x400"_s, u"12K"_s, 73, 97);
    return page;
}

QStringList cellLines(const QString &name, const QString &thumbName, const QString &size, const QString &kilobytes,
                      int width, int height)
{
    return {Blanks8 + u"<td><p align=\"center\">"_s, Blanks8 + u"<a href=\"images/%1\"><img"_s.arg(name),
            Blanks8 + u"src=\"images/%1\""_s.arg(thumbName),
            Blanks8 + u"alt=\"%1\" border=\"1\" hspace=\"1\" vspace=\"1\""_s.arg(name),
            Blanks8 + u"width=\"%1\" height=\"%2\"></a><br>"_s.arg(width).arg(height),
            Blanks8 + u"<font size=\"3\">%1<br>"_s.arg(name),
            Blanks8 + size + u"<br>"_s,
            Blanks8 + kilobytes + u"</font></p>"_s,
            Blanks8 + u"</td>"_s};
}

// The lines of the table tag of a page made with these option changes.
QStringList tableTag(const QHash<QString, QString> &changes)
{
    PageRequest page = example();
    page.options.includePageCode = false;
    for (auto it = changes.begin(); it != changes.end(); ++it)
        page.options.set(it.key(), it.value());
    const QStringList all = GenerateHtml(page).split(u"\r\n"_s);
    return all.mid(0, all.indexOf(Blanks4 + u"<tr>"_s));
}

} // namespace

class WebPageTest : public QObject {
    Q_OBJECT
private slots:
    void workedExample()
    {
        QStringList expected = {"<html>",
                                "",
                                "<head>",
                                "<meta http-equiv=\"Content-Type\"",
                                "content=\"text/html; charset=iso-8859-1\">",
                                "<meta name=\"GENERATOR\" content=\"Fennmoor Software Quillmere 1.3.0\">",
                                "<title>Quillmere Thumbnail Page</title>",
                                "</head>",
                                "",
                                "<body>",
                                "<div align=\"center\"><center>",
                                "",
                                "<table border=\"0\" cellspacing=\"1\">",
                                Blanks4 + "<tr>"};
        expected << cellLines("Beach.jpg", "QM_Beach.jpg", "640x480", "57K", 93, 70)
                 << cellLines("Dog.gif", "QM_Dog.jpg", "300x400", "12K", 73, 97);
        expected << Blanks4 + "</tr>" << "</table>" << "</center></div>" << "</body>" << "</html>";
        QCOMPARE(GenerateHtml(example()), lines(expected));

        // Two rows: the second holds two empty cells.
        PageRequest twoRows = example();
        twoRows.options.tableRows = u"2"_s;
        expected.insert(expected.indexOf("</table>"), Blanks4 + "<tr>");
        for (int i = 0; i < 2; ++i)
            expected.insert(expected.indexOf("</table>"), Blanks8 + "<td>&nbsp;</td>");
        expected.insert(expected.indexOf("</table>"), Blanks4 + "</tr>");
        QCOMPARE(GenerateHtml(twoRows), lines(expected));

        // Without the page code the text is the table alone.
        twoRows.options.includePageCode = false;
        const QString table = GenerateHtml(twoRows);
        QVERIFY(table.startsWith(u"<table border=\"0\" cellspacing=\"1\">\r\n"_s) && table.endsWith(u"\r\n</table>\r\n"_s));
        // The table tag of each combination of border, colours and background.
        QCOMPARE(tableTag({}), QStringList{"<table border=\"0\" cellspacing=\"1\">"});
        QCOMPARE(tableTag({{"Default Background Color", "0"}, {"Table Background Color", "255"}}),
                 (QStringList{"<table border=\"0\" cellspacing=\"1\"", "bgcolor=\"#FF0000\">"}));
        QCOMPARE(tableTag({{"Table Border", "2"}, {"Table Default Border Color", "1"}}),
                 (QStringList{"<table border=\"2\" cellspacing=\"1\"", ">"}));
        QCOMPARE(tableTag({{"Table Border", "2"}, {"Default Background Color", "0"}, {"Table Background Color", "16777215"}}),
                 (QStringList{"<table border=\"2\" cellspacing=\"1\"", "bgcolor=\"#FFFFFF\" bordercolor=\"#000000\">"}));
        QCOMPARE(tableTag({{"Table Border", "2"}}),
                 (QStringList{"<table border=\"2\" cellspacing=\"1\"", "bordercolor=\"#000000\">"}));
        QCOMPARE(tableTag({{"Table Cell Spacing", "0"}, {"Table Border", "2.5"}, {"Table Default Border Color", "1"}}),
                 (QStringList{"<table border=\"2.5\"", ">"}));
        QCOMPARE(tableTag({{"Use Background Image", "1"}, {"Background Image File", "/pics/My Sky.GIF"}}),
                 (QStringList{"<table border=\"0\" cellspacing=\"1\"", "background=\"images/My%20Sky.GIF\"", ">"}));
    }

    // Colours, fonts and the site's folders as the page writes them; names with &, ",
    // <, >, %, #, ?, control characters or backslashes stay intact in the page and its links.
    void coloursFontsAndNames()
    {
        QCOMPARE(HtmlColorHex(10 + 0 * 256 + 255 * 65536), u"0A00FF"_s);
        QCOMPARE(HtmlColorHex(0), u"000000"_s);
        PageRequest page = example();
        page.siteImageDirectory = page.siteThumbnailDirectory = u"my pics"_s;
        page.thumbs[0] = thumb(u"Summer Beach.JPG"_s, u"640x480"_s, u"57K"_s, 93, 70);
        page.thumbNamesLower = 1;
        for (const auto &[name, value] : {std::pair{"Default Font Color", "0"}, {"Table Font Color", "16711690"},
                                          {"Use Default Font", "0"}, {"Non-Default Font", "Verdana"}, {"Font Bold", "1"}})
            page.options.set(QString::fromUtf8(name), QString::fromUtf8(value));
        QString text = GenerateHtml(page);
        QVERIFY(text.contains(Blanks8 + "<a href=\"my%20pics/Summer%20Beach.JPG\"><img\r\n"));
        QVERIFY(text.contains(Blanks8 + "src=\"my%20pics/qm_summer beach.jpg\"\r\n"));  // the name keeps its space
        QVERIFY(text.contains(Blanks8 + "<font color=\"#0A00FF\" size=\"3\" face=\"Verdana\"><strong>summer beach.jpg<br>\r\n"));
        QVERIFY(text.contains(Blanks8 + "57K</strong></font></p>\r\n"));

        page = example();
        page.options.includePageCode = false;
        page.options.tableColumns = u"1"_s;
        page.thumbs[0] = thumb(u"Tom & \"Jerry\" <1> #2 50%?.jpg"_s, u"640x480"_s, u"57K"_s, 93, 70);
        page.thumbs[0].values.Target = u"a\"b"_s;
        page.options.set(u"Use Default Font"_s, u"0"_s);
        page.options.set(u"Non-Default Font"_s, u"A&B"_s);
        text = GenerateHtml(page);
        QVERIFY(text.contains("<a href=\"images/Tom%20&amp;%20%22Jerry%22%20&lt;1&gt;%20%232%2050%25%3F.jpg\" "
                              "target=\"a&quot;b\"><img"));
        QVERIFY(text.contains("src=\"images/QM_Tom &amp; %22Jerry%22 &lt;1&gt; %232 50%25%3F.jpg\""));
        QVERIFY(text.contains("alt=\"Tom &amp; &quot;Jerry&quot; &lt;1&gt; #2 50%?.jpg\""));
        QVERIFY(text.contains("face=\"A&amp;B\">Tom &amp; \"Jerry\" &lt;1&gt; #2 50%?.jpg<br>"));
        page.thumbs[0] = thumb(u"a\\b\tc\nd\x1b.jpg"_s, u"1x1"_s, u"1K"_s, 1, 1);
        QVERIFY(GenerateHtml(page).contains("<a href=\"images/a%5Cb%09c%0Ad%1B.jpg\"><img"));
    }

    void cellsAndCaptions()
    {
        PageRequest page = example();
        page.options.includePageCode = false;
        page.thumbs[0].values.Link.clear();
        page.thumbs[1].values.Target = u"_blank"_s;
        page.options.set(u"Cell Image Border"_s, u"0"_s);
        page.options.set(u"Image Vertical Spacing"_s, u"none"_s);
        page.options.set(u"Display File Name"_s, u"0"_s);
        page.options.set(u"Display Image Size"_s, u"0"_s);
        QString text = GenerateHtml(page);
        // No link: the image starts at the margin and no anchor closes.
        QVERIFY(text.contains(u"<p align=\"center\">\r\n<img\r\n"_s));
        QVERIFY(text.contains(Blanks8 + "width=\"93\" height=\"70\"><br>\r\n"));
        QVERIFY(text.contains("<a href=\"images/Dog.gif\" target=\"_blank\"><img\r\n"));
        QVERIFY(text.contains(Blanks8 + "alt=\"Beach.jpg\" hspace=\"1\"\r\n"));
        // Only the file size: straight after the font tag.
        QVERIFY(text.contains(Blanks8 + "<font size=\"3\">57K</font></p>\r\n"));
        page.options.set(u"Display File Size"_s, u"0"_s);
        text = GenerateHtml(page);
        QVERIFY(text.contains(u"<br>\r\n"_s + Blanks8 + "</p>\r\n" + Blanks8 + "</td>\r\n") && !text.contains(u"<font"_s));
        // Fewer cells than thumbnails: the first ones in page order.
        page.options.tableColumns = u"1"_s;
        text = GenerateHtml(page);
        QVERIFY(text.contains(u"Beach.jpg"_s) && !text.contains(u"Dog.gif"_s));
        // A rows box holding text makes no rows.
        page.options.tableRows = u"abc"_s;
        QCOMPARE(GenerateHtml(page), lines({"<table border=\"0\" cellspacing=\"1\">", "</table>"}));
    }

    // Two pictures whose files would take one name in one folder: the later one, in
    // page order, takes " (2)" before the extension, in its files and in the page.
    void clashingNamesGetNamesOfTheirOwn()
    {
        const auto picture = [](const QString &folder, const QString &name) {
            PageThumb made = thumb(name, u"1x1"_s, u"1K"_s, 1, 1);
            made.values.SourcePath = folder + name;
            return made;
        };
        PageRequest page;
        page.thumbs << picture("/a/", "x.jpg") << picture("/a/", "x.png") << picture("/a/", "QM_x.jpg")
                    << picture("/b/", "x.jpg");
        page.options.useBackgroundImage = true;
        page.options.backgroundImageFile = u"/c/x.png"_s;
        SiteNames names = SiteNamesOf(page);
        // One folder for both: the background first, then each copy and thumbnail.
        QCOMPARE(names.background(), u"x.png"_s);
        const QStringList copies = {names.copy(0), names.copy(1), names.copy(2), names.copy(3)};
        const QStringList thumbnails = {names.thumbnail(0), names.thumbnail(1), names.thumbnail(2), names.thumbnail(3)};
        QCOMPARE(copies, QStringList({"x.jpg", "x (2).png", "QM_x (3).jpg", "x (2).jpg"}));
        QCOMPARE(thumbnails, QStringList({"QM_x.jpg", "QM_x (2).jpg", "QM_QM_x.jpg", "QM_x (4).jpg"}));
        QCOMPARE(SiteNames::Describe(names.renamed().value(0)),
                 u"The copy of /a/x.png is named \"x (2).png\": \"x.png\" is the copy of /c/x.png."_s);
        const QString text = GenerateHtml(page);
        QVERIFY(text.contains("background=\"images/x.png\""));
        QVERIFY(text.contains("href=\"images/x%20(2).png\"") && text.contains("src=\"images/QM_x (2).jpg\""));

        // Folders of their own: thumbnails clash only with thumbnails; copies of one
        // picture share their name, with the background too.
        page.siteThumbnailDirectory = u"thumbs/"_s;
        page.options.backgroundImageFile = u"/a/x.png"_s;
        names = SiteNamesOf(page);
        QCOMPARE(QStringList({names.copy(0), names.copy(1), names.copy(2), names.copy(3)}),
                 QStringList({"x.jpg", "x.png", "QM_x.jpg", "x (2).jpg"}));
        QCOMPARE(QStringList({names.thumbnail(0), names.thumbnail(1), names.thumbnail(2), names.thumbnail(3)}),
                 QStringList({"QM_x.jpg", "QM_x (2).jpg", "QM_QM_x.jpg", "QM_x (3).jpg"}));
        QCOMPARE(names.positionOf(u"/b/x.jpg"_s), 3);

        // A picture already in the site's folder keeps its name; a copy of it is itself.
        page.siteThumbnailDirectory = u"images"_s;
        page.thumbs = {picture("/site/", "a.jpg"), picture("/site/", "QM_a.jpg")};
        page.present = {SiteFile{false, u"QM_a.jpg"_s, u"/site/QM_a.jpg"_s}, SiteFile{false, u"a.jpg"_s, u"/site/a.jpg"_s}};
        names = SiteNamesOf(page);
        QCOMPARE(QStringList({names.copy(0), names.thumbnail(0), names.copy(1), names.thumbnail(1)}),
                 QStringList({"a.jpg", "QM_a (2).jpg", "QM_a.jpg", "QM_QM_a.jpg"}));
    }

    void storedOptionsAndThePageTitle()
    {
        QHash<QString, QString> stored = {{"Table Rows", "250"}, {"Table Columns", "2.5"}, {"Font Size", "x"},
                                          {"Default Target Frame", " "}, {"Table Font Color", "65280"}};
        const PageOptions options = PageOptions::FromStored(
            [&](const QString &name, const QString &fallback) { return stored.value(name, fallback); });
        QCOMPARE(options.tableRows, u"100"_s);  // through the spin box's range
        QCOMPARE(options.tableColumns, u"2"_s);
        QCOMPARE(options.fontSize, u"x"_s);
        QCOMPARE(options.defaultTargetFrame, QString());
        QCOMPARE(options.tableFontColor, 65280u);
        QVERIFY(options.displayFileName && !options.defaultBorderColor && !options.fontBold);
        QCOMPARE(options.storedText("Default Target Frame"), u" "_s);
        QCOMPARE(options.storedText("Cell Image Border"), u"1"_s);
        PageOptions typed;
        typed.set(u"Cell Image Border"_s, u"3.0abc"_s);
        QCOMPARE(typed.storedText("Cell Image Border"), u"3"_s);
        TestEnvironment environment;
        PageModel model;
        QCOMPARE((QList<qint16>{RecordNumber(u"99999"_s), RecordNumber(u"-99999"_s), RecordNumber(u"2.5"_s)}),
                 (QList<qint16>{32767, -32768, 2}));

        // The title is an option of both styles; its default keeps the classic page as it
        // was, and a blank one reads as the default.
        PageRequest page = example();
        const QString classic = GenerateHtml(page);
        QVERIFY(classic.contains(u"<title>Quillmere Thumbnail Page</title>"_s));
        page.options.pageTitle = u"Summer <2026>"_s;
        QString titled = GenerateHtml(page);
        QCOMPARE(titled.replace(u"Summer &lt;2026&gt;"_s, u"Quillmere Thumbnail Page"_s), classic);
        environment.store({{u"HTML Preferences/Page Title"_s, u"  "_s}, {u"HTML Preferences/Page Style"_s, u"1"_s},
                           {u"HTML Preferences/Picture Viewer"_s, u"1"_s}});
        model.Load({});
        QCOMPARE(model.options.pageTitle, PageOptions::DefaultPageTitle);
        QVERIFY(model.options.modernStyle && model.options.pictureViewer);
    }

    void pageOrderAndValuesFromTheThumbnails()
    {
        ThumbnailHostStub host;
        Ui::ScriptedPlatformScope scripted;
        Preferences preferences;
        ThumbCollection thumbs;
        ListingModel listing;
        Thumbnails maker(thumbs, listing, preferences, host);
        const auto make = [&maker](const char *name, int width = 40, int height = 30) {
            Picture picture = Picture::fromImage(TestImages::pattern(width, height));
            return maker.CreateThumbnail(picture, QDir::toNativeSeparators(u"/pics/"_s + QString::fromLatin1(name)));
        };
        for (const char *name : {"B.png", "A.png", "C.png"})
            QCOMPARE(make(name), 0);
        thumbs.window(1)->close();  // B goes; slot 1 is free
        QCOMPARE(make("D.png", 30, 40), 0);  // slot 1
        listing.moveRow(1, -1);
        listing.moveRow(2, -1);  // the listing now reads C, D, A

        TestEnvironment environment;
        environment.store({
            {u"HTML Preferences/Cell Image Border"_s, u"2"_s}, {u"HTML Preferences/Default Target Frame"_s, u"  main "_s},
            {u"Preferences/Image File Name Lower Case"_s, u"1"_s},
        });
        const QList<int> order = PageOrder(listing, thumbs);
        QCOMPARE(order, (QList<int>{3, 1, 2}));
        PageModel model;
        model.Load(PageSourcesOf(order, thumbs));
        QVERIFY(model.GenerateDialogLoaded);
        QCOMPARE(model.PageThumbValues[1].Caption, u"d.png"_s);
        QCOMPARE(model.PageThumbValues[1].Link, u"d.png"_s);
        QCOMPARE(model.PageThumbValues[1].Border, qint16(2));
        QCOMPARE(model.PageThumbValues[1].HSpace, qint16(1));  // the box's default
        QCOMPARE(model.PageThumbValues[2].Target, u"main"_s);
        QCOMPARE(model.cellAmount(), u"13 extra cells are present.  These cells will contain no thumbnail images."_s);
        environment.store({{u"Preferences/Save Image File Type"_s, u"PNG"_s}});
        const PageRequest page = model.request(preferences);
        QCOMPARE(page.savedExtension, u"png"_s);
        QCOMPARE(page.thumbs[1].width, 73);
        QCOMPARE(page.thumbs[1].height, 97);
        QVERIFY(page.thumbs[1].caption.startsWith(u"D.png\r\n30x40\r\n"_s));
    }

    // The modern page: self-contained UTF-8 with a language, a description and a
    // heading; every thumbnail in justified rows, sized, with alt text and its double
    // size, links as on the classic page; nothing asked of the server but the pictures.
    void modernPage()
    {
        PageRequest page = example();
        page.options.modernStyle = true;
        page.options.pageTitle = u"Walks & <Dogs>"_s;
        page.options.pageLanguage = u"de-CH"_s;
        page.highDensity = true;
        page.thumbs << thumb(u"山 \"x\".jpg"_s, u"90x60"_s, u"3K"_s, 90, 60);
        page.thumbs[1].values.Target = u"_blank"_s;
        page.thumbs[2].values.Link.clear();
        page.thumbs[0].facts.taken = QDateTime(QDate(2026, 5, 3), QTime(9, 0));
        page.thumbs[2].facts.taken = QDateTime(QDate(2026, 6, 9), QTime(18, 0));
        page.options.pictureViewer = true;
        const QString html = GenerateHtml(page);
        QVERIFY(html.startsWith(u"<!DOCTYPE html>\r\n<html lang=\"de-CH\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
                                               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"_s));
        QVERIFY(html.contains(u"<meta name=\"description\" content=\"Walks &amp; &lt;Dogs&gt;: 3 pictures "
                                             "\u00B7 3 Mai 2026 \u2013 9 Juni 2026\">\r\n<title>Walks &amp; &lt;Dogs&gt;</title>\r\n"
                                             "<link rel=\"icon\" href=\"data:,\">"_s));
        QVERIFY(html.contains(u"<header>\r\n<h1>Walks &amp; &lt;Dogs&gt;</h1>\r\n<p class=\"summary\">3 pictures "
                                             "\u00B7 3 Mai 2026 \u2013 9 Juni 2026</p>\r\n</header>"_s));
        QCOMPARE(html.count(u"<style>"_s), 1);
        QVERIFY(!html.contains(u"http"_s));  // nothing from elsewhere
        // Rows: a box grows from the row height by its picture's proportions; the
        // empty box after the last takes up what the last row leaves.
        QVERIFY(html.contains(u".gallery{display:flex;flex-wrap:wrap;gap:3px;margin:0;padding:0}\r\n"
                                             ".gallery::after{content:\"\";flex-grow:1e9}\r\n"
                                             ".gallery figure{margin:0;flex:var(--r) 1 calc(var(--r)*200px);min-width:0}\r\n"
                                             "@media (max-width:600px){.gallery figure{flex-basis:calc(var(--r)*120px)}}"_s));
        QVERIFY(html.contains(u".gallery img{display:block;width:100%;height:auto;"_s));
        QVERIFY(html.contains(u"span{display:block;white-space:nowrap;overflow:hidden;text-overflow:ellipsis}"_s));
        QCOMPARE(html.count(u"<figure style="_s), 3);  // one row asked for: all are shown
        QVERIFY(html.contains(u"<figure style=\"--r:1.3286;padding:1px 1px\"><a href=\"images/Beach.jpg\" data-view>"
            "<img src=\"images/QM_Beach.jpg\" srcset=\"images/QM_Beach@2x.jpg 2x\" width=\"93\" height=\"70\" alt=\"Beach.jpg\" "
            "fetchpriority=\"high\" decoding=\"async\" style=\"outline:1px solid #000000;outline-offset:-1px\"></a>\r\n"
            "<figcaption><span>Beach.jpg</span><span class=\"more\">640x480 \u00B7 57K</span></figcaption>\r\n</figure>"_s));
        // A link with a target is a plain link; a picture without a link has none.
        QVERIFY(html.contains(u"<a href=\"images/Dog.gif\" target=\"_blank\"><img"_s));
        QCOMPARE(html.count(u"data-view"_s), 2);  // the link and the script's selector
        QVERIFY(html.contains(u"padding:1px 1px\"><img src=\"images/QM_\u5c71 %22x%22.jpg\" "
                                             "srcset=\"images/QM_\u5c71%20%22x%22@2x.jpg 2x\""_s));
        QVERIFY(html.contains(u"alt=\"\u5c71 &quot;x&quot;.jpg\""_s));
        // Saved in UTF-8, as it says, so the name stays readable.
        QVERIFY(HtmlFile::Encode(html).contains(u"\u5c71"_s.toUtf8()));
        QVERIFY(html.contains(u"<script>"_s) && html.contains(u"class=\"viewer\""_s));
        QVERIFY(html.endsWith(u"</script>\r\n</body>\r\n</html>\r\n"_s));
        // The default colours follow the visitor's light or dark preference.
        QVERIFY(html.contains(u"color-scheme:light dark}\r\n@media (prefers-color-scheme:dark){:root{--bg:#121212;"_s));
        // Only a language tag is written as one.
        page.options.pageLanguage = u"\"><script>"_s;
        QVERIFY(GenerateHtml(page).contains(u"<html lang=\"en\">"_s));
    }

    // A caption is the alt text the user set, else the picture's own title, else the
    // lines the display options choose; the whole text is the alt text.
    void modernCaptions()
    {
        struct Case { QString alt, title; bool lowerNames; QString caption, altText; };
        const QString lines = u"<span>Beach.jpg</span><span class=\"more\">640x480 \u00B7 57K</span>"_s;
        for (const auto &[alt, title, lowerNames, caption, altText] :
             {Case{{}, {}, false, lines, u"Beach.jpg"_s},
              {{}, u"Sunset at Søndervig"_s, false, u"<span>Sunset at Søndervig</span>"_s, u"Sunset at Søndervig"_s},
              {u"Our dog & me"_s, u"Sunset"_s, false, u"<span>Our dog &amp; me</span>"_s, u"Our dog &amp; me"_s},
              {u"beach.jpg"_s, {}, true, lines, u"beach.jpg"_s}}) {
            PageRequest page = example();
            page.options.modernStyle = true;
            page.imageNamesLower = lowerNames;
            if (!alt.isEmpty())
                page.thumbs[0].values.Caption = alt;
            page.thumbs[0].facts.title = title;
            const QString html = GenerateHtml(page);
            QVERIFY2(html.contains(u"<figcaption>"_s + caption + u"</figcaption>"_s), qPrintable(html));
            QVERIFY(html.contains(u"alt=\""_s + altText + u'"'));
        }
    }

    void modernPageOptions()
    {
        PageRequest page = example();
        // Colours as stored: red 0x0000FF for the border, blue 0xFF0000 for the background.
        for (const auto &[name, value] : std::initializer_list<std::pair<const char *, const char *>>{
                 {"Page Style", "1"}, {"Include Page Code", "0"}, {"Modern Row Height", "300"}, {"Table Cell Spacing", "6"},
                 {"Table Cell Padding", "0"}, {"Table Border", "2"}, {"Table Default Border Color", "0"}, {"Table Border Color", "255"},
                 {"Default Background Color", "0"}, {"Table Background Color", "16711680"}, {"Table Font Color", "65280"},
                 {"Use Default Font", "0"}, {"Non-Default Font", "Gill \"Sans\"</style>"}, {"Font Size", "5"}, {"Font Bold", "1"},
                 {"Display Image Size", "0"}, {"Cell Image Border", "0"}, {"Image Horizontal Spacing", "0"},
                 {"Image Vertical Spacing", "0"}})
            page.options.set(QString::fromUtf8(name), QString::fromUtf8(value));
        const QString html = GenerateHtml(page);
        // Only the style and the gallery: no page around them, no viewer, no double sizes.
        QVERIFY(html.startsWith(u"<style>\r\n"_s));
        QVERIFY(!html.contains(u"<html"_s) && !html.contains(u"<script"_s)
                && !html.contains(u"<h1"_s));
        QVERIFY(!html.contains(u"data-view"_s) && !html.contains(u"srcset"_s));
        // A colour that is set holds in both schemes; the border takes the page's colour.
        QVERIFY(html.contains(u":root{--bg:#0000FF;--fg:#1f1f1f;"_s) && !html.contains(u"prefers-color-scheme"_s));
        QVERIFY(html.contains(u".gallery{display:flex;flex-wrap:wrap;gap:6px;margin:0;padding:0;"
                                             "border:2px solid #FF0000;padding:6px}"_s));
        QVERIFY(html.contains(u"calc(var(--r)*300px)"_s) && html.contains(u"calc(var(--r)*180px)"_s));
        QVERIFY(html.contains(u"font-size:x-large;font-family:\"Gill \\\"Sans\\\"/style\",sans-serif;"
                                             "font-weight:bold}"_s));
        QVERIFY(html.contains(u"<figcaption><span>Dog.gif</span><span class=\"more\">12K</span></figcaption>"_s));
        QVERIFY(html.contains(u"<figure style=\"--r:0.75258\"><a href=\"images/Dog.gif\"><img"_s));  // no spacing
        QVERIFY(!html.contains(u"outline-offset:-"_s));  // no image border
        page.options.defaultFontColor = false;
        QVERIFY(GenerateHtml(page).contains(u":root{--bg:#0000FF;--fg:#00FF00;--muted:#00FF00;"_s));
        // A background image's name can end nothing in the style element.
        page.options.useBackgroundImage = true;
        page.options.backgroundImageFile = u"/pics/a&b <style> \"x\".png"_s;
        QVERIFY(GenerateHtml(page).contains(
            u";background-image:url(\"images/a&b%20%3Cstyle%3E%20%22x%22.png\")}"_s));
        page.options.useBackgroundImage = false;
        page.options.displayFileName = page.options.displayFileSize = false;
        QVERIFY(!GenerateHtml(page).contains(u"figcaption>"_s));
    }
};

QTEST_MAIN(WebPageTest)
#include "tst_webpage.moc"
