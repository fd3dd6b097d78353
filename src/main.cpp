#include "frame/BatchBuild.h"
#include "frame/Startup.h"
#include "frame/ToolbarPictures.h"
#include "ui/SharedIconStyle.h"

#include <QApplication>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

namespace {

const char Help[] = "Usage: quillmere [FILE|FOLDER]...\n"
                    "       quillmere --batch FOLDER --output DIR [--settings FILE] [--force]\n"
                    "                 [--albums] [--sort name|date] [--quiet]\n"
                    "\n"
                    "Opens the pictures and folders given; with --batch, builds the thumbnail page of\n"
                    "FOLDER into DIR without any window (--force makes every file again; --albums\n"
                    "makes an album of every folder below; --sort date orders pictures as taken;\n"
                    "--quiet tells only problems and the summary).\n";

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
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        std::fputs(Help, stdout);
        return 0;
    }
    if (arguments.contains(QLatin1String("--version"))) {
        std::printf("Quillmere %d.%d\n", QUILLMERE_VERSION_MAJOR, QUILLMERE_VERSION_MINOR);
        return 0;
    }
    if (BatchBuild::Requested(arguments))
        return buildSite(argc, argv);

    QApplication app(argc, argv);
    Ui::SharedIconStyle::Install();
    nameProgram();
    // Before any window, so that even the start-up messages carry the program's icon.
    QApplication::setWindowIcon(ToolbarPictures::ProgramIcon());
    InstanceLock lock;
    if (!StartProgram(lock, QApplication::arguments().mid(1)))
        return 0;
    return QApplication::exec();
}
