#pragma once

#include "ui/Platform.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <functional>

namespace Ui {

// The platform of the tests: every call is recorded, every answer comes from a queue
// the test filled beforehand. With nothing prepared a message box answers with its
// first button, a dialog is cancelled and a shell call succeeds.
class ScriptedPlatform : public Platform {
public:
    // Prepared answers, used in order.
    QQueue<MsgResult> messageAnswers;
    QQueue<FileDialogAnswer> fileAnswers;
    QQueue<QString> folderAnswers;
    QQueue<std::optional<QColor>> colorAnswers;
    QQueue<std::optional<QFont>> fontAnswers;
    QQueue<int> dialogAnswers;
    // Run on a window shown modally, in place of the user, before it is answered.
    QQueue<std::function<void(QDialog &)>> dialogScripts;
    QQueue<int> shellAnswers;
    QQueue<bool> propertiesAnswers;
    QTime clock = QTime(12, 0);
    // Whether a yield lets pending events run, as the desktop's does.
    bool yieldsRunEvents = false;

    // What was asked.
    QList<MessageBoxRequest> messages;
    QList<FileDialogRequest> openRequests;
    QList<FileDialogRequest> saveRequests;
    QList<FolderDialogRequest> folderRequests;
    QList<QColor> colorRequests;
    QList<QFont> fontRequests;
    QStringList dialogsShown;         // object names of the windows shown modally
    QList<HelpRequest> helpRequests;
    QStringList shellCalls;           // "open <path>", "start <program> <argument>", "properties <path>"
    int busyDepth = 0;                // hourglass requests not yet undone
    int busyPeak = 0;
    int yields = 0;
    int beeps = 0;

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
};

// Installs a fresh ScriptedPlatform for as long as it lives and puts the earlier
// platform back afterwards.
class ScriptedPlatformScope {
public:
    ScriptedPlatformScope();
    ~ScriptedPlatformScope();
    ScriptedPlatformScope(const ScriptedPlatformScope &) = delete;
    ScriptedPlatformScope &operator=(const ScriptedPlatformScope &) = delete;
    ScriptedPlatform &operator*() const { return *scripted; }
    ScriptedPlatform *operator->() const { return scripted; }

private:

    ScriptedPlatform *scripted;
    std::unique_ptr<Platform> previous;
};

} // namespace Ui
