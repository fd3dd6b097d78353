#include "frame/ListingPanel.h"

#include "settings/SettingsSection.h"
#include "settings/StoredSettings.h"
#include "thumbs/ListingModel.h"
#include "ui/Controls.h"
#include "ui/Platform.h"
#include "ui/Twips.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QResizeEvent>
#include <QToolButton>
#include <QTreeView>

namespace {

constexpr int Spacing = 4;  // 60 twips around the list and between it and the buttons

} // namespace

ListingPopup::ListingPopup(QWidget *parent) : QWidget(parent), cxtListing(new QMenu(QStringLiteral("Listing"), this))
{
    setObjectName(QStringLiteral("POPUP"));
    hide();
    cxtListing->setObjectName(QStringLiteral("cxtListing"));
    cxtListingViewFullSize = NamedItem(cxtListing, "cxtListingViewFullSize", "&View Image at Full-Size");
    cxtListingShowThumbnail = NamedItem(cxtListing, "cxtListingShowThumbnail", "&Show Thumbnail");
    NamedSeparator(cxtListing, "cxtListingSep1");
    cxtListingRemoveThumbnail = NamedItem(cxtListing, "cxtListingRemoveThumbnail", "&Remove Thumbnail");
    NamedSeparator(cxtListing, "cxtListingSep2");
    cxtListingProperties = NamedItem(cxtListing, "cxtListingProperties", "&Properties");
    NamedSeparator(cxtListing, "cxtListingSep3");
    cxtListingHideThisMenu = NamedItem(cxtListing, "cxtListingHideThisMenu", "&Hide This Menu");
}

ListingPanel::ListingPanel(ListingModel &model, QMainWindow *frame)
    : QDockWidget(frame), model(model), frame(frame), lvwListing(new QTreeView), fraSort(new QFrame),
      cmdUp(new QToolButton(fraSort)), cmdDown(new QToolButton(fraSort)),
      chkSort(new QCheckBox(QStringLiteral("Auto Sort"), fraSort)), layout(new QBoxLayout(QBoxLayout::TopToBottom)),
      POPUP(new ListingPopup(this))
{
    setObjectName(QStringLiteral("picListing"));
    setWindowTitle(QStringLiteral("Listing"));
    setFeatures(QDockWidget::NoDockWidgetFeatures);
    setTitleBarWidget(new QWidget(this));
    buildControls();
}

void ListingPanel::buildControls()
{
    lvwListing->setObjectName(QStringLiteral("lvwListing"));
    lvwListing->setAccessibleName(QStringLiteral("Thumbnail listing"));
    lvwListing->setModel(&model);
    lvwListing->setSelectionModel(&model.selection());
    lvwListing->setRootIsDecorated(false);
    lvwListing->setUniformRowHeights(true);
    lvwListing->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvwListing->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwListing->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwListing->setContextMenuPolicy(Qt::CustomContextMenu);
    lvwListing->header()->setSectionsClickable(true);
    lvwListing->header()->setStretchLastSection(false);
    connect(lvwListing->header(), &QHeaderView::sectionClicked, this, &ListingPanel::lvwListing_ColumnClick);
    connect(lvwListing, &QTreeView::doubleClicked, this, &ListingPanel::lvwListing_DblClick);
    connect(lvwListing, &QTreeView::customContextMenuRequested, this, &ListingPanel::showContextMenu);
    lvwListing->installEventFilter(this);

    fraSort->setObjectName(QStringLiteral("fraSort"));
    cmdUp->setObjectName(QStringLiteral("cmdUp"));
    cmdDown->setObjectName(QStringLiteral("cmdDown"));
    chkSort->setObjectName(QStringLiteral("chkSort"));
    static_cast<QToolButton *>(cmdUp)->setArrowType(Qt::UpArrow);
    static_cast<QToolButton *>(cmdDown)->setArrowType(Qt::DownArrow);
    cmdUp->setToolTip(QStringLiteral("Move the selected thumbnail up"));
    cmdDown->setToolTip(QStringLiteral("Move the selected thumbnail down"));
    for (QWidget *button : {static_cast<QWidget *>(cmdUp), static_cast<QWidget *>(cmdDown)})
        button->setAccessibleName(button->toolTip());
    auto *buttons = new QBoxLayout(QBoxLayout::LeftToRight, fraSort);
    buttons->setContentsMargins(0, 0, 0, 0);
    for (QWidget *control : {static_cast<QWidget *>(cmdUp), static_cast<QWidget *>(cmdDown),
                             static_cast<QWidget *>(chkSort)})
        buttons->addWidget(control, 0, Qt::AlignCenter);
    connect(cmdUp, &QAbstractButton::clicked, this, &ListingPanel::cmdUp_Click);
    connect(cmdDown, &QAbstractButton::clicked, this, &ListingPanel::cmdDown_Click);
    // However the box changes: a click, a key, or a screen reader's toggle.
    connect(chkSort, &QAbstractButton::toggled, this, &ListingPanel::chkSort_Click);

    auto *inside = new QWidget(this);
    inside->setLayout(layout);
    layout->setContentsMargins(Spacing, Spacing, Spacing, Spacing);
    layout->setSpacing(Spacing);
    layout->addWidget(lvwListing, 1);
    layout->addWidget(fraSort, 0, Qt::AlignCenter);
    setWidget(inside);

    const ListingPopup &menu = *POPUP;
    connect(menu.cxtListing, &QMenu::aboutToShow, this, [this] {
        const bool selected = model.selectedRow() >= 0;
        for (QAction *item : {POPUP->cxtListingViewFullSize, POPUP->cxtListingShowThumbnail,
                              POPUP->cxtListingRemoveThumbnail})
            item->setEnabled(selected);
    });
    connect(menu.cxtListingViewFullSize, &QAction::triggered, this, [this] {
        if (const int row = model.selectedRow(); row >= 0)
            emit viewFullSizeRequested(model.pathAt(row));
    });
    connect(menu.cxtListingShowThumbnail, &QAction::triggered, this, &ListingPanel::lvwListing_DblClick);
    connect(menu.cxtListingRemoveThumbnail, &QAction::triggered, this, [this] {
        if (const QString key = selectedKey(); !key.isEmpty())
            emit removeThumbnailRequested(key);
    });
    connect(menu.cxtListingProperties, &QAction::triggered, this, &ListingPanel::cxtListingProperties_Click);
}

int ListingPanel::rowCount() const
{
    return model.rowCount();
}

QString ListingPanel::selectedKey() const
{
    const int row = model.selectedRow();
    return row >= 0 ? model.keyAt(row) : QString();
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
    frame->addDockWidget(areaOf(dockSide), this);
}

void ListingPanel::RotatePicListing()
{
    static const int next[] = {0, Right, Left, Top, Bottom};  // indexed by the current side
    setSide(next[dockSide]);
}

double ListingPanel::size() const
{
    if (pending)
        return *pending;
    return horizontal() ? Twips::FromPixelsY(height()) : Twips::FromPixelsX(width());
}

double ListingPanel::clampedSize(double twips) const
{
    const QRect outer = frame->frameGeometry();
    const double minimum = horizontal() ? MinimumHeight : MinimumWidth;
    const double maximum = horizontal() ? Twips::FromPixelsY(outer.height()) / 2 : Twips::FromPixelsX(outer.width()) / 2;
    if (twips < minimum)
        return minimum;
    return twips > maximum ? maximum : twips;
}

// The separator the user drags keeps to the same limits.
void ListingPanel::updateLimits()
{
    const QRect outer = frame->frameGeometry();
    if (horizontal()) {
        const int minimum = Twips::ToPixelsY(MinimumHeight);
        setMinimumSize(0, minimum);
        setMaximumSize(QWIDGETSIZE_MAX, std::max(minimum, outer.height() / 2));
    } else {
        const int minimum = Twips::ToPixelsX(MinimumWidth);
        setMinimumSize(minimum, 0);
        setMaximumSize(std::max(minimum, outer.width() / 2), QWIDGETSIZE_MAX);
    }
}

// The frame may not make the panel smaller than its controls need.
void ListingPanel::applySize(double twips)
{
    const int pixels = horizontal() ? std::max(Twips::ToPixelsY(twips), minimumSizeHint().height())
                                    : std::max(Twips::ToPixelsX(twips), minimumSizeHint().width());
    pending = horizontal() ? Twips::FromPixelsY(pixels) : Twips::FromPixelsX(pixels);
    // A panel that has just changed sides is placed by the frame from its own size,
    // so it is given that size too.
    resize(horizontal() ? QSize(width(), pixels) : QSize(pixels, height()));
    frame->resizeDocks({this}, {pixels}, horizontal() ? Qt::Vertical : Qt::Horizontal);
}

void ListingPanel::ListingLayout(bool LoadSize, bool SaveSize)
{
    // Beside the list when docked at the top or bottom, below it at the sides.
    layout->setDirection(horizontal() ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    static_cast<QBoxLayout *>(fraSort->layout())
        ->setDirection(horizontal() ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    updateLimits();
    // The stored size too keeps to the limits: a panel too small to use, or one
    // taking over the window, helps nobody.
    const double wanted = LoadSize ? sizeSetting().read() : size();
    if (LoadSize || clampedSize(wanted) != wanted)
        applySize(clampedSize(wanted));
    SettingsSection preferences(Settings::PreferencesSection);
    if (SaveSize)
        sizeSetting().write(preferences, size());
    Settings::ListingAlignment.write(preferences, dockSide);
}

const Setting<double> &ListingPanel::sizeSetting() const
{
    return horizontal() ? Settings::ListingHeight : Settings::ListingWidth;
}

void ListingPanel::resizeEvent(QResizeEvent *event)
{
    QDockWidget::resizeEvent(event);
    if (pending) {
        pending.reset();  // the size asked for has arrived
        return;
    }
    // Only a drag of the separator changes the size with a button held; the frame
    // moving the panel to another side does not count.
    if (isVisible() && QGuiApplication::mouseButtons() != Qt::NoButton)
        emit resizedByUser();
}

void ListingPanel::LoadListingItems()
{
    chkSort->setChecked(Settings::AutoSortEnabled.read());
    chkSort_Click();
    const StoredSection widths(Settings::ListingSection);
    storedColumnWidths.clear();
    for (int column = 0; column < model.columnCount(); ++column) {
        const double twips = Settings::ListingColumnWidth(column).read(widths);
        storedColumnWidths << twips;
        if (twips > 0)
            lvwListing->header()->resizeSection(column, Twips::ToPixelsX(twips));
    }
}

void ListingPanel::applyDefaultColumnWidths()
{
    const int width = lvwListing->viewport()->width();
    const int shares[] = {2, 4, 2};  // half, a quarter, half of the list
    for (int column = 0; column < model.columnCount(); ++column)
        if (storedColumnWidths.value(column) <= 0)
            lvwListing->header()->resizeSection(column, width / shares[column]);
}

void ListingPanel::ListingUnload()
{
    // The size too, in case the last drag of the edge ended outside the panel.
    sizeSetting().write(size());
    SettingsSection widths(Settings::ListingSection);
    for (int column = 0; column < model.columnCount(); ++column)
        Settings::ListingColumnWidth(column).write(widths,
                                                   Twips::FromPixelsX(lvwListing->header()->sectionSize(column)));
}

void ListingPanel::chkSort_Click()
{
    const bool sorted = chkSort->isChecked();
    cmdUp->setEnabled(!sorted);
    cmdDown->setEnabled(!sorted);
    model.setAutoSort(sorted);
    if (sorted)
        lvwListing->header()->setSortIndicator(model.sortColumn(), Qt::AscendingOrder);
    lvwListing->header()->setSortIndicatorShown(sorted);
    GuardStore([sorted] {
        Settings::AutoSortEnabled.write(sorted);
    });
}

void ListingPanel::lvwListing_ColumnClick(int column)
{
    model.sortBy(column);
    lvwListing->header()->setSortIndicator(column, Qt::AscendingOrder);
    lvwListing->header()->setSortIndicatorShown(true);
}

void ListingPanel::cmdUp_Click()
{
    model.moveRow(model.selectedRow(), -1);
}

void ListingPanel::cmdDown_Click()
{
    model.moveRow(model.selectedRow(), +1);
}

void ListingPanel::lvwListing_DblClick()
{
    if (const QString key = selectedKey(); !key.isEmpty())
        emit showThumbnailRequested(key);
}

// Enter on a row does what a double click does.
bool ListingPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lvwListing && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            lvwListing_DblClick();
            return true;
        }
    }
    return QDockWidget::eventFilter(watched, event);
}

void ListingPanel::showContextMenu(const QPoint &position)
{
    const QModelIndex under = lvwListing->indexAt(position);
    if (!under.isValid())
        return;
    model.selectRow(under.row());
    POPUP->cxtListing->popup(lvwListing->viewport()->mapToGlobal(position));
}

void ListingPanel::cxtListingProperties_Click()
{
    const int row = model.selectedRow();
    if (row < 0 || !Ui::platform().showFileProperties(model.pathAt(row)))
        Ui::platform().beep();
}
