#pragma once

#include <QList>
#include <QString>

// A folder of a tree that becomes an album page.
struct Album {
    QString folder;         // ends with the separator
    QString relative;       // from the top folder, '/'-separated; empty for the top
    QString name;           // the folder's own name
    int parent = -1;        // its index in the list; -1 for the top
    QList<int> children;    // in natural name order
};

// The albums of the tree below `top`, the top first and every album before those
// below it: the top, and every folder that holds pictures or albums. Hidden folders,
// folders without either, the folder `output` (and what is below it) and links
// that lead back to a folder already walked are left out.
QList<Album> AlbumTree(const QString &top, const QString &output);
