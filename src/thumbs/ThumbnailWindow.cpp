#include "thumbs/ThumbnailWindow.h"

#include "imagebuffer/ImageBuffer.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/ThumbnailImage.h"
#include "ui/Controls.h"
#include "ui/Paths.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <algorithm>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QPaintEvent>

// The window's interior, as large as the picture and the caption with their margins.
class ThumbnailWindow::Interior : public QWidget {
public:
    explicit Interior(ThumbnailWindow &window) : window(window) {}
    QSize sizeHint() const override { return wanted; }
    QSize wanted;

protected:
    void resizeEvent(QResizeEvent *) override { window.layoutInterior(); }
    void paintEvent(QPaintEvent *event) override
    {
        QPainter(this).fillRect(event->rect(), palette().color(QPalette::Window));
    }

private:
    ThumbnailWindow &window;
};

namespace {

// No thumbnail window is narrower than this, in twips.
constexpr double MinimumWindowWidth = 780;

// "Small Fonts" where the system has it, else a small sans-serif face. Looked up
// once: asking the font database for every window of a large folder is slow.
const QFont &captionFont()
{
    static const QFont font = [] {
        QFont chosen = QFontDatabase::hasFamily(QStringLiteral("Small Fonts"))
                           ? QFont(QStringLiteral("Small Fonts"))
                           : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        chosen.setPointSize(7);
        return chosen;
    }();
    return font;
}

} // namespace

ThumbnailWindow::ThumbnailWindow(QWidget *parent)
    : QMdiSubWindow(parent), interior(new Interior(*this)), picThumb(new ImageBuffer(interior)),
      lblCaption(new QLabel(interior))
{
    setObjectName(QStringLiteral("THUMBNAIL"));
    setWindowTitle(QStringLiteral("Loading..."));
    setAttribute(Qt::WA_DeleteOnClose);
    keepCostsFlat();
    picThumb->setObjectName(QStringLiteral("picThumb"));
    lblCaption->setObjectName(QStringLiteral("lblCaption"));
    lblCaption->setFont(captionFont());
    lblCaption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    picThumb->hide();
    lblCaption->hide();
    setWidget(interior);
    for (QObject *clickable : {static_cast<QObject *>(picThumb->viewport()), static_cast<QObject *>(lblCaption)})
        clickable->installEventFilter(this);

    connect(this, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates before, Qt::WindowStates now) {
        if ((now & Qt::WindowActive) && !(before & Qt::WindowActive))
            emit activated(path);
    });
}

// The document area does work for every window it holds whenever a window is added or
// raised, unless that window stays on top: it then looks for other windows that do.
// Every thumbnail window staying on top keeps all of them in the usual order and
// makes that work constant, so a folder of thousands loads in linear time; the
// system menu's "Stay on Top" would only confuse, and goes. The Close shortcuts are
// the keyboard's own here (keyPressEvent): as shortcuts every window would add two
// entries to the application's shortcut map, which Qt walks whole whenever any menu
// item of any window changes. The window, its interior and its picture paint every
// pixel themselves rather than have Qt fill their backgrounds: Qt unions the
// rectangles of all such "opaque" windows into one region whenever the area repaints.
void ThumbnailWindow::keepCostsFlat()
{
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setAutoFillBackground(false);
    picThumb->viewport()->setAutoFillBackground(false);
    if (QMenu *menu = systemMenu())
        for (QAction *item : menu->actions()) {
            if (item->isCheckable())
                menu->removeAction(item);  // Stay on Top, the one checkable item
            item->setShortcuts({});
        }
}

// Qt places an added window clear of every window that has been moved before, which
// costs more with each window; the document area places thumbnail windows itself, so
// a move leaves no mark for that placement.
void ThumbnailWindow::moveEvent(QMoveEvent *event)
{
    QMdiSubWindow::moveEvent(event);
    setAttribute(Qt::WA_Moved, false);
}

// Made when first wanted: a folder of thousands of thumbnails makes no menus.
QMenu &ThumbnailWindow::popup()
{
    if (mnuPopup)
        return *mnuPopup;
    mnuPopup = new QMenu(QStringLiteral("Popup"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    QAction *fullSize = NamedItem(mnuPopup, "mnuPopupFullSize", "&View Image at Full Size");
    QAction *remove = NamedItem(mnuPopup, "mnuPopupRemove", "&Remove Thumbnail");
    NamedSeparator(mnuPopup, "mnuPopupSep1");
    NamedItem(mnuPopup, "mnuPopupHide", "&Hide This Menu");
    connect(fullSize, &QAction::triggered, this, [this] { emit fullSizeRequested(path); });
    connect(remove, &QAction::triggered, this, [this] { emit removeRequested(this); });
    return *mnuPopup;
}

// ESC stops a folder load; Enter shows the picture at full size and the menu key
// opens the context menu, as the mouse does.
void ThumbnailWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        emit escapePressed();
    if (event->matches(QKeySequence::Close)) {
        close();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit fullSizeRequested(path);
        return;
    }
    if (event->key() == Qt::Key_Menu) {
        popup().popup(mapToGlobal(rect().center()));
        return;
    }
    QMdiSubWindow::keyPressEvent(event);
}

// The left button alone on the picture or the caption shows the full-size picture;
// the right button's release opens the context menu, or with Ctrl alone on the
// picture closes the window.
bool ThumbnailWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->buttons() == Qt::LeftButton) {
            emit fullSizeRequested(path);
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton) {
            if (watched != lblCaption && mouse->modifiers() == Qt::ControlModifier)
                close();
            else
                popup().popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void ThumbnailWindow::showRecord(const ThumbnailRecord &record, int pictureMargin, int captionHeight)
{
    picThumb->setAutoSize(true);
    showPicture(record.picture);
    picThumb->show();
    lblCaption->show();
    path = record.sourcePath;
    setToolTip(path);
    captionLines = record.caption;
    captionCutFor = -1;
    lblCaption->setAccessibleName(captionLines);  // a screen reader reads the name uncut
    const QString name = Paths::FileNameOf(path);
    setWindowTitle(name);
    picThumb->setAccessibleName(QStringLiteral("Thumbnail of ") + name);
    arrange(pictureMargin, captionHeight);
}

void ThumbnailWindow::showPicture(const Picture &picture)
{
    picThumb->setPicture(picture);
}

void ThumbnailWindow::arrange(int pictureMargin, int captionHeight)
{
    margin = pictureMargin;
    lblCaption->resize(lblCaption->width(), captionHeight);
    interior->wanted = QSize(picThumb->width() + 2 * margin, 2 * margin + picThumb->height() + captionHeight);
    interior->resize(interior->wanted);
    layoutInterior();
}

void ThumbnailWindow::layoutInterior()
{
    const int width = interior->width();
    picThumb->move((width - picThumb->width()) / 2, margin);
    lblCaption->setGeometry(0, margin + picThumb->height() + margin, width, lblCaption->height());
    if (width == captionCutFor)
        return;  // cut for this width already: measuring the text is slow
    captionCutFor = width;
    const QString name = CaptionFileName(captionLines);
    lblCaption->setText(lblCaption->fontMetrics().elidedText(name, Qt::ElideMiddle, width)
                        + captionLines.mid(name.size()));
}

QSize ThumbnailWindow::ownSize() const
{
    QSize size = interior->wanted.grownBy(contentsMargins());
    size.setWidth(std::max({size.width(), Twips::ToPixelsX(MinimumWindowWidth), minimumSizeHint().width()}));
    return size;
}

void ThumbnailWindow::closeEvent(QCloseEvent *event)
{
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted() && !std::exchange(unloaded, true))
        emit unloading(this);
}

ThumbnailWindow *ThumbnailIn(const ThumbCollection &thumbs, int slot)
{
    return thumbs.isFree(slot) ? nullptr : qobject_cast<ThumbnailWindow *>(thumbs.window(slot));
}
