// How the commands that touch every thumbnail grow with their number: for 500 to
// 5,000 open thumbnails, the time to make them, to arrange them as a mosaic, to sort
// the listing by a header click, to generate the page and to clear them all. The
// main window is the real one, headless, with the tests' scripted platform.
//
//   scale_bench [COUNT...]     default 500 1000 2000 5000

#include "ScriptedPlatform.h"

#include "frame/Globals.h"
#include "frame/ListingPanel.h"
#include "frame/MainForm.h"
#include "imagebuffer/Picture.h"
#include "settings/SettingsSection.h"
#include "webpage/PageModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeView>

namespace {

class BenchPlatform : public Ui::ScriptedPlatform {
public:
    void yieldEvents() override { QCoreApplication::processEvents(); }
};

Picture samplePicture(int seed)
{
    QImage image(160 + seed % 40, 120, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, image.width(), image.height());
    gradient.setColorAt(0, QColor::fromHsv(seed * 37 % 360, 200, 220));
    gradient.setColorAt(1, QColor::fromHsv(seed * 91 % 360, 120, 90));
    painter.fillRect(image.rect(), gradient);
    return Picture::fromImage(image);
}

template <typename Work>
double seconds(Work work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    QCoreApplication::processEvents();
    return clock.nsecsElapsed() / 1e9;
}

struct Figures {
    int count;
    double make, mosaic, sort, generate, clear;
};

Figures measure(int count)
{
    QTemporaryDir home;
    qputenv("QUILLMERE_SETTINGS", home.filePath(QStringLiteral("settings.ini")).toUtf8());
    qputenv("QUILLMERE_HOME", home.path().toUtf8());
    Globals::Reset();
    Globals::AppPath = ResolveAppPath();
    LoadPreferences();
    Ui::setPlatform(std::make_unique<BenchPlatform>());
    MainForm form;
    form.resize(1600, 1000);
    form.show();
    QCoreApplication::processEvents();

    Figures figures{count, 0, 0, 0, 0, 0};
    figures.make = seconds([&] {
        for (int i = 0; i < count; ++i) {
            Picture picture = samplePicture(i);
            form.thumbnailMaking().CreateThumbnail(picture, QStringLiteral("/bench/photo-%1.jpg").arg(i, 5, 10, QChar(u'0')));
        }
    });
    figures.mosaic = seconds([&] { form.mnuWindowsMosaic_Click(); });
    auto *header = form.listing()->findChild<QTreeView *>(QStringLiteral("lvwListing"))->header();
    figures.sort = seconds([&] { emit header->sectionClicked(1); });
    figures.generate = seconds([&] {
        PageModel page;
        page.Load(PageSourcesOf(PageOrder(form.listingRows(), form.thumbnails()), form.thumbnails()));
        const QString html = GenerateHtml(page.request(Globals::Prefs));
        if (html.isEmpty())
            qFatal("no page");
    });
    figures.clear = seconds([&] { form.thumbnailMaking().ClearThumbnails(); });
    if (form.listingRows().rowCount() != 0)
        qFatal("clearing left rows");
    form.close();
    return figures;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<int> counts;
    for (const QString &argument : QApplication::arguments().mid(1))
        counts << argument.toInt();
    if (counts.isEmpty())
        counts = {500, 1000, 2000, 5000};
    QTextStream out(stdout);
    out << "thumbnails   make s  mosaic s  sort s  page s  clear s\n";
    QList<Figures> all;
    for (int count : counts) {
        const Figures f = measure(count);
        all << f;
        out << QString::asprintf("%10d %8.2f %9.3f %7.3f %7.3f %8.3f\n", f.count, f.make, f.mosaic, f.sort, f.generate,
                                 f.clear);
        out.flush();
    }
    if (all.size() > 1) {
        const Figures &a = all.first(), &b = all.last();
        const double n = double(b.count) / a.count;
        out << QString::asprintf("growth x%.0f %9.1f %9.1f %7.1f %7.1f %8.1f   (linear: %.0f)\n", n, b.make / a.make,
                                 b.mosaic / a.mosaic, b.sort / a.sort, b.generate / a.generate, b.clear / a.clear, n);
    }
    const Figures &largest = all.last();
    if (largest.count >= 5000) {
        const bool met = largest.mosaic < 1 && largest.clear < 3 && largest.sort < 0.2 && largest.generate < 0.5;
        out << QString::asprintf("target 4, with %d open Mosaic < 1 s, Clear < 3 s, sort < 0.2 s, page < 0.5 s: %s\n",
                                 largest.count, met ? "met" : "NOT met");
    }
    return 0;
}
