// Loads a folder of photos the way the program does, headless: the main window's
// Open Image Directory, the folder dialog answered with the folder, no arrangement
// afterwards, windows and listing rows made as usual. A 10 ms timer runs meanwhile;
// its longest interval is how long the user interface went without handling events.
//
//   load_bench load DIR             prints "N IMAGES SECONDS PEAK_MB GAP_MS"
//   load_bench generate DIR COUNT [MP]   writes COUNT photo-like JPEGs of 12 to 24
//                                        megapixels, or of MP megapixels each
//   load_bench soak DIR CYCLES      loads DIR and clears all thumbnails CYCLES times,
//                                   printing the resident memory after each Clear All
//   load_bench generate-heic DIR COUNT   writes COUNT HEICs as a phone takes them:
//                                        4032 x 3024, half of them turned, each with
//                                        a thumbnail image of 320 x 240

#include "HeifImages.h"
#include "ScriptedPlatform.h"

#include "frame/Globals.h"
#include "frame/MainForm.h"
#include "settings/SettingsSection.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <cmath>
#include <functional>
#include <sys/resource.h>
#include <thread>

namespace {

// The scripted platform, except that yielding lets events run, as on the desktop.
class BenchPlatform : public Ui::ScriptedPlatform {
public:
    void yieldEvents() override { QCoreApplication::processEvents(); }
};

// A photo-like picture: gradients, soft shapes, fine texture and sensor noise, so
// that the JPEG has the detail (and the size) of a real photo.
QImage photo(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    const double f1 = 3 + random.bounded(4.0), f2 = 40 + random.bounded(80.0), f3 = 200 + random.bounded(300.0);
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double v = double(y) / height;
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width;
            const double texture = 18 * std::sin(f3 * u + 7 * std::sin(f2 * v));
            const int noise = int(random.bounded(17)) - 8;
            const double r = 120 + 80 * std::sin(f1 * u + 2.3 * v) + texture;
            const double g = 115 + 70 * std::cos(f1 * v - 1.7 * u) + 0.7 * texture;
            const double b = 105 + 75 * std::sin(2.1 * u * v * f1) - 0.5 * texture;
            line[x] = qRgb(std::clamp(int(r) + noise, 0, 255), std::clamp(int(g) + noise, 0, 255),
                           std::clamp(int(b) + noise, 0, 255));
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 40; ++i) {
        painter.setBrush(QColor::fromHsv(int(random.bounded(360)), 60 + int(random.bounded(160)),
                                         80 + int(random.bounded(170)), 120));
        painter.drawEllipse(QPointF(random.bounded(width), random.bounded(height)), width / (6 + random.bounded(20.0)),
                            height / (6 + random.bounded(20.0)));
    }
    return image;
}

// Writes the files 1 to COUNT that are missing, on every core; `write(i, path)`
// writes file i to a temporary path and says whether it succeeded.
int generateFiles(const QString &directory, int count, const QString &extension,
                  const std::function<bool(int, const QString &)> &write)
{
    QDir().mkpath(directory);
    auto work = [&](int first, int step) {
        for (int i = first; i < count; i += step) {
            const QString path =
                QDir(directory).filePath(QStringLiteral("photo-%1.").arg(i + 1, 3, 10, QChar(u'0')) + extension);
            if (!QFileInfo::exists(path) && write(i, path + QStringLiteral(".part")))
                QFile::rename(path + QStringLiteral(".part"), path);
        }
    };
    const int threads = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back(work, t, threads);
    for (std::thread &worker : workers)
        worker.join();
    return 0;
}

int generate(const QString &directory, int count, double fixedMegapixels)
{
    return generateFiles(directory, count, QStringLiteral("jpg"), [&](int i, const QString &path) {
        QRandomGenerator random(quint32(i) * 7919u + 17u);
        const double megapixels = fixedMegapixels > 0 ? fixedMegapixels : 12 + random.bounded(12.0);
        const int width = int(std::sqrt(megapixels * 1e6 * 1.5));
        QImageWriter writer(path, "jpeg");
        writer.setQuality(90);
        return writer.write(photo(width, int(width / 1.5), quint32(i)));
    });
}

int generateHeic(const QString &directory, int count)
{
    return generateFiles(directory, count, QStringLiteral("heic"), [](int i, const QString &path) {
        const QImage picture = photo(4032, 3024, quint32(i));
        HeifImages::Options phone;
        phone.quality = 50;
        phone.orientation = i % 2 ? heif_orientation_rotate_90_cw : heif_orientation_normal;
        phone.thumbnail = picture;
        phone.thumbnailBox = 320;
        QFile file(path);
        const QByteArray bytes = HeifImages::encode(picture, phone);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
    });
}

// Settings in a home of their own: no arrangement after a load, no first-load notice.
BenchPlatform *setUp(const QTemporaryDir &home)
{
    qputenv("QUILLMERE_SETTINGS", home.filePath(QStringLiteral("settings.ini")).toUtf8());
    qputenv("QUILLMERE_HOME", home.path().toUtf8());
    Globals::AppPath = ResolveAppPath();
    LoadPreferences();
    SettingsSection(QStringLiteral("Preferences")).SetValue(QStringLiteral("Auto Arrange After Directory Load"), "False");
    SettingsSection(QStringLiteral("First Run Information")).SetValue(QStringLiteral("First Directory Load"), "1");
    auto *platform = new BenchPlatform;
    Ui::setPlatform(std::unique_ptr<Ui::Platform>(platform));
    return platform;
}

// A field of /proc/self/status ("VmRSS", "RssAnon"), in MB.
long statusMegabytes(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').first().toLong() / 1024;
    return 0;
}

// Loads the folder and chooses Clear All, cycle after cycle, printing the resident
// memory after each Clear All and the time each load and clear took.
int soak(const QString &directory, int cycles)
{
    QTemporaryDir home;
    BenchPlatform *platform = setUp(home);
    MainForm form;
    form.show();
    QCoreApplication::processEvents();
    QTextStream out(stdout);
    out << "cycle  load s  clear s  RSS after Clear All MB  of it anonymous MB" << Qt::endl;
    long first = 0, last = 0;
    double loading = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        QElapsedTimer clock;
        clock.start();
        platform->folderAnswers << directory;
        form.mnuFileOpenDir_Click();
        const double loadSeconds = clock.nsecsElapsed() / 1e9;
        clock.restart();
        platform->messageAnswers << Ui::MsgResult::Yes;
        form.mnuFileClearThumbnails_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        const double clearSeconds = clock.nsecsElapsed() / 1e9;
        last = statusMegabytes("VmRSS");
        first = cycle == 1 ? last : first;
        loading += loadSeconds;
        out << QString::asprintf("%5d  %6.2f  %7.3f  %22ld  %18ld", cycle, loadSeconds, clearSeconds, last,
                                 statusMegabytes("RssAnon"))
            << Qt::endl;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    out << QString::asprintf("soak: %d cycles, mean load %.2f s; RSS after Clear All %ld MB after the first, %ld MB "
                             "after the last (%+ld MB); peak %ld MB",
                             cycles, loading / cycles, first, last, last - first, usage.ru_maxrss / 1024)
        << Qt::endl;
    out << "target, within 20 MB of the first cycle: " << (last - first <= 20 ? "met" : "NOT met") << Qt::endl;
    form.close();
    return 0;
}

int load(const QString &directory)
{
    QTemporaryDir home;
    BenchPlatform *platform = setUp(home);
    platform->folderAnswers << directory;
    MainForm form;
    form.show();
    QCoreApplication::processEvents();

    QElapsedTimer clock;
    qint64 lastTick = 0, largestGap = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        largestGap = std::max(largestGap, now - lastTick);
        lastTick = now;
    });
    clock.start();
    ticker.start();
    form.mnuFileOpenDir_Click();
    const double seconds = clock.nsecsElapsed() / 1e9;
    largestGap = std::max(largestGap, clock.elapsed() - lastTick);
    ticker.stop();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    QTextStream(stdout) << form.listingRows().rowCount() << ' ' << seconds << ' ' << usage.ru_maxrss / 1024 << ' '
                        << largestGap << Qt::endl;
    form.close();
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("load"))
        return load(arguments[2]);
    if ((arguments.size() == 4 || arguments.size() == 5) && arguments[1] == QLatin1String("generate"))
        return generate(arguments[2], arguments[3].toInt(), arguments.value(4).toDouble());
    if (arguments.size() == 4 && arguments[1] == QLatin1String("soak"))
        return soak(arguments[2], arguments[3].toInt());
    if (arguments.size() == 4 && arguments[1] == QLatin1String("generate-heic"))
        return generateHeic(arguments[2], arguments[3].toInt());
    QTextStream(stderr) << "usage: load_bench load DIR | load_bench generate DIR COUNT [MEGAPIXELS]"
                           " | load_bench generate-heic DIR COUNT | load_bench soak DIR CYCLES\n";
    return 2;
}
