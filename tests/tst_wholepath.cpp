#include "MainFormFixture.h"
#include "PageFiles.h"
#include "TestImages.h"

#include "output/HtmlEditor.h"
#include "output/HtmlFile.h"
#include "settings/SettingsSection.h"
#include "webpage/GenerateDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

const QString S = QDir::separator();

// Opens a page in headless Chromium beside its own copy that reports, once loaded,
// every image that did not load and every link whose target could not be loaded
// (the links lead to pictures). Empty when everything loaded.
QString brokenInBrowser(const QString &page, int *images)
{
    QFile source(page);
    if (!source.open(QIODevice::ReadOnly))
        return u"cannot read "_s + page;
    const QString probe = QFileInfo(page).path() + u"/probe.html"_s;
    QFile out(probe);
    if (!out.open(QIODevice::WriteOnly))
        return u"cannot write "_s + probe;
    out.write(source.readAll());
    out.write(R"(<script>
window.addEventListener('load', () => {
  const broken = [...document.images].filter(i => !(i.complete && i.naturalWidth > 0)).map(i => i.src);
  let pending = document.links.length;
  const report = () => { document.title = 'RESULT ' + document.images.length + ' ' + JSON.stringify(broken); };
  if (!pending) report();
  for (const link of document.links) {
    const target = new Image();
    target.onload = () => { if (--pending === 0) report(); };
    target.onerror = () => { broken.push(link.href); if (--pending === 0) report(); };
    target.src = link.href;
  }
});
</script>)");
    out.close();
    QProcess chromium;
    chromium.start(QStandardPaths::findExecutable(u"chromium"_s), {u"--headless"_s, u"--no-sandbox"_s, u"--disable-gpu"_s,
                    u"--virtual-time-budget=10000"_s, u"--dump-dom"_s,
                    QUrl::fromLocalFile(probe).toString()});
    if (!chromium.waitForFinished(90000))
        return u"chromium did not finish"_s;
    const QString dom = QString::fromUtf8(chromium.readAllStandardOutput());
    const QRegularExpressionMatch result = QRegularExpression(u"<title>RESULT (\\d+) (.*)</title>"_s).match(dom);
    if (!result.hasMatch())
        return u"no result from chromium: "_s + QString::fromUtf8(chromium.readAllStandardError().right(300));
    *images = result.captured(1).toInt();
    return result.captured(2) == QLatin1String("[]") ? QString() : result.captured(2);
}

} // namespace

class WholePathTest : public QObject {
    Q_OBJECT
private slots:
    void fromAFolderToAPageInTheBrowser();
};

// A folder with awkward names is loaded, the page's options are set in the Generate
// dialog, the page is generated, saved with its thumbnails and images, and previewed:
// every file the page refers to is where the page expects it, on disk and in a browser.
void WholePathTest::fromAFolderToAPageInTheBrowser()
{
    const QString chromium = QStandardPaths::findExecutable(u"chromium"_s);
    QVERIFY2(!chromium.isEmpty(), "Chromium is needed; scripts/install-deps.sh installs it");
    Frame f;
    Globals::AppPath = WithTrailingSeparator(ResolveAppPath());
    QDir().mkpath(Globals::AppPath);
    f.environment.raw().setValue(u"Preferences/Auto Arrange After Directory Load"_s, u"False"_s);
    const QString photos = f.environment.path(u"my photos"_s);
    QDir().mkpath(photos);
    const QStringList names = {u"Beach Day.png"_s, u"café #2.jpg"_s, u"Łódź.png"_s,
                               u"R&D.png"_s};
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
    QString browserProblems;
    int browserImages = 0;
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
        browserProblems = brokenInBrowser(previewed, &browserImages);
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
    QVERIFY(files.contains(u"images/Łódź.png"_s));
    QVERIFY(files.contains(u"thumbs/QM_café #2.jpg"_s));

    QVERIFY2(browserProblems.isEmpty(), qPrintable(browserProblems));
    QCOMPARE(browserImages, 4);
    QVERIFY(!QFile::exists(previewed));  // the preview tree is emptied when the editor closes
}

QTEST_MAIN(WholePathTest)
#include "tst_wholepath.moc"
