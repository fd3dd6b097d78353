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

QList<int> PageOrder(const ListingModel &listing, const ThumbCollection &thumbs)
{
    QStringList paths;
    for (int row = 0; row < listing.rowCount(); ++row)
        paths << listing.pathAt(row);
    return PageOrder(paths, thumbs);
}

QList<PageSource> PageSourcesOf(const QList<int> &pageSlots, const ThumbCollection &thumbs)
{
    QList<PageSource> sources;
    sources.reserve(pageSlots.size());
    for (int slot : pageSlots) {
        const ThumbnailWindow *window = windowIn(thumbs, slot);
        sources << PageSource{window->sourcePath(), window->caption().text(),
                              QSize(window->picture().ImageWidth(), window->picture().ImageHeight())};
    }
    return sources;
}

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

PageModel::StoredValue StoredValues(const CRegistry &section)
{
    return [&section](const QString &name, const QString &fallback) { return section.GetValue(name, fallback); };
}

qint16 RecordNumber(const QString &text)
{
    return qint16(std::clamp<qint32>(Numbers::RoundHalfEven(BoxValue(text)), -32768, 32767));
}

void PageModel::Load(QList<PageSource> sources, const StoredValue &htmlPreferences, const StoredValue &preferences)
{
    PageSources = std::move(sources);
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
    for (const PageSource &source : PageSources) {
        ThumbPageValues values = defaults;
        const QString name = firstLine(source.caption);
        values.Caption = lower ? name.toLower() : name;
        values.Link = values.Caption;
        values.SourcePath = source.sourcePath;
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

PageRequest PageModel::request(const Preferences &directories, const StoredValue &preferences) const
{
    const auto number = [&preferences](const QString &name) {
        return Numbers::RoundHalfEven(Numbers::LeadingNumber(preferences(name, QStringLiteral("0"))));
    };
    PageRequest page;
    page.imageNamesLower = number(QStringLiteral("Image File Name Lower Case"));
    page.thumbNamesLower = number(QStringLiteral("Thumbnail File Name Lower Case"));
    page.prefix = preferences(QStringLiteral("Save Image File Name Prefix"), QStringLiteral("QM_"));
    page.savedExtension = preferences(QStringLiteral("Save Image File Type"), QStringLiteral("JPG")).toLower();
    page.siteImageDirectory = directories.siteImageDirectory;
    page.siteThumbnailDirectory = directories.siteThumbnailDirectory;
    page.options = options;
    for (qsizetype i = 0; i < PageSources.size(); ++i) {
        const PageSource &source = PageSources[i];
        page.thumbs << PageThumb{source.caption, source.size.width(), source.size.height(), PageThumbValues.value(i)};
    }
    return page;
}
