#include "frame/MainForm.h"

#include "frame/AboutBox.h"
#include "frame/CaptionFlasher.h"
#include "frame/Globals.h"
#include "settings/SettingsSection.h"
#include "frame/ListingPanel.h"
#include "ui/Numbers.h"
#include "frame/ToolbarPictures.h"
#include "frame/WindowArrangement.h"
#include "thumbs/ThumbnailWindow.h"
#include "imagebuffer/ImageBuffer.h"
#include "ui/Platform.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace {

using Command = void (MainForm::*)();

struct ToolbarButton {
    const char *key;       // nullptr for a separator
    const char *image;     // nullptr: the Generate picture of the hour
    const char *caption;
    const char *tooltip;
    const char *tag;
    QAction *MainForm::ToolbarButtons::*member;
    Command command;
};

const ToolbarButton ToolbarLayout[] = {
    {"Open Directory", "Open Directory", "Open Directory", "Create Thumbnails For Images Within a Directory",
     "Open Directory", &MainForm::ToolbarButtons::openDirectory, &MainForm::mnuFileOpenDir_Click},
    {"Open File", "Open Image", "Open Image", "Create a Thumbnail From An Image", "Open Image",
     &MainForm::ToolbarButtons::openFile, &MainForm::mnuFileOpenFile_Click},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"Save Images", "Save Images", "Save Images", "Copy Full-Sized Images to a Directory", "Save Images",
     &MainForm::ToolbarButtons::saveImages, &MainForm::mnuImagesSaveImages_Click},
    {"Save Thumbnails", "Save Thumbnails", "Save Thumbs", "Save Thumbnails to a Directory", "Save Thumbnails",
     &MainForm::ToolbarButtons::saveThumbnails, &MainForm::mnuImagesSaveThumbnails_Click},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"Generate Code", nullptr, "Generate Code", "Determine Options For And Create a Web Page", "Generate Code",
     &MainForm::ToolbarButtons::generateCode, &MainForm::mnuHTMLGenerate_Click},
    {"Stop", "Stop", "Stop!", "Cancel Loading Images", "Stop!", &MainForm::ToolbarButtons::stop,
     &MainForm::Stop_Click},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"Listing Align", "Listing", "Listing Align", "Cycle Through Possible Listing Docking Positions",
     "Listing Align", &MainForm::ToolbarButtons::listingAlign, &MainForm::RotatePicListing},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"Cascade", "Cascade", "Cascade", "Cascade Arrange All Thumbnail Windows", "Cascade",
     &MainForm::ToolbarButtons::cascade, &MainForm::mnuWindowsCascade_Click},
    {"Tile", "Tile", "Tile", "Tile Arrange All Thumbnail Windows", "Tile", &MainForm::ToolbarButtons::tile,
     &MainForm::mnuWindowsTile_Click},
    {"Mosaic", "Mosaic", "Mosaic", "Mosaic Arrange All Thumbnail Windows", "Mosaic",
     &MainForm::ToolbarButtons::mosaic, &MainForm::mnuWindowsMosaic_Click},
};

// The picture of the Generate button changes with the hour it was made in.
QString GenerateImage(const QTime &now)
{
    return now.hour() % 2 == 0 ? QStringLiteral("Generate1") : QStringLiteral("Generate2");
}

QAction *addItem(QMenu *menu, MainForm *form, const char *name, const char *caption, Command command)
{
    QAction *item = menu->addAction(QString::fromUtf8(caption));
    item->setObjectName(QString::fromUtf8(name));
    QObject::connect(item, &QAction::triggered, form, command);
    return item;
}

void addSeparator(QMenu *menu, const char *name)
{
    menu->addSeparator()->setObjectName(QString::fromUtf8(name));
}

QMenu *addMenu(QMenuBar *bar, MainForm *form, const char *name, const char *caption, Command opened)
{
    QMenu *menu = bar->addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QString::fromUtf8(name));
    menu->menuAction()->setObjectName(QString::fromUtf8(name));
    if (opened)
        QObject::connect(menu, &QMenu::aboutToShow, form, opened);
    return menu;
}

} // namespace

MainForm::MainForm(QWidget *parent)
    : QMainWindow(parent), mdi(new QMdiArea(this)), picToolbar(new QToolBar(this)), Toolbar1(new QToolBar(picToolbar)),
      picListing(new ListingPanel(listingModel, this)), Picture1(new QToolBar(this)), lblLogo(new QLabel(Picture1)),
      StatusBar1(new QStatusBar(this)), panels{new QLabel(StatusBar1), new QLabel(StatusBar1)},
      flash(new CaptionFlasher(this)), thumbnailMaker(thumbs, listingModel, Globals::Prefs, *this)
{
    setObjectName(QStringLiteral("MAINFORM"));
    setWindowTitle(QStringLiteral("Quillmere"));
    setAttribute(Qt::WA_DeleteOnClose);
    setContextMenuPolicy(Qt::PreventContextMenu);
    resize(900, 640);

    mdi->setObjectName(QStringLiteral("mdiArea"));
    mdi->setBackground(palette().dark());
    setCentralWidget(mdi);

    picToolbar->setObjectName(QStringLiteral("picToolbar"));
    picToolbar->setMovable(false);
    picToolbar->setFloatable(false);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Toolbar1->setIconSize(QSize(32, 32));
    picToolbar->addWidget(Toolbar1);
    addToolBar(Qt::TopToolBarArea, picToolbar);

    addDockWidget(Qt::RightDockWidgetArea, picListing);

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

    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    const QString initial[] = {QStringLiteral("Total Thumbnails:"), QStringLiteral("Current Thumbnail:")};
    for (int i = 0; i < 2; ++i) {
        panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panels[i]->setText(initial[i]);
        panels[i]->setFrameShape(QFrame::Panel);
        panels[i]->setFrameShadow(QFrame::Sunken);
        StatusBar1->addWidget(panels[i], 1);
    }
    setStatusBar(StatusBar1);

    buildMenus();
    buildWorkingControls();
    connectListing();
    GuardStore([this] { MDIForm_Load(); });
}

void MainForm::connectListing()
{
    connect(picListing, &ListingPanel::showThumbnailRequested, this, &MainForm::ShowThumbnail);
    connect(picListing, &ListingPanel::removeThumbnailRequested, this, [this](const QString &path) {
        if (ThumbnailWindow *window = thumbnailMaker.windowOf(path))
            window->close();
    });
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

QMdiArea &MainForm::documentArea()
{
    return *mdi;
}

void MainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (Activated)
        GuardStore([this] { picListing->ListingLayout(false, true); });
}

MainForm::~MainForm() = default;

void MainForm::buildMenus()
{
    QMenuBar *bar = menuBar();
    QMenu *file = addMenu(bar, this, "mnuFile", "&File", &MainForm::mnuFile_Click);
    addItem(file, this, "mnuFileOpenDir", "Open Image &Directory", &MainForm::mnuFileOpenDir_Click);
    addItem(file, this, "mnuFileOpenFile", "Open an &Image", &MainForm::mnuFileOpenFile_Click);
    addSeparator(file, "mnuFileSep1");
    mnuFileClearThumbnails = addItem(file, this, "mnuFileClearThumbnails", "&Clear All Thumbnails",
                                     &MainForm::mnuFileClearThumbnails_Click);
    addSeparator(file, "mnuFileSep2");
    addItem(file, this, "mnuFilePrefs", "&Preferences", &MainForm::mnuFilePrefs_Click);
    addSeparator(file, "mnuFileSep3");
    addItem(file, this, "mnuFileExit", "E&xit", &MainForm::mnuFileExit_Click);

    QMenu *html = addMenu(bar, this, "mnuHTML", "&HTML", &MainForm::mnuHTML_Click);
    mnuHTMLGenerate = addItem(html, this, "mnuHTMLGenerate", "&Generate HTML Code...", &MainForm::mnuHTMLGenerate_Click);
    mnuHTMLEditor = addItem(html, this, "mnuHTMLEditor", "&Editor...", &MainForm::mnuHTMLEditor_Click);

    QMenu *images = addMenu(bar, this, "mnuImages", "&Images", &MainForm::mnuImages_Click);
    mnuImagesSaveThumbnails =
        addItem(images, this, "mnuImagesSaveThumbnails", "Save &Thumbnails", &MainForm::mnuImagesSaveThumbnails_Click);
    mnuImagesSaveImages = addItem(images, this, "mnuImagesSaveImages", "Save &Images", &MainForm::mnuImagesSaveImages_Click);

    QMenu *listing = addMenu(bar, this, "mnuListing", "&Listing", &MainForm::mnuListing_Click);
    QMenu *alignment = listing->addMenu(QStringLiteral("&Alignment"));
    alignment->setObjectName(QStringLiteral("mnuListingAlignment"));
    mnuListingAlignment = alignment->menuAction();
    mnuListingAlignment->setObjectName(QStringLiteral("mnuListingAlignment"));
    mnuListingAlignmentTop = addItem(alignment, this, "mnuListingAlignmentTop", "&Top", &MainForm::mnuListingAlignmentTop_Click);
    mnuListingAlignmentRight =
        addItem(alignment, this, "mnuListingAlignmentRight", "&Right", &MainForm::mnuListingAlignmentRight_Click);
    mnuListingAlignmentBottom =
        addItem(alignment, this, "mnuListingAlignmentBottom", "&Bottom", &MainForm::mnuListingAlignmentBottom_Click);
    mnuListingAlignmentLeft =
        addItem(alignment, this, "mnuListingAlignmentLeft", "&Left", &MainForm::mnuListingAlignmentLeft_Click);
    for (QAction *side : {mnuListingAlignmentTop, mnuListingAlignmentRight, mnuListingAlignmentBottom, mnuListingAlignmentLeft})
        side->setCheckable(true);
    addSeparator(listing, "mnuListingSep1");
    mnuListingHide = addItem(listing, this, "mnuListingHide", "&Hide", &MainForm::mnuListingHide_Click);
    mnuListingHide->setCheckable(true);

    mnuWindows = addMenu(bar, this, "mnuWindows", "&Windows", &MainForm::mnuWindows_Click);
    addItem(mnuWindows, this, "mnuWindowsCascade", "&Cascade", &MainForm::mnuWindowsCascade_Click);
    addItem(mnuWindows, this, "mnuWindowsTile", "&Tile", &MainForm::mnuWindowsTile_Click);
    addItem(mnuWindows, this, "mnuWindowsMosaic", "&Mosaic", &MainForm::mnuWindowsMosaic_Click);
    addSeparator(mnuWindows, "mnuWindowsSep1");
    mnuWindowsToolbar = addItem(mnuWindows, this, "mnuWindowsToolbar", "&Toolbar", &MainForm::mnuWindowsToolbar_Click);
    mnuWindowsToolbar->setCheckable(true);
    mnuWindowsStatusbar =
        addItem(mnuWindows, this, "mnuWindowsStatusbar", "&Status Bar", &MainForm::mnuWindowsStatusbar_Click);
    mnuWindowsStatusbar->setCheckable(true);

    QMenu *help = addMenu(bar, this, "mnuHelp", "H&elp", nullptr);
    addItem(help, this, "mnuHelpContents", "&Help Contents", &MainForm::mnuHelpContents_Click);
    addSeparator(help, "mnuHelpSep");
    addItem(help, this, "mnuHelpAbout", "&About...", &MainForm::mnuHelpAbout_Click);
}

void MainForm::buildWorkingControls()
{
    picLoad = new QLabel(this);
    picLoad->setObjectName(QStringLiteral("picLoad"));
    picIconLoad = new QLabel(this);
    picIconLoad->setObjectName(QStringLiteral("picIconLoad"));
    picbufLoad = new ImageBuffer(this);
    picbufLoad->setObjectName(QStringLiteral("picbufLoad"));
    for (QWidget *hidden : {static_cast<QWidget *>(picLoad), static_cast<QWidget *>(picIconLoad),
                            static_cast<QWidget *>(picbufLoad)})
        hidden->hide();
}

void MainForm::MDIForm_Load()
{
    Activated = false;
    RestoreWindowPosition();
    const SettingsSection preferences(QStringLiteral("Preferences"));
    picListing->setSide(
        int(Numbers::LeadingNumber(preferences.GetValue(QStringLiteral("Listing Alignment"), QStringLiteral("4")))));
    picListing->LoadListingItems();
    lblLogo->setText(QStringLiteral("Quillmere v ") + AboutBox::VersionText());
}

void MainForm::RestoreWindowPosition()
{
    const SettingsSection positions(QStringLiteral("Window Positions\\MAINFORM"));
    if (Numbers::LeadingNumber(positions.GetValue(QStringLiteral("Window State"), QStringLiteral("2"))) == 2) {
        setWindowState(Qt::WindowMaximized);
        return;
    }
    double top = Numbers::LeadingNumber(positions.GetValue(QStringLiteral("Top"), QStringLiteral("100")));
    double left = Numbers::LeadingNumber(positions.GetValue(QStringLiteral("Left"), QStringLiteral("100")));
    // A window closed while minimised, or on a screen that is gone, comes back in view.
    if (top < 0 || top > Twips::ScreenHeight())
        top = 100;
    if (left < 0 || left > Twips::ScreenWidth())
        left = 100;
    setWindowState(Qt::WindowNoState);
    move(Twips::ToPixelsX(left), Twips::ToPixelsY(top));
}

void MainForm::StoreWindowPosition()
{
    SettingsSection positions(QStringLiteral("Window Positions\\MAINFORM"));
    if (isMaximized()) {
        positions.SetValue(QStringLiteral("Window State"), QStringLiteral("2"));
        return;
    }
    positions.SetValue(QStringLiteral("Window State"), QStringLiteral("0"));
    positions.SetValue(QStringLiteral("Top"), QString::number(Twips::FromPixelsY(y()), 'g', 9));
    positions.SetValue(QStringLiteral("Left"), QString::number(Twips::FromPixelsX(x()), 'g', 9));
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

void MainForm::closeEvent(QCloseEvent *event)
{
    GuardStore([this] { MDIForm_Unload(); });
    event->accept();
    // Help and other top-level windows end with the program.
    QCoreApplication::quit();
}

void MainForm::CreateToolbarButtons(bool Create, const QHash<QString, QIcon> &Images)
{
    Toolbar1->clear();
    toolbarButtons = ToolbarButtons();
    if (!Create)
        return;
    const QString generateImage = GenerateImage(Ui::platform().localTime());
    for (const ToolbarButton &definition : ToolbarLayout) {
        if (!definition.key) {
            Toolbar1->addSeparator();
            continue;
        }
        const QString image = definition.image ? QString::fromUtf8(definition.image) : generateImage;
        QAction *action = Toolbar1->addAction(Images.value(image), QString::fromUtf8(definition.caption));
        action->setObjectName(QString::fromUtf8(definition.key));
        action->setProperty("image", image);
        action->setProperty("tag", QString::fromUtf8(definition.tag));
        action->setToolTip(QString::fromUtf8(definition.tooltip));
        if (definition.command)
            connect(action, &QAction::triggered, this, definition.command);
        toolbarButtons.*definition.member = action;
    }
}

void MainForm::CreateToolbar()
{
    Toolbar1->setVisible(true);
    CreateToolbarButtons(true, ToolbarPictures::ImageList());
}

void MainForm::setButtonsEnabled(bool enabled)
{
    for (QAction *action : Toolbar1->actions())
        action->setEnabled(enabled);
}

void MainForm::SetCommandStates(bool Loading)
{
    const ToolbarButtons &b = toolbarButtons;
    if (!b.stop)
        return;  // no toolbar before the first activation
    if (Loading) {
        setButtonsEnabled(false);
        b.generateCode->setVisible(false);
        b.stop->setVisible(true);
        b.stop->setEnabled(true);
        return;
    }
    if (picListing->rowCount() > 0) {
        setButtonsEnabled(true);
    } else {
        // "Listing Align" keeps whatever state it has.
        for (QAction *action : {b.openDirectory, b.openFile})
            action->setEnabled(true);
        for (QAction *action : {b.saveThumbnails, b.saveImages, b.generateCode, b.cascade, b.tile, b.mosaic})
            action->setEnabled(false);
    }
    b.generateCode->setVisible(true);
    b.stop->setVisible(false);
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

void MainForm::mnuFile_Click()
{
    mnuFileClearThumbnails->setEnabled(picListing->rowCount() > 0);
}

// A slot once handed out keeps these enabled, even after its thumbnail has gone.
void MainForm::mnuHTML_Click()
{
    mnuHTMLGenerate->setEnabled(thumbs.upperBound() != 0);
    mnuHTMLEditor->setEnabled(true);
}

void MainForm::mnuImages_Click()
{
    const bool any = thumbs.upperBound() != 0;
    mnuImagesSaveThumbnails->setEnabled(any);
    mnuImagesSaveImages->setEnabled(any);
}

void MainForm::mnuWindows_Click()
{
    mnuWindowsToolbar->setChecked(picToolbar->isVisible());
    mnuWindowsStatusbar->setChecked(StatusBar1->isVisible());
    listChildWindows();
}

// The Windows menu ends with the open child windows, the active one checked.
void MainForm::listChildWindows()
{
    qDeleteAll(childWindowItems);
    childWindowItems.clear();
    const QList<QMdiSubWindow *> windows = mdi->subWindowList();
    if (windows.isEmpty())
        return;
    childWindowItems << mnuWindows->addSeparator();
    for (qsizetype i = 0; i < windows.size(); ++i) {
        QMdiSubWindow *window = windows[i];
        QAction *item = mnuWindows->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(window->windowTitle()));
        item->setCheckable(true);
        item->setChecked(window == mdi->activeSubWindow());
        connect(item, &QAction::triggered, mdi, [this, window] { mdi->setActiveSubWindow(window); });
        childWindowItems << item;
    }
}

void MainForm::mnuFileOpenDir_Click() {}
void MainForm::mnuFileOpenFile_Click() {}
void MainForm::mnuFileClearThumbnails_Click()
{
    thumbnailMaker.ClearThumbnails();
}
void MainForm::mnuFilePrefs_Click() {}

void MainForm::mnuFileExit_Click()
{
    close();
}

void MainForm::mnuHTMLGenerate_Click() {}
void MainForm::mnuHTMLEditor_Click() {}
void MainForm::mnuImagesSaveThumbnails_Click() {}
void MainForm::mnuImagesSaveImages_Click() {}
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

void MainForm::mnuListing_Click()
{
    mnuListingHide->setChecked(picListing->isHidden());
    mnuListingAlignment->setEnabled(!picListing->isHidden());
    const int side = picListing->side();
    mnuListingAlignmentTop->setChecked(side == ListingPanel::Top);
    mnuListingAlignmentRight->setChecked(side == ListingPanel::Right);
    mnuListingAlignmentBottom->setChecked(side == ListingPanel::Bottom);
    mnuListingAlignmentLeft->setChecked(side == ListingPanel::Left);
}

void MainForm::mnuListingHide_Click()
{
    const bool hidden = mnuListingHide->isChecked();
    picListing->setVisible(!hidden);
    if (toolbarButtons.listingAlign)
        toolbarButtons.listingAlign->setEnabled(!hidden);
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

void MainForm::mnuWindowsToolbar_Click()
{
    picToolbar->setVisible(mnuWindowsToolbar->isChecked());
    GuardStore([this] { picListing->ListingLayout(false, true); });
}

void MainForm::mnuWindowsStatusbar_Click()
{
    StatusBar1->setVisible(mnuWindowsStatusbar->isChecked());
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
    Globals::StopLoading = true;
}
