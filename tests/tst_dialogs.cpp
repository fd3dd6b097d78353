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

// A stored setting of the Preferences or the HTML Preferences.
QString pref(const Output &o, const char *name)
{
    return o.environment.raw().value(u"Preferences/"_s + QString::fromUtf8(name)).toString();
}

QString html(const Output &o, const char *name)
{
    return o.environment.raw().value(u"HTML Preferences/"_s + QString::fromUtf8(name)).toString();
}

// The Generate dialog over the fixture's thumbnails; a generated page is kept.
struct Generate {
    Output &o;
    QString shownCode;
    int codeShown = 0;
    GenerateDialog dialog{{o.listing, o.thumbs, Globals::Prefs, [this](const QString &html, const PageModel &, QWidget *) {
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
    QString preview(const QString &relative) const { return o.appPath + u"Temporary"_s + S + relative; }
};

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void savingAndOpeningKeepTheText()
    {
        Output o;
        Editor e(o);
        const QString web = o.target(u"web"_s);
        const QString page = u"<html>\r\n<body>\r\n</body>\r\n</html>\r\n"_s;
        e.editor.setHtml(QString());
        e.editor.cmdSave_Click();
        QCOMPARE(o.scripted->messages.value(0).title, u"Can't Save"_s);
        QVERIFY(o.scripted->saveRequests.isEmpty());

        e.editor.setHtml(page);
        const QString dotted = o.target(u"My.Site"_s);
        QDir().mkpath(dotted);
        QDir().mkpath(web);
        o.scripted->fileAnswers << Ui::FileDialogAnswer{web + u"index"_s, 2}
                                << Ui::FileDialogAnswer{web + u"index.html"_s, 2}
                                << Ui::FileDialogAnswer{dotted + u"index"_s, 2};
        for (int save = 0; save < 3; ++save)
            e.editor.cmdSave_Click();
        QCOMPARE(contentsOf(web + u"index.htm"_s), page.toUtf8());  // CR LF kept, byte for byte
        QVERIFY(QFile::exists(web + u"index.html"_s));
        QVERIFY(QFile::exists(dotted + u"index.htm"_s));  // a folder's dot is not the name's
        QCOMPARE(HtmlFile::WithHtmlExtension(dotted + u".x"_s), dotted + u".xhtm"_s);
        QCOMPARE(HtmlFile::WithHtmlExtension(dotted + u"a.b"_s), dotted + u"a.b"_s);
        const Ui::FileDialogRequest asked = o.scripted->saveRequests.value(0);
        QCOMPARE(asked.initialDirectory, o.appPath);
        QCOMPARE(o.scripted->saveRequests.value(1).initialDirectory, web);
        QCOMPARE(html(o, "Last HTML File Path"), dotted);
        QCOMPARE(o.scripted->messages.size(), 1);  // no Generate dialog: no follow-up questions

        // A file that cannot be written is named, and the text stays.
        o.scripted->fileAnswers << Ui::FileDialogAnswer{o.target(u"missing/dir"_s) + u"a.htm"_s, 2};
        e.editor.cmdSave_Click();
        QCOMPARE(o.scripted->messages.last().title, u"Can't Save"_s);
        QVERIFY(o.scripted->messages.last().text.contains(u"a.htm Could Not Be Saved."_s));
        QCOMPARE(e.editor.html(), page);

        // Opening: a file that is not UTF-8 is read as Latin-1; one that is gone is named
        // and the text stays.
        const QString file = o.target(u"in"_s) + u"page.htm"_s;
        QVERIFY(writeFile(file, "<p>caf\xE9</p>\n"));
        o.scripted->fileAnswers << Ui::FileDialogAnswer{file, 2} << Ui::FileDialogAnswer{file + u".gone"_s, 2};
        e.editor.cmdOpen_Click();
        QCOMPARE(e.editor.html(), u"<p>café</p>\n"_s);
        e.editor.cmdOpen_Click();
        QCOMPARE(o.scripted->messages.last().title, u"Can't Open"_s);
        QCOMPARE(e.editor.html(), u"<p>café</p>\n"_s);
    }

    void encodings()
    {
        const QString head = u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=%1\">"_s;
        const QString names = u"<img alt=\"Café Łódź 😀\">"_s;
        QCOMPARE(HtmlFile::Encode(head.arg("iso-8859-1") + names), (head.arg("iso-8859-1") + u"<img alt=\"Caf"_s).toLatin1()
                     + "\xE9 &#321;\xF3" "d&#378; &#128512;\">");  // ó is Latin-1
        QCOMPARE(HtmlFile::Encode(u"<p>Łódź</p>"_s), u"<p>Łódź</p>"_s.toUtf8());
        const QString ascii = head.arg("iso-8859-1") + u"<p>plain\r\n</p>"_s;
        QCOMPARE(HtmlFile::Encode(ascii), ascii.toLatin1());

        // Reading: the byte-order mark, then the declaration, then UTF-8, then Latin-1.
        QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
        QCOMPARE(HtmlFile::Decode(utf16.encode(head.arg("iso-8859-1") + names)), head.arg("iso-8859-1") + names);
        QCOMPARE(HtmlFile::Decode(head.arg("windows-1252").toLatin1() + "\x80"), head.arg("windows-1252") + u"€"_s);
        QCOMPARE(HtmlFile::Decode(names.toUtf8()), names);
        QCOMPARE(HtmlFile::Decode("caf\xE9"), u"café"_s);
    }

    void viewingWithoutTheGenerateDialog()
    {
        Output o;
        o.source(u"pics/a.png"_s);
        Globals::Prefs.siteThumbnailDirectory = u"thumbs"_s;
        Editor e(o);
        e.editor.setHtml(QString());
        e.editor.cmdView_Click();
        QVERIFY(QFileInfo(e.preview(u"thumbs"_s)).isDir() && QFileInfo(e.preview(u"images"_s)).isDir());
        QCOMPARE(o.scripted->messages.value(0).title, u"No File"_s);

        e.editor.setHtml(u"<p>x</p>"_s);
        o.scripted->shellAnswers << 31;
        e.editor.cmdView_Click();
        QCOMPARE(o.scripted->shellCalls, QStringList{u"open "_s + e.preview(u"temp.html"_s)});
        QCOMPARE(contentsOf(e.preview(u"temp.html"_s)), QByteArray("<p>x</p>"));
        QVERIFY(QDir(e.preview(u"thumbs"_s)).isEmpty());  // no page: no thumbnails
        QCOMPARE(o.scripted->messages.value(1).title, u"Browser Failure"_s);
        QVERIFY(o.scripted->messages.value(1).text.startsWith(u"Error# 31; "_s));

        o.environment.setPreference("Use Specific Browser", "1");
        e.editor.cmdView_Click();
        QCOMPARE(o.scripted->dialogsShown, QStringList{u"BROWSERS"_s});
        QCOMPARE(o.scripted->shellCalls.size(), 1);  // the editor opened nothing itself
        QVERIFY(writeFile(e.preview(u"images/left.jpg"_s)));
        e.editor.cmdClose_Click();
        QVERIFY(!QFile::exists(e.preview(u"temp.html"_s)) && !QFile::exists(e.preview(u"images/left.jpg"_s)));
        QVERIFY(QFileInfo(e.preview(u"images"_s)).isDir());  // the directories stay

        // Preview folders that lead out of the tree, or to a sibling whose name merely
        // starts like it, are the tree itself; the program's own files are never touched.
        QVERIFY(writeFile(o.appPath + u"Browsers.txt"_s));
        const PreviewTree escaping(o.appPath, u"../TemporaryX"_s, u"a/../../b"_s);
        QCOMPARE(escaping.thumbnails(), o.appPath + u"Temporary"_s + S);
        QCOMPARE(escaping.images(), o.appPath + u"Temporary"_s + S);
        escaping.Create();
        escaping.Empty();
        QVERIFY(QFile::exists(o.appPath + u"Browsers.txt"_s));
        const PreviewTree same(o.appPath, u"/images/"_s, u"images"_s);
        QCOMPARE(same.thumbnails(), same.images());
        QCOMPARE(same.images(), o.appPath + u"Temporary"_s + S + u"images"_s + S);
    }

    void generateDialogLoadsAndStores()
    {
        Output o;
        for (const char *name : {"pics/a.png", "pics/b.png", "pics/c.png"})
            o.source(QString::fromUtf8(name));
        {
            Generate g(o);
            QCOMPARE(html(o, "Table Rows"), u"4"_s);  // written back at load
            QCOMPARE(html(o, "Default Target Frame"), u" "_s);
            QCOMPARE(control<QLabel>(g.dialog, "lblCellAmount")->text(),
                     u"13 extra cells are present.  These cells will contain no thumbnail images."_s);
            g.box("txtRows")->setText(u"x"_s);
            QCOMPARE(html(o, "Table Rows"), u"0"_s);
            QVERIFY(control<QLabel>(g.dialog, "lblCellAmount")->text().startsWith(u"3 additional cells"_s));
            control<UpDown>(g.dialog, "updRows")->stepBy(1);
            QCOMPARE(g.box("txtRows")->text(), u"1"_s);  // the spin's range starts at 1
            g.box("txtBorder")->setText(u"2.5px"_s);
            QCOMPARE(html(o, "Table Border"), u"2.5px"_s);  // as typed
            g.box("txtWebImages")->setText(u"images//"_s);
            leave(g.box("txtWebImages"));
            QCOMPARE(g.box("txtWebImages")->text(), u"images/"_s);
            g.box("txtSiteThumbs")->setText(u"thumbs\\"_s);
            leave(g.box("txtSiteThumbs"));
            QCOMPARE(Globals::Prefs.siteThumbnailDirectory, u"thumbs"_s);

            control<QPushButton>(g.dialog, "cmdCode")->click();
            QVERIFY(g.shownCode.contains(u"src=\"thumbs/QM_a.jpg\""_s));

            // The page's style, title, language, row height and viewer; the viewer and the
            // row height belong to the modern page.
            QCOMPARE(control<QSpinBox>(g.dialog, "spnRowHeight")->value(), 200);
            control<QComboBox>(g.dialog, "cboPageStyle")->setCurrentIndex(1);
            control<QSpinBox>(g.dialog, "spnRowHeight")->setValue(150);
            g.box("txtPageLanguage")->setText(u"fr"_s);
            QCOMPARE(control<QLabel>(g.dialog, "lblCellAmount")->text(),
                     u"The modern page shows all 3 thumbnails, in rows as wide as the screen."_s);
            g.check("chkPictureViewer")->setChecked(true);
            g.box("txtPageTitle")->setText(u"Our Trip"_s);
            QCOMPARE((QStringList{html(o, "Page Style"), html(o, "Picture Viewer"), html(o, "Page Title"),
                                  html(o, "Modern Row Height")}),
                     (QStringList{"1", "1", "Our Trip", "150"}));
            control<QPushButton>(g.dialog, "cmdCode")->click();
            QVERIFY(g.shownCode.startsWith(u"<!DOCTYPE html>\r\n<html lang=\"fr\">"_s));
            // Thumbnails drawn at the row height: an 80 x 60 picture is 200 x 150.
            QVERIFY(g.shownCode.contains(u"width=\"200\" height=\"150\""_s) && g.shownCode.contains(u"<title>Our Trip</title>"_s)
                    && g.shownCode.contains(u"<script>"_s));
            control<QComboBox>(g.dialog, "cboPageStyle")->setCurrentIndex(0);
            control<QPushButton>(g.dialog, "cmdCode")->click();
            QVERIFY(g.shownCode.startsWith(u"<html>"_s) && g.dialog.page().GenerateDialogLoaded);
            control<QPushButton>(g.dialog, "cmdCancel")->click();
            QVERIFY(!g.dialog.page().GenerateDialogLoaded);
        }
        QCOMPARE(pref(o, "Web Site Thumbnail Directory"), u"thumbs"_s);
        QCOMPARE(pref(o, "Web Site Images Directory"), u"images/"_s);
        Generate again(o);
        QCOMPARE((QStringList{again.box("txtRows")->text(), again.box("txtPageTitle")->text(), again.box("txtPageLanguage")->text(),
                              control<QSpinBox>(again.dialog, "spnRowHeight")->text(),
                              control<QComboBox>(again.dialog, "cboPageStyle")->currentText()}),
                 (QStringList{"1", "Our Trip", "fr", "150 px", "Classic Table"}));

        // Every control of every dialog has a name.
        Editor e(o);
        PreferencesDialog preferences(Globals::Prefs, o.appPath);
        BrowserSelection browsers(o.appPath);
        BuildSiteDialog build(o.appPath);
        for (const QWidget *window : std::initializer_list<const QWidget *>{&again.dialog, &e.editor, &preferences, &browsers, &build})
            QCOMPARE(UnnamedControls(*window).join(", "), QString());
    }

    void positionsFollowTheScrollBar()
    {
        Output o;
        o.source(u"pics/wide.png"_s, 40);  // 120 x 60
        o.source(u"pics/b.png"_s);
        const QString tall = o.source(u"pics/c.png"_s);
        Generate g(o);
        auto *bar = control<QScrollBar>(g.dialog, "hscThumb");
        QCOMPARE(bar->maximum(), 3);
        // A wide thumbnail fills the preview's width.
        QCOMPARE(control<ImageBuffer>(g.dialog, "picDisplayThumb")->ImageWidth(), control<QWidget>(g.dialog, "picContainer")->width());
        QCOMPARE(control<QLabel>(g.dialog, "lblThumbPosition")->text(), u"Position 1 of 3: wide.png"_s);
        bar->setValue(3);
        QCOMPARE(control<QLabel>(g.dialog, "lblThumbPosition")->text(), u"Position 3 of 3: c.png"_s);
        QCOMPARE(g.box("txtCaption")->text(), u"c.png"_s);
        QCOMPARE(g.dialog.page().PageThumbValues[2].SourcePath, tall);
        bar->setValue(2);
        g.box("txtCaption")->setText(u"Second"_s);
        g.box("txtThumbBorder")->setText(u"99999"_s);
        g.box("txtDefaultFrame")->setText(u"main"_s);
        bar->setValue(1);
        QCOMPARE(g.box("txtCaption")->text(), u"wide.png"_s);
        bar->setValue(2);
        QCOMPARE(g.box("txtCaption")->text(), u"Second"_s);
        QCOMPARE(g.dialog.page().PageThumbValues[1].Border, qint16(32767));
        QCOMPARE(g.dialog.page().PageThumbValues[0].Target, QString());
        QCOMPARE(html(o, "Default Target Frame"), u"main"_s);  // the shown position's
        QCOMPARE(html(o, "Cell Image Border"), u"32767"_s);
    }

    void coloursFontsAndTheBackgroundImage()
    {
        Output o;
        o.source(u"pics/a.png"_s);
        Generate g(o);
        o.scripted->colorAnswers << QColor(0x12, 0x34, 0x56);
        g.click<QToolButton>("cmdBackgroundColor");
        QCOMPARE(html(o, "Table Background Color"), QString::number(0x563412));
        QCOMPARE(control<ImageBuffer>(g.dialog, "picBackgroundImage")->BackColor(), QColor(0x12, 0x34, 0x56));

        g.box("txtFontSize")->setText(u"5"_s);
        QFont chosen(u"DejaVu Serif [PfEd]"_s, 30);  // listed with its foundry
        chosen.setBold(true);
        o.scripted->fontAnswers << chosen;
        g.click<QPushButton>("cmdFontType");
        QVERIFY(g.check("chkFontBold")->isChecked());
        QCOMPARE(control<QLabel>(g.dialog, "lblOtherFontType")->text(), u"DejaVu Serif"_s);
        QCOMPARE(g.box("txtFontSize")->text(), u"5"_s);  // the size is not copied back
        QCOMPARE(html(o, "Non-Default Font"), u"DejaVu Serif"_s);
        QVERIFY(g.dialog.page().options.fontBold);

        // The background image: chosen, typed, or refused when it is no picture.
        const QString picture = o.environment.path(u"pics/a.png"_s);
        const QString junk = o.target(u"pics"_s) + u"junk.png"_s;
        QVERIFY(writeFile(junk, "not a picture"));
        const auto *preview = control<ImageBuffer>(g.dialog, "picBackgroundImage");
        const auto *hint = control<QLabel>(g.dialog, "lblImageFile");
        o.scripted->fileAnswers << Ui::FileDialogAnswer{picture, 1};
        g.click<QPushButton>("cmdBackgroundImage");
        QCOMPARE(g.box("txtBackgroundImage")->text(), picture);
        QCOMPARE(preview->ImageWidth(), 80);
        QVERIFY(!hint->isHidden());
        QCOMPARE(html(o, "Background Image File"), picture);
        g.box("txtBackgroundImage")->setText(picture + u".typing"_s);  // no such file yet: kept
        QCOMPARE(preview->ImageWidth(), 80);
        g.box("txtBackgroundImage")->setText(junk);
        QCOMPARE(o.scripted->messages.value(0).title, u"Invalid Image File"_s);
        QCOMPARE(o.scripted->messages.value(0).text, u"junk.png Could Not Be Used As A Background Image File."_s);
        QVERIFY(preview->picture().isNull() && hint->isHidden());
    }

    // Hand-broken values show as their defaults; every value the dialog shows is written
    // when it closes, whatever it was before, and thumbnails made afterwards take the new size.
    void preferencesLoadAndStoreEveryValue()
    {
        Output o;
        for (const auto &[name, value] : {std::pair{"Auto Arrange After Directory Load", "perhaps"}, {"Auto Arrange Method", "7"},
                                          {"Save Image File Type", "PNG"}, {"Save Image Color Depth", "1"},
                                          {"Save Image Compression Quality", "900"}, {"Use Specific Browser", "1"},
                                          {"Image File Name Lower Case", "1"}, {"Web Image Long Edge", "-5"},
                                          {"Remove Photo Metadata", "2"}})
            o.environment.setPreference(name, value);
        Globals::Prefs.thumbnailBox = QSize(120, 80);
        {
            PreferencesDialog dialog(Globals::Prefs, o.appPath);
            const auto check = [&dialog](const char *name) { return control<QCheckBox>(dialog, name); };
            const auto choice = [&dialog](const char *name) { return control<QComboBox>(dialog, name); };
            const QList<QRadioButton *> methods = dialog.findChildren<QRadioButton *>(u"optArrange"_s);
            QCOMPARE(control(dialog, "txtWidth")->text(), u"120"_s);
            QVERIFY(check("chkArrange")->isChecked());  // unreadable: the default
            for (QRadioButton *method : methods)  // a method the loader does not arrange by
                QVERIFY(!method->isChecked());
            QCOMPARE(choice("cboColorDepth")->currentIndex(), 1);
            QVERIFY(!control(dialog, "txtQuality")->isEnabled());
            QCOMPARE(control(dialog, "txtQuality")->text(), u"75"_s);
            QVERIFY(dialog.findChildren<QRadioButton *>(u"optBrowser"_s).value(1)->isChecked());
            QVERIFY(check("chkImageCase")->isChecked() && check("chkRemoveMetadata")->isChecked());
            QCOMPARE(control(dialog, "txtLongEdge")->text(), u"0"_s);  // hand-broken: the default
            QVERIFY(!check("chkWebReady")->isChecked());

            control(dialog, "txtWidth")->setText(QString());  // closed while being edited
            control(dialog, "txtHeight")->setText(u"122"_s);
            check("chkArrange")->setChecked(false);
            methods.value(1)->setChecked(true);
            choice("cboSave")->setCurrentIndex(0);
            QVERIFY(choice("cboColorDepth")->currentIndex() == 0 && !choice("cboColorDepth")->isEnabled());
            choice("cboSave")->setCurrentIndex(1);
            choice("cboColorDepth")->setCurrentIndex(1);
            check("chkDuplicateImages")->setChecked(true);
            control(dialog, "txtFileNamePrefix")->setText(u"../"_s);  // closed before leaving the box
            check("chkProgressive")->setChecked(true);
            control(dialog, "txtQuality")->setText(u"42"_s);
            check("chkThumbnailCase")->setChecked(true);
            check("chkWebReady")->setChecked(true);
            control(dialog, "txtLongEdge")->setText(u"99999"_s);  // held to the largest
            check("chkHighDensity")->setChecked(true);
            dialog.reject();
        }
        const QList<QPair<const char *, const char *>> expected = {
            {"Thumbnail Width", "30"}, {"Thumbnail Height", "122"}, {"Auto Arrange After Directory Load", "False"},
            {"Auto Arrange Method", "1"}, {"Notify of Duplicate Images", "True"}, {"Save Image File Type", "PNG"},
            {"Save Image File Name Prefix", "QM_"}, {"Save Image Progressive", "1"}, {"Save Image Color Depth", "1"},
            {"Save Image Compression Quality", "42"}, {"Use Specific Browser", "1"}, {"Thumbnail File Name Lower Case", "1"},
            {"Image File Name Lower Case", "1"}, {"Web Ready Images", "1"}, {"Web Image Long Edge", "65535"},
            {"Remove Photo Metadata", "1"}, {"High Density Thumbnails", "1"},
        };
        for (const auto &[name, value] : expected)
            QCOMPARE(pref(o, name), QString::fromUtf8(value));
        QCOMPARE(Globals::Prefs.thumbnailBox, QSize(30, 122));
        o.source(u"pics/a.png"_s);
        QCOMPARE(o.thumbs.window(1)->findChild<ImageBuffer *>()->ImageWidth(), 30);  // 80 x 60 into 30 x 122
    }

    void preferenceBoxes()
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
        const QStringList held = {typeAndLeave(width, u"500"_s), typeAndLeave(width, u"5"_s),
                                  typeAndLeave(control(dialog, "txtHeight"), QString()), typeAndLeave(quality, u"0"_s),
                                  typeAndLeave(quality, u"250"_s)};
        QCOMPARE(held, (QStringList{"300", "30", "30", "5", "100"}));  // within their ranges
        width->clear();
        QTest::keyClicks(width, u"1a2-3.4"_s);
        QCOMPARE(width->text(), u"123"_s);  // digits only, three at most
        QTest::keyClick(width, Qt::Key_Backspace);
        control<UpDown>(dialog, "UpDown2")->stepBy(1);  // 12 + 1: held at the least
        QCOMPARE(width->text(), u"30"_s);

        // A prefix that is empty or would put thumbnails elsewhere is refused on leaving.
        QLineEdit *prefix = control(dialog, "txtFileNamePrefix");
        for (const QString &refused : {QString(), u"../../"_s, u"web/t_"_s, u"a\\b"_s,
                                       u"x..y"_s, u"t\tb"_s}) {
            o.scripted->messages.clear();
            prefix->setText(refused);
            leave(prefix);
            QCOMPARE(o.scripted->messages.value(0).title, u"Thumbnail File Name Prefix"_s);
            QCOMPARE(prefix->text(), u"QM_"_s);
        }
        o.scripted->messages.clear();
        prefix->setText(u"thumb.v2_"_s);
        leave(prefix);
        QVERIFY(o.scripted->messages.isEmpty());
    }

    // Build Site: the folders from the folder dialog, remembered; a build on worker
    // threads to its end and the offer of a browser; a Cancel that stops it, and a next
    // build that completes the site.
    void buildSiteRunsAndCancels()
    {
        Output o;
        const QString pictures = o.target(u"trip"_s);
        const QString site = o.target(u"site"_s);
        for (int i = 0; i < 3; ++i)
            writeFile(pictures + u"Day %1"_s.arg(i + 1) + S + u"p%1.jpg"_s.arg(i),
                      TestImages::encode(TestImages::photo(120, 90, quint32(i)), "jpg"));
        const auto thumbnails = [&site] {
            int count = 0;
            for (QDirIterator it(site, {u"QM_*"_s}, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
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
            QVERIFY(dialog.building() && ended.wait(60000));
            QCOMPARE(ended.at(0).at(0).toInt(), 0);
            QVERIFY(QFile::exists(site + u"Day 2"_s + S + u"index.html"_s));
            QCOMPARE(thumbnails(), 3);
            QCOMPARE(o.scripted->messages.constLast().text,
                     u"The Site Is Built.  Would You Like to Open It in a Browser?"_s);
            QVERIFY(control<QPlainTextEdit>(dialog, "txtReport")->toPlainText().contains(u"albums: 3 made"_s));
        }
        for (int i = 3; i < 40; ++i)
            writeFile(pictures + u"Day 1"_s + S + u"q%1.jpg"_s.arg(i),
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
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
