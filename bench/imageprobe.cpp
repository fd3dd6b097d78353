// Loads each file the way the program does (every format code in turn, then the
// picture loader of last resort) and prints: file, format code (0 for the last-resort
// loader, "none" when nothing read it), width, height, colour depth.
// With --thumb DIR it also writes the 93 x 97 thumbnail the program would make.

#include "imagebuffer/ImageBuffer.h"
#include "imagebuffer/PictureLoader.h"
#include "thumbs/ImageLoading.h"
#include "thumbs/ThumbnailImage.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments().mid(1);
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
        ImageBuffer buffer;
        QString code = QString::number(LoadImageFile(buffer, path));
        if (code == QLatin1String("0")) {
            const QImage picture = PictureLoader::Load(path);
            if (picture.isNull())
                code = QStringLiteral("none");
            else
                buffer.ImportPicture(picture);
        }
        out << path << ' ' << code << ' ' << buffer.ImageWidth() << ' ' << buffer.ImageHeight() << ' '
            << buffer.ColorDepth() << Qt::endl;
        if (code == QLatin1String("none")) {
            ++unreadable;
            continue;
        }
        if (!thumbDirectory.isEmpty()) {
            ImageBuffer thumbnail;
            if (MakeThumbnailImage(buffer, thumbnail, QSize(93, 97))) {
                thumbnail.setFileName(QDir(thumbDirectory).filePath(QFileInfo(path).fileName() + QStringLiteral(".png")));
                thumbnail.setFileType(9);
                thumbnail.Save();
            }
        }
    }
    return unreadable ? 1 : 0;
}
