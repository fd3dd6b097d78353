#include "FullDisk.h"
#include "HeifImages.h"
#include "OutputFixture.h"

#include "imagebuffer/ImageBuffer.h"
#include "imagebuffer/JpegMetadata.h"
#include "output/Browsers.h"
#include "output/HtmlFile.h"
#include "output/OutputFiles.h"
#include "output/ProfileFile.h"
#include "output/WebCopies.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ThumbnailPipeline.h"
#include "thumbs/ThumbnailWindow.h"

#include <QImageReader>
#include <QTest>
#include <QTreeWidget>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

void putBig16(QByteArray &out, int value)
{
    out.append(char(value >> 8)).append(char(value & 0xFF));
}

// An EXIF block as a phone writes one: the orientation, the camera's make and a GPS
// directory with the latitude's hemisphere.
QByteArray phoneExif(int orientation)
{
    QByteArray tiff("MM\0*", 4);
    TestImages::putBig32(tiff, 8);
    putBig16(tiff, 3);
    const auto entry = [&](int tag, int type, quint32 count, quint32 value) {
        putBig16(tiff, tag);
        putBig16(tiff, type);
        TestImages::putBig32(tiff, count);
        TestImages::putBig32(tiff, type == 3 ? value << 16 : value);
    };
    entry(0x0112, 3, 1, quint32(orientation));
    entry(0x010F, 2, 12, 50);   // the make, after the directory
    entry(0x8825, 4, 1, 62);    // the GPS directory
    TestImages::putBig32(tiff, 0);
    tiff.append(QByteArray("SECRET-MAKE\0", 12));
    putBig16(tiff, 1);
    entry(0x0001, 2, 2, quint32('N') << 24);
    TestImages::putBig32(tiff, 0);
    return QByteArray("Exif\0\0", 6) + tiff;
}

// A photo carrying every kind of metadata, a colour profile and data after its end;
// progressive ones come in several scans with tables between them.
QByteArray taggedPhoto(int orientation, bool progressive = false)
{
    const QByteArray jpeg = TestImages::encode(TestImages::photo(64, 48), "jpeg", 90, progressive);
    const QByteArray tags = TestImages::segment(0xE1, phoneExif(orientation))
                            + TestImages::segment(0xE1, "http://ns.adobe.com/xap/1.0/\0<x:xmpmeta>SECRET-XMP</x:xmpmeta>")
                            + TestImages::segment(0xED, QByteArray("Photoshop 3.0\0", 14) + "SECRET-IPTC")
                            + TestImages::segment(0xE2, QByteArray("ICC_PROFILE\0\1\1", 14) + "PROFILE-BYTES")
                            + TestImages::segment(0xEC, "Ducky SECRET-APP12") + TestImages::segment(0xFE, "SECRET-COMMENT");
    return jpeg.left(2) + tags + jpeg.mid(2) + "SECRET-TRAILER";
}

// The scan data with the segments after it, to the end of the picture.
QByteArray scanOf(const QByteArray &jpeg)
{
    const qsizetype start = jpeg.indexOf("\xFF\xDA");
    return jpeg.mid(start, jpeg.lastIndexOf("\xFF\xD9") + 2 - start);
}

// The orientation in the first EXIF block; 0 when there is none.
int orientationIn(const QByteArray &jpeg)
{
    const qsizetype exif = jpeg.indexOf(QByteArray("Exif\0\0", 6));
    return exif < 0 ? 0 : JpegMetadata::ExifOrientation(jpeg, exif + 6);
}

QString formatOf(const QString &path)
{
    return QString::fromLatin1(QImageReader(path).format());
}

} // namespace

class OutputTest : public QObject {
    Q_OBJECT
private slots:
    void pngInSlotOrderWithTheLog()
    {
        Output o;
        o.environment.setPreference("Save Image File Type", "PNG");
        o.environment.setPreference("Save Image Color Depth", "1");
        o.environment.setPreference("Save Image Progressive", "1");
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
        // The modern page's are drawn at its row height, whatever the windows show, with
        // their double size beside them.
        o.environment.setPreference("Save Image File Type", "PNG");
        o.environment.setPreference("High Density Thumbnails", "1");
        o.environment.store({{u"HTML Preferences/Page Style"_s, u"1"_s}, {u"HTML Preferences/Modern Row Height"_s, u"120"_s}});
        const QString modern = o.target(u"modern"_s);
        o.save(modern);
        QCOMPARE(QDir(modern).entryList(QDir::Files), (QStringList{"QM_Photo.png", "QM_Photo@2x.png"}));
        QCOMPARE(QImage(modern + u"QM_Photo.png"_s).size(), QSize(160, 120));
        QCOMPARE(QImage(modern + u"QM_Photo@2x.png"_s).size(), QSize(320, 240));
        o.environment.store({{u"HTML Preferences/Page Style"_s, u"0"_s}});
        o.environment.setPreference("High Density Thumbnails", "0");

        // "png" in lower case is not "PNG": JPEG, and no line for it in the log.
        o.environment.setPreference("Save Image File Type", "png");
        o.environment.setPreference("Save Image Compression Quality", "20");
        const QString web = o.target(u"web"_s);
        o.save(web);
        const QByteArray jpeg = contentsOf(web + u"QM_Photo.jpg"_s);
        QVERIFY(jpeg.startsWith("\xFF\xD8\xFF"));
        QCOMPARE(o.log("thumbnail.txt"), records({u"CreateDirectory -- %1: True"_s.arg(web)}));
        // The quality is the one the JPEG is written with.
        o.environment.setPreference("Save Image Compression Quality", "95");
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
        o.environment.setPreference("Save Image File Name Prefix", "../../");
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
        o.environment.setPreference("Save Image File Type", "PNG");
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
        o.environment.setPreference("Image File Name Lower Case", "1");
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
        o.environment.setPreference("Image File Name Lower Case", "0");
        o.copy(QFileInfo(sunset).path() + S, false);
        QCOMPARE(contentsOf(sunset), picture);
        QVERIFY(o.scripted->messages.isEmpty());
    }

    void copyingThePageImages()
    {
        Output o;
        o.environment.setPreference("Image File Name Lower Case", "1");  // no lower case for page images
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
        QCOMPARE((QStringList{list.topLevelItem(0)->text(0), list.topLevelItem(0)->text(1), list.topLevelItem(1)->text(0)}),
                 (QStringList{"Webby Browser", web, "mine.bin"}));  // no name: the file's shows
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

    void photoMetadataIsRemovedAndTheScanDataKept()
    {
        for (const auto &[orientation, progressive] : {std::pair{6, false}, std::pair{1, false}, std::pair{8, true}}) {
            const QByteArray original = taggedPhoto(orientation, progressive);
            QString why;
            const std::optional<QByteArray> kept = JpegMetadata::WithoutPhotoMetadata(original, why);
            QVERIFY2(kept, qPrintable(why));
            QVERIFY(!kept->contains("SECRET"));
            QVERIFY(!kept->contains("http://ns.adobe.com"));
            QCOMPARE(scanOf(*kept), scanOf(original));
            QVERIFY(kept->contains("ICC_PROFILE") && kept->contains("JFIF"));
            // Only a turned photo keeps an EXIF block, holding nothing but its orientation.
            QCOMPARE(orientationIn(*kept), orientation == 1 ? 0 : orientation);
            QCOMPARE(kept->count(QByteArray("Exif\0\0", 6)), orientation == 1 ? 0 : 1);
            QVERIFY(!kept->contains(QByteArray("\x88\x25", 2)));
            QCOMPARE(QImage::fromData(*kept).size(), QSize(64, 48));
            if (progressive)
                QVERIFY(kept->count("\xFF\xDA") > 1);
        }
        // The copy's file, as Save Images writes it.
        TestEnvironment environment;
        const QString source = environment.path(u"photo.jpg"_s);
        const QString copy = environment.path(u"site/photo.jpg"_s);
        QVERIFY(writeFile(source, taggedPhoto(6)) && QDir().mkpath(QFileInfo(copy).path()));
        WebCopyRules rules;
        rules.removeMetadata = true;
        QCOMPARE(WriteWebCopy(source, copy, rules), QString());
        QVERIFY(!contentsOf(copy).contains("SECRET"));
        QCOMPARE(orientationIn(contentsOf(copy)), 6);
        QCOMPARE(contentsOf(source), taggedPhoto(6));

        // Thumbnails are drawn anew and carry none either, in both types.
        for (const QString &type : {u"JPG"_s, u"PNG"_s}) {
            PreparedThumbnail prepared = PreparedThumbnail::Prepare(source, QSize(40, 40));
            SaveSettings save;
            save.fileType = type;
            save.quality = 75;
            const QString thumbnail = environment.path(u"site/QM_photo."_s + save.extension());
            QVERIFY(WriteThumbnail(prepared.thumbnail, thumbnail, save) && !contentsOf(thumbnail).contains("SECRET"));
            QVERIFY(!contentsOf(thumbnail).contains("Exif"));
            QCOMPARE(QImage(thumbnail).size(), QSize(30, 40));  // turned upright
        }
    }

    void damagedJpegsAndTheirOwnCopies()
    {
        const QByteArray original = taggedPhoto(3);
        QString why;
        QVERIFY(!JpegMetadata::WithoutPhotoMetadata("GIF89a", why));
        QCOMPARE(why, u"not a JPEG file"_s);
        QVERIFY(!JpegMetadata::WithoutPhotoMetadata(original.left(original.indexOf("\xFF\xDA") - 3), why));
        QCOMPARE(why, u"damaged JPEG"_s);
        QByteArray broken = original;
        broken[2] = 'x';  // no marker where one must be
        QVERIFY(!JpegMetadata::WithoutPhotoMetadata(broken, why));
        // Cut short inside its scan data, a photo keeps what it holds, as a copy would.
        const QByteArray cut = original.left(original.indexOf("\xFF\xD9") - 40);
        const std::optional<QByteArray> kept = JpegMetadata::WithoutPhotoMetadata(cut, why);
        QVERIFY2(kept, qPrintable(why));
        QVERIFY(kept->endsWith(cut.right(100)) && !kept->contains("SECRET"));

        // A damaged photo is not copied with its metadata instead.
        TestEnvironment environment;
        const QString source = environment.path(u"broken.jpg"_s);
        QVERIFY(writeFile(source, broken));
        WebCopyRules rules;
        rules.removeMetadata = true;
        QCOMPARE(WriteWebCopy(source, environment.path(u"copy.jpg"_s), rules), u"damaged JPEG"_s);
        QVERIFY(!QFile::exists(environment.path(u"copy.jpg"_s)));

        // A copy never replaces its picture, unless it is the picture itself, byte for byte.
        const QString photo = environment.path(u"photo.jpg"_s);
        QVERIFY(writeFile(photo, taggedPhoto(6)));
        QCOMPARE(WriteWebCopy(photo, photo, WebCopyRules{}), QString());
        QCOMPARE(WriteWebCopy(photo, photo, rules), u"the copy would replace the picture itself"_s);
        rules = WebCopyRules{};
        rules.longEdge = 10;
        QCOMPARE(WriteWebCopy(photo, photo, rules), u"the copy would replace the picture itself"_s);
        QCOMPARE(contentsOf(photo), taggedPhoto(6));
        QVERIFY(!WriteWebCopy(environment.path(u"gone.jpg"_s), environment.path(u"gone.jpg"_s), WebCopyRules{}).isEmpty());
    }

    void copiesBrowsersCannotShowBecomeJpegOrPng()
    {
        QImage clear = TestImages::pattern(40, 30).convertToFormat(QImage::Format_ARGB32);
        clear.setPixel(3, 3, qRgba(10, 20, 30, 0));
        // A phone's photo, turned by its file and carrying the phone's EXIF block.
        HeifImages::Options phone;
        phone.orientation = heif_orientation_rotate_90_cw;
        phone.exif = phoneExif(6).mid(6);
        struct Case { QString name; QByteArray bytes; bool transparent; };
        QList<Case> cases = {{u"scan.tif"_s, TestImages::tiff(TestImages::pattern(40, 30), 3, 8, false, false), false},
                             {u"logo.tiff"_s, TestImages::tiff(clear, 4, 8, false, false, 2), true},
                             {u"render.tga"_s, TestImages::targa(TestImages::pattern(40, 30), 2, 24, false, false), false},
                             {u"paint.pcx"_s, TestImages::pcx(TestImages::pattern(40, 30), 8, 3, {}), false},
                             {u"IMG_0001.HEIC"_s, HeifImages::encode(TestImages::photo(48, 32), phone), false},
                             {u"sticker.heif"_s, HeifImages::encode(clear), true}};
        QFile metafile(QStringLiteral(QUILLMERE_SAMPLES "/wmf/clipart-bottle.wmf"));
        if (metafile.open(QIODevice::ReadOnly))
            cases.append({u"bottle.wmf"_s, metafile.readAll(), false});
        for (const auto &[name, bytes, transparent] : cases) {
            TestEnvironment environment;
            const QString source = environment.path(name);
            QVERIFY(writeFile(source, bytes) && !BrowsersShow(name) && BrowsersShow(u"web.avif"_s) && BrowsersShow(u"web.webp"_s));
            const QString copy = environment.path(u"site/"_s + WebReadyName(name, transparent));
            QVERIFY(QDir().mkpath(QFileInfo(copy).path()));
            WebCopyRules rules;
            rules.webReady = true;
            QCOMPARE(WriteWebCopy(source, copy, rules), QString());
            QCOMPARE(formatOf(copy), transparent ? u"png"_s : u"jpeg"_s);
            const QImage written(copy);
            QVERIFY(!written.isNull());
            // Drawn upright and without the photo's metadata.
            Picture picture;
            QVERIFY(LoadAnyImageFile(picture, source));
            QCOMPARE(written.size(), picture.size());
            QVERIFY(!contentsOf(copy).contains("SECRET"));
            QCOMPARE(written.hasAlphaChannel(), transparent);
            if (transparent)
                QCOMPARE(qAlpha(written.pixel(3, 3)), 0);
            // Without the setting, the picture is copied as it is.
            const QString plain = environment.path(u"plain/"_s + name);
            QVERIFY(QDir().mkpath(QFileInfo(plain).path()));
            QCOMPARE(WriteWebCopy(source, plain, WebCopyRules{}), QString());
            QCOMPARE(contentsOf(plain), bytes);
        }
    }

    void longEdgeScalesOnlyLargerPictures()
    {
        TestEnvironment environment;
        const QString large = environment.path(u"large.jpg"_s);
        const QString small = environment.path(u"small.jpg"_s);
        const QString logo = environment.path(u"logo.png"_s);
        QVERIFY(writeFile(large, TestImages::withOrientation(TestImages::encode(TestImages::photo(400, 300), "jpeg"), 6, false)));
        QVERIFY(writeFile(small, taggedPhoto(1)) && writeFile(logo, TestImages::encode(TestImages::pattern(300, 120, true), "png")));
        QVERIFY(QDir().mkpath(environment.path(u"site"_s)));
        WebCopyRules rules;
        rules.longEdge = 200;
        rules.quality = 60;
        const auto copyOf = [&](const QString &source) {
            const QString copy = environment.path(u"site/"_s + QFileInfo(source).fileName());
            const QString why = WriteWebCopy(source, copy, rules);
            return why.isEmpty() ? copy : why;
        };
        // Turned upright as it is drawn anew, so it needs no orientation of its own.
        const QString largeCopy = copyOf(large);
        QCOMPARE(QImage(largeCopy).size(), QSize(150, 200));
        QCOMPARE(orientationIn(contentsOf(largeCopy)), 0);
        QCOMPARE(formatOf(largeCopy), u"jpeg"_s);
        const QImage logoCopy(copyOf(logo));
        QCOMPARE(logoCopy.size(), QSize(200, 80));
        QVERIFY(logoCopy.hasAlphaChannel());
        QCOMPARE(contentsOf(copyOf(small)), taggedPhoto(1));
        rules.removeMetadata = true;
        QVERIFY(!contentsOf(copyOf(small)).contains("SECRET"));
        // What the batch build records: plain copies as before, the quality only for
        // pictures written anew.
        QCOMPARE(WebCopyRules{}.describe(), QString());
        WebCopyRules stripping;
        stripping.removeMetadata = true;
        WebCopyRules otherQuality = stripping;
        otherQuality.quality = 90;
        QCOMPARE(otherQuality.describe(), stripping.describe());
        QVERIFY(rules.describe() != stripping.describe());
    }
};

QTEST_MAIN(OutputTest)
#include "tst_output.moc"
