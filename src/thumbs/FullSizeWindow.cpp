#include "thumbs/FullSizeWindow.h"

#include "imagebuffer/ImageBuffer.h"
#include "settings/SettingsSection.h"
#include "settings/StoredSettings.h"
#include "settings/WindowPosition.h"
#include "thumbs/ImageLoading.h"
#include "ui/Platform.h"

#include <QDir>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>

FullSizeWindow::Fit FullSizeWindow::FitOnScreen(QSize picture, QSize screen, QSize frame, int scrollBar)
{
    Fit fit{picture, 0};
    const QSize room = screen - frame;
    if (picture.width() > room.width()) {
        fit.interior.setWidth(room.width());
        fit.scrollBars = 1;
        fit.interior.setHeight(picture.height() + scrollBar);  // the bar takes no picture rows
    }
    if (fit.interior.height() > room.height()) {
        fit.interior.setHeight(room.height());
        fit.scrollBars = fit.scrollBars == 1 ? 3 : 2;
        if (fit.scrollBars == 2)
            fit.interior.setWidth(std::min(room.width(), picture.width() + scrollBar));
    }
    return fit;
}

FullSizeWindow::FullSizeWindow(QWidget *parent) : QDialog(parent), picbufLoad(new ImageBuffer(this))
{
    setObjectName(QStringLiteral("WHOLE"));
    setWindowTitle(QStringLiteral("Whole"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    picbufLoad->setObjectName(QStringLiteral("picbufLoad"));
    picbufLoad->setAccessibleName(QStringLiteral("Picture at full size"));
    picbufLoad->move(0, 0);
    picbufLoad->viewport()->installEventFilter(this);
    restorePosition();
}

void FullSizeWindow::restorePosition()
{
    GuardStore([this] { move(WindowPosition::Restored(Settings::FullSizePosition)); });
}

void FullSizeWindow::storePosition()
{
    if (std::exchange(stored, true))
        return;
    GuardStore([this] { WindowPosition::Store(Settings::FullSizePosition, pos()); });
}

void FullSizeWindow::done(int result)
{
    storePosition();
    QDialog::done(result);
}

void FullSizeWindow::mousePressEvent(QMouseEvent *)
{
    accept();
}

bool FullSizeWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ShowFullSize(const QString &path, QWidget *owner)
{
    FullSizeWindow window(owner);
    Picture picture;
    bool loaded = false;
    {
        Ui::BusyPointer busy;  // while the picture loads, not while it is shown
        loaded = LoadAnyImageFile(picture, path).has_value();
    }
    if (!loaded) {
        window.done(QDialog::Rejected);
        Ui::MsgBox(QStringLiteral("Picture Could Not Be Loaded."), Ui::MsgButtons::OK, Ui::MsgIcon::Critical,
                   QStringLiteral("Error"));
        return;
    }
    ImageBuffer &shown = window.picture();
    shown.setAutoSize(true);
    shown.setPicture(picture);
    window.setWindowTitle(QDir::toNativeSeparators(path));
    const QScreen *screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    const QSize available = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    const int titleBar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const int border = window.style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const FullSizeWindow::Fit fit = FullSizeWindow::FitOnScreen(
        picture.size(), available, QSize(2 * border, titleBar + 2 * border),
        window.style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    if (fit.scrollBars) {
        shown.setAutoSize(false);
        shown.resize(fit.interior);
        shown.setScrollBars(fit.scrollBars);
    }
    window.setFixedSize(fit.interior);
    Ui::platform().execDialog(window);
    window.done(QDialog::Accepted);
}
