#include "frame/CommandMenus.h"

#include "frame/Commands.h"
#include "frame/ListingPanel.h"
#include "frame/MainForm.h"
#include "ui/Controls.h"
#include "ui/DocumentArea.h"

#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QStatusBar>

CommandMenus::CommandMenus(MainForm &form, const Commands &commands, Owner kind, QWidget *owner)
    : QObject(owner), form(form), commands(commands)
{
    build(kind, owner);
}

QMenu *CommandMenus::addMenu(QWidget *owner, const char *name, const char *caption, void (CommandMenus::*opened)())
{
    auto *menu = new QMenu(QString::fromUtf8(caption), owner);
    menu->setObjectName(QString::fromUtf8(name));
    menu->menuAction()->setObjectName(QString::fromUtf8(name));
    KeepAccessibleItemsWith(menu);  // the main and the thumbnail windows' menus share their items
    if (opened)
        connect(menu, &QMenu::aboutToShow, this, opened);
    topLevel << menu;
    return menu;
}

void CommandMenus::build(Owner kind, QWidget *owner)
{
    const Commands &c = commands;
    const bool thumbnail = kind == ThumbnailWindow;

    QMenu *file = addMenu(owner, "mnuFile", "&File", nullptr);
    file->addActions({thumbnail ? c.loadDirectory : c.openDirectory, thumbnail ? c.loadFile : c.openFile});
    NamedSeparator(file, "mnuFileSep1");
    file->addAction(c.clearThumbnails);
    NamedSeparator(file, "mnuFileSep2");
    file->addAction(c.preferences);
    NamedSeparator(file, "mnuFileSep3");
    file->addAction(c.exit);

    addMenu(owner, "mnuHTML", "&HTML", nullptr)->addActions({c.generate, c.editor, c.buildSite});
    addMenu(owner, "mnuImages", "&Images", nullptr)->addActions({c.saveThumbnails, c.saveImages});

    QMenu *listing = addMenu(owner, "mnuListing", "&Listing", &CommandMenus::listingOpened);
    listing->addMenu(c.alignment);
    NamedSeparator(listing, "mnuListingSep1");
    listing->addAction(c.hideListing);

    windows = addMenu(owner, "mnuWindows", "&Windows", &CommandMenus::windowsOpened);
    windows->addActions({thumbnail ? c.cascadeWindows : c.cascade, c.tile, c.mosaic});
    NamedSeparator(windows, "mnuWindowsSep1");
    statusBar = thumbnail ? c.thumbnailStatusBar : c.statusBar;
    windows->addActions({c.toolbar, statusBar});

    QMenu *help = addMenu(owner, "mnuHelp", "H&elp", nullptr);
    help->addAction(thumbnail ? c.thumbnailHelpContents : c.helpContents);
    NamedSeparator(help, thumbnail ? "mnuAboutSep" : "mnuHelpSep");
    help->addAction(c.about);
}

void CommandMenus::listingOpened()
{
    const ListingPanel &panel = *form.listing();
    commands.hideListing->setChecked(panel.isHidden());
    commands.alignmentTop->setChecked(panel.side() == ListingPanel::Top);
    commands.alignmentRight->setChecked(panel.side() == ListingPanel::Right);
    commands.alignmentBottom->setChecked(panel.side() == ListingPanel::Bottom);
    commands.alignmentLeft->setChecked(panel.side() == ListingPanel::Left);
}

void CommandMenus::windowsOpened()
{
    commands.toolbar->setChecked(form.toolbarShown());
    statusBar->setChecked(form.statusBar()->isVisible());
    listChildWindows();
}

// The Windows menu ends with the open child windows, the active one checked.
void CommandMenus::listChildWindows()
{
    qDeleteAll(childWindowItems);
    childWindowItems.clear();
    DocumentArea *area = form.mdiArea();
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
