#pragma once

#include <QDockWidget>
#include <optional>

template <typename Value> struct Setting;
class ListingModel;
class QAbstractButton;
class QBoxLayout;
class QCheckBox;
class QFrame;
class QMenu;
class QTreeView;

// The listing's context menu, a window of its own that is never shown; only its
// menu pops up.
class ListingPopup : public QWidget {
    Q_OBJECT
public:
    explicit ListingPopup(QWidget *parent = nullptr);
    QMenu *cxtListing;
    QAction *cxtListingViewFullSize;
    QAction *cxtListingShowThumbnail;
    QAction *cxtListingRemoveThumbnail;
    QAction *cxtListingProperties;
    QAction *cxtListingHideThisMenu;
};

// The dockable listing of the loaded thumbnails, one row per thumbnail, with the
// buttons that order the rows. It docks on any side, keeps its size within limits,
// and remembers side, size, column widths and auto sort in the settings.
class ListingPanel : public QDockWidget {
    Q_OBJECT
public:
    // Docking sides as they are stored: 1 top, 2 bottom, 3 left, 4 right.
    enum Side { Top = 1, Bottom = 2, Left = 3, Right = 4 };
    // Size limits, twips.
    static constexpr double MinimumHeight = 750;
    static constexpr double MinimumWidth = 2085;

    ListingPanel(ListingModel &model, QMainWindow *frame);

    QTreeView *list() const { return lvwListing; }
    ListingModel &rows() const { return model; }
    ListingPopup &popup() const { return *POPUP; }
    int rowCount() const;

    int side() const { return dockSide; }
    static Qt::DockWidgetArea areaOf(int side);
    // Takes the stored side; anything but 1 to 4 docks on the right.
    void setSide(int side);
    // The next side clockwise: top, right, bottom, left.
    void RotatePicListing();

    // The panel's size across its docking side, twips.
    double size() const;
    // The size clamped to the limits: the minimum, and half the main window.
    double clampedSize(double twips) const;

    // Clamps the size; with LoadSize takes the stored size, with SaveSize stores the
    // size; lays the controls out for the side and stores the side.
    void ListingLayout(bool LoadSize, bool SaveSize);
    // Columns and auto sort from the settings (the main window's load).
    void LoadListingItems();
    // Gives columns without a stored width their default share of the list.
    void applyDefaultColumnWidths();
    // Stores the column widths and the size (the main window's unload).
    void ListingUnload();

signals:
    // The user asked for the selected row's thumbnail or picture; `path` is its key.
    void showThumbnailRequested(const QString &path);
    void removeThumbnailRequested(const QString &path);
    void viewFullSizeRequested(const QString &path);
    // The user resized the panel by its edge.
    void resizedByUser();

public slots:
    void chkSort_Click();
    void cmdUp_Click();
    void cmdDown_Click();
    void lvwListing_ColumnClick(int column);
    void lvwListing_DblClick();
    void cxtListingProperties_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void showContextMenu(const QPoint &position);
    QString selectedKey() const;
    bool horizontal() const { return dockSide == Top || dockSide == Bottom; }
    void applySize(double twips);
    const Setting<double> &sizeSetting() const;  // the stored height or width, by the side
    void updateLimits();

    ListingModel &model;
    QMainWindow *frame;
    QTreeView *lvwListing;
    QFrame *fraSort;
    QAbstractButton *cmdUp;
    QAbstractButton *cmdDown;
    QCheckBox *chkSort;
    QBoxLayout *layout;
    ListingPopup *POPUP;
    QList<double> storedColumnWidths;
    int dockSide = Right;
    std::optional<double> pending;  // a size asked of the frame that has not arrived yet
};
