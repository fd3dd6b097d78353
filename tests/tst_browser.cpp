#include "TestEnvironment.h"
#include "TestImages.h"
#include "WebDriver.h"

#include <QDir>
#include <QProcess>
#include <QTest>
#include <QUrl>

namespace {

const QString Tab = QStringLiteral("\uE004"), Enter = QStringLiteral("\uE007"), Escape = QStringLiteral("\uE00C"), Left = QStringLiteral("\uE012"),
              Right = QStringLiteral("\uE014");

const QString Title = QStringLiteral("Harbour at dawn \u2013 \u6E2F");

// A folder as a phone and a scanner leave it: photos, one with a title of its own,
// and pictures of the types browsers cannot show.
void fillFolder(const QString &folder)
{
    const QByteArray titled = TestImages::encode(TestImages::photo(900, 300, 99), "jpg", 85);
    writeFile(folder + QStringLiteral("/harbour.jpg"),
              TestImages::withSegment(titled, 0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0", 29)
                                                        + TestImages::xmpPacket(Title, {})));
    for (int i = 0; i < 9; ++i)
        writeFile(folder + QStringLiteral("/photo %1.jpg").arg(i + 1),
                  TestImages::encode(TestImages::photo(i % 2 ? 600 : 400, i % 2 ? 400 : 600, quint32(i)), "jpg", 85));
    writeFile(folder + QStringLiteral("/scan.tif"), TestImages::tiff(TestImages::photo(300, 200), 3, 8, false, false));
    writeFile(folder + QStringLiteral("/render.tga"), TestImages::targa(TestImages::photo(200, 300), 2, 24, false, false));
    writeFile(folder + QStringLiteral("/paint.pcx"), TestImages::pcx(TestImages::pattern(160, 120), 8, 3, {}));
    QFile metafile(QStringLiteral(QUILLMERE_SAMPLES "/wmf/clipart-compass-rose.wmf"));
    if (metafile.open(QIODevice::ReadOnly))
        writeFile(folder + QStringLiteral("/compass.wmf"), metafile.readAll());
}

// Builds the site of a folder with the batch build; its exit status.
int build(const QString &folder, const QString &site, const QString &settings, const QStringList &more = {})
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QUILLMERE_SETTINGS"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUILLMERE_PROGRAM),
                  QStringList{QStringLiteral("--batch"), folder, QStringLiteral("--output"), site, QStringLiteral("--settings"),
                              settings}
                      + more);
    return program.waitForFinished(120000) ? program.exitCode() : -1;
}

// Scrolls each thumbnail that has not loaded into view until every one has.
const QString EveryThumbnailLoaded = QStringLiteral(
    "const images = [...document.querySelectorAll('.gallery img')];"
    "const waiting = images.find(i => !(i.complete && i.naturalWidth > 0));"
    "if (!waiting) return images.length > 0;"
    "waiting.scrollIntoView();"
    "return false;");

// Loads every thumbnail link's target as a picture; the number that failed, once all
// are done.
const QString StartLoadingLinks = QStringLiteral(
    "const links = document.querySelectorAll('.gallery a[href]');"
    "window.linkFailures = 0; window.linksLeft = links.length;"
    "for (const link of links) {"
    "  const picture = new Image();"
    "  picture.onload = () => --window.linksLeft;"
    "  picture.onerror = () => { ++window.linkFailures; --window.linksLeft; };"
    "  picture.src = link.href;"
    "}"
    "return links.length;");

// What is wrong with the rows of thumbnails, empty when nothing is: every row but the
// last meets both edges of the gallery, the pictures of a row are equally tall and
// no lower than `lowest`, and the last row keeps the `target` height.
const QString RowProblems = QStringLiteral(
    "const [target, lowest] = arguments;"
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
    "return problems.join('; ');");

// Whether any caption line is more than one line high.
const QString CaptionsOnOneLine = QStringLiteral(
    "return [...document.querySelectorAll('.gallery figcaption span')].every("
    "  s => s.offsetHeight <= parseFloat(getComputedStyle(s).lineHeight) + 1);");

// Where the README's pictures of the pages go, when asked for.
QString screenshotFolder()
{
    return qEnvironmentVariable("QUILLMERE_SCREENSHOTS");
}

void keepScreenshot(WebDriver &browser, const QString &name)
{
    if (!screenshotFolder().isEmpty())
        writeFile(screenshotFolder() + u'/' + name, browser.screenshot());
}

} // namespace

class BrowserTest : public QObject {
    Q_OBJECT
private slots:
    void modernPageOnAPhoneAndADesktop();
    void albumsBrowseDownAndBackUp();

private:
    void viewerFromTheKeyboard(WebDriver &browser, const QString &size, const QUrl &page);
};

// The modern page, built with every new option on, as a visitor sees it at a
// phone's and a desktop's width: nothing wider than the screen, every thumbnail and
// every full-size picture shown, and the viewer worked from the keyboard.
void BrowserTest::modernPageOnAPhoneAndADesktop()
{
    WebDriver browser;
    QVERIFY2(browser.ready(), "Chromium and ChromeDriver are needed; scripts/install-deps.sh installs them");
    TestEnvironment environment;
    const QString folder = environment.path(QStringLiteral("camera"));
    const QString site = environment.path(QStringLiteral("site"));
    fillFolder(folder);
    environment.store({
        {QStringLiteral("HTML Preferences/Page Style"), QStringLiteral("1")},
        {QStringLiteral("HTML Preferences/Picture Viewer"), QStringLiteral("1")},
        {QStringLiteral("HTML Preferences/Page Title"), QStringLiteral("Summer Walks")},
        {QStringLiteral("HTML Preferences/Table Columns"), QStringLiteral("5")},
        {QStringLiteral("HTML Preferences/Table Cell Spacing"), QStringLiteral("12")},
        {QStringLiteral("Preferences/High Density Thumbnails"), QStringLiteral("1")},
        {QStringLiteral("Preferences/Web Ready Images"), QStringLiteral("1")},
        {QStringLiteral("Preferences/Remove Photo Metadata"), QStringLiteral("1")},
        {QStringLiteral("Preferences/Web Image Long Edge"), QStringLiteral("500")},
    });
    QCOMPARE(build(folder, site, environment.settingsFile()), 0);
    const int pictures = int(QDir(folder).entryList(QDir::Files).size());

    for (const QSize window : {QSize(390, 844), QSize(1280, 1024)}) {
        const QString size = QStringLiteral("%1x%2").arg(window.width()).arg(window.height());
        const bool phone = window.width() < 500;
        QVERIFY2(browser.open(window.width(), window.height(), phone), qPrintable(size));
        browser.go(QUrl::fromLocalFile(site + QStringLiteral("/index.html")));
        QVERIFY(browser.until(QStringLiteral("return document.readyState === 'complete';")));
        QCOMPARE(browser.run(QStringLiteral("return window.innerWidth;")).toInt(), window.width());
        QVERIFY2(browser.run(QStringLiteral("return document.documentElement.scrollWidth <= window.innerWidth;")).toBool(),
                 qPrintable(size + QStringLiteral(": wider than the screen")));
        QCOMPARE(browser.run(QStringLiteral("return document.querySelectorAll('.gallery img').length;")).toInt(), pictures);
        QVERIFY2(browser.until(EveryThumbnailLoaded), qPrintable(size + QStringLiteral(": a thumbnail did not load")));
        QCOMPARE(browser.run(StartLoadingLinks).toInt(), pictures);
        QVERIFY(browser.until(QStringLiteral("return window.linksLeft === 0;")));
        QCOMPARE(browser.run(QStringLiteral("return window.linkFailures;")).toInt(), 0);
        browser.run(QStringLiteral("window.scrollTo(0, 0); return 0;"));
        keepScreenshot(browser, QStringLiteral("modern-%1.png").arg(window.width()));

        // Justified rows at the row height, a lower one on a phone; captions on one line.
        const int target = phone ? 120 : 200;
        const QString rows = browser.run(QStringLiteral("return (function () {%1}).apply(null, [%2, %3]);")
                                             .arg(RowProblems)
                                             .arg(target)
                                             .arg(phone ? 100 : 150))
                                 .toString();
        QVERIFY2(rows.isEmpty(), qPrintable(size + QStringLiteral(": ") + rows));
        QVERIFY2(browser.run(CaptionsOnOneLine).toBool(), qPrintable(size + QStringLiteral(": a caption broke")));
        QCOMPARE(browser.run(QStringLiteral("return document.querySelector('a[href$=\"harbour.jpg\"]').parentNode"
                                            ".querySelector('figcaption').textContent;"))
                     .toString(),
                 Title);

        // Light or dark as the visitor prefers.
        for (const bool dark : {true, false}) {
            browser.prefersDark(dark);
            QCOMPARE(browser.run(QStringLiteral("return getComputedStyle(document.body).backgroundColor;")).toString(),
                     dark ? QStringLiteral("rgb(18, 18, 18)") : QStringLiteral("rgb(255, 255, 255)"));
            if (dark)
                keepScreenshot(browser, QStringLiteral("modern-dark-%1.png").arg(window.width()));
        }
        viewerFromTheKeyboard(browser, size, QUrl::fromLocalFile(site + QStringLiteral("/index.html")));
        if (QTest::currentTestFailed())
            return;
    }

    // The classic page of the same folder, for the README's comparison.
    if (screenshotFolder().isEmpty())
        return;
    environment.raw().setValue(QStringLiteral("HTML Preferences/Page Style"), QStringLiteral("0"));
    const QString classic = environment.path(QStringLiteral("classic"));
    QCOMPARE(build(folder, classic, environment.settingsFile()), 0);
    for (const QSize window : {QSize(390, 844), QSize(1280, 1024)}) {
        QVERIFY(browser.open(window.width(), window.height(), window.width() < 500));
        browser.go(QUrl::fromLocalFile(classic + QStringLiteral("/index.html")));
        QVERIFY(browser.until(QStringLiteral("return document.readyState === 'complete';")));
        keepScreenshot(browser, QStringLiteral("classic-%1.png").arg(window.width()));
    }
}

// The viewer, from the keyboard: Enter opens it on a picture's own address with its
// caption and place, the arrows move on without adding to the history, Tab stays
// inside it, Esc gives the focus to the picture shown; Back closes it, and the
// address opens it again.
void BrowserTest::viewerFromTheKeyboard(WebDriver &browser, const QString &size, const QUrl &page)
{
    const auto failed = [&size](const char *what) { return (size + QStringLiteral(": ") + QLatin1String(what)).toUtf8(); };
    QVERIFY(browser.run(QStringLiteral("const a = document.querySelector('a[data-view]'); a.focus();"
                                       "window.opened = history.length; return document.activeElement === a;"))
                .toBool());
    browser.press(Enter);
    QVERIFY2(browser.until(QStringLiteral("return !document.querySelector('.viewer').hidden;")), failed("Enter did not open it").constData());
    const QString shown = QStringLiteral("const p = document.querySelector('.viewer img'), links = document.querySelectorAll('a[data-view]');"
                                         "return p.complete && p.naturalWidth > 0 && p.getBoundingClientRect().right"
                                         " <= window.innerWidth && p.src === links[%1].href"
                                         " && location.hash === '#' + links[%1].getAttribute('href').split('/').pop()"
                                         " && document.querySelector('.viewer .count').textContent === (%1 + 1) + ' / ' + links.length"
                                         " && document.querySelector('.viewer .caption').textContent === links[%1].querySelector('img').alt;");
    QVERIFY2(browser.until(shown.arg(0)), failed("the first picture is not shown with its address and caption").constData());
    keepScreenshot(browser, QStringLiteral("viewer-%1.png").arg(size.section(u'x', 0, 0)));
    browser.press(Right);
    QVERIFY2(browser.until(shown.arg(1)), failed("the right arrow did not move on").constData());
    browser.press(Left);
    browser.press(Left);
    const QString last = QStringLiteral("(links.length - 1)");
    QVERIFY2(browser.until(shown.arg(last)), failed("the left arrow did not go back around").constData());
    QCOMPARE(browser.run(QStringLiteral("return history.length - window.opened;")).toInt(), 1);
    for (int i = 0; i < 6; ++i) {
        browser.press(Tab);
        QVERIFY2(browser.run(QStringLiteral("return document.querySelector('.viewer').contains(document.activeElement);")).toBool(),
                 failed("Tab left the viewer").constData());
    }
    browser.press(Escape);
    QVERIFY(browser.until(QStringLiteral("return document.querySelector('.viewer').hidden && !location.hash;")));
    QVERIFY2(browser.run(QStringLiteral("const links = document.querySelectorAll('a[data-view]');"
                                        "return document.activeElement === links[links.length - 1];"))
                 .toBool(),
             failed("the focus did not go to the picture shown").constData());

    browser.press(Enter);
    QVERIFY(browser.until(shown.arg(last)));
    browser.back();
    QVERIFY2(browser.until(QStringLiteral("return document.querySelector('.viewer').hidden;")), failed("Back did not close it").constData());
    const QString second = browser.run(QStringLiteral("return document.querySelectorAll('a[data-view]')[1].getAttribute('href')"
                                                      ".split('/').pop();"))
                               .toString();
    QUrl shared = page;
    shared.setFragment(second, QUrl::DecodedMode);
    browser.go(QUrl(QStringLiteral("about:blank")));
    browser.go(shared);
    QVERIFY2(browser.until(shown.arg(1)), failed("a shared address did not open its picture").constData());
}

// A tree of albums as a visitor walks it: every cover shows, a card opens its album,
// and the trail leads back up to the top.
void BrowserTest::albumsBrowseDownAndBackUp()
{
    WebDriver browser;
    QVERIFY2(browser.ready(), "Chromium and ChromeDriver are needed; scripts/install-deps.sh installs them");
    TestEnvironment environment;
    const QString folder = environment.path(QStringLiteral("trip"));
    const QString site = environment.path(QStringLiteral("site"));
    for (const char *name : {"top.jpg", "Day 1/a.jpg", "Day 1/b.jpg", "Day 2/Evening/c.jpg"})
        writeFile(folder + u'/' + QLatin1String(name), TestImages::encode(TestImages::photo(600, 400, qHash(QLatin1String(name))), "jpg"));
    environment.store({{QStringLiteral("HTML Preferences/Page Style"), QStringLiteral("1")},
                       {QStringLiteral("HTML Preferences/Page Title"), QStringLiteral("Trip")}});
    QCOMPARE(build(folder, site, environment.settingsFile(), {QStringLiteral("--albums")}), 0);
    QVERIFY(browser.open(1280, 900));
    const auto heading = [&browser](const QString &title) {
        return browser.until(QStringLiteral("return document.readyState === 'complete'"
                                            " && document.querySelector('h1').textContent === '%1';").arg(title));
    };
    const QString coversShown = QStringLiteral("const covers = [...document.querySelectorAll('.album img')];"
                                               "return covers.length === %1 && covers.every(c => c.complete && c.naturalWidth > 0);");
    const auto follow = [&browser](const QString &selector) {
        browser.run(QStringLiteral("document.querySelector('%1').click(); return 0;").arg(selector));
    };
    browser.go(QUrl::fromLocalFile(site + QStringLiteral("/index.html")));
    QVERIFY(heading(QStringLiteral("Trip")));
    QVERIFY2(browser.until(coversShown.arg(2)), "a cover of the top page did not show");
    follow(QStringLiteral("a.album[href^=\"Day%202\"]"));
    QVERIFY2(heading(QStringLiteral("Day 2")), "the card did not open its album");
    QVERIFY2(browser.until(coversShown.arg(1)), "the cover from the album below did not show");
    follow(QStringLiteral("a.album"));
    QVERIFY(heading(QStringLiteral("Evening")));
    QCOMPARE(browser.run(QStringLiteral("return [...document.querySelectorAll('.trail a')].map(a => a.textContent).join('/');"))
                 .toString(),
             QStringLiteral("Trip/Day 2"));
    follow(QStringLiteral(".trail a:nth-of-type(2)"));
    QVERIFY2(heading(QStringLiteral("Day 2")), "the trail did not lead one album up");
    follow(QStringLiteral(".trail a"));
    QVERIFY2(heading(QStringLiteral("Trip")), "the trail did not lead to the top");
}

QTEST_MAIN(BrowserTest)
#include "tst_browser.moc"
