#include "MainFormFixture.h"
#include "PageFiles.h"
#include "ProgramRun.h"
#include "TestImages.h"
#include "WebDriver.h"

#include "output/HtmlEditor.h"
#include "output/HtmlFile.h"
#include "webpage/GenerateDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QUrl>


namespace {

const QString Tab = u"\uE004"_s, Enter = u"\uE007"_s, Escape = u"\uE00C"_s, Left = u"\uE012"_s, Right = u"\uE014"_s;

const QString Title = u"Harbour at dawn \u2013 \u6E2F"_s;

// A folder as a phone and a scanner leave it: photos, one with a title of its own,
// and pictures of the types browsers cannot show.
void fillFolder(const QString &folder)
{
    const QByteArray titled = TestImages::encode(TestImages::photo(900, 300, 99), "jpg", 85);
    writeFile(folder + u"/harbour.jpg"_s, TestImages::withSegment(titled, 0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0", 29)
                                                        + TestImages::xmpPacket(Title, {})));
    for (int i = 0; i < 9; ++i)
        writeFile(folder + u"/photo %1.jpg"_s.arg(i + 1),
                  TestImages::encode(TestImages::photo(i % 2 ? 600 : 400, i % 2 ? 400 : 600, quint32(i)), "jpg", 85));
    writeFile(folder + u"/scan.tif"_s, TestImages::tiff(TestImages::photo(300, 200), 3, 8, false, false));
    writeFile(folder + u"/render.tga"_s, TestImages::targa(TestImages::photo(200, 300), 2, 24, false, false));
    writeFile(folder + u"/paint.pcx"_s, TestImages::pcx(TestImages::pattern(160, 120), 8, 3, {}));
    QFile metafile(QStringLiteral(QUILLMERE_SAMPLES "/wmf/clipart-compass-rose.wmf"));
    if (metafile.open(QIODevice::ReadOnly))
        writeFile(folder + u"/compass.wmf"_s, metafile.readAll());
}

// Scrolls each picture the selector finds that has not loaded into view until every one has.
const QString EveryPictureLoaded = u"const images = [...document.querySelectorAll('%1')];"
    "const waiting = images.find(i => !(i.complete && i.naturalWidth > 0));"
    "if (!waiting) return images.length > 0;"
    "waiting.scrollIntoView();"
    "return false;"_s;

// Loads the target of every link the selector finds as a picture; the number that
// failed, once all are done.
const QString StartLoadingLinks = u"const links = document.querySelectorAll('%1');"
    "window.linkFailures = 0; window.linksLeft = links.length;"
    "for (const link of links) {"
    "  const picture = new Image();"
    "  picture.onload = () => --window.linksLeft;"
    "  picture.onerror = () => { ++window.linkFailures; --window.linksLeft; };"
    "  picture.src = link.href;"
    "}"
    "return links.length;"_s;

// What is wrong with the rows of thumbnails, empty when nothing is: every row but the
// last meets both edges of the gallery, the pictures of a row are equally tall and
// no lower than `lowest`, and the last row keeps the `target` height.
const QString RowProblems = u"const [target, lowest] = arguments;"
    "const area = document.querySelector('.gallery').getBoundingClientRect();"
    "const rows = [];"
    "for (const figure of document.querySelectorAll('.gallery figure')) {"
    "  const box = figure.getBoundingClientRect(), picture = figure.querySelector('img').getBoundingClientRect();"
    "  const row = rows[rows.length - 1];"
    "  if (row && Math.abs(row[0].box.top - box.top) < 1) row.push({box, picture}); else rows.push([{box, picture}]);"
    "}"
    "const problems = [];"
    "rows.forEach((row, n) => {"
    "  const heights = row.map(b => b.picture.height), left = row[0].box.left, right = row[row.length - 1].box.right;"
    "  if (Math.max(...heights) - Math.min(...heights) > 1.5) problems.push(`row ${n}: heights ${heights}`);"
    "  if (Math.min(...heights) < lowest) problems.push(`row ${n}: lower than ${lowest}: ${heights}`);"
    "  if (n < rows.length - 1 && (Math.abs(left - area.left) > 2 || Math.abs(right - area.right) > 2))"
    "    problems.push(`row ${n}: from ${left} to ${right}, not ${area.left} to ${area.right}`);"
    "  if (n === rows.length - 1 && rows.length > 1 && Math.abs(heights[0] - target) > 2)"
    "    problems.push(`last row: ${heights[0]} high, not ${target}`);"
    "});"
    "if (rows.length < 2) problems.push('one row');"
    "return problems.join('; ');"_s;

// The viewer, from the keyboard: Enter opens it on a picture's own address with its
// caption and place, the arrows move on without adding to the history, Tab stays
// inside it, Esc gives the focus to the picture shown; Back closes it, and the
// address opens it again.
void viewerFromTheKeyboard(WebDriver &browser, const QString &size, const QUrl &page)
{
    const auto failed = [&size](const char *what) { return (size + u": "_s + QLatin1String(what)).toUtf8(); };
    QVERIFY(browser.run(u"const a = document.querySelector('a[data-view]'); a.focus();"
                                       "window.opened = history.length; return document.activeElement === a;"_s)
                .toBool());
    browser.press(Enter);
    QVERIFY2(browser.until(u"return !document.querySelector('.viewer').hidden;"_s), failed("Enter did not open it").constData());
    const QString shown = u"const p = document.querySelector('.viewer img'), links = document.querySelectorAll('a[data-view]');"
                                         "return p.complete && p.naturalWidth > 0 && p.getBoundingClientRect().right"
                                         " <= window.innerWidth && p.src === links[%1].href"
                                         " && location.hash === '#' + links[%1].getAttribute('href').split('/').pop()"
                                         " && document.querySelector('.viewer .count').textContent === (%1 + 1) + ' / ' + links.length"
                                         " && document.querySelector('.viewer .caption').textContent"
                                         " === links[%1].querySelector('img').alt;"_s;
    QVERIFY2(browser.until(shown.arg(0)), failed("the first picture is not shown with its address and caption").constData());
    browser.press(Right);
    QVERIFY2(browser.until(shown.arg(1)), failed("the right arrow did not move on").constData());
    browser.press(Left);
    browser.press(Left);
    const QString last = u"(links.length - 1)"_s;
    QVERIFY2(browser.until(shown.arg(last)), failed("the left arrow did not go back around").constData());
    QCOMPARE(browser.run(u"return history.length - window.opened;"_s).toInt(), 1);
    for (int i = 0; i < 6; ++i) {
        browser.press(Tab);
        QVERIFY2(browser.run(u"return document.querySelector('.viewer').contains(document.activeElement);"_s).toBool(),
                 failed("Tab left the viewer").constData());
    }
    browser.press(Escape);
    QVERIFY(browser.until(u"return document.querySelector('.viewer').hidden && !location.hash;"_s));
    QVERIFY2(browser.run(u"const links = document.querySelectorAll('a[data-view]');"
                                        "return document.activeElement === links[links.length - 1];"_s)
                 .toBool(),
             failed("the focus did not go to the picture shown").constData());

    browser.press(Enter);
    QVERIFY(browser.until(shown.arg(last)));
    browser.back();
    QVERIFY2(browser.until(u"return document.querySelector('.viewer').hidden;"_s), failed("Back did not close it").constData());
    const QString second = browser.run(u"return document.querySelectorAll('a[data-view]')[1].getAttribute('href')"
                                                      ".split('/').pop();"_s)
                               .toString();
    QUrl shared = page;
    shared.setFragment(second, QUrl::DecodedMode);
    browser.go(QUrl(u"about:blank"_s));
    browser.go(shared);
    QVERIFY2(browser.until(shown.arg(1)), failed("a shared address did not open its picture").constData());
}

} // namespace

class BrowserTest : public QObject {
    Q_OBJECT
private slots:
    // The modern page, built with every new option on, as a visitor sees it at a
    // phone's and a desktop's width: nothing wider than the screen, every thumbnail and
    // every full-size picture shown, and the viewer worked from the keyboard.
    void modernPageOnAPhoneAndADesktop()
    {
        WebDriver browser;
        QVERIFY2(browser.ready(), "Chromium and ChromeDriver are needed; scripts/install-deps.sh installs them");
        TestEnvironment environment;
        const QString folder = environment.path(u"camera"_s);
        const QString site = environment.path(u"site"_s);
        fillFolder(folder);
        environment.store({
            {u"HTML Preferences/Page Style"_s, u"1"_s}, {u"HTML Preferences/Picture Viewer"_s, u"1"_s},
            {u"HTML Preferences/Page Title"_s, u"Summer Walks"_s}, {u"HTML Preferences/Table Columns"_s, u"5"_s},
            {u"HTML Preferences/Table Cell Spacing"_s, u"12"_s}, {u"Preferences/High Density Thumbnails"_s, u"1"_s},
            {u"Preferences/Web Ready Images"_s, u"1"_s}, {u"Preferences/Remove Photo Metadata"_s, u"1"_s},
            {u"Preferences/Web Image Long Edge"_s, u"500"_s},
        });
        QCOMPARE(runBatch(folder, site, environment.settingsFile()).status, 0);
        const int pictures = int(QDir(folder).entryList(QDir::Files).size());

        for (const QSize window : {QSize(390, 844), QSize(1280, 1024)}) {
            const QString size = u"%1x%2"_s.arg(window.width()).arg(window.height());
            const bool phone = window.width() < 500;
            QVERIFY2(browser.open(window.width(), window.height(), phone), qPrintable(size));
            browser.go(QUrl::fromLocalFile(site + u"/index.html"_s));
            QVERIFY(browser.until(u"return document.readyState === 'complete';"_s));
            QVERIFY2(browser.run(u"return document.documentElement.scrollWidth <= window.innerWidth;"_s).toBool(),
                     qPrintable(size + u": wider than the screen"_s));
            QCOMPARE(browser.run(u"return document.querySelectorAll('.gallery img').length;"_s).toInt(), pictures);
            QVERIFY2(browser.until(EveryPictureLoaded.arg(u".gallery img"_s)), qPrintable(size + u": a thumbnail did not load"_s));
            QCOMPARE(browser.run(StartLoadingLinks.arg(u".gallery a[href]"_s)).toInt(), pictures);
            QVERIFY(browser.until(u"return window.linksLeft === 0;"_s));
            QCOMPARE(browser.run(u"return window.linkFailures;"_s).toInt(), 0);
            browser.run(u"window.scrollTo(0, 0); return 0;"_s);

            // Justified rows at the row height, a lower one on a phone.
            const int target = phone ? 120 : 200;
            const QString rows = browser.run(u"return (function () {%1}).apply(null, [%2, %3]);"_s
                                                 .arg(RowProblems)
                                                 .arg(target)
                                                 .arg(phone ? 100 : 150))
                                     .toString();
            QVERIFY2(rows.isEmpty(), qPrintable(size + u": "_s + rows));
            QCOMPARE(browser.run(u"return document.querySelector('a[href$=\"harbour.jpg\"]').parentNode"
                                                ".querySelector('figcaption').textContent;"_s)
                         .toString(),
                     Title);

            viewerFromTheKeyboard(browser, size, QUrl::fromLocalFile(site + u"/index.html"_s));
            if (QTest::currentTestFailed())
                return;
        }
    }

    // A folder with awkward names is loaded, the page's options are set in the Generate
    // dialog, the page is generated, saved with its thumbnails and images, and previewed:
    // every file the page refers to is where the page expects it, on disk and in a browser.
    void fromAFolderToAPageInTheBrowser()
    {
        WebDriver browser;
        QVERIFY2(browser.ready() && browser.open(1024, 768), "Chromium and ChromeDriver are needed");
        Frame f;
        Globals::AppPath = WithTrailingSeparator(ResolveAppPath());
        QDir().mkpath(Globals::AppPath);
        f.environment.raw().setValue(u"Preferences/Auto Arrange After Directory Load"_s, u"False"_s);
        const QString photos = f.environment.path(u"my photos"_s);
        const QStringList names = {u"Beach Day.png"_s, u"café #2.jpg"_s, u"Łódź.png"_s, u"R&D.png"_s};
        for (int i = 0; i < names.size(); ++i)
            QVERIFY(writeFile(photos + S + names[i],
                              TestImages::encode(TestImages::photo(120 + 10 * i, 90, i), names[i].endsWith("jpg") ? "jpg" : "png")));
        f.scripted->folderAnswers << photos;
        f.form->mnuFileOpenDir_Click();
        QCOMPARE(f.form->listingRows().rowCount(), 4);

        const QString web = f.environment.path(u"web"_s) + S;
        QDir().mkpath(web);
        QString generated;
        QString previewed;
        int failedLinks = -1;
        f.scripted->dialogScripts << [&](QDialog &dialog) {
            dialog.findChild<QLineEdit *>(u"txtSiteThumbs"_s)->setText(u"thumbs"_s);
            dialog.findChild<QLineEdit *>(u"txtRows"_s)->setText(u"2"_s);
            dialog.findChild<QLineEdit *>(u"txtColumns"_s)->setText(u"3"_s);
            dialog.findChild<QCheckBox *>(u"chkDisplayFileSize"_s)->setChecked(false);
            dialog.findChild<QScrollBar *>(u"hscThumb"_s)->setValue(2);
            dialog.findChild<QLineEdit *>(u"txtCaption"_s)->setText(u"A café \"by\" the sea"_s);
            const PageModel &page = static_cast<GenerateDialog &>(dialog).page();
            generated = GenerateHtml(page.request(Globals::Prefs));
            dialog.findChild<QPushButton *>(u"cmdCode"_s)->click();
        };
        f.scripted->dialogScripts << [&](QDialog &dialog) {
            auto &editor = static_cast<HtmlEditor &>(dialog);
            QCOMPARE(editor.html(), generated);
            f.scripted->fileAnswers << Ui::FileDialogAnswer{web + u"index"_s, 2}
                                    << Ui::FileDialogAnswer{web + u"thumbs"_s + S + u"*.*"_s, 1}
                                    << Ui::FileDialogAnswer{web + u"images"_s + S + u"*.*"_s, 1};
            dialog.findChild<QPushButton *>(u"cmdSave"_s)->click();  // Yes to both questions
            dialog.findChild<QPushButton *>(u"cmdView"_s)->click();
            previewed = f.scripted->shellCalls.value(0).mid(5);
            // Every picture shows in a browser, and every link leads to one.
            browser.go(QUrl::fromLocalFile(previewed));
            QVERIFY(browser.until(EveryPictureLoaded.arg(u"img"_s)));
            QCOMPARE(browser.run(u"return document.images.length;"_s).toInt(), 4);
            browser.run(StartLoadingLinks.arg(u"a[href]"_s));
            if (browser.until(u"return window.linksLeft === 0;"_s))
                failedLinks = browser.run(u"return window.linkFailures;"_s).toInt();
        };
        f.form->mnuHTMLGenerate_Click();
        QCOMPARE(f.scripted->dialogsShown, (QStringList{u"GENERATE"_s, u"HTML"_s}));

        QString saved;
        QCOMPARE(HtmlFile::Read(web + u"index.htm"_s, saved), QString());
        QCOMPARE(saved, HtmlFile::Decode(HtmlFile::Encode(generated)));
        QVERIFY(saved.contains(u"alt=\"A café &quot;by&quot; the sea\""_s));
        const QStringList files = referencedFiles(saved);
        QCOMPARE(files.size(), 8);  // four links, four thumbnails
        for (const QString &file : files)
            QVERIFY2(QFileInfo::exists(web + file), qPrintable(file));
        QVERIFY(files.contains(u"images/Łódź.png"_s) && files.contains(u"thumbs/QM_café #2.jpg"_s));

        QCOMPARE(failedLinks, 0);
        QVERIFY(!QFile::exists(previewed));  // the preview tree is emptied when the editor closes
    }
};

QTEST_MAIN(BrowserTest)
#include "tst_browser.moc"
