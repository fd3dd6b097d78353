#pragma once

#include <QList>
#include <QObject>

class Commands;
class MainForm;
class QAction;
class QMenu;
class QWidget;

// The menus of the main window, or the same menus as a thumbnail window carries them
// (a few captions and names differ). Every item is one of the program's shared
// commands; what a menu checks is set on its items when it opens.
class CommandMenus : public QObject {
    Q_OBJECT
public:
    enum Owner { MainWindow, ThumbnailWindow };

    // The menus are made as children of `owner`, the window they belong to.
    CommandMenus(MainForm &form, const Commands &commands, Owner kind, QWidget *owner);

    // The top-level menus, in menu-bar order.
    const QList<QMenu *> &menus() const { return topLevel; }

private:
    void build(Owner kind, QWidget *owner);
    QMenu *addMenu(QWidget *owner, const char *name, const char *caption, void (CommandMenus::*opened)());
    void listingOpened();
    void windowsOpened();
    void listChildWindows();

    MainForm &form;
    const Commands &commands;
    QAction *statusBar = nullptr;
    QList<QMenu *> topLevel;
    QMenu *windows = nullptr;
    QList<QAction *> childWindowItems;
};
