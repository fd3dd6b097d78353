#pragma once

#include "ui/Platform.h"

#include <QPointer>

class QMainWindow;

namespace Ui {

// The real desktop: Qt's standard dialogs, the override cursor, the shell.
class DesktopPlatform final : public Platform {
public:
    MsgResult messageBox(const MessageBoxRequest &request) override;
    FileDialogAnswer openFile(const FileDialogRequest &request) override;
    FileDialogAnswer saveFile(const FileDialogRequest &request) override;
    QString chooseFolder(const FolderDialogRequest &request) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    std::optional<QFont> chooseFont(const QFont &initial) override;
    int execDialog(QDialog &dialog) override;
    void showHelp(const HelpRequest &request) override;

    void setBusyPointer(bool busy) override;
    void yieldEvents() override;
    void beep() override;
    QTime localTime() override;

    int openDocument(const QString &path) override;
    int startProgram(const QString &program, const QString &argument) override;
    bool showFileProperties(const QString &path) override;

private:
    QPointer<QMainWindow> helpWindow;
    YieldThrottle throttle;
};

} // namespace Ui
