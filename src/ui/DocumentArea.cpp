#include "ui/DocumentArea.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QChildEvent>
#include <QMdiSubWindow>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <algorithm>
#include <cmath>

// Screen readers meet the area as a layered pane whose children are its windows, in
// the order they were added, as they met Qt's own multiple-document area.
class AccessibleDocumentArea : public QAccessibleWidget {
public:
    explicit AccessibleDocumentArea(DocumentArea *area) : QAccessibleWidget(area, QAccessible::LayeredPane) {}

    static QAccessibleInterface *make(const QString &className, QObject *object)
    {
        auto *area = qobject_cast<DocumentArea *>(object);
        return area && className == QLatin1String("DocumentArea") ? new AccessibleDocumentArea(area) : nullptr;
    }

    int childCount() const override { return int(area().byAdding.size()); }
    QAccessibleInterface *child(int index) const override
    {
        const DocumentArea::Windows &windows = area().byAdding;
        if (index < 0 || size_t(index) >= windows.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(std::next(windows.begin(), index)->second);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const DocumentArea &owner = area();
        const auto stamp = child ? owner.stamps.constFind(child->object()) : owner.stamps.constEnd();
        if (stamp == owner.stamps.constEnd())
            return -1;
        return int(std::distance(owner.byAdding.begin(), owner.byAdding.find(stamp->added)));
    }

private:
    const DocumentArea &area() const { return *static_cast<const DocumentArea *>(widget()); }
};

DocumentArea::DocumentArea(QWidget *parent) : QAbstractScrollArea(parent)
{
    static const bool accessible = (QAccessible::installFactory(&AccessibleDocumentArea::make), true);
    Q_UNUSED(accessible)
    setFrameStyle(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    viewport()->setBackgroundRole(QPalette::Dark);
    const auto bind = [this](QList<QKeySequence> keys, void (DocumentArea::*step)()) {
        auto *shortcut = new QShortcut(this);
        shortcut->setKeys(keys);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, step);
    };
    bind({QKeySequence(Qt::CTRL | Qt::Key_Tab)}, &DocumentArea::activateNextSubWindow);
    bind({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)},
         &DocumentArea::activatePreviousSubWindow);
}

// The windows go with the area, and none is handed the activation on the way out.
DocumentArea::~DocumentArea()
{
    for (const auto &[stamp, window] : byAdding) {
        window->removeEventFilter(this);
        disconnect(window, nullptr, this, nullptr);
    }
    stamps.clear();
    byAdding.clear();
    byActivation.clear();
    active = nullptr;
}

QMdiSubWindow *DocumentArea::addSubWindow(QWidget *widget)
{
    auto *window = qobject_cast<QMdiSubWindow *>(widget);
    if (window && stamps.contains(window))
        return window;
    if (window) {
        window->setParent(viewport(), window->windowFlags());
        if (!(window->windowFlags() & Qt::SubWindow))
            window->setWindowFlags(Qt::SubWindow);
    } else {
        window = new QMdiSubWindow(viewport());
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWidget(widget);
    }
    if (!window->testAttribute(Qt::WA_Resized))
        window->resize(window->sizeHint().boundedTo(viewport()->size()).expandedTo(window->minimumSizeHint()));
    window->setOption(QMdiSubWindow::AllowOutsideAreaHorizontally, true);
    window->setOption(QMdiSubWindow::AllowOutsideAreaVertically, true);
    track(window);
    tiled = false;
    updateScrollRangeSoon();
    return window;
}

void DocumentArea::track(QMdiSubWindow *window)
{
    const Stamps stamp{nextStamp++, nextStamp++};
    stamps.insert(window, stamp);
    byAdding.emplace(stamp.added, window);
    // A new window comes first among those to pass the activation to, as if it had
    // been active last.
    byActivation.emplace(stamp.activated, window);
    window->installEventFilter(this);
    connect(window, &QMdiSubWindow::aboutToActivate, this, [this, window] { aboutToActivate(window); });
    connect(window, &QMdiSubWindow::windowStateChanged, this,
            [this, window](Qt::WindowStates before, Qt::WindowStates now) { stateChanged(window, before, now); });
    // Only the address is used once the window is on its way out.
    connect(window, &QObject::destroyed, this, [this](QObject *gone) { forget(gone, false); });
}

void DocumentArea::forget(const QObject *window, bool stillAlive)
{
    const auto found = stamps.constFind(window);
    if (found == stamps.cend())
        return;
    if (stillAlive) {
        const_cast<QObject *>(window)->removeEventFilter(this);
        disconnect(window, nullptr, this, nullptr);
    }
    byAdding.erase(found->added);
    byActivation.erase(found->activated);
    const bool wasMinimized = minimized.erase(found->added) > 0;
    maximized.erase(found->added);
    stamps.erase(found);
    tiled = false;

    const bool wasActive = window == active;
    const bool deactivatedByClosing = window == lastDeactivated;
    if (wasActive)
        active = nullptr;
    if (wasActive || deactivatedByClosing) {
        lastDeactivated = nullptr;
        if (QMdiSubWindow *next = latestShownOtherThan(window))
            setActiveSubWindow(next);
        else if (wasActive)
            emit subWindowActivated(nullptr);
    }
    if (wasMinimized)
        arrangeIcons();
    updateScrollRangeSoon();
}

QList<QMdiSubWindow *> DocumentArea::subWindowList() const
{
    QList<QMdiSubWindow *> windows;
    windows.reserve(qsizetype(byAdding.size()));
    for (const auto &[stamp, window] : byAdding)
        windows << window;
    return windows;
}

DocumentArea *DocumentArea::of(const QWidget *window)
{
    QWidget *holder = window ? window->parentWidget() : nullptr;
    auto *area = holder ? qobject_cast<DocumentArea *>(holder->parentWidget()) : nullptr;
    return area && area->viewport() == holder ? area : nullptr;
}

// A window is activated through the event its own activation answers; with it
// comes aboutToActivate, where the window active before is let go.
void DocumentArea::setActiveSubWindow(QMdiSubWindow *window)
{
    if (!window) {
        QMdiSubWindow *previous = active;
        lastDeactivated = nullptr;
        if (!previous)
            return;
        active = nullptr;
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(previous, &deactivate);
        emit subWindowActivated(nullptr);
        return;
    }
    if (window == active || !stamps.contains(window))
        return;
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window, &activate);
}

void DocumentArea::aboutToActivate(QMdiSubWindow *window)
{
    QMdiSubWindow *previous = active;
    // Set first: letting the previous window go below is not the loss of the active one.
    active = window;
    lastDeactivated = nullptr;
    stampActivation(window);
    if (previous && previous != window) {
        // A maximised window hands its maximised state on, as one document replaces
        // another. While it is still active, restoring it does not activate it again.
        // A window activated as it is minimised leaves the other maximised beneath.
        maximizeNext = previous->isMaximized() && !window->isMaximized() && !window->isMinimized();
        if (maximizeNext)
            previous->showNormal();
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(previous, &deactivate);
    }
    window->raise();
}

void DocumentArea::stampActivation(QMdiSubWindow *window)
{
    const auto found = stamps.find(window);
    if (found == stamps.end())
        return;
    byActivation.erase(found->activated);
    found->activated = nextStamp++;
    byActivation.emplace(found->activated, window);
}

void DocumentArea::stateChanged(QMdiSubWindow *window, Qt::WindowStates before, Qt::WindowStates now)
{
    const auto found = stamps.constFind(window);
    if (found == stamps.cend())
        return;
    const auto changed = [&](Qt::WindowState state) { return bool(before & state) != bool(now & state); };
    // Keeps the window among those in the state while it is.
    const auto follow = [&](Windows &inState, Qt::WindowState state) {
        if (now & state)
            inState.emplace(found->added, window);
        else
            inState.erase(found->added);
    };
    if (changed(Qt::WindowMaximized)) {
        follow(maximized, Qt::WindowMaximized);
        updateScrollRange();
    }
    if (changed(Qt::WindowMinimized)) {
        follow(minimized, Qt::WindowMinimized);
        arrangeIcons();
    }
    if (!changed(Qt::WindowActive))
        return;
    if (now & Qt::WindowActive) {
        if (std::exchange(maximizeNext, false) && !window->isMaximized())
            window->showMaximized();
        if (rangeDue)
            updateScrollRange();  // whoever scrolls the window into view reads it
        emit subWindowActivated(window);
    } else if (window == active) {
        // The window let itself go, as a closing window does: the activation passes
        // on when it is gone.
        active = nullptr;
        lastDeactivated = window;
        emit subWindowActivated(nullptr);
    }
}

QMdiSubWindow *DocumentArea::latestShownOtherThan(const QObject *leaving) const
{
    for (auto it = byActivation.rbegin(); it != byActivation.rend(); ++it)
        if (QMdiSubWindow *window = it->second; window != leaving && !window->isHidden() && window->isEnabled())
            return window;
    return nullptr;
}

// A window hides for a moment as it is maximised, minimised or restored; only one
// still hidden when the event loop comes round passes the activation on.
void DocumentArea::passActivationIfStillHidden(QMdiSubWindow *window)
{
    QMetaObject::invokeMethod(
        this,
        [this, window = QPointer<QMdiSubWindow>(window)] {
            if (!window || !window->isHidden() || (window != active && window != lastDeactivated))
                return;
            lastDeactivated = nullptr;
            setActiveSubWindow(latestShownOtherThan(window));
        },
        Qt::QueuedConnection);
}

void DocumentArea::activateNextSubWindow()
{
    stepActivation(true);
}

void DocumentArea::activatePreviousSubWindow()
{
    stepActivation(false);
}

void DocumentArea::stepActivation(bool forward)
{
    if (byAdding.empty())
        return;
    auto at = active ? byAdding.find(stamps.value(active).added) : byAdding.end();
    for (size_t step = 0; step < byAdding.size(); ++step) {
        if (forward)
            at = (at == byAdding.end() || std::next(at) == byAdding.end()) ? byAdding.begin() : std::next(at);
        else
            at = std::prev(at == byAdding.begin() ? byAdding.end() : at);
        if (QMdiSubWindow *window = at->second; window != active && !window->isHidden() && window->isEnabled()) {
            setActiveSubWindow(window);
            return;
        }
    }
}

// The windows that cascade and tile, in the order they were added, each brought back
// to its normal state; minimised windows stay where the icons are.
QList<QMdiSubWindow *> DocumentArea::arrangeable()
{
    QList<QMdiSubWindow *> windows;
    for (const auto &[stamp, window] : byAdding) {
        if (window->isHidden() || (window->isMinimized() && !window->isShaded()))
            continue;
        if (window->isMaximized() || window->isShaded())
            window->showNormal();
        windows << window;
    }
    return windows;
}

void DocumentArea::cascadeSubWindows()
{
    const ScrollRangeHeld held(*this);
    const QScopedValueRollback<bool> ours(arranging, true);
    const QList<QMdiSubWindow *> windows = arrangeable();
    tiled = false;
    if (windows.isEmpty())
        return;
    QMdiSubWindow *first = windows.first();
    QStyleOptionTitleBar options;
    options.initFrom(first);
    const int titleBarHeight = first->style()->pixelMetric(QStyle::PM_TitleBarHeight, &options, first);
    const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
    const int dy = std::max(titleBarHeight - (titleBarHeight - metrics.height()) / 2, 1)
                   + first->style()->pixelMetric(QStyle::PM_FocusFrameVMargin, nullptr, first);
    constexpr int dx = 10, bottomMargin = 50, rightMargin = 100;
    const QRect domain = viewport()->rect();
    const int count = int(windows.size());
    const int rows = std::max((domain.height() - bottomMargin) / dy, 1);
    const int columns = std::max((count + rows - 1) / rows, 1);
    const int columnWidth = (domain.width() - rightMargin) / columns;
    for (int i = 0; i < count; ++i) {
        const int row = i / columns, column = i % columns;
        windows[i]->setGeometry(QRect(QPoint(row * dx + column * columnWidth, row * dy), windows[i]->sizeHint()));
    }
}

void DocumentArea::tileSubWindows()
{
    const ScrollRangeHeld held(*this);
    const QScopedValueRollback<bool> ours(arranging, true);
    QList<QMdiSubWindow *> windows = arrangeable();
    std::reverse(windows.begin(), windows.end());  // the newest window takes the top-left corner
    tiled = true;
    if (windows.isEmpty())
        return;
    QSize smallest;
    for (const QMdiSubWindow *window : std::as_const(windows))
        smallest = smallest.expandedTo(window->minimumSize()).expandedTo(window->minimumSizeHint());
    const int count = int(windows.size());
    const int columns = std::max(int(std::ceil(std::sqrt(double(count)))), 1);
    const int rows = std::max((count + columns - 1) / columns, 1);
    // Too small an area for windows that small is made larger, and scrolls.
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    QRect domain = viewport()->rect();
    domain.setWidth(std::max(domain.width(), smallest.width() * columns));
    domain.setHeight(std::max(domain.height(), smallest.height() * rows));
    // The first row's first windows take two rows' height where the last row is short.
    const int doubled = count % columns ? columns - count % columns : 0;
    const int dx = domain.width() / columns, dy = domain.height() / rows;
    int next = 0;
    for (int row = 0; row < rows; ++row) {
        const int top = row * (dy + 1);
        for (int column = 0; column < columns && next < count; ++column) {
            if (row == 1 && column < doubled)
                continue;
            const int left = column * (dx + 1);
            int right = left + dx, bottom = top + dy;
            if (row == 0 && column < doubled)
                bottom = rows == 2 ? domain.bottom() : bottom * 2 + 1;
            if (column == columns - 1)
                right = domain.right();
            if (row == rows - 1)
                bottom = domain.bottom();
            windows[next++]->setGeometry(QRect(QPoint(left, top), QPoint(right, bottom)));
        }
    }
}

// Minimised windows line up from the bottom-left corner of the visible part, row
// above row, and stay there as the area scrolls.
void DocumentArea::arrangeIcons()
{
    QList<QMdiSubWindow *> icons;
    for (const auto &[stamp, window] : minimized)
        if (!window->isHidden() && !window->isShaded())
            icons << window;
    if (icons.isEmpty())
        return;
    const QScopedValueRollback<int> held(rangeHolds, rangeHolds + 1);
    const QScopedValueRollback<bool> ours(arranging, true);
    const QRect domain = viewport()->rect();
    const int width = std::max(icons.first()->width(), 1), height = icons.first()->height();
    const int columns = std::max(domain.width() / width, 1);
    for (int i = 0; i < int(icons.size()); ++i)
        icons[i]->move(i % columns * width, domain.height() - height - i / columns * height);
}

// The scroll range reaches every window (only the maximised one, while the active
// window is maximised), counted from where the area is scrolled to now.
void DocumentArea::updateScrollRange()
{
    if (rangeHolds > 0)
        return;
    const QRect content = active && active->isMaximized() ? active->geometry() : viewport()->childrenRect();
    QSize view = maximumViewportSize();
    const int barHeight = horizontalScrollBar()->sizeHint().height();
    const int barWidth = verticalScrollBar()->sizeHint().width();
    const auto beyond = [&content](const QSize &size, Qt::Orientation orientation) {
        return orientation == Qt::Horizontal
                   ? content.width() > size.width() || content.left() < 0 || content.right() >= size.width()
                   : content.height() > size.height() || content.top() < 0 || content.bottom() >= size.height();
    };
    bool horizontal = beyond(view, Qt::Horizontal);
    bool vertical = beyond(view, Qt::Vertical);
    if (horizontal && !vertical)
        vertical = beyond(view - QSize(0, barHeight), Qt::Vertical);
    if (vertical && !horizontal)
        horizontal = beyond(view - QSize(barWidth, 0), Qt::Horizontal);
    if (horizontal)
        view.rheight() -= barHeight;
    if (vertical)
        view.rwidth() -= barWidth;
    const auto setRange = [](QScrollBar *bar, int start, int length, int visible) {
        const int offset = start + bar->value();
        bar->setRange(std::min(0, offset), std::max(0, offset + length - visible));
        bar->setPageStep(length);
        bar->setSingleStep(std::max(length / 20, 1));
    };
    setRange(horizontalScrollBar(), content.left(), content.width(), view.width());
    setRange(verticalScrollBar(), content.top(), content.height(), view.height());
}

// Windows that move, resize, show or hide one after another, by hand or all at once
// as the area itself shows or hides, are counted once, when the event loop comes
// round again.
void DocumentArea::updateScrollRangeSoon()
{
    if (rangeDue)
        return;
    rangeDue = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            rangeDue = false;
            updateScrollRange();
        },
        Qt::QueuedConnection);
}

bool DocumentArea::eventFilter(QObject *watched, QEvent *event)
{
    auto *window = qobject_cast<QMdiSubWindow *>(watched);
    if (!window || !stamps.contains(window))
        return QAbstractScrollArea::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
        if (!arranging)
            tiled = false;
        updateScrollRangeSoon();
        break;
    case QEvent::Show:
        updateScrollRangeSoon();
        break;
    case QEvent::Hide:
        // Only a window hidden itself: the area hiding hides every window with it.
        if (window->isHidden() && (window == active || window == lastDeactivated))
            passActivationIfStillHidden(window);
        updateScrollRangeSoon();
        break;
    default:
        break;
    }
    return false;
}

bool DocumentArea::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildRemoved:
        // A window closing to be deleted says so here at once. One being deleted was
        // forgotten when it was destroyed, so a window still known is alive.
        forget(static_cast<QChildEvent *>(event)->child(), true);
        break;
    case QEvent::Resize:
        if (tiled)
            tileSubWindows();
        for (const auto &[stamp, window] : maximized)
            window->resize(viewport()->size());
        arrangeIcons();
        updateScrollRange();
        break;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        // The main window's own activation changes: each child window keeps whether
        // it is the active one, and thousands of them are not told one by one.
        return true;
    default:
        break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void DocumentArea::scrollContentsBy(int dx, int dy)
{
    // Every window moves with the scroll: that changes neither the range nor a tiling.
    {
        const QScopedValueRollback<int> held(rangeHolds, rangeHolds + 1);
        const QScopedValueRollback<bool> ours(arranging, true);
        viewport()->scroll(dx, dy);
    }
    arrangeIcons();
}

ScrollRangeHeld::ScrollRangeHeld(DocumentArea &area) : area(&area)
{
    ++area.rangeHolds;
}

ScrollRangeHeld::~ScrollRangeHeld()
{
    if (area && --area->rangeHolds == 0)
        area->updateScrollRange();
}
