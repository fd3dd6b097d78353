#include "frame/Commands.h"

#include "frame/MainForm.h"

#include <QAction>
#include <QMenu>

template <typename Slot>
QAction *Commands::make(const char *name, const char *caption, Slot slot)
{
    auto *action = new QAction(QString::fromUtf8(caption), &form);
    action->setObjectName(QString::fromUtf8(name));
    action->setIconVisibleInMenu(false);  // menus stay text only; pictures are the toolbar's
    connect(action, &QAction::triggered, &form, slot);
    return action;
}

template <typename Slot>
QAction *Commands::toggle(const char *name, const char *caption, Slot slot)
{
    QAction *action = make(name, caption, slot);
    action->setCheckable(true);
    return action;
}

Commands::Commands(MainForm &form) : QObject(&form), form(form)
{
    openDirectory = make("mnuFileOpenDir", "Open Image &Directory", &MainForm::mnuFileOpenDir_Click);
    openFile = make("mnuFileOpenFile", "Open an &Image", &MainForm::mnuFileOpenFile_Click);
    clearThumbnails = make("mnuFileClearThumbnails", "&Clear All Thumbnails", &MainForm::mnuFileClearThumbnails_Click);
    preferences = make("mnuFilePrefs", "&Preferences", &MainForm::mnuFilePrefs_Click);
    exit = make("mnuFileExit", "E&xit", &MainForm::mnuFileExit_Click);
    generate = make("mnuHTMLGenerate", "&Generate HTML Code...", &MainForm::mnuHTMLGenerate_Click);
    editor = make("mnuHTMLEditor", "&Editor...", &MainForm::mnuHTMLEditor_Click);
    buildSite = make("mnuHTMLBuildSite", "&Build Site...", &MainForm::mnuHTMLBuildSite_Click);
    saveThumbnails = make("mnuImagesSaveThumbnails", "Save &Thumbnails", &MainForm::mnuImagesSaveThumbnails_Click);
    saveImages = make("mnuImagesSaveImages", "Save &Images", &MainForm::mnuImagesSaveImages_Click);

    alignment = new QMenu(QStringLiteral("&Alignment"), &form);
    alignment->setObjectName(QStringLiteral("mnuListingAlignment"));
    alignment->menuAction()->setObjectName(QStringLiteral("mnuListingAlignment"));
    alignmentTop = toggle("mnuListingAlignmentTop", "&Top", &MainForm::mnuListingAlignmentTop_Click);
    alignmentRight = toggle("mnuListingAlignmentRight", "&Right", &MainForm::mnuListingAlignmentRight_Click);
    alignmentBottom = toggle("mnuListingAlignmentBottom", "&Bottom", &MainForm::mnuListingAlignmentBottom_Click);
    alignmentLeft = toggle("mnuListingAlignmentLeft", "&Left", &MainForm::mnuListingAlignmentLeft_Click);
    alignment->addActions({alignmentTop, alignmentRight, alignmentBottom, alignmentLeft});
    hideListing = toggle("mnuListingHide", "&Hide", &MainForm::mnuListingHide_Click);

    cascade = make("mnuWindowsCascade", "&Cascade", &MainForm::mnuWindowsCascade_Click);
    tile = make("mnuWindowsTile", "&Tile", &MainForm::mnuWindowsTile_Click);
    mosaic = make("mnuWindowsMosaic", "&Mosaic", &MainForm::mnuWindowsMosaic_Click);
    toolbar = toggle("mnuWindowsToolbar", "&Toolbar", &MainForm::mnuWindowsToolbar_Click);
    statusBar = toggle("mnuWindowsStatusbar", "&Status Bar", &MainForm::mnuWindowsStatusbar_Click);
    helpContents = make("mnuHelpContents", "&Help Contents", &MainForm::mnuHelpContents_Click);
    about = make("mnuHelpAbout", "&About...", &MainForm::mnuHelpAbout_Click);

    stop = make("Stop", "Stop!", &MainForm::Stop_Click);
    listingAlign = make("Listing Align", "Listing Align", &MainForm::RotatePicListing);

    // A thumbnail window's open commands load, without the main window's follow-up.
    loadDirectory = make("mnuFileOpenDir", "Open Image &Directory", &MainForm::LoadImageDirectory);
    loadFile = make("mnuFileOpenFile", "Open an &Image", &MainForm::OpenImageFile);
    cascadeWindows = make("mnuWindowsCascade", "&Cascade Windows", &MainForm::mnuWindowsCascade_Click);
    thumbnailStatusBar = toggle("mnuWindowsStatusBar", "&Status Bar", &MainForm::mnuWindowsStatusbar_Click);
    thumbnailHelpContents = make("mnuHelpHelpContents", "&Help Contents", &MainForm::mnuHelpContents_Click);
}

void Commands::update(bool loading, bool anyThumbnails, bool listingShown)
{
    for (QAction *starting : {openDirectory, openFile, loadDirectory, loadFile})
        starting->setEnabled(!loading);
    for (QAction *onThumbnails :
         {clearThumbnails, generate, saveThumbnails, saveImages, cascade, cascadeWindows, tile, mosaic})
        onThumbnails->setEnabled(!loading && anyThumbnails);
    for (QAction *side : {listingAlign, alignment->menuAction()})
        side->setEnabled(!loading && listingShown);
    stop->setEnabled(loading);
}
