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

namespace {

const QString S = QDir::separator();

// Opens a page in headless Chromium beside its own copy that reports, once loaded,
// every image that did not load and every link whose target could not be loaded
// (the links lead to pictures). Empty when everything loaded.
QString brokenInBrowser(const QString &page, int *images)
{
    QFile source(page);
    if (!source.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read ") + page;
    const QString probe = QFileInfo(page).path() + QStringLiteral("/probe.html");
    QFile out(probe);
    if (!out.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write ") + probe;
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
    chromium.start(QStandardPaths::findExecutable(QStringLiteral("chromium")),
                   {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                    QStringLiteral("--virtual-time-budget=10000"), QStringLiteral("--dump-dom"),
                    QUrl::fromLocalFile(probe).toString()});
    if (!chromium.waitForFinished(90000))
        return QStringLiteral("chromium did not finish");
    const QString dom = QString::fromUtf8(chromium.readAllStandardOutput());
    const QRegularExpressionMatch result = QRegularExpression(QStringLiteral("<title>RESULT (\\d+) (.*)</title>")).match(dom);
    if (!result.hasMatch())
        return QStringLiteral("no result from chromium: ") + QString::fromUtf8(chromium.readAllStandardError().right(300));
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
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    QVERIFY2(!chromium.isEmpty(), "Chromium is needed; scripts/install-deps.sh installs it");
    Frame f;
    Globals::AppPath = WithTrailingSeparator(ResolveAppPath());
    QDir().mkpath(Globals::AppPath);
    f.environment.raw().setValue(QStringLiteral("Preferences/Auto Arrange After Directory Load"), QStringLiteral("False"));
    const QString photos = f.environment.path(QStringLiteral("my photos"));
    QDir().mkpath(photos);
    const QStringList names = {QStringLiteral("Beach Day.png"), QStringLiteral("café #2.jpg"), QStringLiteral("Łódź.png"),
                               QStringLiteral("R&D.png")};
    for (int i = 0; i < names.size(); ++i)
        QVERIFY(writeFile(photos + S + names[i],
                          TestImages::encode(TestImages::photo(120 + 10 * i, 90, i), names[i].endsWith("jpg") ? "jpg" : "png")));
    f.scripted->folderAnswers << photos;
    f.form->mnuFileOpenDir_Click();
    QCOMPARE(f.form->listingRows().rowCount(), 4);

    const QString web = f.environment.path(QStringLiteral("web")) + S;
    QDir().mkpath(web);
    QString generated;
    QString previewed;
    QString browserProblems;
    int browserImages = 0;
    f.scripted->dialogScripts << [&](QDialog &dialog) {
        dialog.findChild<QLineEdit *>(QStringLiteral("txtSiteThumbs"))->setText(QStringLiteral("thumbs"));
        dialog.findChild<QLineEdit *>(QStringLiteral("txtRows"))->setText(QStringLiteral("2"));
        dialog.findChild<QLineEdit *>(QStringLiteral("txtColumns"))->setText(QStringLiteral("3"));
        dialog.findChild<QCheckBox *>(QStringLiteral("chkDisplayFileSize"))->setChecked(false);
        dialog.findChild<QScrollBar *>(QStringLiteral("hscThumb"))->setValue(2);
        dialog.findChild<QLineEdit *>(QStringLiteral("txtCaption"))->setText(QStringLiteral("A café \"by\" the sea"));
        const PageModel &page = static_cast<GenerateDialog &>(dialog).page();
        generated = GenerateHtml(page.request(Globals::Prefs));
        dialog.findChild<QPushButton *>(QStringLiteral("cmdCode"))->click();
    };
    f.scripted->dialogScripts << [&](QDialog &dialog) {
        auto &editor = static_cast<HtmlEditor &>(dialog);
        QCOMPARE(editor.html(), generated);
        f.scripted->fileAnswers << Ui::FileDialogAnswer{web + QStringLiteral("index"), 2}
                                << Ui::FileDialogAnswer{web + QStringLiteral("thumbs") + S + QStringLiteral("*.*"), 1}
                                << Ui::FileDialogAnswer{web + QStringLiteral("images") + S + QStringLiteral("*.*"), 1};
        dialog.findChild<QPushButton *>(QStringLiteral("cmdSave"))->click();  // Yes to both questions
        dialog.findChild<QPushButton *>(QStringLiteral("cmdView"))->click();
        previewed = f.scripted->shellCalls.value(0).mid(5);
        browserProblems = brokenInBrowser(previewed, &browserImages);
    };
    f.form->mnuHTMLGenerate_Click();
    QCOMPARE(f.scripted->dialogsShown, (QStringList{QStringLiteral("GENERATE"), QStringLiteral("HTML")}));

    QString saved;
    QCOMPARE(HtmlFile::Read(web + QStringLiteral("index.htm"), saved), QString());
    QCOMPARE(saved, HtmlFile::Decode(HtmlFile::Encode(generated)));
    QVERIFY(saved.contains(QStringLiteral("alt=\"A café &quot;by&quot; the sea\"")));
    const QStringList files = referencedFiles(saved);
    QCOMPARE(files.size(), 8);  // four links, four thumbnails
    for (const QString &file : files)
        QVERIFY2(QFileInfo::exists(web + file), qPrintable(file));
    QVERIFY(files.contains(QStringLiteral("images/Łódź.png")));
    QVERIFY(files.contains(QStringLiteral("thumbs/QM_café #2.jpg")));

    QVERIFY2(browserProblems.isEmpty(), qPrintable(browserProblems));
    QCOMPARE(browserImages, 4);
    QVERIFY(!QFile::exists(previewed));  // the preview tree is emptied when the editor closes
}

QTEST_MAIN(WholePathTest)
#include "tst_wholepath.moc"
