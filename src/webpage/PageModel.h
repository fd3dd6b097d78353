#pragma once

#include "webpage/HtmlGenerator.h"

#include <QList>
#include <functional>

class CRegistry;
class ListingModel;
class ThumbCollection;
struct Preferences;

// What the Generate dialog works on while it is open: the page options, the page
// order of the thumbnails (the listing's row order when it opened) and the values
// of each page position.
class PageModel {
public:
    using StoredValue = std::function<QString(const QString &name, const QString &fallback)>;

    // Takes the page order from the listing and fills the options and the values
    // from the stored settings: `htmlPreferences` reads "HTML Preferences",
    // `preferences` reads "Preferences".
    void Load(const ListingModel &listing, const ThumbCollection &thumbs, const StoredValue &htmlPreferences,
              const StoredValue &preferences);
    // Writes the four directories of the page back to the section "Preferences".
    void Unload(CRegistry &preferences, const Preferences &directories);
    // Writes every option to the section "HTML Preferences" as it is stored.
    void StoreOptions(CRegistry &htmlPreferences) const;

    // Fills the values of every page position from the thumbnails and the options
    // (which the dialog keeps equal to what is stored): the file name as caption and
    // link (lower-cased when "Image File Name Lower Case" is on), the cell image
    // border, the image spacings and the default target frame.
    void DetermineThumbValues(const StoredValue &preferences);

    int PageThumbCount() const { return int(PageThumbOrder.size()); }
    // The message about the table's cells for the options' rows and columns.
    QString cellAmount() const { return DetermineCellAmount(options.tableRows, options.tableColumns, PageThumbCount()); }

    // The page as the generator needs it, from the thumbnails' windows, with the web
    // site's directories of `directories`.
    PageRequest request(const Preferences &directories) const;

    PageOptions options;
    QList<int> PageThumbOrder;            // slot of the thumbnail at each page position
    QList<ThumbPageValues> PageThumbValues;
    bool GenerateDialogLoaded = false;

private:
    const ThumbCollection *collection = nullptr;
};

// For each path, the first slot in use whose thumbnail shows that file; paths
// without one are left out. One pass over the slots, one look-up per path.
QList<int> PageOrder(const QStringList &paths, const ThumbCollection &thumbs);

// A value typed for a border or a spacing, as the 16 bits a record holds: rounded
// half to even, and kept within the range instead of wrapping round.
qint16 RecordNumber(const QString &text);
