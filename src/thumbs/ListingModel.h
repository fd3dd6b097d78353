#pragma once

#include "ui/FileIcons.h"

#include <QItemSelectionModel>
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

    QItemSelectionModel &selection() { return selectionModel; }
    FileIcons &icons() { return fileIcons; }

    // Adds the row of a thumbnail; a path already listed is never listed twice.
    bool addRow(const QString &path, const QString &sizeText, int iconIndex);
    QString keyAt(int row) const;
    // The row's directory and file name joined: the file the row stands for.
    QString pathAt(int row) const;
    int rowOfKey(const QString &path) const;
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
    bool autoSort() const { return sorting; }
    int sortColumn() const { return sortedBy; }

private:
    QItemSelectionModel selectionModel;
    FileIcons fileIcons;
    bool sorting = false;
    int sortedBy = FileNameColumn;
};
