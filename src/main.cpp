#include "frame/Startup.h"
#include "frame/ToolbarPictures.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QApplication::setOrganizationName(QStringLiteral("Fennmoor Software"));
    // Before any window, so that even the start-up messages carry the program's icon.
    QApplication::setWindowIcon(ToolbarPictures::ProgramIcon());
    InstanceLock lock;
    if (!StartProgram(lock, QApplication::arguments().mid(1)))
        return 0;
    return QApplication::exec();
}
