#pragma once

#include <QDockWidget>

class QTreeWidget;

// The dockable listing of the loaded thumbnails, one row per thumbnail.
class ListingPanel : public QDockWidget {
    Q_OBJECT
public:
    // Docking sides as they are stored: 1 top, 2 bottom, 3 left, 4 right.
    enum Side { Top = 1, Bottom = 2, Left = 3, Right = 4 };

    explicit ListingPanel(QWidget *parent = nullptr);

    QTreeWidget *list() const { return lvwListing; }
    int rowCount() const;

    int side() const { return dockSide; }
    static Qt::DockWidgetArea areaOf(int side);
    // Takes the stored side; anything but 1 to 4 docks on the right.
    void setSide(int side);

    // Lays the panel out and records its docking side in the settings.
    void ListingLayout(bool LoadSize, bool SaveSize);

private:
    QTreeWidget *lvwListing;
    int dockSide = Right;
};
