#include "frame/ListingPanel.h"

#include "settings/SettingsSection.h"

#include <QMainWindow>
#include <QTreeWidget>

ListingPanel::ListingPanel(QWidget *parent) : QDockWidget(parent), lvwListing(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("picListing"));
    setWindowTitle(QStringLiteral("Listing"));
    setFeatures(QDockWidget::NoDockWidgetFeatures);
    setTitleBarWidget(new QWidget(this));
    lvwListing->setObjectName(QStringLiteral("lvwListing"));
    lvwListing->setRootIsDecorated(false);
    lvwListing->setHeaderLabels({QStringLiteral("File Name"), QStringLiteral("File Size"), QStringLiteral("Path")});
    setWidget(lvwListing);
}

int ListingPanel::rowCount() const
{
    return lvwListing->topLevelItemCount();
}

Qt::DockWidgetArea ListingPanel::areaOf(int side)
{
    switch (side) {
    case Top: return Qt::TopDockWidgetArea;
    case Bottom: return Qt::BottomDockWidgetArea;
    case Left: return Qt::LeftDockWidgetArea;
    default: return Qt::RightDockWidgetArea;
    }
}

void ListingPanel::setSide(int side)
{
    dockSide = side >= Top && side <= Right ? side : Right;
    if (auto *frame = qobject_cast<QMainWindow *>(parentWidget()))
        frame->addDockWidget(areaOf(dockSide), this);
}

void ListingPanel::ListingLayout(bool, bool)
{
    SettingsSection(QStringLiteral("Preferences")).SetValue(QStringLiteral("Listing Alignment"), QString::number(dockSide));
}
