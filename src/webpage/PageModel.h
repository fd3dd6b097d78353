#pragma once

#include "webpage/HtmlGenerator.h"
#include "webpage/SiteNames.h"

#include <QList>
#include <QSize>

class ListingModel;
class ThumbCollection;
struct Preferences;

// A thumbnail as the page shows it, apart from any window: its source file, its
// three caption lines, its thumbnail's and its picture's size and what the
// picture's metadata says.
struct PageSource {
    QString sourcePath;
    QString caption;
    QSize size;
    bool transparent = false;  // the picture holds transparency
    QSize pictureSize;
    PictureFacts facts;
};

// What a page is made from: the page options, the thumbnails in page order and the
// values of each page position. The Generate dialog works on one while it is open,
// the batch build on one of the whole folder.
class PageModel {
public:
    // Takes the thumbnails in page order and fills the options and the values from
    // the stored settings.
    void Load(QList<PageSource> sources);
    // Stores the four directories of the page.
    void Unload(const Preferences &directories);
    // Stores every option as it is kept.
    void StoreOptions() const;

    // Fills the values of every page position from the thumbnails and the options
    // (which the dialog keeps equal to what is stored): the file name as caption and
    // link (lower-cased when image names are kept in lower case), the cell image
    // border, the image spacings and the default target frame.
    void DetermineThumbValues();
    // Adds a thumbnail at the end of the page, with the values a position starts with.
    void Append(const PageSource &source);

    int PageThumbCount() const { return int(PageSources.size()); }
    // The message about the table's cells for the options' rows and columns.
    QString cellAmount() const { return DetermineCellAmount(options.tableRows, options.tableColumns, PageThumbCount()); }

    // The page as the generator needs it, with the web site's directories of
    // `directories` and the thumbnails' names as the stored preferences save them.
    PageRequest request(const Preferences &directories) const;
    // The names of the page's files, as the stored preferences name them now.
    SiteNames siteNames(const Preferences &directories) const;

    PageOptions options;
    QList<PageSource> PageSources;        // in page order
    QList<ThumbPageValues> PageThumbValues;
    bool GenerateDialogLoaded = false;

private:
    ThumbPageValues startingValues(const PageSource &source) const;

    bool linksLowerCase = false;
    bool webReadyLinks = false;
};

// For each path, the first slot in use whose thumbnail shows that file; paths
// without one are left out. One pass over the slots, one look-up per path.
QList<int> PageOrder(const QStringList &paths, const ThumbCollection &thumbs);
// The slots of the listing's thumbnails in its row order.
QList<int> PageOrder(const ListingModel &listing, const ThumbCollection &thumbs);
// What the page needs of the thumbnails in these slots.
QList<PageSource> PageSourcesOf(const QList<int> &pageSlots, const ThumbCollection &thumbs);
// The names of the files of the page the listing would make now: its thumbnails in
// its order, with the stored options and the values every position starts with.
SiteNames ListingSiteNames(const ListingModel &listing, const ThumbCollection &thumbs, const Preferences &directories);

// The size a thumbnail has on the page: its window's for the classic page; drawn
// anew from the picture at the modern page's row height.
QSize PageThumbnailSize(const PageOptions &options, QSize thumbnail, QSize picture);

// The page options as they are stored.
PageOptions StoredPageOptions();

// A value typed for a border or a spacing, as the 16 bits a record holds: rounded
// half to even, and kept within the range instead of wrapping round.
qint16 RecordNumber(const QString &text);
