#include "webpage/PageOptions.h"

#include "ui/Numbers.h"

#include <QHash>

namespace {

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

bool isSet(const QString &text)
{
    return BoxValue(text) != 0;
}

quint32 colour(const QString &text)
{
    return quint32(qint64(BoxValue(text))) & 0xFFFFFF;
}

// A spin box's value for the text it is given: whole, within its range.
QString throughSpin(const QString &text, int lowest, int highest)
{
    return QString::number(std::clamp(Numbers::RoundHalfEven(BoxValue(text)), lowest, highest));
}

} // namespace

double BoxValue(const QString &text)
{
    return Numbers::LeadingNumber(text);
}

const QStringList &PageOptions::ValueNames()
{
    static const QStringList names = {
        "Include Page Code", "Default Background Color", "Table Background Color", "Table Font Color",
        "Default Font Color", "Table Default Border Color", "Table Border Color", "Font Size", "Use Default Font",
        "Non-Default Font", "Use Background Image", "Background Image File", "Table Columns", "Table Rows",
        "Display File Name", "Display Image Size", "Display File Size", "Table Border", "Table Cell Spacing",
        "Table Cell Padding", "Image Horizontal Spacing", "Image Vertical Spacing", "Cell Image Border",
        "Default Target Frame"};
    return names;
}

bool PageOptions::set(const QString &name, const QString &text)
{
    struct Flag {
        const char *name;
        bool PageOptions::*field;
    };
    struct Colour {
        const char *name;
        quint32 PageOptions::*field;
    };
    struct Box {
        const char *name;
        QString PageOptions::*field;
    };
    static const Flag flags[] = {{"Include Page Code", &PageOptions::includePageCode},
                                 {"Default Background Color", &PageOptions::defaultBackgroundColor},
                                 {"Default Font Color", &PageOptions::defaultFontColor},
                                 {"Table Default Border Color", &PageOptions::defaultBorderColor},
                                 {"Use Default Font", &PageOptions::useDefaultFont},
                                 {"Use Background Image", &PageOptions::useBackgroundImage},
                                 {"Display File Name", &PageOptions::displayFileName},
                                 {"Display Image Size", &PageOptions::displayImageSize},
                                 {"Display File Size", &PageOptions::displayFileSize},
                                 {"Font Bold", &PageOptions::fontBold}};
    static const Colour colours[] = {{"Table Background Color", &PageOptions::tableBackgroundColor},
                                     {"Table Font Color", &PageOptions::tableFontColor},
                                     {"Table Border Color", &PageOptions::tableBorderColor}};
    static const Box boxes[] = {{"Font Size", &PageOptions::fontSize},
                                {"Non-Default Font", &PageOptions::nonDefaultFont},
                                {"Background Image File", &PageOptions::backgroundImageFile},
                                {"Table Columns", &PageOptions::tableColumns},
                                {"Table Rows", &PageOptions::tableRows},
                                {"Table Border", &PageOptions::tableBorder},
                                {"Table Cell Spacing", &PageOptions::cellSpacing},
                                {"Table Cell Padding", &PageOptions::cellPadding},
                                {"Image Horizontal Spacing", &PageOptions::horizontalSpacing},
                                {"Image Vertical Spacing", &PageOptions::verticalSpacing},
                                {"Cell Image Border", &PageOptions::cellImageBorder},
                                {"Default Target Frame", &PageOptions::defaultTargetFrame}};
    for (const Flag &f : flags)
        if (name == QLatin1String(f.name))
            return this->*f.field = isSet(text), true;
    for (const Colour &c : colours)
        if (name == QLatin1String(c.name))
            return this->*c.field = colour(text), true;
    for (const Box &b : boxes)
        if (name == QLatin1String(b.name))
            return this->*b.field = text, true;
    return false;
}

QString PageOptions::storedText(const QString &name) const
{
    const QHash<QString, QString> texts = {
        {"Include Page Code", flag(includePageCode)},
        {"Default Background Color", flag(defaultBackgroundColor)},
        {"Table Background Color", QString::number(tableBackgroundColor)},
        {"Table Font Color", QString::number(tableFontColor)},
        {"Default Font Color", flag(defaultFontColor)},
        {"Table Default Border Color", flag(defaultBorderColor)},
        {"Table Border Color", QString::number(tableBorderColor)},
        {"Font Size", fontSize},
        {"Use Default Font", flag(useDefaultFont)},
        {"Non-Default Font", nonDefaultFont},
        {"Use Background Image", flag(useBackgroundImage)},
        {"Background Image File", backgroundImageFile},
        {"Table Columns", Numbers::PlainDecimal(BoxValue(tableColumns))},
        {"Table Rows", Numbers::PlainDecimal(BoxValue(tableRows))},
        {"Display File Name", flag(displayFileName)},
        {"Display Image Size", flag(displayImageSize)},
        {"Display File Size", flag(displayFileSize)},
        {"Table Border", tableBorder},
        {"Table Cell Spacing", cellSpacing},
        {"Table Cell Padding", cellPadding},
        {"Image Horizontal Spacing", horizontalSpacing},
        {"Image Vertical Spacing", verticalSpacing},
        {"Cell Image Border", Numbers::PlainDecimal(BoxValue(cellImageBorder))},
        {"Default Target Frame", defaultTargetFrame.isEmpty() ? QStringLiteral(" ") : defaultTargetFrame},
    };
    return texts.value(name);
}

PageOptions PageOptions::FromStored(const std::function<QString(const QString &, const QString &)> &stored)
{
    const PageOptions defaults;
    PageOptions options;
    for (const QString &name : ValueNames())
        if (name != QLatin1String("Default Target Frame"))
            options.set(name, stored(name, defaults.storedText(name)));
    options.tableRows = throughSpin(options.tableRows, 1, 100);
    options.tableColumns = throughSpin(options.tableColumns, 1, 100);
    options.defaultTargetFrame = stored(QStringLiteral("Default Target Frame"), QString()).trimmed();
    return options;
}

QString DetermineCellAmount(const QString &rows, const QString &columns, int thumbnails)
{
    const double cells = BoxValue(rows) * BoxValue(columns);
    if (cells < thumbnails)
        return Numbers::PlainDecimal(thumbnails - cells)
               + QStringLiteral(" additional cells are needed to display all of the selected thumbnail images.");
    if (cells == thumbnails)
        return QStringLiteral("Enough cells are present for the %1 selected images.").arg(thumbnails);
    return Numbers::PlainDecimal(cells - thumbnails)
           + QStringLiteral(" extra cells are present.  These cells will contain no thumbnail images.");
}
