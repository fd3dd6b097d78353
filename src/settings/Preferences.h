#pragma once

#include "settings/StoredSettings.h"

#include <QSize>
#include <QString>

class CRegistry;

// The preferences the program reads once at start from their section,
// with their defaults. Dialogs that change one write the store and update this.
struct Preferences {
    QString lastOpenDirectory;                       // default: the program's directory
    QSize thumbnailBox{Settings::ThumbnailWidth.fallback, Settings::ThumbnailHeight.fallback};  // pixels
    QString siteImageDirectory = Settings::SiteImageDirectory.fallback;
    QString siteThumbnailDirectory = Settings::SiteThumbnailDirectory.fallback;
    QString localImageDirectory;                     // default: the program's directory
    QString localThumbnailDirectory;                 // default: the program's directory
    qint32 leftMargin = Settings::LeftMargin.fallback;  // pixels, beside a thumbnail window's picture

    // The preferences as stored, read without creating their section.
    static Preferences read(const QString &appPath);
};
