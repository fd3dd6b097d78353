#include "TestEnvironment.h"
#include "TestImages.h"
#include "WebDriver.h"

#include <QDir>
#include <QProcess>
#include <QTest>
#include <QUrl>

namespace {

const QString Enter = QStringLiteral("\uE007"), Escape = QStringLiteral("\uE00C"), Left = QStringLiteral("\uE012"),
              Right = QStringLiteral("\uE014");

// A folder as a phone and a scanner leave it: photos, and pictures of the types
// browsers cannot show.
void fillFolder(const QString &folder)
{
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
int build(const QString &folder, const QString &site, const QString &settings)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QUILLMERE_SETTINGS"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUILLMERE_PROGRAM),
                  {QStringLiteral("--batch"), folder, QStringLiteral("--output"), site, QStringLiteral("--settings"), settings});
    return program.waitForFinished(120000) ? program.exitCode() : -1;
}

// Scrolls each thumbnail that has not loaded into view until every one has.
const QString EveryThumbnailLoaded = QStringLiteral(
    "const images = [...document.querySelectorAll('.gallery img')];"
    "const waiting = images.find(i => !(i.complete && i.naturalWidth > 0));"
    "if (!waiting) return images.length > 0;"
    "waiting.scrollIntoView();"
    "return false;");

// Loads every link's target as a picture; the number that failed, once all are done.
const QString StartLoadingLinks = QStringLiteral(
    "window.linkFailures = 0; window.linksLeft = document.links.length;"
    "for (const link of document.links) {"
    "  const picture = new Image();"
    "  picture.onload = () => --window.linksLeft;"
    "  picture.onerror = () => { ++window.linkFailures; --window.linksLeft; };"
    "  picture.src = link.href;"
    "}"
    "return document.links.length;");

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

        // The viewer, from the keyboard.
        QVERIFY(browser.run(QStringLiteral("const a = document.querySelector('a[data-view]'); a.focus();"
                                           "return document.activeElement === a;"))
                    .toBool());
        browser.press(Enter);
        QVERIFY2(browser.until(QStringLiteral("return !document.querySelector('.viewer').hidden;")),
                 qPrintable(size + QStringLiteral(": Enter did not open the viewer")));
        const QString shown = QStringLiteral("const p = document.querySelector('.viewer img');"
                                             "return p.complete && p.naturalWidth > 0 && p.getBoundingClientRect().right"
                                             " <= window.innerWidth && p.src === document.querySelectorAll('a[data-view]')[%1].href;");
        QVERIFY(browser.until(shown.arg(0)));
        keepScreenshot(browser, QStringLiteral("viewer-%1.png").arg(window.width()));
        browser.press(Right);
        QVERIFY2(browser.until(shown.arg(1)), qPrintable(size + QStringLiteral(": the right arrow did not move on")));
        browser.press(Left);
        browser.press(Left);
        QVERIFY2(browser.until(shown.arg(QStringLiteral("document.querySelectorAll('a[data-view]').length - 1"))),
                 qPrintable(size + QStringLiteral(": the left arrow did not go back around")));
        browser.press(Escape);
        QVERIFY(browser.until(QStringLiteral("return document.querySelector('.viewer').hidden;")));
        QVERIFY2(browser.run(QStringLiteral("return document.activeElement === document.querySelector('a[data-view]');")).toBool(),
                 qPrintable(size + QStringLiteral(": the focus did not come back to the thumbnail")));
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

QTEST_MAIN(BrowserTest)
#include "tst_browser.moc"
