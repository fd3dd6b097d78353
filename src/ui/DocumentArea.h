#pragma once

#include <QAbstractScrollArea>
#include <QHash>
#include <QList>
#include <QPointer>
#include <map>

class QMdiSubWindow;

// The main window's document area: child windows that move, resize, minimise,
// maximise, close and take turns being active, with scroll bars that reach every one
// of them, and the cascade and tile arrangements.
//
// Every piece of bookkeeping for one window costs the same however many windows are
// open: adding, activating and closing a window never looks at the others, so a
// folder of ten thousand pictures opens and clears in time that grows with the
// count. Windows place themselves: a window is added where it stands.
class DocumentArea : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit DocumentArea(QWidget *parent = nullptr);
    ~DocumentArea() override;

    // Takes a child window in; any other widget is put in a new child window that is
    // deleted when it closes.
    QMdiSubWindow *addSubWindow(QWidget *widget);
    // The child windows in the order they were added.
    QList<QMdiSubWindow *> subWindowList() const;
    QMdiSubWindow *activeSubWindow() const { return active; }
    // The area a child window lives in, or null.
    static DocumentArea *of(const QWidget *window);

public slots:
    // Activates the window, or with null leaves no window active.
    void setActiveSubWindow(QMdiSubWindow *window);
    // The next or previous window in the order they were added, round the ends.
    void activateNextSubWindow();
    void activatePreviousSubWindow();
    // Cascades the windows at their preferred sizes from the top-left corner.
    void cascadeSubWindows();
    // Tiles the windows to fill the area, or a larger area that scrolls when the
    // windows cannot be made that small; the tiling follows the area's size until a
    // window moves.
    void tileSubWindows();

signals:
    void subWindowActivated(QMdiSubWindow *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class ScrollRangeHeld;
    friend class AccessibleDocumentArea;
    struct Stamps {
        quint64 added;
        quint64 activated;
    };
    using Windows = std::map<quint64, QMdiSubWindow *>;  // by a stamp, oldest first

    void track(QMdiSubWindow *window);
    void forget(const QObject *window, bool stillAlive);
    void aboutToActivate(QMdiSubWindow *window);
    void stampActivation(QMdiSubWindow *window);
    void stateChanged(QMdiSubWindow *window, Qt::WindowStates before, Qt::WindowStates now);
    QMdiSubWindow *latestShownOtherThan(const QObject *leaving) const;
    void passActivationIfStillHidden(QMdiSubWindow *window);
    void stepActivation(bool forward);
    QList<QMdiSubWindow *> arrangeable();
    void arrangeIcons();
    void updateScrollRange();
    void updateScrollRangeSoon();

    QHash<const QObject *, Stamps> stamps;
    Windows byAdding;
    Windows byActivation;
    Windows minimized;  // by the stamp of their adding
    Windows maximized;
    quint64 nextStamp = 0;
    QMdiSubWindow *active = nullptr;
    // The active window that let itself go as it closes: the activation passes on
    // when it is gone.
    const QObject *lastDeactivated = nullptr;
    bool maximizeNext = false;  // the window being activated takes over a maximised one
    bool tiled = false;
    bool arranging = false;     // our own moves do not end a tiling
    int rangeHolds = 0;
    bool rangeDue = false;
};

// While one lives, the area works out its scroll range once, when it ends, not for
// every window that is added, moved or closed meanwhile. An area deleted meanwhile
// (Clear All puts a new one in place during a load) is left be.
class ScrollRangeHeld {
public:
    explicit ScrollRangeHeld(DocumentArea &area);
    ~ScrollRangeHeld();
    ScrollRangeHeld(const ScrollRangeHeld &) = delete;
    ScrollRangeHeld &operator=(const ScrollRangeHeld &) = delete;

private:
    QPointer<DocumentArea> area;
};
