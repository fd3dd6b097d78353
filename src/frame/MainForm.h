#pragma once

#include <QHash>
#include <QIcon>
#include <QMainWindow>

class CaptionFlasher;
class ImageBuffer;
class ListingPanel;
class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QStatusBar;
class QToolBar;

// The program's frame: the document area of the thumbnail windows, the menus, the
// toolbar, the listing, the status bar and the logo strip. Every command starts here.
class MainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit MainForm(QWidget *parent = nullptr);
    ~MainForm() override;

    QMdiArea *mdiArea() const { return mdi; }
    ListingPanel *listing() const { return picListing; }
    QToolBar *toolbar() const { return Toolbar1; }
    CaptionFlasher &flasher() const { return *flash; }
    ImageBuffer *thumbTemplate() const { return picThumb; }
    ImageBuffer *loadBuffer() const { return picbufLoad; }

    // The toolbar button with a key ("Open Directory", "Stop", ...), or null.
    QAction *button(const QString &key) const;
    QAction *menuItem(const QString &name) const;

    void CreateToolbarButtons(bool Create, const QHash<QString, QIcon> &Images);
    void CreateToolbar();
    // Loading: only Stop works. Idle: what the loaded thumbnails allow.
    void SetCommandStates(bool Loading);
    void ShowHelpContents();
    void SetPanelText(int panel, const QString &text);
    QString PanelText(int panel) const;

    void MDIForm_Load();
    void MDIForm_Activate();
    void MDIForm_Unload();

public slots:
    void mnuFile_Click();
    void mnuHTML_Click();
    void mnuImages_Click();
    void mnuWindows_Click();

    void mnuFileOpenDir_Click();
    void mnuFileOpenFile_Click();
    void mnuFileClearThumbnails_Click();
    void mnuFilePrefs_Click();
    void mnuFileExit_Click();
    void mnuHTMLGenerate_Click();
    void mnuHTMLEditor_Click();
    void mnuImagesSaveThumbnails_Click();
    void mnuImagesSaveImages_Click();
    void mnuListingAlignmentTop_Click();
    void mnuListingAlignmentRight_Click();
    void mnuListingAlignmentBottom_Click();
    void mnuListingAlignmentLeft_Click();
    void mnuListingHide_Click();
    void mnuWindowsCascade_Click();
    void mnuWindowsTile_Click();
    void mnuWindowsMosaic_Click();
    void mnuWindowsToolbar_Click();
    void mnuWindowsStatusbar_Click();
    void mnuHelpContents_Click();
    void mnuHelpAbout_Click();
    void Toolbar1_ButtonClick(QAction *button);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildWorkingControls();
    void listChildWindows();
    void RestoreWindowPosition();
    void StoreWindowPosition();

    QMdiArea *mdi;
    QToolBar *picToolbar;
    QToolBar *Toolbar1;
    ListingPanel *picListing;
    QToolBar *Picture1;
    QLabel *lblLogo;
    QStatusBar *StatusBar1;
    QLabel *panels[2];
    CaptionFlasher *flash;
    ImageBuffer *picThumb;
    ImageBuffer *picbufLoad;
    QLabel *picLoad;
    QLabel *picIconLoad;
    QMenu *mnuWindows = nullptr;
    QList<QAction *> childWindowItems;
    bool Activated = false;
    bool unloaded = false;
};
