#pragma once

#include <QColor>
#include <QFont>
#include <QElapsedTimer>
#include <QString>
#include <QTime>
#include <memory>
#include <optional>

class QDialog;
class QWidget;

// Everything the program asks of the desktop goes through one `Platform`: message
// boxes, file, folder, colour and font dialogs, help, the busy pointer, event
// yields, the beep and the shell. Tests install a `ScriptedPlatform` that records
// each call and returns prepared answers, so no test ever waits on a modal dialog.
namespace Ui {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { OK, OKCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
// Numbered as the classic message-box answers, which callers may compare with.
enum class MsgResult { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct MessageBoxRequest {
    QString title;
    QString text;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OK;
};

// An open or save dialog. `filter` is "desc|pattern|desc|pattern"; `filterIndex` is
// 1-based, as is the index handed back.
struct FileDialogRequest {
    QString title;
    QString filter;
    int filterIndex = 1;
    QString initialDirectory;
    QString fileName;
};

struct FileDialogAnswer {
    QString fileName;   // empty when the user cancelled
    int filterIndex = 1;
};

struct FolderDialogRequest {
    QString title;
    QString initialDirectory;
};

struct HelpRequest {
    QString helpFile;
    int topic = 0;
};

// Results of the shell calls follow the classic table: above 32 is success, 2 file
// not found, 5 access denied, 31 no association, 0 any other failure.
constexpr int ShellSuccess = 42;

class Platform {
public:
    virtual ~Platform() = default;

    virtual MsgResult messageBox(const MessageBoxRequest &request) = 0;
    virtual FileDialogAnswer openFile(const FileDialogRequest &request) = 0;
    virtual FileDialogAnswer saveFile(const FileDialogRequest &request) = 0;
    virtual QString chooseFolder(const FolderDialogRequest &request) = 0;
    virtual std::optional<QColor> chooseColor(const QColor &initial) = 0;
    virtual std::optional<QFont> chooseFont(const QFont &initial) = 0;
    // Shows a program window modally and returns its result code.
    virtual int execDialog(QDialog &dialog) = 0;
    virtual void showHelp(const HelpRequest &request) = 0;

    virtual void setBusyPointer(bool busy) = 0;
    virtual void yieldEvents() = 0;
    virtual void beep() = 0;
    virtual QTime localTime() = 0;

    virtual int openDocument(const QString &path) = 0;
    virtual int startProgram(const QString &program, const QString &argument) = 0;
    // Opens the desktop's property sheet of a file; false when nothing answered.
    virtual bool showFileProperties(const QString &path) = 0;
};

// The platform in use; the desktop one unless a test installed another.
Platform &platform();
// Installs a platform and returns the one it replaces.
std::unique_ptr<Platform> setPlatform(std::unique_ptr<Platform> replacement);

// Shorthand for the common message box.
MsgResult MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title);
// Lines for a message, one a line, at most a screenful of them.
QString Listed(const QStringList &lines);

// When a yield runs the waiting events: at most every 50 ms. A folder load yields after
// every picture; repainting a window of thousands of thumbnails after each would cost
// more than making them, while 50 ms keeps the window answering without a wait one
// notices.
class YieldThrottle {
public:
    bool due();

private:
    QElapsedTimer sinceLast;
};

// Shows the hourglass for as long as it lives, and the default pointer again on every
// way out of the scope.
class BusyPointer {
public:
    BusyPointer() { platform().setBusyPointer(true); }
    ~BusyPointer() { platform().setBusyPointer(false); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

} // namespace Ui
