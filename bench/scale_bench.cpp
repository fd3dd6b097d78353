// How the commands that touch every thumbnail grow with their number: for 1,000 to
// 10,000 open thumbnails, the time to make their windows (no decoding), to arrange
// them as a mosaic, to sort the listing by a header click, to generate the page and
// to clear them all; the longest the event loop waited while windows were made, as
// a folder load makes them (a 10 ms timer, events handled after every window); and
// the program's peak memory. The main window is the real one, headless, with the
// tests' scripted platform.
//
// Each count is measured in several fresh windows (three unless --runs N says
// otherwise) and each time is the fastest of its runs, the wait the longest: a
// single run on a shared machine can be slowed by a quarter by its neighbours.
//
//   scale_bench [--runs N] [COUNT...]     default 1000 2000 4000 8000 10000

#include "ScriptedPlatform.h"

#include "frame/Globals.h"
#include "frame/ListingPanel.h"
#include "frame/MainForm.h"
#include "imagebuffer/Picture.h"
#include "settings/SettingsSection.h"
#include "ui/SharedIconStyle.h"
#include "webpage/PageModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLinearGradient>
#include <QMdiSubWindow>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QTreeView>
#include <sys/resource.h>

namespace {

// Dialogs answered by script, events yielded as the desktop yields them.
class BenchPlatform : public Ui::ScriptedPlatform {
public:
    void yieldEvents() override
    {
        if (throttle.due())
            QCoreApplication::processEvents();
    }

private:
    Ui::YieldThrottle throttle;
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
    double longestWait;  // seconds
    double peakMegabytes;
};

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

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

    Figures figures{count, 0, 0, 0, 0, 0, 0, 0};
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        figures.longestWait = std::max(figures.longestWait, sinceTick.nsecsElapsed() / 1e9);
        sinceTick.restart();
    });
    figures.make = seconds([&] {
        sinceTick.start();
        tick.start();
        for (int i = 0; i < count; ++i) {
            Picture picture = samplePicture(i);
            form.thumbnailMaking().CreateThumbnail(picture, QStringLiteral("/bench/photo-%1.jpg").arg(i, 5, 10, QChar(u'0')));
            Ui::platform().yieldEvents();  // as a load yields after every picture
        }
        tick.stop();
    });
    figures.peakMegabytes = peakMegabytes();
    figures.mosaic = seconds([&] { form.mnuWindowsMosaic_Click(); });
    auto *header = form.listing()->findChild<QTreeView *>(QStringLiteral("lvwListing"))->header();
    // The mean of four sorts, by size and by name in turn: one takes about a
    // millisecond at 1,000 thumbnails, too little to time alone.
    figures.sort = seconds([&] {
        for (int column : {1, 0, 1, 0}) {
            emit header->sectionClicked(column);
            QCoreApplication::processEvents();
        }
    }) / 4;
    figures.generate = seconds([&] {
        PageModel page;
        page.Load(PageSourcesOf(PageOrder(form.listingRows(), form.thumbnails()), form.thumbnails()));
        const QString html = GenerateHtml(page.request(Globals::Prefs));
        if (html.isEmpty())
            qFatal("no page");
    });
    figures.clear = seconds([&] {
        form.thumbnailMaking().ClearThumbnails();
        // What the event loop does next: the windows are deleted.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    if (!form.findChildren<QMdiSubWindow *>().isEmpty())
        qFatal("clearing left windows");
    if (form.listingRows().rowCount() != 0)
        qFatal("clearing left rows");
    form.close();
    return figures;
}

// The fastest time of each command over several runs, the longest wait and the
// highest peak.
Figures best(const QList<Figures> &runs)
{
    Figures b = runs.first();
    for (const Figures &f : runs) {
        b.make = std::min(b.make, f.make);
        b.mosaic = std::min(b.mosaic, f.mosaic);
        b.sort = std::min(b.sort, f.sort);
        b.generate = std::min(b.generate, f.generate);
        b.clear = std::min(b.clear, f.clear);
        b.longestWait = std::max(b.longestWait, f.longestWait);
        b.peakMegabytes = std::max(b.peakMegabytes, f.peakMegabytes);
    }
    return b;
}

// The figure of `count` thumbnails, or nothing when it was not measured.
const Figures *figuresOf(const QList<Figures> &all, int count)
{
    for (const Figures &f : all)
        if (f.count == count)
            return &f;
    return nullptr;
}

void printGrowth(QTextStream &out, const Figures &a, const Figures &b)
{
    const double n = double(b.count) / a.count;
    const double columns[] = {b.make / a.make, b.mosaic / a.mosaic, b.sort / a.sort, b.generate / a.generate,
                              b.clear / a.clear};
    const double limit = n * 1.5;
    bool within = true;
    for (double growth : columns)
        within = within && growth <= limit;
    out << QString::asprintf("growth %d->%d %6.1f %9.1f %7.1f %7.1f %8.1f   (linear: %.0f, target at most %.0f: %s)\n",
                             a.count, b.count, columns[0], columns[1], columns[2], columns[3], columns[4], n, limit,
                             within ? "met" : "NOT met");
}

void printTargets(QTextStream &out, const Figures &f)
{
    const bool met = f.mosaic < 2 && f.clear < 5 && f.sort < 0.3 && f.generate < 1 && f.make < 30
                     && f.longestWait < 0.1 && f.peakMegabytes < 1536;
    out << QString::asprintf("targets with %d open: make < 30 s, Mosaic < 2 s, Clear < 5 s, sort < 0.3 s, page < 1 s, "
                             "longest wait < 100 ms, peak < 1536 MB: %s\n",
                             f.count, met ? "met" : "NOT met");
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Ui::SharedIconStyle::Install();  // as the program does
    QList<int> counts;
    int runs = 3;
    const QStringList arguments = QApplication::arguments().mid(1);
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--runs") && i + 1 < arguments.size())
            runs = std::max(1, arguments[++i].toInt());
        else
            counts << arguments[i].toInt();
    }
    if (counts.isEmpty())
        counts = {1000, 2000, 4000, 8000, 10000};
    QTextStream out(stdout);
    out << "thumbnails   make s  mosaic s  sort s  page s  clear s  wait ms  peak MB\n";
    QList<Figures> all;
    for (int count : counts) {
        QList<Figures> measured;
        for (int run = 0; run < runs; ++run)
            measured << measure(count);
        const Figures f = best(measured);
        all << f;
        out << QString::asprintf("%10d %8.2f %9.3f %7.3f %7.3f %8.3f %8.0f %8.0f\n", f.count, f.make, f.mosaic, f.sort,
                                 f.generate, f.clear, f.longestWait * 1000, f.peakMegabytes);
        out.flush();
    }
    const Figures *from = figuresOf(all, 1000), *to = figuresOf(all, 8000);
    if (from && to)
        printGrowth(out, *from, *to);
    else if (all.size() > 1)
        printGrowth(out, all.first(), all.last());
    if (const Figures *largest = figuresOf(all, 10000))
        printTargets(out, *largest);
    return 0;
}
