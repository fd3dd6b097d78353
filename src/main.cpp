#include "frame/Startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QApplication::setOrganizationName(QStringLiteral("Fennmoor Software"));
    InstanceLock lock;
    if (!StartProgram(lock))
        return 0;
    return QApplication::exec();
}
