#pragma once

#include "ui/FileIcons.h"

#include <QItemSelectionModel>
#include <QMultiHash>
#include <QSet>
#include <QStandardItemModel>

// The rows of the listing, one per thumbnail: file name, size text and directory,
// keyed by the source path. Their order is the user's (or sorted, while auto sort is
// on) and is the order of the generated page. The selection and the listing's image
// list of file icons live here too, so that the thumbnails work on the listing
// without its window.
class ListingModel : public QStandardItemModel {
    Q_OBJECT
public:
    enum Column { FileNameColumn, FileSizeColumn, PathColumn };
    static constexpr int KeyRole = Qt::UserRole + 1;

    explicit ListingModel(QObject *parent = nullptr);

    // Rows are read-only lines without children.
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QItemSelectionModel &selection() { return selectionModel; }
    FileIcons &icons() { return fileIcons; }

    // Adds the row of a thumbnail; a path already listed is never listed twice.
    bool addRow(const QString &path, const QString &sizeText, int iconIndex);
    // Removes the rows of these source paths, in one pass.
    void removeKeys(const QSet<QString> &paths);
    QString keyAt(int row) const;
    // The row's directory and file name joined: the file the row stands for.
    QString pathAt(int row) const;
    bool containsKey(const QString &path) const { return keys_.contains(path); }
    // Whether a row shows this file name (letter case ignored) in exactly this directory.
    bool containsFile(const QString &name, const QString &directory) const;
    // The first row showing this file name, letter case ignored; -1 when none.
    int findByName(const QString &name) const;
    // The row with exactly this file name in exactly this directory; -1 when none.
    int rowOf(const QString &name, const QString &directory) const;
    // Every row's key, top to bottom.
    QStringList keys() const;

    int selectedRow() const;
    void selectRow(int row);

    // Moves a row one place up (-1) or down (+1), keeping it selected; false at an end.
    bool moveRow(int row, int step);

    // Sorts ascending by a column's text (numbers in it by value, letter case ignored).
    void sortBy(int column);
    // While on, the rows are kept sorted by the last sort column.
    void setAutoSort(bool on);
    int sortColumn() const { return sortedBy; }

private:
    int sortedRowFor(const QStandardItem &item) const;
    void remember(int first, int last, bool add);

    // Every row's key and file, kept in step with the rows, so that a folder of
    // thousands of pictures is not searched row by row for each new one.
    QSet<QString> keys_;
    QMultiHash<QString, QString> directoriesByName;  // lower-cased name -> directory
    QItemSelectionModel selectionModel;
    FileIcons fileIcons;
    bool sorting = false;
    int sortedBy = FileNameColumn;
};
