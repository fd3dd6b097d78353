// Loads each file the way the program does (every format code in turn, then the
// picture loader of last resort) and prints: file, format code (0 for the last-resort
// loader, "none" when nothing read it), width, height, colour depth.
// With --thumb DIR it also writes the 93 x 97 thumbnail the program would make.

#include "imagebuffer/Picture.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ThumbnailImage.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    // Metafiles may draw text, which needs fonts: a headless GUI application.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList arguments = QGuiApplication::arguments().mid(1);
    QString thumbDirectory;
    if (arguments.size() >= 2 && arguments.first() == QLatin1String("--thumb")) {
        thumbDirectory = arguments[1];
        arguments = arguments.mid(2);
        QDir().mkpath(thumbDirectory);
    }
    if (arguments.isEmpty()) {
        QTextStream(stderr) << "usage: imageprobe [--thumb DIR] FILE...\n";
        return 2;
    }
    QTextStream out(stdout);
    int unreadable = 0;
    for (const QString &path : arguments) {
        Picture picture;
        const std::optional<int> code = LoadAnyImageFile(picture, path);
        out << path << ' ' << (code ? QString::number(*code) : QStringLiteral("none")) << ' ' << picture.width()
            << ' ' << picture.height() << ' ' << picture.depth() << Qt::endl;
        if (!code) {
            ++unreadable;
            continue;
        }
        Picture thumbnail;
        if (!thumbDirectory.isEmpty() && MakeThumbnailImage(picture, thumbnail, QSize(93, 97))) {
            const QString name = QDir(thumbDirectory).filePath(QFileInfo(path).fileName() + QStringLiteral(".png"));
            if (!thumbnail.save(name, ImageFormat::Png, {}))
                QTextStream(stderr) << name << ": " << thumbnail.errorString() << '\n';
        }
    }
    return unreadable ? 1 : 0;
}
