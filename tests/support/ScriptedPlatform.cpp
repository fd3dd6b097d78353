#include "ScriptedPlatform.h"

#include <QCoreApplication>
#include <QDialog>

using namespace Qt::StringLiterals;

namespace Ui {

namespace {

template <typename T>
T takeOr(QQueue<T> &queue, T fallback)
{
    return queue.isEmpty() ? fallback : queue.dequeue();
}

MsgResult firstButton(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OK:
    case MsgButtons::OKCancel: return MsgResult::OK;
    case MsgButtons::AbortRetryIgnore: return MsgResult::Abort;
    case MsgButtons::YesNoCancel:
    case MsgButtons::YesNo: return MsgResult::Yes;
    case MsgButtons::RetryCancel: return MsgResult::Retry;
    }
    return MsgResult::OK;
}

} // namespace

MsgResult ScriptedPlatform::messageBox(const MessageBoxRequest &request)
{
    messages << request;
    return takeOr(messageAnswers, firstButton(request.buttons));
}

FileDialogAnswer ScriptedPlatform::openFile(const FileDialogRequest &request)
{
    openRequests << request;
    return takeOr(fileAnswers, FileDialogAnswer{QString(), request.filterIndex});
}

FileDialogAnswer ScriptedPlatform::saveFile(const FileDialogRequest &request)
{
    saveRequests << request;
    return takeOr(fileAnswers, FileDialogAnswer{QString(), request.filterIndex});
}

QString ScriptedPlatform::chooseFolder(const FolderDialogRequest &request)
{
    folderRequests << request;
    return takeOr(folderAnswers, QString());
}

std::optional<QColor> ScriptedPlatform::chooseColor(const QColor &initial)
{
    colorRequests << initial;
    return takeOr(colorAnswers, std::optional<QColor>());
}

std::optional<QFont> ScriptedPlatform::chooseFont(const QFont &initial)
{
    fontRequests << initial;
    return takeOr(fontAnswers, std::optional<QFont>());
}

int ScriptedPlatform::execDialog(QDialog &dialog)
{
    dialogsShown << dialog.objectName();
    bool finished = false;
    const QMetaObject::Connection watch = QObject::connect(&dialog, &QDialog::finished, [&finished] { finished = true; });
    if (!dialogScripts.isEmpty())
        dialogScripts.dequeue()(dialog);
    // A window the script did not close is closed with the prepared answer, which
    // runs its unload as the user's closing would.
    if (!finished)
        dialog.done(takeOr(dialogAnswers, int(QDialog::Rejected)));
    QObject::disconnect(watch);
    return dialog.result();
}

void ScriptedPlatform::showHelp(const HelpRequest &request)
{
    helpRequests << request;
}

void ScriptedPlatform::setBusyPointer(bool busy)
{
    busyDepth += busy ? 1 : -1;
    busyPeak = std::max(busyPeak, busyDepth);
}

void ScriptedPlatform::yieldEvents()
{
    ++yields;
    if (yieldsRunEvents)
        QCoreApplication::processEvents();
}

void ScriptedPlatform::beep()
{
    ++beeps;
}

QTime ScriptedPlatform::localTime()
{
    return clock;
}

int ScriptedPlatform::openDocument(const QString &path)
{
    shellCalls << u"open %1"_s.arg(path);
    return takeOr(shellAnswers, ShellSuccess);
}

int ScriptedPlatform::startProgram(const QString &program, const QString &argument)
{
    shellCalls << u"start %1 %2"_s.arg(program, argument);
    return takeOr(shellAnswers, ShellSuccess);
}

ScriptedPlatformScope::ScriptedPlatformScope()
{
    auto owned = std::make_unique<ScriptedPlatform>();
    scripted = owned.get();
    previous = setPlatform(std::move(owned));
}

ScriptedPlatformScope::~ScriptedPlatformScope()
{
    setPlatform(std::move(previous));
}

bool ScriptedPlatform::showFileProperties(const QString &path)
{
    shellCalls << u"properties "_s + path;
    return takeOr(propertiesAnswers, true);
}

} // namespace Ui
