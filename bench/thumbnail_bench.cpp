// Makes the thumbnail of a 24-megapixel photo-like JPEG three ways and prints the
// time and peak memory of each, and how close each looks to the first:
//   full     - decode the whole photo, then Qt's smooth scaling to the thumbnail size
//   reduced  - decode at an eighth with libjpeg's DCT scaling, then the same filter
//   buffer   - the image buffer's own path (Load, then the thumbnail of CreateThumbnail)
// Each way runs in a process of its own so that its peak memory is its own.

#include "imagebuffer/ColorQuantizer.h"
#include "imagebuffer/Picture.h"
#include "thumbs/ThumbnailImage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <cmath>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QSize Box(93, 97);
constexpr int Rounds = 3;

void writePhoto(const QString &path, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(5);
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double v = double(y) / height;
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width;
            const int noise = int(random.bounded(17)) - 8;
            const double r = 128 + 90 * std::sin(5.1 * u + 2.3 * v) + 25 * std::sin(90 * u * v);
            const double g = 120 + 70 * std::cos(4.3 * v - 1.7 * u) + 20 * std::sin(60 * u);
            const double b = 110 + 80 * std::sin(3.7 * u * v + 3.0 * v);
            line[x] = qRgb(std::clamp(int(r) + noise, 0, 255), std::clamp(int(g) + noise, 0, 255),
                           std::clamp(int(b) + noise, 0, 255));
        }
    }
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    writer.write(image);
}

QImage full(const QString &path, QSize size)
{
    QImageReader::setAllocationLimit(2048);
    return QImageReader(path).read().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage reduced(const QString &path, QSize size)
{
    QImageReader reader(path);
    const QSize stored = reader.size();
    reader.setScaledSize(QSize((stored.width() + 7) / 8, (stored.height() + 7) / 8));
    return reader.read().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage buffer(const QString &path, QSize)
{
    Picture load, thumbnail;
    if (!load.load(path, ImageFormat::Jpeg) || !MakeThumbnailImage(load, thumbnail, Box))
        return QImage();
    return thumbnail.image();
}

using Way = QImage (*)(const QString &, QSize);

// Runs one way in a child process: the fastest of a few rounds, the child's peak
// resident memory, and the thumbnail written next to the photo. Returns the time.
qint64 measure(const char *name, Way way, const QString &photo, QSize size, const QString &result)
{
    const pid_t child = fork();
    if (child == 0) {
        qint64 best = std::numeric_limits<qint64>::max();
        QImage thumbnail;
        for (int round = 0; round < Rounds; ++round) {
            QElapsedTimer timer;
            timer.start();
            thumbnail = way(photo, size);
            best = std::min(best, timer.elapsed());
        }
        thumbnail.save(result, "PNG");
        QFile time(result + QStringLiteral(".ms"));
        if (time.open(QIODevice::WriteOnly))
            time.write(QByteArray::number(best));
        time.close();  // _exit below runs no destructors
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        QTextStream(stdout) << QStringLiteral("%1 %2 ms, peak %3 MB").arg(name, -8).arg(best, 5).arg(usage.ru_maxrss / 1024, 5)
                            << Qt::endl;
        _exit(thumbnail.isNull() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    QFile time(result + QStringLiteral(".ms"));
    return time.open(QIODevice::ReadOnly) ? time.readAll().toLongLong() : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir directory;
    const QString photo = directory.filePath(QStringLiteral("photo.jpg"));
    const QSize source(6000, 4000);
    const pid_t writer = fork();
    if (writer == 0) {
        writePhoto(photo, source.width(), source.height());
        _exit(0);
    }
    waitpid(writer, nullptr, 0);
    const QSize size = FitThumbnail(Box, source);
    QTextStream out(stdout);
    out << "thumbnail " << size.width() << " x " << size.height() << " of a " << source.width() << " x "
        << source.height() << " JPEG (" << QFileInfo(photo).size() / 1024 << " KB), fastest of " << Rounds
        << " rounds" << Qt::endl;

    const struct {
        const char *name;
        Way way;
    } ways[] = {{"full", full}, {"reduced", reduced}, {"buffer", buffer}};
    QHash<QString, qint64> times;
    for (const auto &w : ways)
        times[QString::fromLatin1(w.name)] =
            measure(w.name, w.way, photo, size, directory.filePath(QString::fromLatin1(w.name) + QStringLiteral(".png")));
    if (times.value(QStringLiteral("buffer")) > 0)
        out << "buffer path " << QString::number(double(times[QStringLiteral("full")]) / times[QStringLiteral("buffer")], 'f', 1)
            << " times faster than full decode and scale" << Qt::endl;

    const QImage reference(directory.filePath(QStringLiteral("full.png")));
    for (const char *name : {"reduced", "buffer"})
        out << "PSNR of " << name << " against full: "
            << QString::number(ColorQuantizer::Psnr(QImage(directory.filePath(QString::fromLatin1(name) + ".png")), reference), 'f', 1)
            << " dB" << Qt::endl;
    return 0;
}
