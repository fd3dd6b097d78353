#include "HeifImages.h"
#include "TestEnvironment.h"
#include "TestImages.h"

#include "imagebuffer/JpegMetadata.h"
#include "imagebuffer/Picture.h"
#include "output/ThumbnailSaving.h"
#include "output/WebCopies.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ThumbnailPipeline.h"
#include "webpage/SiteNames.h"

#include <QImageReader>
#include <QTest>


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

class WebCopiesTest : public QObject {
    Q_OBJECT
private slots:
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

QTEST_MAIN(WebCopiesTest)
#include "tst_webcopies.moc"
