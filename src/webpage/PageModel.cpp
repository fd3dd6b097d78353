#include "webpage/PageModel.h"

#include "settings/Preferences.h"
#include "settings/SettingsSection.h"
#include "thumbs/ListingModel.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/ThumbnailImage.h"
#include "thumbs/ThumbnailWindow.h"
#include "imagebuffer/ImageBuffer.h"
#include "ui/Numbers.h"

#include <QHash>
#include <QLabel>

namespace {


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
        const ThumbnailWindow *window = ThumbnailIn(thumbs, slot);
        sources << PageSource{window->sourcePath(), window->captionText(),
                              QSize(window->picture().ImageWidth(), window->picture().ImageHeight())};
    }
    return sources;
}

QList<int> PageOrder(const QStringList &paths, const ThumbCollection &thumbs)
{
    QHash<QString, int> firstSlot;
    for (int slot = 1; slot <= thumbs.upperBound(); ++slot)
        if (const ThumbnailWindow *window = ThumbnailIn(thumbs, slot); window && !firstSlot.contains(window->sourcePath()))
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
    linksLowerCase = BoxValue(preferences(QStringLiteral("Image File Name Lower Case"), QStringLiteral("0"))) != 0;
    PageThumbValues.clear();
    for (const PageSource &source : PageSources)
        PageThumbValues << startingValues(source);
}

void PageModel::Append(const PageSource &source)
{
    PageSources << source;
    PageThumbValues << startingValues(source);
}

ThumbPageValues PageModel::startingValues(const PageSource &source) const
{
    ThumbPageValues values;
    values.HSpace = RecordNumber(options.horizontalSpacing);
    values.VSpace = RecordNumber(options.verticalSpacing);
    values.Border = RecordNumber(options.cellImageBorder);
    values.Target = options.defaultTargetFrame.trimmed();
    const QString name = CaptionFileName(source.caption);
    values.Caption = linksLowerCase ? name.toLower() : name;
    values.Link = values.Caption;
    values.SourcePath = source.sourcePath;
    return values;
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
    // Only exactly "PNG" saves PNG files; the page names what is saved.
    page.savedExtension = preferences(QStringLiteral("Save Image File Type"), QStringLiteral("JPG")) == QLatin1String("PNG")
                              ? QStringLiteral("png")
                              : QStringLiteral("jpg");
    page.siteImageDirectory = directories.siteImageDirectory;
    page.siteThumbnailDirectory = directories.siteThumbnailDirectory;
    page.options = options;
    for (qsizetype i = 0; i < PageSources.size(); ++i) {
        const PageSource &source = PageSources[i];
        page.thumbs << PageThumb{source.caption, source.size.width(), source.size.height(), PageThumbValues.value(i)};
    }
    return page;
}

SiteNames PageModel::siteNames(const Preferences &directories) const
{
    const SettingsSection preferences(QStringLiteral("Preferences"));
    return SiteNamesOf(request(directories, StoredValues(preferences)));
}

SiteNames ListingSiteNames(const ListingModel &listing, const ThumbCollection &thumbs, const Preferences &directories)
{
    const SettingsSection html(QStringLiteral("HTML Preferences"));
    const SettingsSection preferences(QStringLiteral("Preferences"));
    PageModel page;
    page.Load(PageSourcesOf(PageOrder(listing, thumbs), thumbs), StoredValues(html), StoredValues(preferences));
    return page.siteNames(directories);
}
