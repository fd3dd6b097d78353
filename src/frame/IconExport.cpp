// Writes the program's icon as PNG files for the desktop's icon theme:
// DIR/NxN/apps/quillmere.png for every size the theme lists. Run by the build.

#include "frame/ToolbarPictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage: quillmere_icons DIR\n";
        return 2;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString directory = QStringLiteral("%1/%2x%2/apps").arg(arguments[1]).arg(size);
        if (!QDir().mkpath(directory) || !ToolbarPictures::ProgramPicture(size).save(directory + QStringLiteral("/quillmere.png"))) {
            QTextStream(stderr) << "cannot write " << directory << "/quillmere.png\n";
            return 1;
        }
    }
    return 0;
}
