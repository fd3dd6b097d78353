#include "frame/BatchBuild.h"
#include "frame/Startup.h"
#include "frame/ToolbarPictures.h"

#include <QApplication>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

namespace {

void nameProgram()
{
    QCoreApplication::setApplicationName(QStringLiteral("Quillmere"));
    QCoreApplication::setOrganizationName(QStringLiteral("Fennmoor Software"));
}

// A build from the command line needs no display: pictures are drawn off screen.
int buildSite(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    nameProgram();
    QTextStream report(stderr);
    return BatchBuild::Run(QCoreApplication::arguments().mid(1), report, isatty(fileno(stderr)));
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (BatchBuild::Requested(arguments))
        return buildSite(argc, argv);

    QApplication app(argc, argv);
    nameProgram();
    // Before any window, so that even the start-up messages carry the program's icon.
    QApplication::setWindowIcon(ToolbarPictures::ProgramIcon());
    InstanceLock lock;
    if (!StartProgram(lock, QApplication::arguments().mid(1)))
        return 0;
    return QApplication::exec();
}
