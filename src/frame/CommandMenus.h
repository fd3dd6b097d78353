#pragma once

#include <QList>
#include <QObject>

class MainForm;
class QAction;
class QMenu;
class QWidget;

// The menus of the main window, or the same menus as a thumbnail window carries them
// (a few captions and names differ). Every item runs the main window's command; the
// states a menu shows are set on its own items when it opens.
class CommandMenus : public QObject {
    Q_OBJECT
public:
    enum Owner { MainWindow, ThumbnailWindow };

    // The menus are made as children of `owner`, the window they belong to.
    CommandMenus(MainForm &form, Owner kind, QWidget *owner);

    // The top-level menus, in menu-bar order.
    const QList<QMenu *> &menus() const { return topLevel; }

    QAction *clearThumbnails = nullptr;
    QAction *generate = nullptr;
    QAction *editor = nullptr;
    QAction *saveThumbnails = nullptr;
    QAction *saveImages = nullptr;
    QAction *alignment = nullptr;
    QAction *alignmentTop = nullptr;
    QAction *alignmentRight = nullptr;
    QAction *alignmentBottom = nullptr;
    QAction *alignmentLeft = nullptr;
    QAction *hideListing = nullptr;
    QAction *toolbar = nullptr;
    QAction *statusBar = nullptr;

private:
    void build(Owner kind, QWidget *owner);
    QMenu *addMenu(QWidget *owner, const char *name, const char *caption, void (CommandMenus::*opened)());
    void fileOpened();
    void htmlOpened();
    void imagesOpened();
    void listingOpened();
    void windowsOpened();
    void listChildWindows();

    MainForm &form;
    QList<QMenu *> topLevel;
    QMenu *windows = nullptr;
    QList<QAction *> childWindowItems;
};
