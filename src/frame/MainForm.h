#pragma once

#include "thumbs/ImageLoader.h"
#include "thumbs/ListingModel.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/Thumbnails.h"

#include <QHash>
#include <QIcon>
#include <QMainWindow>
#include <functional>

class CaptionFlasher;
class CommandMenus;
class Commands;
class QMdiSubWindow;
class QMimeData;
class QProgressBar;
class DocumentArea;
class ImageBuffer;
class ListingPanel;
class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QShortcut;
class QToolBar;
class QToolButton;

// The program's frame: the document area of the thumbnail windows, the menus, the
// toolbar, the listing, the status bar and the logo strip. Every command starts here.
class MainForm : public QMainWindow, public LoadHost {
    Q_OBJECT
public:
    explicit MainForm(QWidget *parent = nullptr);
    ~MainForm() override;

    DocumentArea *mdiArea() const { return mdi; }
    ListingPanel *listing() const { return picListing; }
    QToolBar *toolbar() const { return Toolbar1; }
    QMenuBar *commandBar() const { return bar; }
    const Commands &commands() const { return *commandSet; }
    // The toolbar's button of a command, made at the first activation and named by
    // its key ("Open Directory", "Stop", ...); null when the toolbar has none.
    QToolButton *toolbarButton(const QAction *command) const;
    CaptionFlasher &flasher() const { return *flash; }
    ImageBuffer *loadBuffer() const { return picbufLoad; }
    ThumbCollection &thumbnails() { return thumbs; }
    ListingModel &listingRows() { return listingModel; }
    Thumbnails &thumbnailMaking() { return thumbnailMaker; }
    ImageLoader &imageLoader() { return *loader; }
    DocumentArea &documentArea() override;
    void emptyDocumentArea() override;
    void arrangeWindows(int method) override;
    void showLoadProgress(int done, int total) override;

    void CreateToolbarButtons(bool Create, const QHash<QString, QIcon> &Images);
    void CreateToolbar();
    // Loading: only Stop works. Idle: what the loaded thumbnails allow.
    void SetCommandStates(bool Loading) override;
    void ShowHelpContents();
    void SetPanelText(int panel, const QString &text) override;
    QString PanelText(int panel) const;

    void MDIForm_Load();
    void MDIForm_Activate();
    void MDIForm_Unload();

    bool toolbarShown() const;

public slots:

    void mnuFileOpenDir_Click();
    void mnuFileOpenFile_Click();
    void mnuFileClearThumbnails_Click();
    void mnuFilePrefs_Click();
    void mnuFileExit_Click();
    void mnuHTMLGenerate_Click();
    void mnuHTMLEditor_Click();
    void mnuHTMLBuildSite_Click();
    void mnuImagesSaveThumbnails_Click();
    void mnuImagesSaveImages_Click();
    void mnuListingAlignmentTop_Click();
    void mnuListingAlignmentRight_Click();
    void mnuListingAlignmentBottom_Click();
    void mnuListingAlignmentLeft_Click();
    void mnuListingHide_Click(bool hidden);
    void mnuWindowsCascade_Click();
    void mnuWindowsTile_Click();
    void mnuWindowsMosaic_Click();
    void mnuWindowsToolbar_Click(bool shown);
    void mnuWindowsStatusbar_Click(bool shown);
    void mnuHelpContents_Click();
    void mnuHelpAbout_Click();
    void Stop_Click();
    // The loads of a thumbnail window's File menu: without the main window's follow-up.
    void LoadImageDirectory();
    void OpenImageFile();
    void RotatePicListing();
    void ShowThumbnail(const QString &path);
    void OpenPaths(const QStringList &paths);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildDocumentArea();
    void buildToolbar();
    void buildLogoStrip();
    void buildStatusBar();
    void buildMenus();
    void connectDocumentArea();
    void openDirectory(const std::function<bool()> &load);
    void openFile(const std::function<void()> &load);
    void forgetLoad();
    bool acceptsDrop(const QMimeData *data) const;
    void showMenusOf(QMdiSubWindow *active);
    void buildWorkingControls();
    void connectListing();
    void connectThumbnails();
    void alignListing(int side);
    void RestoreWindowPosition();
    void StoreWindowPosition();

    ThumbCollection thumbs;
    ListingModel listingModel;
    DocumentArea *mdi = nullptr;
    QToolBar *picToolbar;
    QToolBar *Toolbar1;
    ListingPanel *picListing;
    QToolBar *Picture1;
    QLabel *lblLogo;
    QStatusBar *StatusBar1;
    QLabel *panels[2];
    CaptionFlasher *flash;
    ImageBuffer *picbufLoad;
    QLabel *picLoad;
    QLabel *picIconLoad;
    Commands *commandSet = nullptr;
    QHash<const QAction *, QAction *> toolbarSlots;  // each command's place on the toolbar
    CommandMenus *menus = nullptr;
    CommandMenus *thumbnailMenus = nullptr;  // shared by every thumbnail window
    CommandMenus *menusShown = nullptr;
    QMenuBar *bar = nullptr;
    QProgressBar *loadProgress = nullptr;
    ImageLoader *loader = nullptr;
    QShortcut *escapeStops = nullptr;  // Esc anywhere in the window, while a load runs
    bool closeAfterLoad = false;
    QStringList pendingPaths;
    bool openingPaths = false;
    Thumbnails thumbnailMaker;
    bool Activated = false;
    bool unloaded = false;
};
