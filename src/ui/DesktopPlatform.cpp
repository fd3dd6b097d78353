#include "ui/DesktopPlatform.h"

#include "ui/FileFilter.h"

#include <QApplication>
#include <QColorDialog>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

namespace Ui {

namespace {

QMessageBox::Icon toQtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQtButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OK: return QMessageBox::Ok;
    case MsgButtons::OKCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MsgResult fromQtButton(int button)
{
    switch (button) {
    case QMessageBox::Cancel: return MsgResult::Cancel;
    case QMessageBox::Abort: return MsgResult::Abort;
    case QMessageBox::Retry: return MsgResult::Retry;
    case QMessageBox::Ignore: return MsgResult::Ignore;
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    default: return MsgResult::OK;
    }
}

QString startPath(const FileDialogRequest &request)
{
    if (request.fileName.isEmpty())
        return request.initialDirectory;
    if (QFileInfo(request.fileName).isAbsolute() || request.initialDirectory.isEmpty())
        return request.fileName;
    return QDir(request.initialDirectory).filePath(request.fileName);
}

using FileDialogFunction = QString (*)(QWidget *, const QString &, const QString &, const QString &,
                                       QString *, QFileDialog::Options);

FileDialogAnswer runFileDialog(FileDialogFunction function, const FileDialogRequest &request)
{
    QString selected = QtFilterAt(request.filter, request.filterIndex);
    const QString name = function(QApplication::activeWindow(), request.title, startPath(request),
                                  ToQtFilter(request.filter), &selected, {});
    return {name, QtFilterIndex(request.filter, selected)};
}

// One help window for the whole run: closing only hides it, so that it keeps its
// size and place. Esc and the platform's close keys (Ctrl+W) close it. The text
// stands in a window of its own, which screen readers announce by its title.
QMainWindow *makeHelpWindow()
{
    auto *help = new QMainWindow;
    help->setObjectName(QStringLiteral("HELP"));
    auto *text = new QTextBrowser(help);
    text->setObjectName(QStringLiteral("txtHelp"));
    text->setAccessibleName(QStringLiteral("Help text"));
    text->setOpenExternalLinks(true);
    help->setCentralWidget(text);
    help->resize(640, 560);
    QList<QKeySequence> closeKeys = QKeySequence::keyBindings(QKeySequence::Close);
    closeKeys << QKeySequence(Qt::Key_Escape) << QKeySequence(Qt::CTRL | Qt::Key_W);
    QList<QKeySequence> distinct;  // one shortcut per key: two would make it ambiguous
    for (const QKeySequence &keys : closeKeys)
        if (!distinct.contains(keys))
            distinct << keys;
    for (const QKeySequence &keys : distinct)
        QObject::connect(new QShortcut(keys, help), &QShortcut::activated, help, &QWidget::close);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, help, &QObject::deleteLater);
    return help;
}

// To the right of the owner when it fits on the screen there, else to its left, else
// centred on it; never beyond the screen's edges.
void placeBeside(QWidget *window, const QWidget *owner)
{
    const QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect placed(QPoint(), window->size());
    if (!owner) {
        placed.moveCenter(area.center());
    } else {
        const QRect beside = owner->frameGeometry();
        if (beside.right() + placed.width() < area.right())
            placed.moveTopLeft(QPoint(beside.right() + 1, beside.top()));
        else if (beside.left() - placed.width() > area.left())
            placed.moveTopRight(QPoint(beside.left() - 1, beside.top()));
        else
            placed.moveCenter(beside.center());
    }
    placed.moveLeft(std::clamp(placed.left(), area.left(), std::max(area.left(), area.right() - placed.width())));
    placed.moveTop(std::clamp(placed.top(), area.top(), std::max(area.top(), area.bottom() - placed.height())));
    window->move(placed.topLeft());
}

} // namespace

MsgResult DesktopPlatform::messageBox(const MessageBoxRequest &request)
{
    QMessageBox box(toQtIcon(request.icon), request.title, request.text, toQtButtons(request.buttons),
                    QApplication::activeWindow());
    return fromQtButton(box.exec());
}

FileDialogAnswer DesktopPlatform::openFile(const FileDialogRequest &request)
{
    return runFileDialog(&QFileDialog::getOpenFileName, request);
}

FileDialogAnswer DesktopPlatform::saveFile(const FileDialogRequest &request)
{
    return runFileDialog(&QFileDialog::getSaveFileName, request);
}

QString DesktopPlatform::chooseFolder(const FolderDialogRequest &request)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), request.title,
                                             request.initialDirectory);
}

std::optional<QColor> DesktopPlatform::chooseColor(const QColor &initial)
{
    const QColor chosen = QColorDialog::getColor(initial, QApplication::activeWindow());
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

std::optional<QFont> DesktopPlatform::chooseFont(const QFont &initial)
{
    bool accepted = false;
    const QFont chosen = QFontDialog::getFont(&accepted, initial, QApplication::activeWindow(), QString(),
                                               QFontDialog::ScalableFonts);
    if (!accepted)
        return std::nullopt;
    return chosen;
}

int DesktopPlatform::execDialog(QDialog &dialog)
{
    return dialog.exec();
}

void DesktopPlatform::showHelp(const HelpRequest &request)
{
    if (!QFileInfo(request.helpFile).isReadable()) {
        MsgBox(QStringLiteral("Cannot open the help file %1.").arg(QDir::toNativeSeparators(request.helpFile)),
               MsgButtons::OK, MsgIcon::Exclamation, QStringLiteral("Help"));
        return;
    }
    const bool firstShow = !helpWindow;
    if (firstShow)
        helpWindow = makeHelpWindow();
    QUrl topic = QUrl::fromLocalFile(request.helpFile);
    topic.setFragment(QString::number(request.topic));
    auto *text = static_cast<QTextBrowser *>(helpWindow->centralWidget());
    text->setSource(topic, QTextDocument::HtmlResource);
    helpWindow->setWindowTitle(text->documentTitle());
    // Later showings come back where the user left the window, at the size given it.
    if (firstShow)
        placeBeside(helpWindow, QApplication::activeWindow());
    helpWindow->show();
    helpWindow->raise();
    helpWindow->activateWindow();
}

void DesktopPlatform::setBusyPointer(bool busy)
{
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void DesktopPlatform::yieldEvents()
{
    if (throttle.due())
        QCoreApplication::processEvents();
}

void DesktopPlatform::beep()
{
    QApplication::beep();
}

QTime DesktopPlatform::localTime()
{
    return QTime::currentTime();
}

int DesktopPlatform::openDocument(const QString &path)
{
    const QFileInfo file(path);
    if (!file.exists())
        return 2;
    if (!file.isReadable())
        return 5;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath())) ? ShellSuccess : 31;
}

int DesktopPlatform::startProgram(const QString &program, const QString &argument)
{
    const QFileInfo file(program);
    if (!file.exists())
        return 2;
    if (!file.isExecutable())
        return 5;
    return QProcess::startDetached(file.absoluteFilePath(), {argument}) ? ShellSuccess : 0;
}

// The freedesktop file-manager interface; without a session bus or a file manager
// that offers it, nothing answers.
bool DesktopPlatform::showFileProperties(const QString &path)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItemProperties"));
    call << QStringList{QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString()} << QString();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace Ui
