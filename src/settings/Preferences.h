#pragma once

#include <QSize>
#include <QString>

class CRegistry;

// The preferences the program reads once at start from the section "Preferences",
// with their defaults. Dialogs that change one write the store and update this.
struct Preferences {
    QString lastOpenDirectory;                       // default: the program's directory
    QSize thumbnailBox{93, 97};                      // largest thumbnail, pixels
    QString siteImageDirectory = QStringLiteral("images");
    QString siteThumbnailDirectory = QStringLiteral("images");
    QString localImageDirectory;                     // default: the program's directory
    QString localThumbnailDirectory;                 // default: the program's directory
    qint32 leftMargin = 4;                           // pixels, beside a thumbnail window's picture

    // The preferences as stored in an opened "Preferences" section. Thumbnail sides
    // that are not positive whole numbers take their defaults.
    static Preferences read(const CRegistry &section, const QString &appPath);
};
