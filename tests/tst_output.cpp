#include "FullDisk.h"
#include "OutputFixture.h"

#include "imagebuffer/ImageBuffer.h"
#include "output/Browsers.h"
#include "output/HtmlFile.h"
#include "output/ImageCopying.h"
#include "output/OutputFiles.h"
#include "output/ProfileFile.h"
#include "output/ThumbnailSaving.h"
#include "ui/FileIcons.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ListingModel.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/ThumbnailWindow.h"
#include "thumbs/Thumbnails.h"
#include "ui/DocumentArea.h"
#include "webpage/PageModel.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTest>
#include <QTreeWidget>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif


class OutputTest : public QObject {
    Q_OBJECT
private slots:
    void noThumbnailsStillMakeTheDirectory();
    void pngInSlotOrderWithTheLog();
    void namesAndTypes();
    void aDirectoryThatCannotBeMadeStopsTheSave();
    void aPrefixThatLeadsElsewhereWritesNothing();
    void noWriteReplacesAPicture();
    void aWriteThatFailsIsAFailure();
    void copyingEveryImage();
    void copyingThePageImages();
    void webCopiesFromTheWindow();
    void profileFilesKeepTheirLayout();
    void theBrowserList();
    void browserSelection();
};

void OutputTest::noThumbnailsStillMakeTheDirectory()
{
    Output o;
    o.save(QString());  // cancelled: nothing at all
    QVERIFY(!QFile::exists(o.appPath + QStringLiteral("thumbnail.txt")));
    const QString web = o.target(QStringLiteral("web/site/thumbs"));
    o.scripted->fileAnswers << Ui::FileDialogAnswer{web + QStringLiteral("*.*"), 1};
    o.save(QString());
    QCOMPARE(o.scripted->saveRequests.value(0).title, QStringLiteral("Specify the Local Thumbnail Directory"));
    QCOMPARE(o.scripted->saveRequests.value(0).fileName, QStringLiteral("*.*"));
    QVERIFY(QFileInfo(web).isDir());  // three levels made
    QCOMPARE(o.log("thumbnail.txt"), records({QStringLiteral("CreateDirectory -- %1: True").arg(web)}));
    QCOMPARE(Globals::Prefs.localThumbnailDirectory, web);
    QCOMPARE(o.environment.raw().value(QStringLiteral("Preferences/Local Thumbnail Directory")).toString(), web);
}

void OutputTest::pngInSlotOrderWithTheLog()
{
    Output o;
    o.setPreference("Save Image File Type", "PNG");
    o.setPreference("Save Image Color Depth", "1");
    o.setPreference("Save Image Progressive", "1");
    o.source(QStringLiteral("pics/b.png"), 1);
    o.source(QStringLiteral("pics/a.png"), 2);
    o.source(QStringLiteral("pics/c.png"), 3);
    o.source(QStringLiteral("other/c.png"), 4);
    o.thumbs.window(2)->close();  // a.png: a free slot is passed over
    const QString web = o.target(QStringLiteral("web"));
    o.save(web);
    const QString b = web + QStringLiteral("QM_b.png"), c = web + QStringLiteral("QM_c.png");
    const QString otherC = web + QStringLiteral("QM_c (2).png");
    // Slot order, not the listing's; the second c.png takes a name of its own, and
    // a line says why.
    const QString renamed = QStringLiteral("The thumbnail of %1 is named \"QM_c (2).png\": \"QM_c.png\" is the "
                                           "thumbnail of %2.")
                                .arg(o.environment.path("other/c.png"), o.environment.path("pics/c.png"));
    QCOMPARE(o.log("thumbnail.txt"),
             records({QStringLiteral("CreateDirectory -- %1: True").arg(web), b, c, otherC, renamed}));
    QCOMPARE(o.scripted->messages.size(), 1);
    QVERIFY(o.scripted->messages[0].text.endsWith(renamed));
    QVERIFY(contentsOf(c) != contentsOf(otherC));
    QVERIFY(!QFile::exists(web + QStringLiteral("QM_a.png")));
    const QByteArray png = contentsOf(b);
    QCOMPARE(quint8(png[24]), quint8(8));   // bit depth
    QCOMPARE(quint8(png[25]), quint8(3));   // palette
    QCOMPARE(quint8(png[28]), quint8(1));   // Adam7
    QCOMPARE(QImage(b).size(), o.thumbs.window(1)->findChild<ImageBuffer *>()->picture().size());
    // The thumbnail itself keeps the reduced colours, back at 24 bits.
    const ImageBuffer &kept = qobject_cast<ThumbnailWindow *>(o.thumbs.window(1))->picture();
    QCOMPARE(kept.ColorDepth(), 24);
    QVERIFY(kept.picture().image().convertToFormat(QImage::Format_Indexed8, Qt::AvoidDither).colorCount() <= 256);
}

void OutputTest::namesAndTypes()
{
    Output o;
    o.source(QStringLiteral("pics/Photo.PNG"));
    const auto savedNames = [&o](const char *directory) {
        o.save(o.target(QString::fromUtf8(directory)));
        return QDir(o.target(QString::fromUtf8(directory))).entryList(QDir::Files);
    };
    QCOMPARE(savedNames("plain"), QStringList{QStringLiteral("QM_Photo.jpg")});
    o.setPreference("Save Image File Type", "PNG");
    o.setPreference("Thumbnail File Name Lower Case", "1");
    QCOMPARE(savedNames("lower"), QStringList{QStringLiteral("qm_photo.png")});
    o.setPreference("Thumbnail File Name Lower Case", "0");
    QCOMPARE(savedNames("png"), QStringList{QStringLiteral("QM_Photo.png")});
    // Double-size thumbnails beside them, drawn from the picture.
    o.setPreference("High Density Thumbnails", "1");
    QCOMPARE(savedNames("dense"), (QStringList{QStringLiteral("QM_Photo.png"), QStringLiteral("QM_Photo@2x.png")}));
    const QString dense = o.target(QStringLiteral("dense"));
    QCOMPARE(QImage(dense + QStringLiteral("QM_Photo@2x.png")).size(), 2 * QImage(dense + QStringLiteral("QM_Photo.png")).size());
    // The modern page's are drawn at its row height, whatever the windows show.
    o.environment.raw().setValue(QStringLiteral("HTML Preferences/Page Style"), QStringLiteral("1"));
    o.environment.raw().setValue(QStringLiteral("HTML Preferences/Modern Row Height"), QStringLiteral("120"));
    savedNames("modern");
    const QString modern = o.target(QStringLiteral("modern"));
    QCOMPARE(QImage(modern + QStringLiteral("QM_Photo.png")).size(), QSize(160, 120));
    QCOMPARE(QImage(modern + QStringLiteral("QM_Photo@2x.png")).size(), QSize(320, 240));
    o.environment.raw().setValue(QStringLiteral("HTML Preferences/Page Style"), QStringLiteral("0"));
    o.setPreference("High Density Thumbnails", "0");

    // "png" in lower case is not "PNG": JPEG, and no line for it in the log.
    o.setPreference("Save Image File Type", "png");
    o.setPreference("Save Image Compression Quality", "20");
    const QString web = o.target(QStringLiteral("web"));
    o.save(web);
    const QByteArray jpeg = contentsOf(web + QStringLiteral("QM_Photo.jpg"));
    QVERIFY(jpeg.startsWith("\xFF\xD8\xFF"));
    QCOMPARE(o.log("thumbnail.txt"), records({QStringLiteral("CreateDirectory -- %1: True").arg(web)}));
    // The quality is the one the JPEG is written with.
    o.setPreference("Save Image Compression Quality", "95");
    o.save(web);
    QVERIFY(contentsOf(web + QStringLiteral("QM_Photo.jpg")).size() > jpeg.size() * 3 / 2);
}

void OutputTest::aDirectoryThatCannotBeMadeStopsTheSave()
{
    Output o;
    o.source(QStringLiteral("pics/a.png"));
    QVERIFY(writeFile(o.environment.path(QStringLiteral("taken"))));
    const QString web = o.target(QStringLiteral("taken/web"));
    QVERIFY(!OutputFiles::EnsureDirectory(web, true));
    o.save(web);
    QCOMPARE(o.log("thumbnail.txt"), records({QStringLiteral("CreateDirectory -- %1: False").arg(web)}));
    QCOMPARE(o.scripted->messages.size(), 1);
    QCOMPARE(o.scripted->messages[0].text, QStringLiteral("The Directory %1 Could Not Be Created.").arg(web));
}

void OutputTest::aPrefixThatLeadsElsewhereWritesNothing()
{
    Output o;
    o.source(QStringLiteral("pics/a.png"));
    o.setPreference("Save Image File Name Prefix", "../../");
    const QString web = o.target(QStringLiteral("site/web"));
    o.save(web);
    QCOMPARE(o.scripted->messages.size(), 1);
    QVERIFY(o.scripted->messages[0].text.startsWith(QStringLiteral("The Thumbnail File Name Prefix \"../../\" Cannot Be Used")));
    QVERIFY(!QFileInfo::exists(o.environment.path(QStringLiteral("site"))));
    QVERIFY(!QFileInfo::exists(o.environment.path(QStringLiteral("a.jpg"))));
    QVERIFY(!QFileInfo::exists(o.appPath + QStringLiteral("thumbnail.txt")));
}

// Saved into the pictures' own folder, or onto a link to one of them, a thumbnail
// that would take a picture's name is not written, and the user is told.
void OutputTest::noWriteReplacesAPicture()
{
    Output o;
    o.setPreference("Save Image File Type", "PNG");
    const QString a = o.source(QStringLiteral("pics/a.png"), 1);
    const QString thumbnailNamed = o.source(QStringLiteral("pics/QM_a.png"), 2);
    const QByteArray pictureA = contentsOf(a), picture = contentsOf(thumbnailNamed);
    const QString pics = o.target(QStringLiteral("pics"));
    o.save(pics);
    QCOMPARE(contentsOf(thumbnailNamed), picture);
    QVERIFY(QFileInfo(pics + QStringLiteral("QM_QM_a.png")).size() > 0);  // the other one is saved
    QCOMPARE(o.scripted->messages.value(0).text.section(u'\n', 0, 1),
             QStringLiteral("1 of the Thumbnails Could Not Be Saved.\n%1QM_a.png: it would replace one of the pictures")
                 .arg(pics));

    const QString web = o.target(QStringLiteral("web"));
    QVERIFY(QDir().mkpath(web));
    QVERIFY(QFile::link(a, web + QStringLiteral("QM_a.png")));
    int links = 1;
#ifdef Q_OS_UNIX
    QCOMPARE(::link(QFile::encodeName(thumbnailNamed).constData(), QFile::encodeName(web + "QM_QM_a.png").constData()), 0);
    ++links;
#endif
    o.scripted->messages.clear();
    o.save(web);
    QCOMPARE(contentsOf(a), pictureA);
    QCOMPARE(contentsOf(thumbnailNamed), picture);
    QVERIFY(o.scripted->messages.value(0).text.startsWith(
        QStringLiteral("%1 of the Thumbnails Could Not Be Saved.").arg(links)));
}

// A write that the disk does not take is reported with the file and the reason, and
// leaves no file, nor part of one, under the name it was for.
void OutputTest::aWriteThatFailsIsAFailure()
{
#ifndef QUILLMERE_FULL_DISK
    QSKIP("Needs a limit on file sizes.");
#else
    Output o;
    o.source(QStringLiteral("pics/a.png"), 1);
    const QString web = o.target(QStringLiteral("web"));
    QVERIFY(writeFile(web + QStringLiteral("QM_a.jpg"), "an earlier thumbnail"));
    QString page, browsers;
    {
        const FullDisk full(400);  // the logs fit, a thumbnail or a picture does not
        o.save(web);
        o.copy(web, false);
        page = HtmlFile::Write(web + QStringLiteral("page.htm"), QString(2000, u'x'));
        browsers = Browsers::Add(o.appPath, QString(500, u'p'));
    }
    QCOMPARE(contentsOf(web + QStringLiteral("QM_a.jpg")), QByteArray("an earlier thumbnail"));
    QCOMPARE(QDir(web).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("QM_a.jpg")});
    QCOMPARE(o.scripted->messages.value(0).text,
             QStringLiteral("1 of the Thumbnails Could Not Be Saved.\n%1QM_a.jpg: File too large").arg(web));
    QCOMPARE(o.scripted->messages.value(1).text,
             QStringLiteral("1 of the Images Could Not Be Copied.\n%1a.png: File too large").arg(web));
    QCOMPARE(page, QStringLiteral("File too large"));
    QCOMPARE(browsers, o.appPath + QStringLiteral("Browsers.txt: File too large"));
    QVERIFY(!QFile::exists(o.appPath + QStringLiteral("Browsers.txt")));

    // A log that cannot be written is no log at all.
    o.scripted->messages.clear();
    {
        const FullDisk full(8);
        o.save(web);
    }
    QVERIFY(!QFile::exists(o.appPath + QStringLiteral("thumbnail.txt")));
    QCOMPARE(o.scripted->messages.value(0).text,
             QStringLiteral("The File %1thumbnail.txt Could Not Be Written.\nFile too large").arg(o.appPath));
#endif
}

void OutputTest::copyingEveryImage()
{
    Output o;
    o.setPreference("Image File Name Lower Case", "1");
    const QString sunset = o.source(QStringLiteral("pics/Sunset.PNG"));
    const QString web = o.target(QStringLiteral("web/images"));
    QVERIFY(writeFile(web + QStringLiteral("sunset.png"), "an older copy"));
    o.scripted->fileAnswers << Ui::FileDialogAnswer{web + QStringLiteral("x.jpg"), 1};
    o.copy(QString(), false);
    QCOMPARE(o.scripted->saveRequests.value(0).title, QStringLiteral("Specify the Local Image Directory"));
    QCOMPARE(contentsOf(web + QStringLiteral("sunset.png")), contentsOf(sunset));  // replaced, byte for byte
    QCOMPARE(o.log("images.txt"), records({QStringLiteral("CreateDirectory -- %1: True").arg(web),
                                           sunset + QStringLiteral(" to ") + web + QStringLiteral("Sunset.PNG")}));
    QCOMPARE(Globals::Prefs.localImageDirectory, web);
    QVERIFY(o.scripted->messages.isEmpty());

    // Into the pictures' own folder: every picture stays as it was.
    const QByteArray picture = contentsOf(sunset);
    o.setPreference("Image File Name Lower Case", "0");
    o.copy(QFileInfo(sunset).path() + S, false);
    QCOMPARE(contentsOf(sunset), picture);
    QVERIFY(o.scripted->messages.isEmpty());
}

// Save Images writes web copies as the preferences say, under the names the page
// links, and refuses to strip a picture in its own folder.
void OutputTest::webCopiesFromTheWindow()
{
    Output o;
    o.setPreference("Web Ready Images", "1");
    o.setPreference("Remove Photo Metadata", "1");
    const QString scan = QDir::toNativeSeparators(o.environment.path(QStringLiteral("pics/scan.tif")));
    const QString photo = QDir::toNativeSeparators(o.environment.path(QStringLiteral("pics/photo.jpg")));
    const QByteArray turned = TestImages::withOrientation(TestImages::encode(TestImages::photo(60, 40), "jpg"), 6, false);
    const QByteArray commented = turned.left(2) + QByteArray("\xFF\xFE\x00\x08SECRET", 10) + turned.mid(2);
    QVERIFY(writeFile(scan, TestImages::tiff(TestImages::pattern(30, 20), 3, 8, false, false)));
    QVERIFY(writeFile(photo, commented));
    for (const QString &path : {scan, photo}) {
        Picture picture;
        QVERIFY(LoadAnyImageFile(picture, path));
        QCOMPARE(o.maker.CreateThumbnail(picture, path), 0);
    }
    const QString web = o.target(QStringLiteral("web"));
    o.copy(web, false);
    QVERIFY(o.scripted->messages.isEmpty());
    QCOMPARE(QDir(web).entryList(QDir::Files), (QStringList{QStringLiteral("photo.jpg"), QStringLiteral("scan.jpg")}));
    QCOMPARE(QImageReader(web + QStringLiteral("scan.jpg")).format(), QByteArray("jpeg"));
    QCOMPARE(contentsOf(web + QStringLiteral("photo.jpg")), turned);

    o.copy(QFileInfo(photo).path() + S, false);
    QCOMPARE(contentsOf(photo), commented);
    QCOMPARE(o.scripted->messages.size(), 1);
    QVERIFY(o.scripted->messages[0].text.contains(QStringLiteral("the copy would replace the picture itself")));
}

void OutputTest::copyingThePageImages()
{
    Output o;
    o.setPreference("Image File Name Lower Case", "1");  // no lower case for page images
    const QString a = o.source(QStringLiteral("pics/A.png"), 1);
    const QString b = o.source(QStringLiteral("pics/B.png"), 2);
    o.source(QStringLiteral("pics/C.png"), 3);
    const QString sky = QDir::toNativeSeparators(o.environment.path(QStringLiteral("pics/Sky.GIF")));
    QFile(a).copy(sky);
    PageModel page;
    page.PageSources = {PageSource{b, QStringLiteral("B.png"), {}, false, {}, {}},
                        PageSource{a, QStringLiteral("A.png"), {}, false, {}, {}}};
    page.PageThumbValues = {ThumbPageValues{QStringLiteral("Renamed.png"), b, {}, {}, 0, 0, 0},
                            ThumbPageValues{QString(), a, {}, {}, 0, 0, 0}};
    page.options.backgroundImageFile = sky;
    const QString web = o.target(QStringLiteral("web"));
    o.copy(web, true, &page);  // the dialog is not open: no background image
    QCOMPARE(o.log("images.txt"), records({QStringLiteral("CreateDirectory -- %1: True").arg(web),
                                           a + QStringLiteral(" to ") + web, b + QStringLiteral(" to ") + web + "Renamed.png"}));
    QCOMPARE(contentsOf(web + QStringLiteral("Renamed.png")), contentsOf(b));
    QVERIFY(!QFile::exists(web + QStringLiteral("C.png")));
    page.GenerateDialogLoaded = true;
    o.copy(web, true, &page);
    QVERIFY(o.log("images.txt").endsWith(records({sky + QStringLiteral(" to ") + web + QStringLiteral("Sky.GIF")})));
    QVERIFY(QFile::exists(web + QStringLiteral("sky.gif")));  // lower case applies to it
    QVERIFY(o.scripted->messages.isEmpty());
}

void OutputTest::profileFilesKeepTheirLayout()
{
    TestEnvironment environment;
    const QString file = environment.path(QStringLiteral("Browsers.txt"));
    QVERIFY(ProfileFile::WriteString(file, "/usr/bin/b", "Path", "/usr/bin/b").isEmpty());
    QVERIFY(ProfileFile::WriteString(file, "C:\\Tools\\view.exe", "Path", "C:\\Tools\\view.exe").isEmpty());
    QVERIFY(ProfileFile::WriteString(file, "/usr/bin/b", "Name", "b").isEmpty());
    QVERIFY(ProfileFile::WriteString(file, "/USR/BIN/B", "path", "").isEmpty());  // names match without case
    QCOMPARE(contentsOf(file), QByteArray("[/usr/bin/b]\r\nPath=\r\nName=b\r\n[C:\\Tools\\view.exe]\r\nPath=C:\\Tools\\view.exe\r\n"));
    QCOMPARE(ProfileFile::Contents(file).value("c:\\tools\\VIEW.exe", "PATH", "None"), QStringLiteral("C:\\Tools\\view.exe"));
    QCOMPARE(ProfileFile::Contents(file).value("/usr/bin/b", "Missing", "None"), QStringLiteral("None"));
    // Far more sections than a small buffer would hold: every one is read, in order.
    QStringList names;
    for (int i = 0; i < 300; ++i) {
        names << QStringLiteral("/opt/programs/browser number %1/bin/run").arg(i);
        ProfileFile::WriteString(file, names.last(), "Path", names.last());
    }
    QCOMPARE(ProfileFile::Contents(file).sectionNames().mid(2), names);
}

void OutputTest::theBrowserList()
{
    TestEnvironment environment;
    const DesktopApplications applications(environment);
    const QString web = applications.program(QStringLiteral("webby"));
    applications.entry("webby.desktop", "Name=Webby Browser\nExec=\"" + web.toUtf8() + "\" %u\nMimeType=text/html;image/png;\n");
    applications.entry("viewer.desktop", "Name=Viewer\nExec=" + web.toUtf8() + " %f\nMimeType=image/png;\n");
    applications.entry("gone.desktop", "Name=Gone\nExec=/nowhere/gone %u\nMimeType=x-scheme-handler/http;\n");
    const QString app = environment.path(QStringLiteral("app")) + S;
    QDir().mkpath(app);
    const QString mine = applications.program(QStringLiteral("mine.bin"));
    QVERIFY(Browsers::Add(app, mine).isEmpty());
    ProfileFile::WriteString(app + "Browsers.txt", mine, "Name", "");  // no name: its file name shows
    QVERIFY(Browsers::Add(app, environment.path(QStringLiteral("deleted-later"))).isEmpty());
    QVERIFY(Browsers::Remove(app, environment.path(QStringLiteral("deleted-later"))).isEmpty());
    ProfileFile::WriteString(app + "Browsers.txt", "/nowhere/missing", "Path", "/nowhere/missing");
    QTreeWidget list;
    FileIcons icons;
    Browsers::FillBrowserList(list, icons, app);
    QCOMPARE(list.topLevelItemCount(), 2);
    QCOMPARE(list.topLevelItem(0)->text(0), QStringLiteral("Webby Browser"));
    QCOMPARE(list.topLevelItem(0)->text(1), web);
    QCOMPARE(list.topLevelItem(1)->text(0), QStringLiteral("mine.bin"));
    QVERIFY(!list.topLevelItem(1)->icon(0).isNull());
    QVERIFY(ProfileFile::Contents(app + "Browsers.txt").sectionNames().contains(environment.path(QStringLiteral("deleted-later"))));
}

void OutputTest::browserSelection()
{
    TestEnvironment environment;
    const DesktopApplications none(environment);
    Ui::ScriptedPlatformScope scripted;
    const QString app = environment.path(QStringLiteral("my app")) + S;
    QDir().mkpath(app);
    const QString page = QDir::toNativeSeparators(app + QStringLiteral("Temporary/temp.html"));
    {
        // No browser: the default one opens the page, and a failure says why.
        BrowserSelection empty(app);
        scripted->shellAnswers << 31;
        empty.Form_Activate();
        QCOMPARE(scripted->messages.value(0).title, QStringLiteral("No Registered Web Browsers"));
        QCOMPARE(scripted->shellCalls, QStringList{QStringLiteral("open ") + page});
        QCOMPARE(scripted->messages.value(1).text,
                 QStringLiteral("Error# 31; There is No Application Associated with the Given Filename Extension."));
        empty.cmdSelect_Click();  // nothing to choose: nothing happens
        QCOMPARE(scripted->shellCalls.size(), 1);
    }
    const QString program = none.program(QStringLiteral("viewer"));
    QVERIFY(Browsers::Add(app, program).isEmpty());
    BrowserSelection dialog(app);
    QCOMPARE(dialog.objectName(), QStringLiteral("BROWSERS"));
    QCOMPARE(dialog.list().currentItem()->text(1), program);
    scripted->messages.clear();
    scripted->shellAnswers << 2;
    dialog.ListView1_DblClick();
    QCOMPARE(scripted->shellCalls.last(), QStringLiteral("start %1 %2").arg(program, page));  // unquoted
    QCOMPARE(scripted->messages.value(0).text, QStringLiteral("Error# 2; The Specified File Was Not Found."));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

QTEST_MAIN(OutputTest)
#include "tst_output.moc"
