#pragma once

#include <QList>
#include <QPair>
#include <QSize>
#include <QString>
#include <functional>
#include <variant>

// The options of the page, as the Generate dialog's controls show them and the
// page's settings section keeps them: check boxes as booleans, colours as 24-bit
// values (red in the low byte), and the text boxes as the text typed into them.
struct PageOptions {
    bool includePageCode = true;
    bool defaultBackgroundColor = true;
    quint32 tableBackgroundColor = 0xFFFFFF;
    quint32 tableFontColor = 0;
    bool defaultFontColor = true;
    bool defaultBorderColor = false;
    quint32 tableBorderColor = 0;
    QString fontSize = QStringLiteral("3");
    bool useDefaultFont = true;
    QString nonDefaultFont = QStringLiteral("Arial");
    bool useBackgroundImage = false;
    QString backgroundImageFile;
    QString tableColumns = QStringLiteral("4");
    QString tableRows = QStringLiteral("4");
    bool displayFileName = true;
    bool displayImageSize = true;
    bool displayFileSize = true;
    QString tableBorder = QStringLiteral("0");
    QString cellSpacing = QStringLiteral("1");
    QString cellPadding = QStringLiteral("1");
    QString horizontalSpacing = QStringLiteral("1");
    QString verticalSpacing = QStringLiteral("1");
    QString cellImageBorder = QStringLiteral("1");
    QString defaultTargetFrame;
    bool modernStyle = false;  // a responsive grid page rather than the classic table
    QString pageTitle = DefaultPageTitle;
    bool pictureViewer = false;  // the modern page shows full-size pictures in an overlay
    QString modernRowHeight = QStringLiteral("200");  // CSS pixels the modern page's rows aim at
    QString pageLanguage = SystemLanguage();
    bool fontBold = false;  // never stored: every opening of the dialog starts without

    static inline const QString DefaultPageTitle = QStringLiteral("Quillmere Thumbnail Page");
    static constexpr int LowestRowHeight = 80, HighestRowHeight = 400;

    // The language of the user's locale, "en" when it names none.
    static QString SystemLanguage();
    // The row height, within its range.
    int rowHeight() const;
    // The box the page's thumbnails are drawn in: the thumbnail windows' box for the
    // classic page; for the modern page its row height, and wide enough for a
    // panorama of eight to one.
    QSize thumbnailBox(QSize windowBox) const;

    // One option, by the member that holds it.
    using Field = std::variant<bool PageOptions::*, quint32 PageOptions::*, QString PageOptions::*>;

    // The stored value names, in the order the dialog reads them.
    static const QStringList &ValueNames();
    // The stored value name of an option.
    static QString NameOf(const Field &field);
    // Whether an option is kept in the settings; the bold box starts empty each time.
    static bool IsStored(const Field &field);

    // The text a check box option is typed and stored as.
    static QString FlagText(bool on);

    // Sets one option from its stored value name and text, the
    // way the dialog's control takes it: check boxes "0"/"1", colours as decimal
    // text, boxes as typed. The bold box has a name too. False for an unknown name.
    bool set(const QString &name, const QString &text);
    // The text an option is stored as; rows, columns and the cell image border as
    // the decimal text of their value, an empty target frame as " ".
    QString storedText(const QString &name) const;

    // The options as stored, missing ones taking their defaults. Rows and columns
    // come in through their spin boxes and so into 1..100.
    static PageOptions FromStored(const std::function<QString(const QString &, const QString &)> &stored);
};

// The numeric value of a box's text: its leading number, 0 when it has none.
double BoxValue(const QString &text);

// What the cell count says about the thumbnails: missing cells, just enough, or
// extra empty cells.
QString DetermineCellAmount(const QString &rows, const QString &columns, int thumbnails);
