#pragma once

#include "imagebuffer/PictureFacts.h"
#include "webpage/PageOptions.h"

#include <QDate>
#include <QList>
#include <QSize>
#include <QString>

// The values of one page position that the user may change per thumbnail.
struct ThumbPageValues {
    QString Link;        // the link's file is its file-name part; empty: no link
    QString SourcePath;
    QString Target;      // the link's target frame; empty: none
    QString Caption;     // the image's alt text
    qint16 Border = 0;
    qint16 HSpace = 0;
    qint16 VSpace = 0;
};

// A thumbnail as the page needs it: its window's three caption lines (file name,
// image size, file size, joined by CR LF), the size of its thumbnail on the page,
// its values and what the picture's metadata says.
struct PageThumb {
    QString caption;
    int width = 0;
    int height = 0;
    ThumbPageValues values;
    PictureFacts facts;
};

// A file already in one of the site's folders that belongs to one of its pictures
// (the picture itself, when the pictures' folder is a folder of the site): its name
// is taken before any other.
struct SiteFile {
    bool inThumbnailFolder = false;  // else in the images' folder
    QString name;
    QString source;
};

// The first and last day of some pictures' days taken; invalid while none is known.
struct DayRange {
    QDate first, last;
    void add(QDate day)
    {
        if (!day.isValid())
            return;
        first = !first.isValid() || day < first ? day : first;
        last = !last.isValid() || day > last ? day : last;
    }
    void add(const DayRange &other)
    {
        add(other.first);
        add(other.last);
    }
};

// An album below this page, as the page shows it: its cover links to its page.
// Paths are relative to this page's folder, '/'-separated and not yet encoded.
struct AlbumCard {
    QString name;
    QString page;        // "Day 2/index.html"
    QString cover;       // its cover thumbnail; empty when it has none
    QSize coverSize;
    int pictures = 0;    // in it and every album below it
    DayRange days;       // they were taken on
};

// An album above this page: its title and the path of its page from this one.
struct TrailStep {
    QString title;
    QString page;        // "../index.html"
};

// Everything a page is made of.
struct PageRequest {
    QString prefix = QStringLiteral("QM_");       // of every thumbnail's file name
    QString savedExtension = QStringLiteral("jpg");
    qint32 imageNamesLower = 0;                   // nonzero: the background image's name in lower case
    qint32 thumbNamesLower = 0;                   // 1: thumbnail and displayed file names in lower case
    bool highDensity = false;                     // thumbnails saved at twice their size too
    QString siteImageDirectory = QStringLiteral("images");
    QString siteThumbnailDirectory = QStringLiteral("images");
    PageOptions options;
    QList<PageThumb> thumbs;                      // in page order
    QList<SiteFile> present;                      // pictures already in the site's folders
    QList<AlbumCard> albums;                      // shown before the thumbnails
    QList<TrailStep> trail;                       // the albums above, the top first
};

// The text of the page: a centred table of the thumbnails (or, in the modern style,
// a grid), each linking to its full-size picture, with the caption lines the options
// ask for; CR LF line ends.
QString GenerateHtml(const PageRequest &request);

// RRGGBB in upper-case hexadecimal of a colour with red in the low byte.
QString HtmlColorHex(quint32 colour);
