#include "webpage/PageModel.h"

#include "settings/CRegistry.h"
#include "settings/Preferences.h"
#include "thumbs/ListingModel.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/ThumbnailWindow.h"
#include "imagebuffer/ImageBuffer.h"
#include "ui/Numbers.h"

#include <QHash>
#include <QLabel>

namespace {

const ThumbnailWindow *windowIn(const ThumbCollection &thumbs, int slot)
{
    return qobject_cast<const ThumbnailWindow *>(thumbs.window(slot));
}

QString firstLine(const QString &caption)
{
    return caption.left(caption.indexOf(QStringLiteral("\r\n")));
}

} // namespace

QList<int> PageOrder(const QStringList &paths, const ThumbCollection &thumbs)
{
    QHash<QString, int> firstSlot;
    for (int slot = 1; slot <= thumbs.upperBound(); ++slot)
        if (const ThumbnailWindow *window = windowIn(thumbs, slot);
            window && !thumbs.isFree(slot) && !firstSlot.contains(window->sourcePath()))
            firstSlot.insert(window->sourcePath(), slot);
    QList<int> order;
    order.reserve(paths.size());
    for (const QString &path : paths)
        if (const int slot = firstSlot.value(path))
            order << slot;
    return order;
}

qint16 RecordNumber(const QString &text)
{
    return qint16(std::clamp<qint32>(Numbers::RoundHalfEven(BoxValue(text)), -32768, 32767));
}

void PageModel::Load(const ListingModel &listing, const ThumbCollection &thumbs, const StoredValue &htmlPreferences,
                     const StoredValue &preferences)
{
    collection = &thumbs;
    QStringList paths;
    for (int row = 0; row < listing.rowCount(); ++row)
        paths << listing.pathAt(row);
    PageThumbOrder = PageOrder(paths, thumbs);
    options = PageOptions::FromStored(htmlPreferences);
    DetermineThumbValues(preferences);
    GenerateDialogLoaded = true;
}

void PageModel::DetermineThumbValues(const StoredValue &preferences)
{
    const bool lower = BoxValue(preferences(QStringLiteral("Image File Name Lower Case"), QStringLiteral("0"))) != 0;
    ThumbPageValues defaults;
    defaults.HSpace = RecordNumber(options.horizontalSpacing);
    defaults.VSpace = RecordNumber(options.verticalSpacing);
    defaults.Border = RecordNumber(options.cellImageBorder);
    defaults.Target = options.defaultTargetFrame.trimmed();
    PageThumbValues.clear();
    for (int slot : PageThumbOrder) {
        const ThumbnailWindow *window = windowIn(*collection, slot);
        ThumbPageValues values = defaults;
        const QString name = firstLine(window->caption().text());
        values.Caption = lower ? name.toLower() : name;
        values.Link = values.Caption;
        values.SourcePath = window->sourcePath();
        PageThumbValues << values;
    }
}

void PageModel::Unload(CRegistry &preferences, const Preferences &directories)
{
    preferences.SetValue(QStringLiteral("Web Site Images Directory"), directories.siteImageDirectory);
    preferences.SetValue(QStringLiteral("Web Site Thumbnail Directory"), directories.siteThumbnailDirectory);
    preferences.SetValue(QStringLiteral("Local Image Directory"), directories.localImageDirectory);
    preferences.SetValue(QStringLiteral("Local Thumbnail Directory"), directories.localThumbnailDirectory);
    GenerateDialogLoaded = false;
}

void PageModel::StoreOptions(CRegistry &htmlPreferences) const
{
    for (const QString &name : PageOptions::ValueNames())
        htmlPreferences.SetValue(name, options.storedText(name));
}

PageRequest PageModel::request(const Preferences &directories) const
{
    PageRequest page;
    page.siteImageDirectory = directories.siteImageDirectory;
    page.siteThumbnailDirectory = directories.siteThumbnailDirectory;
    page.options = options;
    for (qsizetype i = 0; i < PageThumbOrder.size(); ++i) {
        const ThumbnailWindow *window = windowIn(*collection, PageThumbOrder[i]);
        page.thumbs << PageThumb{window->caption().text(), window->picture().ImageWidth(), window->picture().ImageHeight(),
                                 PageThumbValues.value(i)};
    }
    return page;
}
