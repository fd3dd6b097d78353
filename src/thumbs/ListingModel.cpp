#include "thumbs/ListingModel.h"

#include "ui/NaturalOrder.h"
#include "ui/Paths.h"

namespace {

// Compares the way people read: letter case ignored, numbers by their value, so that
// IMG_2 comes before IMG_10 and 9K before 10K.
class ListingItem : public QStandardItem {
public:
    using QStandardItem::QStandardItem;
    bool operator<(const QStandardItem &other) const override { return CompareNaturally(text(), other.text()) < 0; }
};

} // namespace

ListingModel::ListingModel(QObject *parent) : QStandardItemModel(0, 3, parent), selectionModel(this)
{
    setHorizontalHeaderLabels({QStringLiteral("File Name"), QStringLiteral("File Size"), QStringLiteral("Path")});
    setHeaderData(FileSizeColumn, Qt::Horizontal, int(Qt::AlignRight | Qt::AlignVCenter), Qt::TextAlignmentRole);
    connect(this, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { remember(first, last, true); });
    connect(this, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { remember(first, last, false); });
}

void ListingModel::remember(int first, int last, bool add)
{
    for (int row = first; row <= last; ++row) {
        const QString name = index(row, FileNameColumn).data().toString().toLower();
        const QString directory = index(row, PathColumn).data().toString();
        if (add) {
            keys_.insert(keyAt(row));
            directoriesByName.insert(name, directory);
        } else {
            keys_.remove(keyAt(row));
            directoriesByName.remove(name, directory);
        }
    }
}

bool ListingModel::containsFile(const QString &name, const QString &directory) const
{
    return directoriesByName.contains(name.toLower(), directory);
}

Qt::ItemFlags ListingModel::flags(const QModelIndex &index) const
{
    // Answered without reading the items: a view lays out every row after rows
    // are added, and asks each row's flags as it does.
    if (!index.isValid())
        return QStandardItemModel::flags(index);
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

bool ListingModel::addRow(const QString &path, const QString &sizeText, int iconIndex)
{
    if (containsKey(path))
        return false;
    auto *name = new ListingItem(fileIcons.icon(iconIndex), Paths::FileNameOf(path));
    name->setData(path, KeyRole);
    auto *size = new ListingItem(sizeText);
    size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *directory = new ListingItem(Paths::DirectoryOf(path));
    const QList<QStandardItem *> items{name, size, directory};
    // Sorted: straight to its place, after the rows that sort equal to it, where a
    // sort after appending it would put it.
    insertRow(sorting ? sortedRowFor(*items[sortedBy]) : rowCount(), items);
    return true;
}

int ListingModel::sortedRowFor(const QStandardItem &item) const
{
    int low = 0, high = rowCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (item < *this->item(middle, sortedBy))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

void ListingModel::removeKeys(const QSet<QString> &paths)
{
    for (int row = rowCount() - 1; row >= 0;) {
        int first = row;
        while (first >= 0 && paths.contains(keyAt(first)))
            --first;
        if (first < row)
            removeRows(first + 1, row - first);
        row = first - 1;
    }
}

QString ListingModel::keyAt(int row) const
{
    return index(row, FileNameColumn).data(KeyRole).toString();
}

QString ListingModel::pathAt(int row) const
{
    return index(row, PathColumn).data().toString() + index(row, FileNameColumn).data().toString();
}

int ListingModel::findByName(const QString &name) const
{
    for (int row = 0; row < rowCount(); ++row)
        if (index(row, FileNameColumn).data().toString().compare(name, Qt::CaseInsensitive) == 0)
            return row;
    return -1;
}

int ListingModel::rowOf(const QString &name, const QString &directory) const
{
    for (int row = 0; row < rowCount(); ++row)
        if (index(row, FileNameColumn).data().toString() == name && index(row, PathColumn).data().toString() == directory)
            return row;
    return -1;
}

QStringList ListingModel::keys() const
{
    QStringList all;
    for (int row = 0; row < rowCount(); ++row)
        all << keyAt(row);
    return all;
}

int ListingModel::selectedRow() const
{
    // However it was selected: with the mouse, the keys or a screen reader, which
    // selects a row without making it current.
    const QModelIndexList rows = selectionModel.selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void ListingModel::selectRow(int row)
{
    if (row < 0 || row >= rowCount()) {
        selectionModel.clear();
        return;
    }
    selectionModel.setCurrentIndex(index(row, FileNameColumn),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool ListingModel::moveRow(int row, int step)
{
    const int target = row + step;
    if (row < 0 || row >= rowCount() || target < 0 || target >= rowCount())
        return false;
    insertRow(target, takeRow(row));
    selectRow(target);
    return true;
}

void ListingModel::sortBy(int column)
{
    sortedBy = column;
    sort(column);
}

void ListingModel::setAutoSort(bool on)
{
    sorting = on;
    if (on)
        sort(sortedBy);
}
