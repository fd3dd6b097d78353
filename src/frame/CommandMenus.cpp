#include "frame/CommandMenus.h"

#include "frame/ListingPanel.h"
#include "frame/MainForm.h"
#include "ui/Controls.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QStatusBar>

namespace {

using Command = void (MainForm::*)();
using Toggle = void (MainForm::*)(bool);

} // namespace

CommandMenus::CommandMenus(MainForm &form, Owner kind, QWidget *owner) : QObject(owner), form(form)
{
    build(kind, owner);
}

QMenu *CommandMenus::addMenu(QWidget *owner, const char *name, const char *caption, void (CommandMenus::*opened)())
{
    auto *menu = new QMenu(QString::fromUtf8(caption), owner);
    menu->setObjectName(QString::fromUtf8(name));
    menu->menuAction()->setObjectName(QString::fromUtf8(name));
    if (opened)
        connect(menu, &QMenu::aboutToShow, this, opened);
    topLevel << menu;
    return menu;
}

void CommandMenus::build(Owner kind, QWidget *owner)
{
    const bool thumbnail = kind == ThumbnailWindow;
    auto run = [this](QAction *item, Command command) { connect(item, &QAction::triggered, &form, command); };
    auto toggle = [this](QAction *item, Toggle command) {
        item->setCheckable(true);
        connect(item, &QAction::triggered, &form, command);
    };

    QMenu *file = addMenu(owner, "mnuFile", "&File", &CommandMenus::fileOpened);
    // A thumbnail window's open commands load, without the main window's follow-up.
    run(NamedItem(file, "mnuFileOpenDir", "Open Image &Directory"),
        thumbnail ? &MainForm::LoadImageDirectory : &MainForm::mnuFileOpenDir_Click);
    run(NamedItem(file, "mnuFileOpenFile", "Open an &Image"),
        thumbnail ? &MainForm::OpenImageFile : &MainForm::mnuFileOpenFile_Click);
    NamedSeparator(file, "mnuFileSep1");
    clearThumbnails = NamedItem(file, "mnuFileClearThumbnails", "&Clear All Thumbnails");
    run(clearThumbnails, &MainForm::mnuFileClearThumbnails_Click);
    NamedSeparator(file, "mnuFileSep2");
    run(NamedItem(file, "mnuFilePrefs", "&Preferences"), &MainForm::mnuFilePrefs_Click);
    NamedSeparator(file, "mnuFileSep3");
    run(NamedItem(file, "mnuFileExit", "E&xit"), &MainForm::mnuFileExit_Click);

    QMenu *html = addMenu(owner, "mnuHTML", "&HTML", &CommandMenus::htmlOpened);
    generate = NamedItem(html, "mnuHTMLGenerate", "&Generate HTML Code...");
    run(generate, &MainForm::mnuHTMLGenerate_Click);
    editor = NamedItem(html, "mnuHTMLEditor", "&Editor...");
    run(editor, &MainForm::mnuHTMLEditor_Click);

    QMenu *images = addMenu(owner, "mnuImages", "&Images", &CommandMenus::imagesOpened);
    saveThumbnails = NamedItem(images, "mnuImagesSaveThumbnails", "Save &Thumbnails");
    run(saveThumbnails, &MainForm::mnuImagesSaveThumbnails_Click);
    saveImages = NamedItem(images, "mnuImagesSaveImages", "Save &Images");
    run(saveImages, &MainForm::mnuImagesSaveImages_Click);

    QMenu *listing = addMenu(owner, "mnuListing", "&Listing", &CommandMenus::listingOpened);
    QMenu *sides = listing->addMenu(QStringLiteral("&Alignment"));
    sides->setObjectName(QStringLiteral("mnuListingAlignment"));
    alignment = sides->menuAction();
    alignment->setObjectName(QStringLiteral("mnuListingAlignment"));
    alignmentTop = NamedItem(sides, "mnuListingAlignmentTop", "&Top");
    alignmentRight = NamedItem(sides, "mnuListingAlignmentRight", "&Right");
    alignmentBottom = NamedItem(sides, "mnuListingAlignmentBottom", "&Bottom");
    alignmentLeft = NamedItem(sides, "mnuListingAlignmentLeft", "&Left");
    run(alignmentTop, &MainForm::mnuListingAlignmentTop_Click);
    run(alignmentRight, &MainForm::mnuListingAlignmentRight_Click);
    run(alignmentBottom, &MainForm::mnuListingAlignmentBottom_Click);
    run(alignmentLeft, &MainForm::mnuListingAlignmentLeft_Click);
    for (QAction *side : {alignmentTop, alignmentRight, alignmentBottom, alignmentLeft})
        side->setCheckable(true);
    NamedSeparator(listing, "mnuListingSep1");
    hideListing = NamedItem(listing, "mnuListingHide", "&Hide");
    toggle(hideListing, &MainForm::mnuListingHide_Click);

    windows = addMenu(owner, "mnuWindows", "&Windows", &CommandMenus::windowsOpened);
    run(NamedItem(windows, "mnuWindowsCascade", thumbnail ? "&Cascade Windows" : "&Cascade"),
        &MainForm::mnuWindowsCascade_Click);
    run(NamedItem(windows, "mnuWindowsTile", "&Tile"), &MainForm::mnuWindowsTile_Click);
    run(NamedItem(windows, "mnuWindowsMosaic", "&Mosaic"), &MainForm::mnuWindowsMosaic_Click);
    NamedSeparator(windows, "mnuWindowsSep1");
    toolbar = NamedItem(windows, "mnuWindowsToolbar", "&Toolbar");
    toggle(toolbar, &MainForm::mnuWindowsToolbar_Click);
    statusBar = NamedItem(windows, thumbnail ? "mnuWindowsStatusBar" : "mnuWindowsStatusbar", "&Status Bar");
    toggle(statusBar, &MainForm::mnuWindowsStatusbar_Click);

    QMenu *help = addMenu(owner, "mnuHelp", "H&elp", nullptr);
    run(NamedItem(help, thumbnail ? "mnuHelpHelpContents" : "mnuHelpContents", "&Help Contents"),
        &MainForm::mnuHelpContents_Click);
    NamedSeparator(help, thumbnail ? "mnuAboutSep" : "mnuHelpSep");
    run(NamedItem(help, "mnuHelpAbout", "&About..."), &MainForm::mnuHelpAbout_Click);
}

void CommandMenus::fileOpened()
{
    clearThumbnails->setEnabled(form.listingRows().rowCount() > 0);
}

// A slot once handed out keeps these enabled, even after its thumbnail has gone.
void CommandMenus::htmlOpened()
{
    generate->setEnabled(form.thumbnails().upperBound() != 0);
    editor->setEnabled(true);
}

void CommandMenus::imagesOpened()
{
    const bool any = form.thumbnails().upperBound() != 0;
    saveThumbnails->setEnabled(any);
    saveImages->setEnabled(any);
}

void CommandMenus::listingOpened()
{
    const ListingPanel &panel = *form.listing();
    hideListing->setChecked(panel.isHidden());
    alignment->setEnabled(!panel.isHidden());
    alignmentTop->setChecked(panel.side() == ListingPanel::Top);
    alignmentRight->setChecked(panel.side() == ListingPanel::Right);
    alignmentBottom->setChecked(panel.side() == ListingPanel::Bottom);
    alignmentLeft->setChecked(panel.side() == ListingPanel::Left);
}

void CommandMenus::windowsOpened()
{
    toolbar->setChecked(form.toolbarShown());
    statusBar->setChecked(form.statusBar()->isVisible());
    listChildWindows();
}

// The Windows menu ends with the open child windows, the active one checked.
void CommandMenus::listChildWindows()
{
    qDeleteAll(childWindowItems);
    childWindowItems.clear();
    QMdiArea *area = form.mdiArea();
    const QList<QMdiSubWindow *> children = area->subWindowList();
    if (children.isEmpty())
        return;
    childWindowItems << windows->addSeparator();
    for (qsizetype i = 0; i < children.size(); ++i) {
        QMdiSubWindow *child = children[i];
        QAction *item = windows->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(child->windowTitle()));
        item->setCheckable(true);
        item->setChecked(child == area->activeSubWindow());
        connect(item, &QAction::triggered, area, [area, child = QPointer<QMdiSubWindow>(child)] {
            if (child)
                area->setActiveSubWindow(child);
        });
        childWindowItems << item;
    }
}
