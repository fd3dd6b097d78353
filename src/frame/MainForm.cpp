#include "frame/MainForm.h"

#include "frame/AboutBox.h"
#include "frame/BuildSiteDialog.h"
#include "frame/CaptionFlasher.h"
#include "frame/CommandMenus.h"
#include "frame/Commands.h"
#include "frame/Globals.h"
#include "settings/SettingsSection.h"
#include "settings/StoredSettings.h"
#include "settings/WindowPosition.h"
#include "frame/ListingPanel.h"
#include "frame/ToolbarPictures.h"
#include "frame/WindowArrangement.h"
#include "thumbs/ThumbnailWindow.h"
#include "imagebuffer/ImageBuffer.h"
#include "output/HtmlEditor.h"
#include "output/ImageCopying.h"
#include "output/PreferencesDialog.h"
#include "output/ThumbnailSaving.h"
#include "ui/DocumentArea.h"
#include "ui/Platform.h"
#include "ui/Twips.h"
#include "webpage/GenerateDialog.h"
#include "webpage/PageModel.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QUrl>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QTimer>
#include <QStatusBar>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>

namespace {

struct ToolbarButton {
    const char *key;       // nullptr for a separator
    const char *image;     // nullptr: the Generate picture of the hour
    const char *caption;
    const char *tooltip;
    const char *tag;
    QAction *Commands::*command;
};

const ToolbarButton ToolbarLayout[] = {
    {"Open Directory", "Open Directory", "Open Directory", "Create Thumbnails For Images Within a Directory",
     "Open Directory", &Commands::openDirectory},
    {"Open File", "Open Image", "Open Image", "Create a Thumbnail From An Image", "Open Image", &Commands::openFile},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"Save Images", "Save Images", "Save Images", "Copy Full-Sized Images to a Directory", "Save Images",
     &Commands::saveImages},
    {"Save Thumbnails", "Save Thumbnails", "Save Thumbs", "Save Thumbnails to a Directory", "Save Thumbnails",
     &Commands::saveThumbnails},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"Generate Code", nullptr, "Generate Code", "Determine Options For And Create a Web Page", "Generate Code",
     &Commands::generate},
    {"Stop", "Stop", "Stop!", "Cancel Loading Images", "Stop!", &Commands::stop},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"Listing Align", "Listing", "Listing Align", "Cycle Through Possible Listing Docking Positions",
     "Listing Align", &Commands::listingAlign},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"Cascade", "Cascade", "Cascade", "Cascade Arrange All Thumbnail Windows", "Cascade", &Commands::cascade},
    {"Tile", "Tile", "Tile", "Tile Arrange All Thumbnail Windows", "Tile", &Commands::tile},
    {"Mosaic", "Mosaic", "Mosaic", "Mosaic Arrange All Thumbnail Windows", "Mosaic", &Commands::mosaic},
};

// The picture of the Generate button changes with the hour it was made in.
QString GenerateImage(const QTime &now)
{
    return now.hour() % 2 == 0 ? QStringLiteral("Generate1") : QStringLiteral("Generate2");
}

} // namespace

MainForm::MainForm(QWidget *parent)
    : QMainWindow(parent), picToolbar(new QToolBar(this)), Toolbar1(new QToolBar(picToolbar)),
      picListing(new ListingPanel(listingModel, this)), Picture1(new QToolBar(this)), lblLogo(new QLabel(Picture1)),
      StatusBar1(new QStatusBar(this)), panels{new QLabel(StatusBar1), new QLabel(StatusBar1)},
      flash(new CaptionFlasher(this)), thumbnailMaker(thumbs, listingModel, Globals::Prefs, *this)
{
    setObjectName(QStringLiteral("MAINFORM"));
    setWindowTitle(QStringLiteral("Quillmere"));
    setAttribute(Qt::WA_DeleteOnClose);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setAcceptDrops(true);
    resize(900, 640);
    buildDocumentArea();
    buildToolbar();
    addDockWidget(Qt::RightDockWidgetArea, picListing);
    buildLogoStrip();
    buildStatusBar();
    buildWorkingControls();
    commandSet = new Commands(*this);
    buildMenus();
    connectThumbnails();
    connectListing();
    GuardStore([this] { MDIForm_Load(); });
}

void MainForm::buildDocumentArea()
{
    mdi = new DocumentArea(this);
    mdi->setObjectName(QStringLiteral("mdiArea"));
    mdi->setAccessibleName(QStringLiteral("Thumbnail windows"));
    setCentralWidget(mdi);
}

// The toolbar's buttons are made at the first activation.
void MainForm::buildToolbar()
{
    picToolbar->setObjectName(QStringLiteral("picToolbar"));
    picToolbar->setMovable(false);
    picToolbar->setFloatable(false);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Toolbar1->setIconSize(QSize(32, 32));
    picToolbar->addWidget(Toolbar1);
    addToolBar(Qt::TopToolBarArea, picToolbar);
}

// The program's name and version along the bottom, right-aligned.
void MainForm::buildLogoStrip()
{
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setMovable(false);
    Picture1->setFloatable(false);
    auto *spacer = new QWidget(Picture1);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    Picture1->addWidget(spacer);
    lblLogo->setObjectName(QStringLiteral("lblLogo"));
    lblLogo->setContentsMargins(4, 0, 6, 0);
    Picture1->addWidget(lblLogo);
    addToolBar(Qt::BottomToolBarArea, Picture1);
}

// The thumbnail count, the current thumbnail and a folder load's progress.
void MainForm::buildStatusBar()
{
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    loadProgress = new QProgressBar(StatusBar1);
    loadProgress->setObjectName(QStringLiteral("prgLoad"));
    loadProgress->setMaximumWidth(200);
    loadProgress->hide();
    StatusBar1->addPermanentWidget(loadProgress);
    const QString initial[] = {QStringLiteral("Total Thumbnails:"), QStringLiteral("Current Thumbnail:")};
    for (int i = 0; i < 2; ++i) {
        panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panels[i]->setText(initial[i]);
        panels[i]->setFrameShape(QFrame::Panel);
        panels[i]->setFrameShadow(QFrame::Sunken);
        StatusBar1->addWidget(panels[i], 1);
    }
    setStatusBar(StatusBar1);
}

void MainForm::connectThumbnails()
{
    loader = new ImageLoader(thumbnailMaker, listingModel, Globals::Prefs, *picbufLoad, *this, this);
    connect(loader, &ImageLoader::finished, this, [this] {
        if (std::exchange(closeAfterLoad, false)) {
            pendingPaths.clear();  // the window is closing: nothing more opens
            QTimer::singleShot(0, this, &QWidget::close);
        } else if (!pendingPaths.isEmpty() && !openingPaths)
            QTimer::singleShot(0, this, [this] { OpenPaths({}); });
    });
    connect(&thumbnailMaker, &Thumbnails::stopLoadingRequested, loader, &ImageLoader::stop);
    // The toolbar's Stop from the keyboard, wherever the focus is in the window.
    escapeStops = new QShortcut(QKeySequence(Qt::Key_Escape), this, loader, &ImageLoader::stop);
    escapeStops->setEnabled(false);
}

void MainForm::connectListing()
{
    connect(picListing, &ListingPanel::viewFullSizeRequested, &thumbnailMaker, &Thumbnails::ViewFullSize);
    connect(picListing, &ListingPanel::showThumbnailRequested, this, &MainForm::ShowThumbnail);
    connect(picListing, &ListingPanel::removeThumbnailRequested, this, [this](const QString &path) {
        if (ThumbnailWindow *window = thumbnailMaker.windowOf(path))
            window->close();
    });
    // Thumbnails that come or go outside a load change what the commands can do.
    const auto rowsChanged = [this] {
        if (!loader->loading())
            SetCommandStates(false);
    };
    connect(&listingModel, &QAbstractItemModel::rowsInserted, this, rowsChanged);
    connect(&listingModel, &QAbstractItemModel::rowsRemoved, this, rowsChanged);
    connect(&listingModel, &QAbstractItemModel::modelReset, this, rowsChanged);
    connect(picListing, &ListingPanel::resizedByUser, this,
            [this] { GuardStore([this] { picListing->ListingLayout(false, true); }); });
}

// Brings the thumbnail of a listing row to the front and flashes its caption.
void MainForm::ShowThumbnail(const QString &path)
{
    ThumbnailWindow *window = thumbnailMaker.windowOf(path);
    if (!window)
        return;
    mdi->setActiveSubWindow(window);
    window->setFocus();
    Globals::FlashTarget = window;
    flash->start();
}

DocumentArea &MainForm::documentArea()
{
    return *mdi;
}

// The old area, and every window in it, is deleted once the event loop runs again.
void MainForm::emptyDocumentArea()
{
    mdi->disconnect(this);
    buildDocumentArea();
    connectDocumentArea();
    showMenusOf(nullptr);
}

void MainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (Activated)
        GuardStore([this] { picListing->ListingLayout(false, true); });
}

// The document area tells of its last active window going while the frame is half
// destroyed; nothing of the frame may answer then.
MainForm::~MainForm()
{
    mdi->disconnect(this);
}

// The menu bar stands in a holder of its own. While the main window's menu widget is
// a menu bar, every thumbnail window that closes or hides looks through all the
// others for one maximised into that bar, which made closing thousands quadratic.
// Held this way the bar looks and works the same; a maximised thumbnail window keeps
// its own title bar.
void MainForm::buildMenus()
{
    auto *holder = new QWidget(this);
    holder->setObjectName(QStringLiteral("menuHolder"));
    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    bar = new QMenuBar(holder);
    bar->setObjectName(QStringLiteral("menuBar"));
    layout->addWidget(bar);
    setMenuWidget(holder);
    menus = new CommandMenus(*this, *commandSet, CommandMenus::MainWindow, this);
    showMenusOf(nullptr);
    connectDocumentArea();
}

void MainForm::connectDocumentArea()
{
    connect(mdi, &DocumentArea::subWindowActivated, this, &MainForm::showMenusOf);
    connect(mdi, &DocumentArea::subWindowActivated, this, [this](QMdiSubWindow *active) { RevealWindow(*mdi, active); });
}

// While a thumbnail window is active, the menu bar shows the thumbnail windows'
// menus. Their items all act on the main window, so every thumbnail window shares
// one set, made the first time one is active: a folder of thousands of pictures
// makes no menus of its own, and the bar changes only when the kind of window does.
void MainForm::showMenusOf(QMdiSubWindow *active)
{
    CommandMenus *shown = menus;
    if (qobject_cast<ThumbnailWindow *>(active)) {
        if (!thumbnailMenus)
            thumbnailMenus = new CommandMenus(*this, *commandSet, CommandMenus::ThumbnailWindow, this);
        shown = thumbnailMenus;
    }
    if (shown == menusShown)
        return;
    menusShown = shown;
    bar->clear();
    for (QMenu *menu : shown->menus())
        bar->addMenu(menu);
}

void MainForm::buildWorkingControls()
{
    picLoad = new QLabel(this);
    picLoad->setObjectName(QStringLiteral("picLoad"));
    picIconLoad = new QLabel(this);
    picIconLoad->setObjectName(QStringLiteral("picIconLoad"));
    picbufLoad = new ImageBuffer(this);
    picbufLoad->setObjectName(QStringLiteral("picbufLoad"));
    picbufLoad->setAccessibleName(QStringLiteral("Picture being loaded"));
    for (QWidget *hidden : {static_cast<QWidget *>(picLoad), static_cast<QWidget *>(picIconLoad),
                            static_cast<QWidget *>(picbufLoad)})
        hidden->hide();
}

void MainForm::MDIForm_Load()
{
    Activated = false;
    RestoreWindowPosition();
    picListing->setSide(Settings::ListingAlignment.read());
    picListing->LoadListingItems();
    lblLogo->setText(QStringLiteral("Quillmere v ") + AboutBox::VersionText());
}

void MainForm::RestoreWindowPosition()
{
    if (Settings::MainWindowState.read() == 2) {
        setWindowState(Qt::WindowMaximized);
        return;
    }
    setWindowState(Qt::WindowNoState);
    move(WindowPosition::Restored(Settings::MainWindowPosition));
}

void MainForm::StoreWindowPosition()
{
    if (isMaximized()) {
        Settings::MainWindowState.write(2);
        return;
    }
    Settings::MainWindowState.write(0);
    WindowPosition::Store(Settings::MainWindowPosition, pos());
}

void MainForm::MDIForm_Activate()
{
    if (Activated)
        return;
    CreateToolbar();
    picListing->ListingLayout(true, false);
    picListing->applyDefaultColumnWidths();
    Activated = true;
    SetCommandStates(false);
}

void MainForm::MDIForm_Unload()
{
    if (unloaded)
        return;
    unloaded = true;
    flash->timer().stop();
    if (Globals::MainWindow == this)
        Globals::MainWindow = nullptr;
    StoreWindowPosition();
    picListing->ListingUnload();
}

void MainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    GuardStore([this] { MDIForm_Activate(); });
}

// Closing while a folder loads stops the load first; the window closes when it has.
void MainForm::closeEvent(QCloseEvent *event)
{
    if (loader->loading()) {
        loader->stop();
        closeAfterLoad = true;
        event->ignore();
        return;
    }
    GuardStore([this] { MDIForm_Unload(); });
    event->accept();
    // Help and other top-level windows end with the program.
    QCoreApplication::quit();
}

// Each button shows its command: the picture, the caption (the command's icon text)
// and the tooltip are the command's, and so are its enabled state and what it runs.
// The button sits in a slot of its own, so that the toolbar can show or hide it
// without touching the command's menu items.
void MainForm::CreateToolbarButtons(bool Create, const QHash<QString, QIcon> &Images)
{
    Toolbar1->clear();
    toolbarSlots.clear();
    if (!Create)
        return;
    const QString generateImage = GenerateImage(Ui::platform().localTime());
    for (const ToolbarButton &definition : ToolbarLayout) {
        if (!definition.key) {
            Toolbar1->addSeparator();
            continue;
        }
        QAction *command = commandSet->*definition.command;
        const QString image = definition.image ? QString::fromUtf8(definition.image) : generateImage;
        command->setIcon(Images.value(image));
        command->setIconText(QString::fromUtf8(definition.caption));
        command->setToolTip(QString::fromUtf8(definition.tooltip));
        auto *button = new QToolButton(Toolbar1);
        button->setObjectName(QString::fromUtf8(definition.key));
        button->setProperty("image", image);
        button->setProperty("tag", QString::fromUtf8(definition.tag));
        button->setToolButtonStyle(Toolbar1->toolButtonStyle());
        button->setIconSize(Toolbar1->iconSize());
        button->setAutoRaise(true);
        button->setDefaultAction(command);
        // Screen readers announce a button by its caption, and what it does from its tooltip.
        button->setAccessibleName(command->iconText());
        button->setAccessibleDescription(command->toolTip());
        QAction *slot = Toolbar1->addWidget(button);
        // The toolbar enables a button as its slot is: the slot follows the command.
        slot->setEnabled(command->isEnabled());
        connect(command, &QAction::enabledChanged, slot, &QAction::setEnabled);
        toolbarSlots.insert(command, slot);
    }
}

QToolButton *MainForm::toolbarButton(const QAction *command) const
{
    const QAction *slot = toolbarSlots.value(command);
    return slot ? qobject_cast<QToolButton *>(Toolbar1->widgetForAction(const_cast<QAction *>(slot))) : nullptr;
}

void MainForm::CreateToolbar()
{
    Toolbar1->setVisible(true);
    CreateToolbarButtons(true, ToolbarPictures::ImageList());
}

// While a load runs, Stop stands on the toolbar where Generate Code stands otherwise.
void MainForm::SetCommandStates(bool Loading)
{
    escapeStops->setEnabled(Loading);
    commandSet->update(Loading, picListing->rowCount() > 0, !picListing->isHidden());
    if (QAction *generate = toolbarSlots.value(commandSet->generate))
        generate->setVisible(!Loading);
    if (QAction *stop = toolbarSlots.value(commandSet->stop))
        stop->setVisible(Loading);
}

void MainForm::SetPanelText(int panel, const QString &text)
{
    panels[panel - 1]->setText(text);
}

QString MainForm::PanelText(int panel) const
{
    return panels[panel - 1]->text();
}

void MainForm::ShowHelpContents()
{
    Ui::platform().showHelp({Globals::HelpFile, 1003});
}

// A folder load and its follow-up: a folder that cannot be listed is reported;
// otherwise the load buffer is emptied and the folder remembered for next time.
void MainForm::openDirectory(const std::function<bool()> &load)
{
    if (loader->loading())
        return;
    GuardStore([this, &load] {
        if (!load()) {
            Ui::MsgBox(QStringLiteral("The Selected Directory Could Not Be Accessed!"), Ui::MsgButtons::OK,
                       Ui::MsgIcon::Critical, QStringLiteral("File System Error"));
            return;
        }
        forgetLoad();
    });
}

// A single file's load and its follow-up, always.
void MainForm::openFile(const std::function<void()> &load)
{
    if (loader->loading())
        return;
    GuardStore([this, &load] {
        load();
        forgetLoad();
    });
}

void MainForm::forgetLoad()
{
    picbufLoad->Clear();
    picLoad->clear();
    Settings::LastOpenDirectory.write(Globals::Prefs.lastOpenDirectory);
}

void MainForm::mnuFileOpenDir_Click()
{
    openDirectory([this] { return loader->LoadImageDirectory(); });
}

void MainForm::mnuFileOpenFile_Click()
{
    openFile([this] { loader->OpenImageFile(); });
}

// Folders and files from outside (the command line, another start, a drop), each
// opened as if it had been chosen in the folder browser or the open dialog. Paths
// that arrive during a load wait for it to end.
void MainForm::OpenPaths(const QStringList &paths)
{
    pendingPaths << paths;
    if (loader->loading() || openingPaths)
        return;
    const QScopedValueRollback<bool> opening(openingPaths, true);
    while (!pendingPaths.isEmpty() && !unloaded) {
        const QString path = QFileInfo(pendingPaths.takeFirst()).absoluteFilePath();
        if (QFileInfo(path).isDir())
            openDirectory([this, &path] { return loader->LoadDirectory(path); });
        else
            openFile([this, &path] { loader->OpenFile(path); });
    }
}

bool MainForm::acceptsDrop(const QMimeData *data) const
{
    if (loader->loading() || !data->hasUrls())
        return false;
    for (const QUrl &url : data->urls())
        if (!url.isLocalFile())
            return false;
    return !data->urls().isEmpty();
}

void MainForm::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void MainForm::dragMoveEvent(QDragMoveEvent *event)
{
    if (acceptsDrop(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();  // the pointer shows the drop is refused
}

void MainForm::dropEvent(QDropEvent *event)
{
    if (!acceptsDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        paths << url.toLocalFile();
    // After the drop has returned to the file manager: the loads yield and ask.
    QTimer::singleShot(0, this, [this, paths] { OpenPaths(paths); });
}

void MainForm::arrangeWindows(int method)
{
    switch (method) {
    case 0: mnuWindowsCascade_Click(); break;
    case 1: mnuWindowsTile_Click(); break;
    case 2: mnuWindowsMosaic_Click(); break;
    default: break;
    }
}

void MainForm::showLoadProgress(int done, int total)
{
    loadProgress->setVisible(total > 0);
    loadProgress->setRange(0, std::max(total, 1));
    loadProgress->setValue(done);
}
void MainForm::mnuFileClearThumbnails_Click()
{
    thumbnailMaker.ClearThumbnails();
}
// The hourglass shows while a dialog gathers what it shows, not over the dialog.
template <typename Dialog, typename... Arguments>
static std::unique_ptr<Dialog> madeBusy(Arguments &&...arguments)
{
    Ui::BusyPointer busy;
    return std::make_unique<Dialog>(std::forward<Arguments>(arguments)...);
}

void MainForm::mnuFilePrefs_Click()
{
    Ui::platform().execDialog(*madeBusy<PreferencesDialog>(Globals::Prefs, Globals::AppPath, this));
}

void MainForm::mnuFileExit_Click()
{
    close();
}

// The dialog's page needs at least one thumbnail in the listing.
void MainForm::mnuHTMLGenerate_Click()
{
    if (listingModel.rowCount() == 0 || loader->loading())
        return;
    const auto showCode = [this](const QString &html, const PageModel &page, QWidget *owner) {
        HtmlEditor editor({thumbs, Globals::Prefs, Globals::AppPath, &page}, owner);
        editor.setHtml(html);
        Ui::platform().execDialog(editor);
    };
    Ui::platform().execDialog(
        *madeBusy<GenerateDialog>(GenerateContext{listingModel, thumbs, Globals::Prefs, showCode}, this));
}

void MainForm::mnuHTMLEditor_Click()
{
    HtmlEditor editor({thumbs, Globals::Prefs, Globals::AppPath}, this);
    editor.setHtml(QString());
    Ui::platform().execDialog(editor);
}
void MainForm::mnuHTMLBuildSite_Click()
{
    BuildSiteDialog dialog(Globals::AppPath, this);
    Ui::platform().execDialog(dialog);
}

void MainForm::mnuImagesSaveThumbnails_Click()
{
    GuardStore([this] {
        SaveThumbnails(QString(), thumbs, ListingSiteNames(listingModel, thumbs, Globals::Prefs), Globals::Prefs,
                       Globals::AppPath);
    });
}

void MainForm::mnuImagesSaveImages_Click()
{
    GuardStore([this] {
        CopyImages(QString(), false, thumbs, nullptr, ListingSiteNames(listingModel, thumbs, Globals::Prefs),
                   Globals::Prefs, Globals::AppPath);
    });
}
// The status bar stays along the bottom edge whatever the side: a main window's status
// bar lies below every dock area.
void MainForm::alignListing(int side)
{
    picListing->setSide(side);
    GuardStore([this] { picListing->ListingLayout(true, true); });
}

void MainForm::mnuListingAlignmentTop_Click()
{
    alignListing(ListingPanel::Top);
}

void MainForm::mnuListingAlignmentRight_Click()
{
    alignListing(ListingPanel::Right);
}

void MainForm::mnuListingAlignmentBottom_Click()
{
    alignListing(ListingPanel::Bottom);
}

void MainForm::mnuListingAlignmentLeft_Click()
{
    alignListing(ListingPanel::Left);
}

void MainForm::RotatePicListing()
{
    picListing->RotatePicListing();
    alignListing(picListing->side());
}


void MainForm::mnuListingHide_Click(bool hidden)
{
    picListing->setVisible(!hidden);
    SetCommandStates(loader->loading());
}

void MainForm::mnuWindowsCascade_Click()
{
    mdi->cascadeSubWindows();
}

void MainForm::mnuWindowsTile_Click()
{
    mdi->tileSubWindows();
}

void MainForm::mnuWindowsMosaic_Click()
{
    MosaicArrange(thumbs, *mdi);
}

bool MainForm::toolbarShown() const
{
    return picToolbar->isVisible();
}

void MainForm::mnuWindowsToolbar_Click(bool shown)
{
    picToolbar->setVisible(shown);
    GuardStore([this] { picListing->ListingLayout(false, true); });
}

void MainForm::mnuWindowsStatusbar_Click(bool shown)
{
    StatusBar1->setVisible(shown);
    GuardStore([this] { picListing->ListingLayout(false, true); });
}

void MainForm::mnuHelpContents_Click()
{
    ShowHelpContents();
}

void MainForm::mnuHelpAbout_Click()
{
    AboutBox about(this);
    Ui::platform().execDialog(about);
}

void MainForm::Stop_Click()
{
    loader->stop();
}

void MainForm::LoadImageDirectory()
{
    GuardStore([this] { loader->LoadImageDirectory(); });
}

void MainForm::OpenImageFile()
{
    GuardStore([this] { loader->OpenImageFile(); });
}
