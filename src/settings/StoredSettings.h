#pragma once

#include <QString>

class CRegistry;

// How a stored text becomes a value. A missing or empty value is always the default;
// the rules say what a text that only hand-editing can produce reads as.
enum class SettingRule {
    Text,       // the text as stored
    Number,     // the number the text starts with; 0 when it starts with none
    Whole,      // that number rounded, halves to the even neighbour
    Positive,   // a whole number above 0, written as such; anything else is the default
    Range,      // a whole number within lowest..highest; anything else is the default
    Flag,       // "1" or "0": on when the rounded number is not 0
    TrueFalse,  // "True" or "False" in any case, or a number; anything else is the default
};

// One value of the settings file: where it lives, its name, its default and its rule.
// Values are read and written only through these, so that every part of the program
// reads a stored text the same way and writes the same text for a value.
template <typename Value>
struct Setting {
    QString section;
    QString name;
    Value fallback;
    SettingRule rule;
    int lowest = 0;
    int highest = 0;

    // The value in `opened`, which must be this setting's section.
    Value read(const CRegistry &opened) const;
    // The same with a default known only at run time (the program's directory).
    Value read(const CRegistry &opened, const Value &fallbackHere) const;
    // Opens the section for reading only: a missing section is all defaults.
    Value read() const;
    // The text a value is stored as.
    QString text(const Value &value) const;
    // Writes into `opened`, or into the section opened (and made when missing) here.
    // An empty text is never stored.
    bool write(CRegistry &opened, const Value &value) const;
    bool write(const Value &value) const;
};

// A window's position: top and left, in twips.
struct PositionSettings {
    Setting<double> top;
    Setting<double> left;
};

// Every section and value the program stores; no other file names one.
namespace Settings {

inline const QString PreferencesSection = QStringLiteral("Preferences");
inline const QString HtmlPreferencesSection = QStringLiteral("HTML Preferences");
inline const QString PathSection = QStringLiteral("Path");
inline const QString FirstRunSection = QStringLiteral("First Run Information");
inline const QString MainWindowSection = QStringLiteral("Window Positions\\MAINFORM");
inline const QString ListingSection = QStringLiteral("Window Positions\\LISTING");
inline const QString FullSizeSection = QStringLiteral("Window Positions\\WHOLE");
inline const QString BuildSiteSection = QStringLiteral("Build Site");

// Directories whose default is the program's own: the empty default stands for it,
// and readers pass the directory in.
inline const Setting<QString> LastOpenDirectory{PreferencesSection, QStringLiteral("Last Open Directory"), {},
                                                SettingRule::Text};
inline const Setting<QString> LocalImageDirectory{PreferencesSection, QStringLiteral("Local Image Directory"), {},
                                                  SettingRule::Text};
inline const Setting<QString> LocalThumbnailDirectory{PreferencesSection, QStringLiteral("Local Thumbnail Directory"),
                                                      {}, SettingRule::Text};
inline const Setting<QString> LastHtmlFilePath{HtmlPreferencesSection, QStringLiteral("Last HTML File Path"), {},
                                               SettingRule::Text};

inline const Setting<int> ThumbnailWidth{PreferencesSection, QStringLiteral("Thumbnail Width"), 93,
                                         SettingRule::Positive};
inline const Setting<int> ThumbnailHeight{PreferencesSection, QStringLiteral("Thumbnail Height"), 97,
                                          SettingRule::Positive};
inline const Setting<QString> SiteImageDirectory{PreferencesSection, QStringLiteral("Web Site Images Directory"),
                                                 QStringLiteral("images"), SettingRule::Text};
inline const Setting<QString> SiteThumbnailDirectory{PreferencesSection, QStringLiteral("Web Site Thumbnail Directory"),
                                                     QStringLiteral("images"), SettingRule::Text};
inline const Setting<int> LeftMargin{PreferencesSection, QStringLiteral("Left Margin"), 4, SettingRule::Whole};

inline const Setting<int> ListingAlignment{PreferencesSection, QStringLiteral("Listing Alignment"), 4,
                                           SettingRule::Range, 1, 4};
inline const Setting<double> ListingHeight{PreferencesSection, QStringLiteral("Listing Height"), 1200,
                                           SettingRule::Number};
inline const Setting<double> ListingWidth{PreferencesSection, QStringLiteral("Listing Width"), 3510,
                                          SettingRule::Number};
inline const Setting<bool> AutoSortEnabled{PreferencesSection, QStringLiteral("Auto-Sort Enabled"), true,
                                           SettingRule::Flag};

inline const Setting<bool> AutoArrangeAfterLoad{PreferencesSection, QStringLiteral("Auto Arrange After Directory Load"),
                                                true, SettingRule::TrueFalse};
// 0 cascade, 1 tile, 2 mosaic; any other number arranges nothing.
inline const Setting<int> AutoArrangeMethod{PreferencesSection, QStringLiteral("Auto Arrange Method"), 2,
                                            SettingRule::Whole};
inline const Setting<bool> NotifyOfDuplicateImages{PreferencesSection, QStringLiteral("Notify of Duplicate Images"),
                                                   false, SettingRule::TrueFalse};
inline const Setting<QString> SaveImageFileType{PreferencesSection, QStringLiteral("Save Image File Type"),
                                                QStringLiteral("JPG"), SettingRule::Text};
inline const Setting<QString> SaveImageFileNamePrefix{PreferencesSection, QStringLiteral("Save Image File Name Prefix"),
                                                      QStringLiteral("QM_"), SettingRule::Text};
inline const Setting<bool> SaveImageProgressive{PreferencesSection, QStringLiteral("Save Image Progressive"), false,
                                                SettingRule::Flag};
// The colour depth list's entry: 0 for 24 bits, 1 for 256 colours.
inline const Setting<bool> SaveImageReducedColours{PreferencesSection, QStringLiteral("Save Image Color Depth"), false,
                                                   SettingRule::Flag};
inline const Setting<int> SaveImageQuality{PreferencesSection, QStringLiteral("Save Image Compression Quality"), 75,
                                           SettingRule::Range, 5, 100};
inline const Setting<bool> UseSpecificBrowser{PreferencesSection, QStringLiteral("Use Specific Browser"), false,
                                              SettingRule::Flag};
inline const Setting<bool> ThumbnailNamesLowerCase{PreferencesSection, QStringLiteral("Thumbnail File Name Lower Case"),
                                                   false, SettingRule::Flag};
inline const Setting<bool> ImageNamesLowerCase{PreferencesSection, QStringLiteral("Image File Name Lower Case"), false,
                                               SettingRule::Flag};

// How pictures are copied for a site: formats browsers cannot show written as JPEG
// or PNG, a longest edge in pixels (0 keeps the size), photo metadata removed; and
// thumbnails saved at twice their size as well.
inline const Setting<bool> WebReadyImages{PreferencesSection, QStringLiteral("Web Ready Images"), false,
                                          SettingRule::Flag};
inline const Setting<int> WebImageLongEdge{PreferencesSection, QStringLiteral("Web Image Long Edge"), 0,
                                           SettingRule::Range, 0, 65535};
inline const Setting<bool> RemovePhotoMetadata{PreferencesSection, QStringLiteral("Remove Photo Metadata"), false,
                                               SettingRule::Flag};
inline const Setting<bool> HighDensityThumbnails{PreferencesSection, QStringLiteral("High Density Thumbnails"), false,
                                                 SettingRule::Flag};

// The Build Site dialog's choices, as it last ran.
inline const Setting<QString> BuildPicturesFolder{BuildSiteSection, QStringLiteral("Pictures Folder"), {}, SettingRule::Text};
inline const Setting<QString> BuildOutputFolder{BuildSiteSection, QStringLiteral("Output Folder"), {}, SettingRule::Text};
inline const Setting<bool> BuildAlbums{BuildSiteSection, QStringLiteral("Albums"), true, SettingRule::Flag};
inline const Setting<bool> BuildByDate{BuildSiteSection, QStringLiteral("Sort By Date"), false, SettingRule::Flag};

inline const Setting<QString> ExePath{PathSection, QStringLiteral("EXE Path"), {}, SettingRule::Text};
inline const Setting<double> FirstDirectoryLoad{FirstRunSection, QStringLiteral("First Directory Load"), 0,
                                                SettingRule::Number};

// 2 maximised, 0 normal.
inline const Setting<double> MainWindowState{MainWindowSection, QStringLiteral("Window State"), 2, SettingRule::Number};
inline const PositionSettings MainWindowPosition{
    {MainWindowSection, QStringLiteral("Top"), 100, SettingRule::Number},
    {MainWindowSection, QStringLiteral("Left"), 100, SettingRule::Number}};
inline const PositionSettings FullSizePosition{{FullSizeSection, QStringLiteral("Top"), 10, SettingRule::Number},
                                               {FullSizeSection, QStringLiteral("Left"), 10, SettingRule::Number}};

// The width of the listing's column (from 0) in twips; 0 asks for the default width.
inline Setting<double> ListingColumnWidth(int column)
{
    return {ListingSection, QStringLiteral("ListView Column %1").arg(column + 1), 0, SettingRule::Number};
}

} // namespace Settings
