#pragma once

#include <QObject>

class MainForm;
class QAction;
class QMenu;

// Every command of the program as one action, shared by the menu bar, the toolbar and
// the thumbnail windows' menus, with one rule for when it can run. A menu item shows
// the action's text; a toolbar button its icon text, picture and tooltip.
class Commands : public QObject {
    Q_OBJECT
public:
    explicit Commands(MainForm &form);

    QAction *openDirectory;
    QAction *openFile;
    QAction *clearThumbnails;
    QAction *preferences;
    QAction *exit;
    QAction *generate;
    QAction *editor;
    QAction *buildSite;
    QAction *saveThumbnails;
    QAction *saveImages;
    QMenu *alignment;  // the listing's sides, one menu in both Listing menus
    QAction *alignmentTop;
    QAction *alignmentRight;
    QAction *alignmentBottom;
    QAction *alignmentLeft;
    QAction *hideListing;
    QAction *cascade;
    QAction *tile;
    QAction *mosaic;
    QAction *toolbar;
    QAction *statusBar;
    QAction *helpContents;
    QAction *about;
    // Only on the toolbar.
    QAction *stop;
    QAction *listingAlign;
    // A thumbnail window's menus name, caption or run these differently.
    QAction *loadDirectory;
    QAction *loadFile;
    QAction *cascadeWindows;
    QAction *thumbnailStatusBar;
    QAction *thumbnailHelpContents;

    // The one rule. While a load runs only Stop (and what touches no thumbnail) can
    // run; otherwise the commands on thumbnails need some, and the listing's side can
    // change while the listing shows.
    void update(bool loading, bool anyThumbnails, bool listingShown);

private:
    template <typename Slot>
    QAction *make(const char *name, const char *caption, Slot slot);
    template <typename Slot>
    QAction *toggle(const char *name, const char *caption, Slot slot);

    MainForm &form;
};
