#include "FullDisk.h"
#include "OutputFixture.h"

#include "imagebuffer/ImageBuffer.h"
#include "output/Browsers.h"
#include "output/HtmlFile.h"
#include "output/OutputFiles.h"
#include "output/ProfileFile.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ThumbnailWindow.h"
#include "ui/FileIcons.h"

#include <QImageReader>
#include <QTest>
#include <QTreeWidget>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif


class OutputTest : public QObject {
    Q_OBJECT
private slots:
    void pngInSlotOrderWithTheLog()
    {
        Output o;
        o.setPreference("Save Image File Type", "PNG");
        o.setPreference("Save Image Color Depth", "1");
        o.setPreference("Save Image Progressive", "1");
        o.source(u"pics/b.png"_s, 1);
        o.source(u"pics/a.png"_s, 2);
        o.source(u"pics/c.png"_s, 3);
        o.source(u"other/c.png"_s, 4);
        o.thumbs.window(2)->close();  // a.png: a free slot is passed over
        const QString web = o.target(u"web"_s);
        o.save(web);
        const QString b = web + u"QM_b.png"_s, c = web + u"QM_c.png"_s;
        const QString otherC = web + u"QM_c (2).png"_s;
        // Slot order, not the listing's; the second c.png takes a name of its own, and
        // a line says why.
        const QString renamed = u"The thumbnail of %1 is named \"QM_c (2).png\": \"QM_c.png\" is the "
                                               "thumbnail of %2."_s
                                    .arg(o.environment.path("other/c.png"), o.environment.path("pics/c.png"));
        QCOMPARE(o.log("thumbnail.txt"), records({u"CreateDirectory -- %1: True"_s.arg(web), b, c, otherC, renamed}));
        QCOMPARE(o.scripted->messages.size(), 1);
        QVERIFY(o.scripted->messages[0].text.endsWith(renamed) && contentsOf(c) != contentsOf(otherC));
        QVERIFY(!QFile::exists(web + u"QM_a.png"_s));
        const QByteArray png = contentsOf(b);  // 8 bits of a palette, Adam7
        QCOMPARE((QList<int>{png[24], png[25], png[28]}), (QList<int>{8, 3, 1}));
        QCOMPARE(QImage(b).size(), o.thumbs.window(1)->findChild<ImageBuffer *>()->picture().size());
        // The thumbnail itself keeps the reduced colours, back at 24 bits.
        const ImageBuffer &kept = qobject_cast<ThumbnailWindow *>(o.thumbs.window(1))->picture();
        QCOMPARE(kept.ColorDepth(), 24);
        QVERIFY(kept.picture().image().convertToFormat(QImage::Format_Indexed8, Qt::AvoidDither).colorCount() <= 256);
    }

    void namesAndTypes()
    {
        Output o;
        o.source(u"pics/Photo.PNG"_s);
        const auto savedNames = [&o](const char *directory) {
            o.save(o.target(QString::fromUtf8(directory)));
            return QDir(o.target(QString::fromUtf8(directory))).entryList(QDir::Files);
        };
        QCOMPARE(savedNames("plain"), QStringList{u"QM_Photo.jpg"_s});
        o.setPreference("Save Image File Type", "PNG");
        o.setPreference("Thumbnail File Name Lower Case", "1");
        QCOMPARE(savedNames("lower"), QStringList{u"qm_photo.png"_s});
        o.setPreference("Thumbnail File Name Lower Case", "0");
        QCOMPARE(savedNames("png"), QStringList{u"QM_Photo.png"_s});
        // Double-size thumbnails beside them, drawn from the picture.
        o.setPreference("High Density Thumbnails", "1");
        QCOMPARE(savedNames("dense"), (QStringList{u"QM_Photo.png"_s, u"QM_Photo@2x.png"_s}));
        const QString dense = o.target(u"dense"_s);
        QCOMPARE(QImage(dense + u"QM_Photo@2x.png"_s).size(), 2 * QImage(dense + u"QM_Photo.png"_s).size());
        // The modern page's are drawn at its row height, whatever the windows show.
        o.environment.raw().setValue(u"HTML Preferences/Page Style"_s, u"1"_s);
        o.environment.raw().setValue(u"HTML Preferences/Modern Row Height"_s, u"120"_s);
        savedNames("modern");
        const QString modern = o.target(u"modern"_s);
        QCOMPARE(QImage(modern + u"QM_Photo.png"_s).size(), QSize(160, 120));
        QCOMPARE(QImage(modern + u"QM_Photo@2x.png"_s).size(), QSize(320, 240));
        o.environment.raw().setValue(u"HTML Preferences/Page Style"_s, u"0"_s);
        o.setPreference("High Density Thumbnails", "0");

        // "png" in lower case is not "PNG": JPEG, and no line for it in the log.
        o.setPreference("Save Image File Type", "png");
        o.setPreference("Save Image Compression Quality", "20");
        const QString web = o.target(u"web"_s);
        o.save(web);
        const QByteArray jpeg = contentsOf(web + u"QM_Photo.jpg"_s);
        QVERIFY(jpeg.startsWith("\xFF\xD8\xFF"));
        QCOMPARE(o.log("thumbnail.txt"), records({u"CreateDirectory -- %1: True"_s.arg(web)}));
        // The quality is the one the JPEG is written with.
        o.setPreference("Save Image Compression Quality", "95");
        o.save(web);
        QVERIFY(contentsOf(web + u"QM_Photo.jpg"_s).size() > jpeg.size() * 3 / 2);
    }

    // The folder of a save is made even for no thumbnails, and remembered; one that
    // cannot be made, or a prefix that would put thumbnails elsewhere, stops a save
    // before anything is written.
    void theFolderOfASave()
    {
        Output o;
        o.save(QString());  // cancelled: nothing at all
        QVERIFY(!QFile::exists(o.appPath + u"thumbnail.txt"_s));
        const QString made = o.target(u"web/site/thumbs"_s);
        o.scripted->fileAnswers << Ui::FileDialogAnswer{made + u"*.*"_s, 1};
        o.save(QString());  // no thumbnails: the folder is made all the same, three levels deep
        QCOMPARE(o.scripted->saveRequests.value(0).title, u"Specify the Local Thumbnail Directory"_s);
        QCOMPARE(o.scripted->saveRequests.value(0).fileName, u"*.*"_s);
        QVERIFY(QFileInfo(made).isDir());
        QCOMPARE(o.log("thumbnail.txt"), records({u"CreateDirectory -- %1: True"_s.arg(made)}));
        QCOMPARE(Globals::Prefs.localThumbnailDirectory, made);
        QCOMPARE(o.environment.raw().value(u"Preferences/Local Thumbnail Directory"_s).toString(), made);

        o.source(u"pics/a.png"_s);
        QVERIFY(writeFile(o.environment.path(u"taken"_s)));
        const QString web = o.target(u"taken/web"_s);
        QVERIFY(!OutputFiles::EnsureDirectory(web, true));
        o.save(web);
        QCOMPARE(o.log("thumbnail.txt"), records({u"CreateDirectory -- %1: False"_s.arg(web)}));
        QCOMPARE(o.scripted->messages.value(0).text, u"The Directory %1 Could Not Be Created."_s.arg(web));

        QVERIFY(QFile::remove(o.appPath + u"thumbnail.txt"_s));
        o.setPreference("Save Image File Name Prefix", "../../");
        o.save(o.target(u"site/web"_s));
        QVERIFY(o.scripted->messages.value(1).text.startsWith(u"The Thumbnail File Name Prefix \"../../\" Cannot Be Used"_s));
        QVERIFY(!QFileInfo::exists(o.environment.path(u"site"_s)) && !QFileInfo::exists(o.environment.path(u"a.jpg"_s)));
        QVERIFY(!QFileInfo::exists(o.appPath + u"thumbnail.txt"_s));
    }

    // Saved into the pictures' own folder, or onto a link to one of them, a thumbnail
    // that would take a picture's name is not written, and the user is told.
    void noWriteReplacesAPicture()
    {
        Output o;
        o.setPreference("Save Image File Type", "PNG");
        const QString a = o.source(u"pics/a.png"_s, 1);
        const QString thumbnailNamed = o.source(u"pics/QM_a.png"_s, 2);
        const QByteArray pictureA = contentsOf(a), picture = contentsOf(thumbnailNamed);
        const QString pics = o.target(u"pics"_s);
        o.save(pics);
        QCOMPARE(contentsOf(thumbnailNamed), picture);
        QVERIFY(QFileInfo(pics + u"QM_QM_a.png"_s).size() > 0);  // the other one is saved
        QCOMPARE(o.scripted->messages.value(0).text.section(u'\n', 0, 1),
                 u"1 of the Thumbnails Could Not Be Saved.\n%1QM_a.png: it would replace one of the pictures"_s
                     .arg(pics));

        const QString web = o.target(u"web"_s);
        QVERIFY(QDir().mkpath(web) && QFile::link(a, web + u"QM_a.png"_s));
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
            u"%1 of the Thumbnails Could Not Be Saved."_s.arg(links)));
    }

    // A write that the disk does not take is reported with the file and the reason, and
    // leaves no file, nor part of one, under the name it was for.
    void aWriteThatFailsIsAFailure()
    {
    #ifndef QUILLMERE_FULL_DISK
        QSKIP("Needs a limit on file sizes.");
    #else
        Output o;
        o.source(u"pics/a.png"_s, 1);
        const QString web = o.target(u"web"_s);
        QVERIFY(writeFile(web + u"QM_a.jpg"_s, "an earlier thumbnail"));
        QString page, browsers;
        {
            const FullDisk full(400);  // the logs fit, a thumbnail or a picture does not
            o.save(web);
            o.copy(web, false);
            page = HtmlFile::Write(web + u"page.htm"_s, QString(2000, u'x'));
            browsers = Browsers::Add(o.appPath, QString(500, u'p'));
        }
        QCOMPARE(contentsOf(web + u"QM_a.jpg"_s), QByteArray("an earlier thumbnail"));
        QCOMPARE(QDir(web).entryList(QDir::Files | QDir::Hidden), QStringList{u"QM_a.jpg"_s});
        QCOMPARE(o.scripted->messages.value(0).text,
                 u"1 of the Thumbnails Could Not Be Saved.\n%1QM_a.jpg: File too large"_s.arg(web));
        QCOMPARE(o.scripted->messages.value(1).text,
                 u"1 of the Images Could Not Be Copied.\n%1a.png: File too large"_s.arg(web));
        QCOMPARE(page, u"File too large"_s);
        QCOMPARE(browsers, o.appPath + u"Browsers.txt: File too large"_s);
        QVERIFY(!QFile::exists(o.appPath + u"Browsers.txt"_s));

        // A log that cannot be written is no log at all.
        o.scripted->messages.clear();
        {
            const FullDisk full(8);
            o.save(web);
        }
        QVERIFY(!QFile::exists(o.appPath + u"thumbnail.txt"_s));
        QCOMPARE(o.scripted->messages.value(0).text,
                 u"The File %1thumbnail.txt Could Not Be Written.\nFile too large"_s.arg(o.appPath));
    #endif
    }

    void copyingEveryImage()
    {
        Output o;
        o.setPreference("Image File Name Lower Case", "1");
        const QString sunset = o.source(u"pics/Sunset.PNG"_s);
        const QString web = o.target(u"web/images"_s);
        QVERIFY(writeFile(web + u"sunset.png"_s, "an older copy"));
        o.scripted->fileAnswers << Ui::FileDialogAnswer{web + u"x.jpg"_s, 1};
        o.copy(QString(), false);
        QCOMPARE(o.scripted->saveRequests.value(0).title, u"Specify the Local Image Directory"_s);
        QCOMPARE(contentsOf(web + u"sunset.png"_s), contentsOf(sunset));  // replaced, byte for byte
        QCOMPARE(o.log("images.txt"), records({u"CreateDirectory -- %1: True"_s.arg(web),
                                               sunset + u" to "_s + web + u"Sunset.PNG"_s}));
        QCOMPARE(Globals::Prefs.localImageDirectory, web);
        QVERIFY(o.scripted->messages.isEmpty());

        // Into the pictures' own folder: every picture stays as it was.
        const QByteArray picture = contentsOf(sunset);
        o.setPreference("Image File Name Lower Case", "0");
        o.copy(QFileInfo(sunset).path() + S, false);
        QCOMPARE(contentsOf(sunset), picture);
        QVERIFY(o.scripted->messages.isEmpty());
    }

    void copyingThePageImages()
    {
        Output o;
        o.setPreference("Image File Name Lower Case", "1");  // no lower case for page images
        const QString a = o.source(u"pics/A.png"_s, 1);
        const QString b = o.source(u"pics/B.png"_s, 2);
        o.source(u"pics/C.png"_s, 3);
        const QString sky = QDir::toNativeSeparators(o.environment.path(u"pics/Sky.GIF"_s));
        QFile(a).copy(sky);
        PageModel page;
        page.PageSources = {PageSource{b, u"B.png"_s, {}, false, {}, {}}, PageSource{a, u"A.png"_s, {}, false, {}, {}}};
        page.PageThumbValues = {ThumbPageValues{u"Renamed.png"_s, b, {}, {}, 0, 0, 0},
                                ThumbPageValues{QString(), a, {}, {}, 0, 0, 0}};
        page.options.backgroundImageFile = sky;
        const QString web = o.target(u"web"_s);
        o.copy(web, true, &page);  // the dialog is not open: no background image
        QCOMPARE(o.log("images.txt"), records({u"CreateDirectory -- %1: True"_s.arg(web),
                                               a + u" to "_s + web, b + u" to "_s + web + "Renamed.png"}));
        QCOMPARE(contentsOf(web + u"Renamed.png"_s), contentsOf(b));
        QVERIFY(!QFile::exists(web + u"C.png"_s));
        page.GenerateDialogLoaded = true;
        o.copy(web, true, &page);
        QVERIFY(o.log("images.txt").endsWith(records({sky + u" to "_s + web + u"Sky.GIF"_s})));
        QVERIFY(QFile::exists(web + u"sky.gif"_s));  // lower case applies to it
        QVERIFY(o.scripted->messages.isEmpty());
    }

    // Save Images writes web copies as the preferences say, under the names the page
    // links, and refuses to strip a picture in its own folder.
    void webCopiesFromTheWindow()
    {
        Output o;
        o.setPreference("Web Ready Images", "1");
        o.setPreference("Remove Photo Metadata", "1");
        const QString scan = QDir::toNativeSeparators(o.environment.path(u"pics/scan.tif"_s));
        const QString photo = QDir::toNativeSeparators(o.environment.path(u"pics/photo.jpg"_s));
        const QByteArray turned = TestImages::withOrientation(TestImages::encode(TestImages::photo(60, 40), "jpg"), 6, false);
        const QByteArray commented = turned.left(2) + QByteArray("\xFF\xFE\x00\x08SECRET", 10) + turned.mid(2);
        QVERIFY(writeFile(scan, TestImages::tiff(TestImages::pattern(30, 20), 3, 8, false, false)) && writeFile(photo, commented));
        for (const QString &path : {scan, photo}) {
            Picture picture;
            QVERIFY(LoadAnyImageFile(picture, path));
            QCOMPARE(o.maker.CreateThumbnail(picture, path), 0);
        }
        const QString web = o.target(u"web"_s);
        o.copy(web, false);
        QVERIFY(o.scripted->messages.isEmpty());
        QCOMPARE(QDir(web).entryList(QDir::Files), (QStringList{u"photo.jpg"_s, u"scan.jpg"_s}));
        QCOMPARE(QImageReader(web + u"scan.jpg"_s).format(), QByteArray("jpeg"));
        QCOMPARE(contentsOf(web + u"photo.jpg"_s), turned);

        o.copy(QFileInfo(photo).path() + S, false);
        QCOMPARE(contentsOf(photo), commented);
        QCOMPARE(o.scripted->messages.size(), 1);
        QVERIFY(o.scripted->messages[0].text.contains(u"the copy would replace the picture itself"_s));
    }

    void theBrowserListAndItsFile()
    {
        TestEnvironment environment;
        const QString file = environment.path(u"Browsers.txt"_s);
        QVERIFY(ProfileFile::WriteString(file, "/usr/bin/b", "Path", "/usr/bin/b").isEmpty());
        QVERIFY(ProfileFile::WriteString(file, "C:\\Tools\\view.exe", "Path", "C:\\Tools\\view.exe").isEmpty());
        QVERIFY(ProfileFile::WriteString(file, "/usr/bin/b", "Name", "b").isEmpty());
        QVERIFY(ProfileFile::WriteString(file, "/USR/BIN/B", "path", "").isEmpty());  // names match without case
        QCOMPARE(contentsOf(file), QByteArray("[/usr/bin/b]\r\nPath=\r\nName=b\r\n[C:\\Tools\\view.exe]\r\nPath=C:\\Tools\\view.exe\r\n"));
        QCOMPARE(ProfileFile::Contents(file).value("c:\\tools\\VIEW.exe", "PATH", "None"), u"C:\\Tools\\view.exe"_s);
        QCOMPARE(ProfileFile::Contents(file).value("/usr/bin/b", "Missing", "None"), u"None"_s);
        const DesktopApplications applications(environment);
        const QString web = applications.program(u"webby"_s);
        applications.entry("webby.desktop", "Name=Webby Browser\nExec=\"" + web.toUtf8() + "\" %u\nMimeType=text/html;image/png;\n");
        applications.entry("viewer.desktop", "Name=Viewer\nExec=" + web.toUtf8() + " %f\nMimeType=image/png;\n");
        applications.entry("gone.desktop", "Name=Gone\nExec=/nowhere/gone %u\nMimeType=x-scheme-handler/http;\n");
        const QString app = environment.path(u"app"_s) + S;
        QDir().mkpath(app);
        const QString mine = applications.program(u"mine.bin"_s);
        QVERIFY(Browsers::Add(app, mine).isEmpty());
        ProfileFile::WriteString(app + "Browsers.txt", mine, "Name", "");  // no name: its file name shows
        QVERIFY(Browsers::Add(app, environment.path(u"deleted-later"_s)).isEmpty());
        QVERIFY(Browsers::Remove(app, environment.path(u"deleted-later"_s)).isEmpty());
        ProfileFile::WriteString(app + "Browsers.txt", "/nowhere/missing", "Path", "/nowhere/missing");
        QTreeWidget list;
        FileIcons icons;
        Browsers::FillBrowserList(list, icons, app);
        QCOMPARE(list.topLevelItemCount(), 2);
        QCOMPARE(list.topLevelItem(0)->text(0), u"Webby Browser"_s);
        QCOMPARE(list.topLevelItem(0)->text(1), web);
        QCOMPARE(list.topLevelItem(1)->text(0), u"mine.bin"_s);
        QVERIFY(!list.topLevelItem(1)->icon(0).isNull());
        QVERIFY(ProfileFile::Contents(app + "Browsers.txt").sectionNames().contains(environment.path(u"deleted-later"_s)));
    }

    void browserSelection()
    {
        TestEnvironment environment;
        const DesktopApplications none(environment);
        Ui::ScriptedPlatformScope scripted;
        const QString app = environment.path(u"my app"_s) + S;
        QDir().mkpath(app);
        const QString page = QDir::toNativeSeparators(app + u"Temporary/temp.html"_s);
        {
            // No browser: the default one opens the page, and a failure says why.
            BrowserSelection empty(app);
            scripted->shellAnswers << 31;
            empty.Form_Activate();
            QCOMPARE(scripted->messages.value(0).title, u"No Registered Web Browsers"_s);
            QCOMPARE(scripted->shellCalls, QStringList{u"open "_s + page});
            QCOMPARE(scripted->messages.value(1).text,
                     u"Error# 31; There is No Application Associated with the Given Filename Extension."_s);
            empty.cmdSelect_Click();  // nothing to choose: nothing happens
            QCOMPARE(scripted->shellCalls.size(), 1);
        }
        const QString program = none.program(u"viewer"_s);
        QVERIFY(Browsers::Add(app, program).isEmpty());
        BrowserSelection dialog(app);
        QCOMPARE(dialog.objectName(), u"BROWSERS"_s);
        QCOMPARE(dialog.list().currentItem()->text(1), program);
        scripted->messages.clear();
        scripted->shellAnswers << 2;
        dialog.ListView1_DblClick();
        QCOMPARE(scripted->shellCalls.last(), u"start %1 %2"_s.arg(program, page));  // unquoted
        QCOMPARE(scripted->messages.value(0).text, u"Error# 2; The Specified File Was Not Found."_s);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(OutputTest)
#include "tst_output.moc"
