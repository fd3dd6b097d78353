#pragma once

#include "ui/Platform.h"

#include <QCoreApplication>
#include <QDialog>
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
    int yields = 0;
    int beeps = 0;

    MsgResult messageBox(const MessageBoxRequest &request) override
    {
        messages << request;
        const MsgButtons b = request.buttons;
        const MsgResult first = b == MsgButtons::AbortRetryIgnore ? MsgResult::Abort
                                : b == MsgButtons::YesNo || b == MsgButtons::YesNoCancel ? MsgResult::Yes
                                : b == MsgButtons::RetryCancel                           ? MsgResult::Retry
                                                                                         : MsgResult::OK;
        return next(messageAnswers, first);
    }
    FileDialogAnswer openFile(const FileDialogRequest &request) override
    {
        openRequests << request;
        return next(fileAnswers, FileDialogAnswer{QString(), request.filterIndex});
    }
    FileDialogAnswer saveFile(const FileDialogRequest &request) override
    {
        saveRequests << request;
        return next(fileAnswers, FileDialogAnswer{QString(), request.filterIndex});
    }
    QString chooseFolder(const FolderDialogRequest &request) override
    {
        folderRequests << request;
        return next(folderAnswers, QString());
    }
    std::optional<QColor> chooseColor(const QColor &initial) override { colorRequests << initial; return next(colorAnswers, {}); }
    std::optional<QFont> chooseFont(const QFont &initial) override { fontRequests << initial; return next(fontAnswers, {}); }
    // A window the script did not close is cancelled, which runs its unload as the
    // user's closing would.
    int execDialog(QDialog &dialog) override
    {
        dialogsShown << dialog.objectName();
        bool finished = false;
        const QMetaObject::Connection watch = QObject::connect(&dialog, &QDialog::finished, [&finished] { finished = true; });
        if (!dialogScripts.isEmpty())
            dialogScripts.dequeue()(dialog);
        if (!finished)
            dialog.done(QDialog::Rejected);
        QObject::disconnect(watch);
        return dialog.result();
    }
    void showHelp(const HelpRequest &request) override { helpRequests << request; }
    void setBusyPointer(bool busy) override { busyDepth += busy ? 1 : -1; }
    void yieldEvents() override
    {
        ++yields;
        if (yieldsRunEvents)
            QCoreApplication::processEvents();
    }
    void beep() override { ++beeps; }
    QTime localTime() override { return clock; }
    int openDocument(const QString &path) override { shellCalls << QStringLiteral("open ") + path; return next(shellAnswers, ShellSuccess); }
    int startProgram(const QString &program, const QString &argument) override
    {
        shellCalls << QStringLiteral("start %1 %2").arg(program, argument);
        return next(shellAnswers, ShellSuccess);
    }
    bool showFileProperties(const QString &path) override
    {
        shellCalls << QStringLiteral("properties ") + path;
        return next(propertiesAnswers, true);
    }

private:
    template <typename T>
    static T next(QQueue<T> &queue, T fallback)
    {
        return queue.isEmpty() ? fallback : queue.dequeue();
    }
};

// Installs a fresh ScriptedPlatform for as long as it lives and puts the earlier
// platform back afterwards.
class ScriptedPlatformScope {
public:
    ScriptedPlatformScope() : scripted(new ScriptedPlatform), previous(setPlatform(std::unique_ptr<Platform>(scripted))) {}
    ~ScriptedPlatformScope() { setPlatform(std::move(previous)); }
    ScriptedPlatformScope(const ScriptedPlatformScope &) = delete;
    ScriptedPlatformScope &operator=(const ScriptedPlatformScope &) = delete;
    ScriptedPlatform &operator*() const { return *scripted; }
    ScriptedPlatform *operator->() const { return scripted; }

private:
    ScriptedPlatform *scripted;
    std::unique_ptr<Platform> previous;
};

} // namespace Ui
