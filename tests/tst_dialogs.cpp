#include "Accessibility.h"
#include "OutputFixture.h"

#include "imagebuffer/ImageBuffer.h"
#include "frame/BatchBuild.h"
#include "frame/BuildSiteDialog.h"
#include "output/HtmlEditor.h"
#include "output/Browsers.h"
#include "output/HtmlFile.h"
#include "output/PreferencesDialog.h"
#include "output/PreviewTree.h"
#include "ui/Controls.h"
#include "webpage/GenerateDialog.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDirIterator>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

namespace {

template <typename Widget = QLineEdit>
Widget *control(const QWidget &form, const char *name)
{
    Widget *found = form.findChild<Widget *>(QString::fromUtf8(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// The focus leaves a box, as when the user tabs away.
void leave(QWidget *box)
{
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(box, &out);
}

QString stored(const Output &o, const char *section, const char *name)
{
    return o.environment.raw().value(QString::fromUtf8(section) + u'/' + QString::fromUtf8(name)).toString();
}

// The Generate dialog over the fixture's thumbnails; a generated page is kept.
struct Generate {
    Output &o;
    QString shownCode;
    int codeShown = 0;
    GenerateDialog dialog{{o.listing, o.thumbs, Globals::Prefs,
                           [this](const QString &html, const PageModel &, QWidget *) {
                               shownCode = html;
                               ++codeShown;
                           }}};
    explicit Generate(Output &fixture) : o(fixture) {}
    QLineEdit *box(const char *name) const { return control(dialog, name); }
    QCheckBox *check(const char *name) const { return control<QCheckBox>(dialog, name); }
    // Runs a button's command, whether or not the button is enabled now.
    template <typename Button>
    void click(const char *name) const { emit control<Button>(dialog, name)->clicked(); }
};

struct Editor {
    Output &o;
    HtmlEditor editor;
    explicit Editor(Output &fixture, const PageModel *page = nullptr)
        : o(fixture), editor({o.thumbs, Globals::Prefs, o.appPath, page})
    {
    }
    QString preview(const QString &relative) const { return o.appPath + QStringLiteral("Temporary") + S + relative; }
};

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void savingKeepsTheTextAndItsLineEnds();
    void encodings();
    void openingAndFailures();
    void viewingWithoutTheGenerateDialog();
    void thePreviewTreeStaysInside();
    void editMenuAndLayout();
    void generateDialogLoadsAndStores();
    void positionsFollowTheScrollBar();
    void colourAndFontDialogs();
    void backgroundImage();
    void preferencesLoadAndUnload();
    void preferenceBoxes();
    void preferencesStoreEveryValueOnClosing();
    void preferenceBrowsers();
    void everyControlHasAName();
    void buildSiteRunsAndCancels();
};

void DialogsTest::savingKeepsTheTextAndItsLineEnds()
{
    Output o;
    Editor e(o);
    const QString web = o.target(QStringLiteral("web"));
    const QString page = QStringLiteral("<html>\r\n<body>\r\n</body>\r\n</html>\r\n");
    e.editor.setHtml(QString());
    e.editor.cmdSave_Click();
    QCOMPARE(o.scripted->messages.value(0).title, QStringLiteral("Can't Save"));
    QVERIFY(o.scripted->saveRequests.isEmpty());

    e.editor.setHtml(page);
    const QString dotted = o.target(QStringLiteral("My.Site"));
    QDir().mkpath(dotted);
    QDir().mkpath(web);
    o.scripted->fileAnswers << Ui::FileDialogAnswer{web + QStringLiteral("index"), 2}
                            << Ui::FileDialogAnswer{web + QStringLiteral("index.html"), 2}
                            << Ui::FileDialogAnswer{dotted + QStringLiteral("index"), 2};
    for (int save = 0; save < 3; ++save)
        e.editor.cmdSave_Click();
    QCOMPARE(contentsOf(web + QStringLiteral("index.htm")), page.toUtf8());  // CR LF kept, byte for byte
    QVERIFY(QFile::exists(web + QStringLiteral("index.html")));
    QVERIFY(QFile::exists(dotted + QStringLiteral("index.htm")));  // a folder's dot is not the name's
    QCOMPARE(HtmlFile::WithHtmlExtension(dotted + QStringLiteral(".x")), dotted + QStringLiteral(".xhtm"));
    QCOMPARE(HtmlFile::WithHtmlExtension(dotted + QStringLiteral("a.b")), dotted + QStringLiteral("a.b"));
    const Ui::FileDialogRequest asked = o.scripted->saveRequests.value(0);
    QCOMPARE(asked.initialDirectory, o.appPath);
    QCOMPARE(o.scripted->saveRequests.value(1).initialDirectory, web);
    QCOMPARE(stored(o, "HTML Preferences", "Last HTML File Path"), dotted);
    QCOMPARE(o.scripted->messages.size(), 1);  // no Generate dialog: no follow-up questions

    // A file that cannot be written is named, and the text stays.
    o.scripted->fileAnswers << Ui::FileDialogAnswer{o.target(QStringLiteral("missing/dir")) + QStringLiteral("a.htm"), 2};
    e.editor.cmdSave_Click();
    QCOMPARE(o.scripted->messages.last().title, QStringLiteral("Can't Save"));
    QVERIFY(o.scripted->messages.last().text.contains(QStringLiteral("a.htm Could Not Be Saved.")));
    QCOMPARE(e.editor.html(), page);
}

void DialogsTest::encodings()
{
    const QString head = QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=%1\">");
    const QString names = QStringLiteral("<img alt=\"Café Łódź 😀\">");
    QCOMPARE(HtmlFile::Encode(head.arg("iso-8859-1") + names),
             (head.arg("iso-8859-1") + QStringLiteral("<img alt=\"Caf")).toLatin1()
                 + "\xE9 &#321;\xF3" "d&#378; &#128512;\">");  // ó is Latin-1
    QCOMPARE(HtmlFile::Encode(QStringLiteral("<p>Łódź</p>")), QStringLiteral("<p>Łódź</p>").toUtf8());
    const QString ascii = head.arg("iso-8859-1") + QStringLiteral("<p>plain\r\n</p>");
    QCOMPARE(HtmlFile::Encode(ascii), ascii.toLatin1());

    // Reading: the byte-order mark, then the declaration, then UTF-8, then Latin-1.
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    QCOMPARE(HtmlFile::Decode(utf16.encode(head.arg("iso-8859-1") + names)), head.arg("iso-8859-1") + names);
    QCOMPARE(HtmlFile::Decode(head.arg("windows-1252").toLatin1() + "\x80"), head.arg("windows-1252") + QStringLiteral("€"));
    QCOMPARE(HtmlFile::Decode(names.toUtf8()), names);
    QCOMPARE(HtmlFile::Decode("caf\xE9"), QStringLiteral("café"));
}

void DialogsTest::openingAndFailures()
{
    Output o;
    Editor e(o);
    const QString file = o.target(QStringLiteral("in")) + QStringLiteral("page.htm");
    QVERIFY(writeFile(file, "<p>caf\xE9</p>\n"));  // not UTF-8: read as Latin-1
    Globals::Prefs.lastOpenDirectory = o.target(QStringLiteral("in"));
    o.scripted->fileAnswers << Ui::FileDialogAnswer{file, 2} << Ui::FileDialogAnswer{file + QStringLiteral(".gone"), 2};
    e.editor.cmdOpen_Click();
    QCOMPARE(e.editor.html(), QStringLiteral("<p>café</p>\n"));
    e.editor.cmdOpen_Click();
    QCOMPARE(o.scripted->messages.value(0).title, QStringLiteral("Can't Open"));
    QCOMPARE(e.editor.html(), QStringLiteral("<p>café</p>\n"));
}

void DialogsTest::viewingWithoutTheGenerateDialog()
{
    Output o;
    o.source(QStringLiteral("pics/a.png"));
    Globals::Prefs.siteThumbnailDirectory = QStringLiteral("thumbs");
    {
        Editor e(o);
        e.editor.setHtml(QString());
        e.editor.cmdView_Click();
        QVERIFY(QFileInfo(e.preview(QStringLiteral("thumbs"))).isDir());
        QVERIFY(QFileInfo(e.preview(QStringLiteral("images"))).isDir());
        QCOMPARE(o.scripted->messages.value(0).title, QStringLiteral("No File"));

        e.editor.setHtml(QStringLiteral("<p>x</p>"));
        o.scripted->shellAnswers << 31;
        e.editor.cmdView_Click();
        QCOMPARE(o.scripted->shellCalls, QStringList{QStringLiteral("open ") + e.preview(QStringLiteral("temp.html"))});
        QCOMPARE(contentsOf(e.preview(QStringLiteral("temp.html"))), QByteArray("<p>x</p>"));
        QVERIFY(QDir(e.preview(QStringLiteral("thumbs"))).isEmpty());  // no page: no thumbnails
        QCOMPARE(o.scripted->messages.value(1).title, QStringLiteral("Browser Failure"));
        QVERIFY(o.scripted->messages.value(1).text.startsWith(QStringLiteral("Error# 31; ")));

        o.setPreference("Use Specific Browser", "1");
        e.editor.cmdView_Click();
        QCOMPARE(o.scripted->dialogsShown, QStringList{QStringLiteral("BROWSERS")});
        QCOMPARE(o.scripted->shellCalls.size(), 1);  // the editor opened nothing itself
        QVERIFY(writeFile(e.preview(QStringLiteral("images/left.jpg"))));
        e.editor.cmdClose_Click();
        QVERIFY(!QFile::exists(e.preview(QStringLiteral("temp.html"))));
        QVERIFY(!QFile::exists(e.preview(QStringLiteral("images/left.jpg"))));
        QVERIFY(QFileInfo(e.preview(QStringLiteral("images"))).isDir());  // the directories stay
    }
}

void DialogsTest::thePreviewTreeStaysInside()
{
    TestEnvironment environment;
    const QString app = environment.path(QStringLiteral("app")) + S;
    QVERIFY(writeFile(app + QStringLiteral("Browsers.txt")));
    // A sibling whose name merely starts like the tree's is outside it too.
    const PreviewTree escaping(app, QStringLiteral("../TemporaryX"), QStringLiteral("a/../../b"));
    QCOMPARE(escaping.thumbnails(), app + QStringLiteral("Temporary") + S);
    QCOMPARE(escaping.images(), app + QStringLiteral("Temporary") + S);
    escaping.Create();
    escaping.Empty();
    QVERIFY(QFile::exists(app + QStringLiteral("Browsers.txt")));  // the program's own files are never touched
    const PreviewTree same(app, QStringLiteral("/images/"), QStringLiteral("images"));
    QCOMPARE(same.thumbnails(), same.images());
    QCOMPARE(same.images(), app + QStringLiteral("Temporary") + S + QStringLiteral("images") + S);
}

void DialogsTest::editMenuAndLayout()
{
    Output o;
    Editor e(o);
    e.editor.setHtml(QStringLiteral("<p>text</p>"));
    e.editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e.editor));
    QPlainTextEdit &text = e.editor.textBox();
    text.setFocus();
    QGuiApplication::clipboard()->clear();
    QMenu *edit = control<QMenu>(e.editor, "mnuEdit");
    QAction *cut = edit->findChild<QAction *>(QStringLiteral("mnuEditCut"));
    QAction *paste = edit->findChild<QAction *>(QStringLiteral("mnuEditPaste"));
    e.editor.mnuEdit_Click();
    QVERIFY(!cut->isEnabled() && !paste->isEnabled());
    text.selectAll();
    e.editor.mnuEdit_Click();
    QVERIFY(cut->isEnabled());
    cut->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("<p>text</p>"));
    QVERIFY(text.toPlainText().isEmpty());
    e.editor.mnuEdit_Click();
    QVERIFY(paste->isEnabled() && !cut->isEnabled());
    control<QPushButton>(e.editor, "cmdSave")->setFocus();
    e.editor.mnuEdit_Click();
    QVERIFY(!paste->isEnabled());  // another control is active

    // Smaller than the margins: held at a minimum that still shows text and buttons.
    const auto *view = control<QPushButton>(e.editor, "cmdView");
    e.editor.resize(10, 10);
    QTest::qWait(20);
    QVERIFY(text.height() > 0 && view->x() > 0);
}

void DialogsTest::generateDialogLoadsAndStores()
{
    Output o;
    for (const char *name : {"pics/a.png", "pics/b.png", "pics/c.png"})
        o.source(QString::fromUtf8(name));
    {
        Generate g(o);
        QCOMPARE(stored(o, "HTML Preferences", "Table Rows"), QStringLiteral("4"));  // written back at load
        QCOMPARE(stored(o, "HTML Preferences", "Default Target Frame"), QStringLiteral(" "));
        QCOMPARE(control<QLabel>(g.dialog, "lblCellAmount")->text(),
                 QStringLiteral("13 extra cells are present.  These cells will contain no thumbnail images."));
        g.box("txtRows")->setText(QStringLiteral("x"));
        QCOMPARE(stored(o, "HTML Preferences", "Table Rows"), QStringLiteral("0"));
        QVERIFY(control<QLabel>(g.dialog, "lblCellAmount")->text().startsWith(QStringLiteral("3 additional cells")));
        control<UpDown>(g.dialog, "updRows")->stepBy(1);
        QCOMPARE(g.box("txtRows")->text(), QStringLiteral("1"));  // the spin's range starts at 1
        g.box("txtBorder")->setText(QStringLiteral("2.5px"));
        QCOMPARE(stored(o, "HTML Preferences", "Table Border"), QStringLiteral("2.5px"));  // as typed

        g.check("chkBackgroundImage")->setChecked(true);
        g.check("chkBackgroundImage")->setChecked(false);
        QVERIFY(!g.box("txtBackgroundImage")->isEnabled());
        QVERIFY(!control<QPushButton>(g.dialog, "cmdBackgroundImage")->isEnabled());
        g.check("chkBorderColor")->setChecked(true);
        QVERIFY(!control<QLabel>(g.dialog, "picBorderColor")->isEnabled());

        g.box("txtWebImages")->setText(QStringLiteral("images//"));
        leave(g.box("txtWebImages"));
        QCOMPARE(g.box("txtWebImages")->text(), QStringLiteral("images/"));
        g.box("txtSiteThumbs")->setText(QStringLiteral("thumbs\\"));
        leave(g.box("txtSiteThumbs"));
        QCOMPARE(Globals::Prefs.siteThumbnailDirectory, QStringLiteral("thumbs"));

        control<QPushButton>(g.dialog, "cmdCode")->click();
        control<QPushButton>(g.dialog, "cmdCode")->click();
        QCOMPARE(g.codeShown, 2);  // any number of times
        QVERIFY(g.shownCode.contains(QStringLiteral("src=\"thumbs/QM_a.jpg\"")));

        // The page's style, title, language, row height and viewer; the viewer and the
        // row height belong to the modern page.
        QVERIFY(!g.check("chkPictureViewer")->isEnabled() && !control<QSpinBox>(g.dialog, "spnRowHeight")->isEnabled());
        QCOMPARE(control<QSpinBox>(g.dialog, "spnRowHeight")->value(), 200);
        control<QComboBox>(g.dialog, "cboPageStyle")->setCurrentIndex(1);
        QVERIFY(g.check("chkPictureViewer")->isEnabled() && control<QSpinBox>(g.dialog, "spnRowHeight")->isEnabled());
        control<QSpinBox>(g.dialog, "spnRowHeight")->setValue(150);
        g.box("txtPageLanguage")->setText(QStringLiteral("fr"));
        QVERIFY(!g.box("txtRows")->isEnabled() && !g.box("txtColumns")->isEnabled());  // every thumbnail is shown
        QCOMPARE(control<QLabel>(g.dialog, "lblCellAmount")->text(),
                 QStringLiteral("The modern page shows all 3 thumbnails, in rows as wide as the screen."));
        g.check("chkPictureViewer")->setChecked(true);
        g.box("txtPageTitle")->setText(QStringLiteral("Our Trip"));
        QCOMPARE(stored(o, "HTML Preferences", "Page Style"), QStringLiteral("1"));
        QCOMPARE(stored(o, "HTML Preferences", "Picture Viewer"), QStringLiteral("1"));
        QCOMPARE(stored(o, "HTML Preferences", "Page Title"), QStringLiteral("Our Trip"));
        QCOMPARE(stored(o, "HTML Preferences", "Modern Row Height"), QStringLiteral("150"));
        control<QPushButton>(g.dialog, "cmdCode")->click();
        QVERIFY(g.shownCode.startsWith(QStringLiteral("<!DOCTYPE html>\r\n<html lang=\"fr\">")));
        // Thumbnails drawn at the row height: an 80 x 60 picture is 200 x 150.
        QVERIFY(g.shownCode.contains(QStringLiteral("width=\"200\" height=\"150\"")));
        QVERIFY(g.shownCode.contains(QStringLiteral("<title>Our Trip</title>")));
        QVERIFY(g.shownCode.contains(QStringLiteral("<script>")));
        control<QComboBox>(g.dialog, "cboPageStyle")->setCurrentIndex(0);
        QVERIFY(g.box("txtRows")->isEnabled() && g.box("txtColumns")->isEnabled());
        control<QPushButton>(g.dialog, "cmdCode")->click();
        QVERIFY(g.shownCode.startsWith(QStringLiteral("<html>")));
        QVERIFY(g.dialog.page().GenerateDialogLoaded);
        control<QPushButton>(g.dialog, "cmdCancel")->click();
        QVERIFY(!g.dialog.page().GenerateDialogLoaded);
    }
    QCOMPARE(stored(o, "Preferences", "Web Site Thumbnail Directory"), QStringLiteral("thumbs"));
    QCOMPARE(stored(o, "Preferences", "Web Site Images Directory"), QStringLiteral("images/"));
    Generate again(o);
    QVERIFY(!again.check("chkBackgroundImage")->isChecked());
    QCOMPARE(again.box("txtRows")->text(), QStringLiteral("1"));
    QCOMPARE(again.box("txtPageTitle")->text(), QStringLiteral("Our Trip"));
    QCOMPARE(again.box("txtPageLanguage")->text(), QStringLiteral("fr"));
    QCOMPARE(control<QSpinBox>(again.dialog, "spnRowHeight")->value(), 150);
    QCOMPARE(control<QComboBox>(again.dialog, "cboPageStyle")->currentIndex(), 0);
    QVERIFY(!again.check("chkFontBold")->isChecked());
}

void DialogsTest::positionsFollowTheScrollBar()
{
    Output o;
    o.source(QStringLiteral("pics/wide.png"), 40);  // 120 x 60
    o.source(QStringLiteral("pics/b.png"));
    const QString tall = o.source(QStringLiteral("pics/c.png"));
    Generate g(o);
    auto *bar = control<QScrollBar>(g.dialog, "hscThumb");
    QCOMPARE(bar->maximum(), 3);
    const auto *preview = control<ImageBuffer>(g.dialog, "picDisplayThumb");
    QCOMPARE(preview->x(), 0);  // a wide thumbnail fills the width, centred in height
    QVERIFY(preview->y() > 0);
    QCOMPARE(preview->ImageWidth(), control<QWidget>(g.dialog, "picContainer")->width());
    QCOMPARE(control<QLabel>(g.dialog, "lblThumbPosition")->text(), QStringLiteral("Position 1 of 3: wide.png"));
    bar->setValue(3);
    QCOMPARE(control<QLabel>(g.dialog, "lblThumbPosition")->text(), QStringLiteral("Position 3 of 3: c.png"));
    QCOMPARE(g.box("txtCaption")->text(), QStringLiteral("c.png"));
    QCOMPARE(g.dialog.page().PageThumbValues[2].SourcePath, tall);
    bar->setValue(2);
    g.box("txtCaption")->setText(QStringLiteral("Second"));
    g.box("txtThumbBorder")->setText(QStringLiteral("99999"));
    g.box("txtDefaultFrame")->setText(QStringLiteral("main"));
    bar->setValue(1);
    QCOMPARE(g.box("txtCaption")->text(), QStringLiteral("wide.png"));
    bar->setValue(2);
    QCOMPARE(g.box("txtCaption")->text(), QStringLiteral("Second"));
    QCOMPARE(g.dialog.page().PageThumbValues[1].Border, qint16(32767));
    QCOMPARE(g.dialog.page().PageThumbValues[0].Target, QString());
    QCOMPARE(stored(o, "HTML Preferences", "Default Target Frame"), QStringLiteral("main"));  // the shown position's
    QCOMPARE(stored(o, "HTML Preferences", "Cell Image Border"), QStringLiteral("32767"));
}

void DialogsTest::colourAndFontDialogs()
{
    Output o;
    o.source(QStringLiteral("pics/a.png"));
    Generate g(o);
    o.scripted->colorAnswers << std::nullopt << QColor(0x12, 0x34, 0x56);
    g.click<QToolButton>("cmdBackgroundColor");
    QCOMPARE(stored(o, "HTML Preferences", "Table Background Color"), QStringLiteral("16777215"));
    g.click<QToolButton>("cmdBackgroundColor");
    QCOMPARE(o.scripted->colorRequests.value(1), QColor(Qt::white));
    QCOMPARE(stored(o, "HTML Preferences", "Table Background Color"), QString::number(0x563412));
    QCOMPARE(control<QLabel>(g.dialog, "picBackgroundColor")->palette().color(QPalette::Window), QColor(0x12, 0x34, 0x56));
    QCOMPARE(control<ImageBuffer>(g.dialog, "picBackgroundImage")->BackColor(), QColor(0x12, 0x34, 0x56));

    g.box("txtFontSize")->setText(QStringLiteral("5"));
    QFont chosen(QStringLiteral("DejaVu Serif [PfEd]"), 30);  // listed with its foundry
    chosen.setBold(true);
    o.scripted->fontAnswers << std::nullopt << chosen;
    g.click<QPushButton>("cmdFontType");
    QVERIFY(!g.check("chkFontBold")->isChecked());
    QCOMPARE(o.scripted->fontRequests.value(0).pointSize(), 18);
    QCOMPARE(o.scripted->fontRequests.value(0).family(), QStringLiteral("Arial"));
    g.click<QPushButton>("cmdFontType");
    QVERIFY(g.check("chkFontBold")->isChecked());
    QCOMPARE(control<QLabel>(g.dialog, "lblOtherFontType")->text(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(g.box("txtFontSize")->text(), QStringLiteral("5"));  // the size is not copied back
    QCOMPARE(stored(o, "HTML Preferences", "Non-Default Font"), QStringLiteral("DejaVu Serif"));
    QVERIFY(g.dialog.page().options.fontBold);
}

void DialogsTest::backgroundImage()
{
    Output o;
    const QString picture = o.source(QStringLiteral("pics/a.png"));
    const QString junk = o.target(QStringLiteral("pics")) + QStringLiteral("junk.png");
    QVERIFY(writeFile(junk, "not a picture"));
    Generate g(o);
    const auto *preview = control<ImageBuffer>(g.dialog, "picBackgroundImage");
    const auto *hint = control<QLabel>(g.dialog, "lblImageFile");
    o.scripted->fileAnswers << Ui::FileDialogAnswer{picture, 1};
    g.click<QPushButton>("cmdBackgroundImage");
    QCOMPARE(g.box("txtBackgroundImage")->text(), picture);
    QCOMPARE(preview->ImageWidth(), 80);
    QVERIFY(!hint->isHidden());
    QCOMPARE(stored(o, "HTML Preferences", "Background Image File"), picture);
    g.box("txtBackgroundImage")->setText(picture + QStringLiteral(".typing"));  // no such file yet: kept
    QCOMPARE(preview->ImageWidth(), 80);
    g.box("txtBackgroundImage")->setText(junk);
    QCOMPARE(o.scripted->messages.value(0).title, QStringLiteral("Invalid Image File"));
    QCOMPARE(o.scripted->messages.value(0).text, QStringLiteral("junk.png Could Not Be Used As A Background Image File."));
    QVERIFY(preview->picture().isNull() && hint->isHidden());
}

void DialogsTest::preferencesLoadAndUnload()
{
    Output o;
    o.setPreference("Auto Arrange After Directory Load", "perhaps");
    o.setPreference("Auto Arrange Method", "7");
    o.setPreference("Save Image File Type", "PNG");
    o.setPreference("Save Image Color Depth", "1");
    o.setPreference("Save Image Compression Quality", "900");
    o.setPreference("Use Specific Browser", "1");
    o.setPreference("Image File Name Lower Case", "1");
    o.setPreference("Web Image Long Edge", "-5");
    o.setPreference("Remove Photo Metadata", "2");
    Globals::Prefs.thumbnailBox = QSize(120, 80);
    {
        PreferencesDialog dialog(Globals::Prefs, o.appPath);
        QCOMPARE(control(dialog, "txtWidth")->text(), QStringLiteral("120"));
        QVERIFY(control<QCheckBox>(dialog, "chkArrange")->isChecked());  // unreadable: the default
        // A method the loader does not arrange by: no option claims it.
        for (QRadioButton *method : dialog.findChildren<QRadioButton *>(QStringLiteral("optArrange")))
            QVERIFY(!method->isChecked());
        QCOMPARE(control<QComboBox>(dialog, "cboColorDepth")->currentIndex(), 1);
        QVERIFY(!control(dialog, "txtQuality")->isEnabled());
        QCOMPARE(control(dialog, "txtQuality")->text(), QStringLiteral("75"));
        QVERIFY(dialog.findChildren<QRadioButton *>(QStringLiteral("optBrowser")).value(1)->isChecked());
        QVERIFY(control<QCheckBox>(dialog, "chkImageCase")->isChecked());
        QCOMPARE(control(dialog, "txtLongEdge")->text(), QStringLiteral("0"));  // hand-broken: the default
        QVERIFY(control<QCheckBox>(dialog, "chkRemoveMetadata")->isChecked());
        QVERIFY(!control<QCheckBox>(dialog, "chkWebReady")->isChecked());

        control(dialog, "txtWidth")->setText(QString());  // closed while being edited
        control(dialog, "txtHeight")->setText(QStringLiteral("150"));
        control<QCheckBox>(dialog, "chkArrange")->setChecked(false);
        QVERIFY(!dialog.findChildren<QRadioButton *>(QStringLiteral("optArrange")).value(0)->isEnabled());
        dialog.findChildren<QRadioButton *>(QStringLiteral("optArrange")).value(0)->setChecked(true);
        control<QComboBox>(dialog, "cboSave")->setCurrentIndex(0);
        QCOMPARE(control<QComboBox>(dialog, "cboColorDepth")->currentIndex(), 0);
        QVERIFY(!control<QComboBox>(dialog, "cboColorDepth")->isEnabled());
        dialog.reject();
    }
    QCOMPARE(Globals::Prefs.thumbnailBox, QSize(30, 150));
    QCOMPARE(stored(o, "Preferences", "Thumbnail Width"), QStringLiteral("30"));
    QCOMPARE(stored(o, "Preferences", "Auto Arrange After Directory Load"), QStringLiteral("False"));
    QCOMPARE(stored(o, "Preferences", "Auto Arrange Method"), QStringLiteral("0"));  // written though disabled
    QCOMPARE(stored(o, "Preferences", "Save Image Color Depth"), QStringLiteral("0"));
    QCOMPARE(stored(o, "Preferences", "Save Image Compression Quality"), QStringLiteral("75"));

    // Thumbnails made afterwards take the new size.
    o.source(QStringLiteral("pics/a.png"));
    QCOMPARE(o.thumbs.window(1)->findChild<ImageBuffer *>()->ImageWidth(), 30);  // 80 x 60 into 30 x 150
}

void DialogsTest::preferenceBoxes()
{
    Output o;
    PreferencesDialog dialog(Globals::Prefs, o.appPath);
    QLineEdit *width = control(dialog, "txtWidth");
    QLineEdit *quality = control(dialog, "txtQuality");
    const auto typeAndLeave = [&](QLineEdit *box, const QString &typed) {
        box->clear();
        QTest::keyClicks(box, typed);
        ::leave(box);
        return box->text();
    };
    QCOMPARE(typeAndLeave(width, QStringLiteral("500")), QStringLiteral("300"));
    QCOMPARE(typeAndLeave(width, QStringLiteral("5")), QStringLiteral("30"));
    QCOMPARE(typeAndLeave(control(dialog, "txtHeight"), QString()), QStringLiteral("30"));
    QCOMPARE(typeAndLeave(quality, QStringLiteral("0")), QStringLiteral("5"));
    QCOMPARE(typeAndLeave(quality, QStringLiteral("250")), QStringLiteral("100"));
    width->clear();
    QTest::keyClicks(width, QStringLiteral("1a2-3.4"));
    QCOMPARE(width->text(), QStringLiteral("123"));  // digits only, three at most
    QTest::keyClick(width, Qt::Key_Backspace);
    QCOMPARE(width->text(), QStringLiteral("12"));
    control<UpDown>(dialog, "UpDown2")->stepBy(1);
    QCOMPARE(width->text(), QStringLiteral("30"));

    // A prefix that is empty or would put thumbnails elsewhere is refused on leaving.
    QLineEdit *prefix = control(dialog, "txtFileNamePrefix");
    for (const QString &refused : {QString(), QStringLiteral("../../"), QStringLiteral("web/t_"), QStringLiteral("a\\b"),
                                   QStringLiteral("x..y"), QStringLiteral("t\tb")}) {
        o.scripted->messages.clear();
        prefix->setText(refused);
        leave(prefix);
        QCOMPARE(o.scripted->messages.value(0).title, QStringLiteral("Thumbnail File Name Prefix"));
        QCOMPARE(prefix->text(), QStringLiteral("QM_"));
    }
    o.scripted->messages.clear();
    prefix->setText(QStringLiteral("thumb.v2_"));
    leave(prefix);
    QVERIFY(o.scripted->messages.isEmpty());
}

// Every value the dialog shows is written when it closes, whatever it was before.
void DialogsTest::preferencesStoreEveryValueOnClosing()
{
    Output o;
    {
        PreferencesDialog dialog(Globals::Prefs, o.appPath);
        control(dialog, "txtWidth")->setText(QStringLiteral("111"));
        control(dialog, "txtHeight")->setText(QStringLiteral("122"));
        dialog.findChildren<QRadioButton *>(QStringLiteral("optArrange")).value(1)->setChecked(true);
        control<QCheckBox>(dialog, "chkArrange")->setChecked(false);
        control<QCheckBox>(dialog, "chkDuplicateImages")->setChecked(true);
        control<QComboBox>(dialog, "cboSave")->setCurrentIndex(1);
        control<QComboBox>(dialog, "cboColorDepth")->setCurrentIndex(1);
        control(dialog, "txtFileNamePrefix")->setText(QStringLiteral("../"));  // closed before leaving the box
        control<QCheckBox>(dialog, "chkProgressive")->setChecked(true);
        control(dialog, "txtQuality")->setText(QStringLiteral("42"));
        dialog.findChildren<QRadioButton *>(QStringLiteral("optBrowser")).value(1)->setChecked(true);
        control<QCheckBox>(dialog, "chkThumbnailCase")->setChecked(true);
        control<QCheckBox>(dialog, "chkImageCase")->setChecked(true);
        control<QCheckBox>(dialog, "chkWebReady")->setChecked(true);
        control(dialog, "txtLongEdge")->setText(QStringLiteral("99999"));  // held to the largest
        control<QCheckBox>(dialog, "chkRemoveMetadata")->setChecked(true);
        control<QCheckBox>(dialog, "chkHighDensity")->setChecked(true);
        dialog.accept();
    }
    const QList<QPair<const char *, const char *>> expected = {
        {"Thumbnail Width", "111"},         {"Thumbnail Height", "122"},
        {"Auto Arrange After Directory Load", "False"}, {"Auto Arrange Method", "1"},
        {"Notify of Duplicate Images", "True"}, {"Save Image File Type", "PNG"},
        {"Save Image File Name Prefix", "QM_"}, {"Save Image Progressive", "1"},
        {"Save Image Color Depth", "1"},    {"Save Image Compression Quality", "42"},
        {"Use Specific Browser", "1"},      {"Thumbnail File Name Lower Case", "1"},
        {"Image File Name Lower Case", "1"},
        {"Web Ready Images", "1"},          {"Web Image Long Edge", "65535"},
        {"Remove Photo Metadata", "1"},     {"High Density Thumbnails", "1"},
    };
    for (const auto &[name, value] : expected)
        QCOMPARE(stored(o, "Preferences", name), QString::fromUtf8(value));
}

void DialogsTest::preferenceBrowsers()
{
    Output o;
    const DesktopApplications applications(o.environment);
    const QString program = applications.program(QStringLiteral("webby"));
    applications.entry(QStringLiteral("webby.desktop"), "Name=Webby\nExec=" + program.toUtf8() + " %u\nMimeType=text/html;\n");
    PreferencesDialog dialog(Globals::Prefs, o.appPath);
    auto *list = control<QTreeWidget>(dialog, "ListView1");
    QCOMPARE(list->topLevelItemCount(), 1);
    dialog.cmdDeleteBrowser_Click();
    QCOMPARE(o.scripted->beeps, 1);  // nothing selected
    o.scripted->fileAnswers << Ui::FileDialogAnswer{program, 1} << Ui::FileDialogAnswer{program, 1};
    dialog.cmdAddBrowser_Click();
    dialog.cmdAddBrowser_Click();
    QCOMPARE(list->topLevelItemCount(), 2);  // added twice, listed once
    list->setCurrentItem(list->topLevelItem(0));
    dialog.cmdDeleteBrowser_Click();  // detected: its section is emptied, it stays listed
    QCOMPARE(list->topLevelItemCount(), 1);
    QVERIFY(contentsOf(o.appPath + QStringLiteral("Browsers.txt")).contains("Path=\r\n"));
}

void DialogsTest::everyControlHasAName()
{
    Output o;
    o.source(QStringLiteral("pics/a.png"));
    Generate g(o);
    Editor e(o);
    PreferencesDialog preferences(Globals::Prefs, o.appPath);
    BrowserSelection browsers(o.appPath);
    BuildSiteDialog build(o.appPath);
    for (const QWidget *window : {static_cast<QWidget *>(&g.dialog), static_cast<QWidget *>(&e.editor),
                                  static_cast<QWidget *>(&preferences), static_cast<QWidget *>(&browsers),
                                  static_cast<QWidget *>(&build)})
        QCOMPARE(UnnamedControls(*window).join(", "), QString());
    QCOMPARE(control<QWidget>(g.dialog, "picBackgroundImage")->focusPolicy(), Qt::StrongFocus);  // Enter shows it
}

// Build Site: the folders from the folder dialog, remembered; a build on worker
// threads to its end and the offer of a browser; a Cancel that stops it, and a next
// build that completes the site.
void DialogsTest::buildSiteRunsAndCancels()
{
    Output o;
    const QString pictures = o.target(QStringLiteral("trip"));
    const QString site = o.target(QStringLiteral("site"));
    for (int i = 0; i < 3; ++i)
        writeFile(pictures + QStringLiteral("Day %1").arg(i + 1) + S + QStringLiteral("p%1.jpg").arg(i),
                  TestImages::encode(TestImages::photo(120, 90, quint32(i)), "jpg"));
    const auto thumbnails = [&site] {
        int count = 0;
        for (QDirIterator it(site, {QStringLiteral("QM_*")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
            ++count;
        return count;
    };
    {
        BuildSiteDialog dialog(o.appPath);
        o.scripted->folderAnswers << pictures << site;
        control<QPushButton>(dialog, "cmdPictures")->click();
        control<QPushButton>(dialog, "cmdOutput")->click();
        QCOMPARE(control<QLineEdit>(dialog, "txtOutput")->text(), site);
        QVERIFY(control<QCheckBox>(dialog, "chkAlbums")->isChecked());
        control<QComboBox>(dialog, "cboSort")->setCurrentIndex(1);
        o.scripted->messageAnswers << Ui::MsgResult::No;
        QSignalSpy ended(&dialog, &BuildSiteDialog::finished);
        control<QPushButton>(dialog, "cmdBuild")->click();
        QVERIFY(dialog.building());
        QVERIFY(ended.wait(60000));
        QCOMPARE(ended.at(0).at(0).toInt(), 0);
        QVERIFY(QFile::exists(site + QStringLiteral("Day 2") + S + QStringLiteral("index.html")));
        QCOMPARE(thumbnails(), 3);
        QCOMPARE(o.scripted->messages.constLast().text,
                 QStringLiteral("The Site Is Built.  Would You Like to Open It in a Browser?"));
        QVERIFY(control<QPlainTextEdit>(dialog, "txtReport")->toPlainText().contains(QStringLiteral("albums: 3 made")));
    }
    for (int i = 3; i < 40; ++i)
        writeFile(pictures + QStringLiteral("Day 1") + S + QStringLiteral("q%1.jpg").arg(i),
                  TestImages::encode(TestImages::photo(640, 480, quint32(i)), "jpg"));
    BuildSiteDialog again(o.appPath);
    QCOMPARE(control<QLineEdit>(again, "txtPictures")->text(), pictures);  // remembered
    QCOMPARE(control<QComboBox>(again, "cboSort")->currentIndex(), 1);
    QSignalSpy ended(&again, &BuildSiteDialog::finished);
    control<QPushButton>(again, "cmdBuild")->click();
    control<QPushButton>(again, "cmdCancel")->click();
    QVERIFY(ended.wait(60000));
    QCOMPARE(ended.at(0).at(0).toInt(), int(BatchBuild::Cancelled));
    QVERIFY(thumbnails() < 40);
    control<QPushButton>(again, "cmdBuild")->click();
    QVERIFY(ended.wait(120000));
    QCOMPARE(ended.at(1).at(0).toInt(), 0);
    QCOMPARE(thumbnails(), 40);
}

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
