#include "webpage/PageModel.h"

#include "settings/Preferences.h"
#include "settings/SettingsSection.h"
#include "thumbs/ListingModel.h"
#include "thumbs/ThumbCollection.h"
#include "thumbs/ThumbnailImage.h"
#include "ui/Numbers.h"

#include <QHash>

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
        const ThumbnailRecord *record = thumbs.record(slot);
        sources << PageSource{record->sourcePath, record->caption, record->picture.size(), record->transparent,
                              record->sourceSize, record->facts};
    }
    return sources;
}

QList<int> PageOrder(const QStringList &paths, const ThumbCollection &thumbs)
{
    QHash<QString, int> firstSlot;
    for (int slot = 1; slot <= thumbs.upperBound(); ++slot)
        if (const ThumbnailRecord *record = thumbs.record(slot); record && !firstSlot.contains(record->sourcePath))
            firstSlot.insert(record->sourcePath, slot);
    QList<int> order;
    order.reserve(paths.size());
    for (const QString &path : paths)
        if (const int slot = firstSlot.value(path))
            order << slot;
    return order;
}

QSize PageThumbnailSize(const PageOptions &options, QSize thumbnail, QSize picture)
{
    if (!options.modernStyle)
        return thumbnail;
    return FitThumbnail(options.thumbnailBox(thumbnail), picture.isEmpty() ? thumbnail : picture);
}

PageOptions StoredPageOptions()
{
    const StoredSection html(Settings::HtmlPreferencesSection);
    return PageOptions::FromStored(
        [&html](const QString &name, const QString &fallback) { return html.GetValue(name, fallback); });
}

qint16 RecordNumber(const QString &text)
{
    return qint16(std::clamp<qint32>(Numbers::RoundHalfEven(BoxValue(text)), -32768, 32767));
}

void PageModel::Load(QList<PageSource> sources)
{
    PageSources = std::move(sources);
    options = StoredPageOptions();
    DetermineThumbValues();
    GenerateDialogLoaded = true;
}

void PageModel::DetermineThumbValues()
{
    linksLowerCase = Settings::ImageNamesLowerCase.read();
    webReadyLinks = Settings::WebReadyImages.read();
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
    // A picture browsers cannot show links to its web-ready copy.
    values.Link = webReadyLinks && !BrowsersShow(values.Caption) ? WebReadyName(values.Caption, source.transparent)
                                                                  : values.Caption;
    values.SourcePath = source.sourcePath;
    return values;
}

void PageModel::Unload(const Preferences &directories)
{
    using namespace Settings;
    SettingsSection preferences(PreferencesSection);
    SiteImageDirectory.write(preferences, directories.siteImageDirectory);
    SiteThumbnailDirectory.write(preferences, directories.siteThumbnailDirectory);
    LocalImageDirectory.write(preferences, directories.localImageDirectory);
    LocalThumbnailDirectory.write(preferences, directories.localThumbnailDirectory);
    GenerateDialogLoaded = false;
}

void PageModel::StoreOptions() const
{
    SettingsSection htmlPreferences(Settings::HtmlPreferencesSection);
    for (const QString &name : PageOptions::ValueNames())
        htmlPreferences.SetValue(name, options.storedText(name));
}

PageRequest PageModel::request(const Preferences &directories) const
{
    using namespace Settings;
    const StoredSection preferences(PreferencesSection);
    PageRequest page;
    // The page names the files as saving names them: one rule reads the case settings
    // for both.
    page.imageNamesLower = ImageNamesLowerCase.read(preferences);
    page.thumbNamesLower = ThumbnailNamesLowerCase.read(preferences);
    page.highDensity = HighDensityThumbnails.read(preferences);
    page.prefix = SaveImageFileNamePrefix.read(preferences);
    page.savedExtension = SavedThumbnailExtension(SaveImageFileType.read(preferences));
    page.siteImageDirectory = directories.siteImageDirectory;
    page.siteThumbnailDirectory = directories.siteThumbnailDirectory;
    page.options = options;
    for (qsizetype i = 0; i < PageSources.size(); ++i) {
        const PageSource &source = PageSources[i];
        const QSize shown = PageThumbnailSize(options, source.size, source.pictureSize);
        page.thumbs << PageThumb{source.caption, shown.width(), shown.height(), PageThumbValues.value(i), source.facts};
    }
    return page;
}

SiteNames PageModel::siteNames(const Preferences &directories) const
{
    return SiteNamesOf(request(directories));
}

SiteNames ListingSiteNames(const ListingModel &listing, const ThumbCollection &thumbs, const Preferences &directories)
{
    PageModel page;
    page.Load(PageSourcesOf(PageOrder(listing, thumbs), thumbs));
    return page.siteNames(directories);
}
