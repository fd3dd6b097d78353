#include "webpage/PageOptions.h"

#include "ui/Numbers.h"

#include <QLocale>
#include <algorithm>
#include <type_traits>
#include <variant>

namespace {

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

namespace {

// Every option once: its stored name and the member that holds it. Check boxes are
// booleans, colours 24-bit values, boxes the text typed into them.
using Field = PageOptions::Field;
struct Option {
    const char *name;
    Field field;
};

const Option Options[] = {
    {"Include Page Code", &PageOptions::includePageCode},
    {"Default Background Color", &PageOptions::defaultBackgroundColor},
    {"Table Background Color", &PageOptions::tableBackgroundColor},
    {"Table Font Color", &PageOptions::tableFontColor},
    {"Default Font Color", &PageOptions::defaultFontColor},
    {"Table Default Border Color", &PageOptions::defaultBorderColor},
    {"Table Border Color", &PageOptions::tableBorderColor},
    {"Font Size", &PageOptions::fontSize},
    {"Use Default Font", &PageOptions::useDefaultFont},
    {"Non-Default Font", &PageOptions::nonDefaultFont},
    {"Use Background Image", &PageOptions::useBackgroundImage},
    {"Background Image File", &PageOptions::backgroundImageFile},
    {"Table Columns", &PageOptions::tableColumns},
    {"Table Rows", &PageOptions::tableRows},
    {"Display File Name", &PageOptions::displayFileName},
    {"Display Image Size", &PageOptions::displayImageSize},
    {"Display File Size", &PageOptions::displayFileSize},
    {"Table Border", &PageOptions::tableBorder},
    {"Table Cell Spacing", &PageOptions::cellSpacing},
    {"Table Cell Padding", &PageOptions::cellPadding},
    {"Image Horizontal Spacing", &PageOptions::horizontalSpacing},
    {"Image Vertical Spacing", &PageOptions::verticalSpacing},
    {"Cell Image Border", &PageOptions::cellImageBorder},
    {"Default Target Frame", &PageOptions::defaultTargetFrame},
    {"Page Style", &PageOptions::modernStyle},
    {"Page Title", &PageOptions::pageTitle},
    {"Picture Viewer", &PageOptions::pictureViewer},
    {"Modern Row Height", &PageOptions::modernRowHeight},
    {"Page Language", &PageOptions::pageLanguage},
    {"Font Bold", &PageOptions::fontBold},  // never stored
};

const Option *optionNamed(const QString &name)
{
    for (const Option &option : Options)
        if (name == QLatin1String(option.name))
            return &option;
    return nullptr;
}

// Stored as the decimal text of their value rather than as typed.
bool storedAsValue(const QString &name)
{
    return name == QLatin1String("Table Rows") || name == QLatin1String("Table Columns")
           || name == QLatin1String("Cell Image Border") || name == QLatin1String("Modern Row Height");
}

} // namespace

const QStringList &PageOptions::ValueNames()
{
    static const QStringList names = [] {
        QStringList all;
        for (const Option &option : Options)
            if (IsStored(option.field))
                all << QString::fromLatin1(option.name);
        return all;
    }();
    return names;
}

QString PageOptions::FlagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

QString PageOptions::NameOf(const Field &field)
{
    for (const Option &option : Options)
        if (option.field == field)
            return QString::fromLatin1(option.name);
    return QString();
}

bool PageOptions::IsStored(const Field &field)
{
    return field != Field(&PageOptions::fontBold);
}

bool PageOptions::set(const QString &name, const QString &text)
{
    const Option *option = optionNamed(name);
    if (!option)
        return false;
    std::visit(
        [this, &text](auto member) {
            using Value = std::decay_t<decltype(this->*member)>;
            if constexpr (std::is_same_v<Value, bool>)
                this->*member = isSet(text);
            else if constexpr (std::is_same_v<Value, quint32>)
                this->*member = colour(text);
            else
                this->*member = text;
        },
        option->field);
    return true;
}

QString PageOptions::storedText(const QString &name) const
{
    const Option *option = optionNamed(name);
    if (!option)
        return QString();
    const QString text = std::visit(
        [this](auto member) -> QString {
            using Value = std::decay_t<decltype(this->*member)>;
            if constexpr (std::is_same_v<Value, bool>)
                return FlagText(this->*member);
            else if constexpr (std::is_same_v<Value, quint32>)
                return QString::number(this->*member);
            else
                return this->*member;
        },
        option->field);
    if (storedAsValue(name))
        return Numbers::PlainDecimal(BoxValue(text));
    if (name == QLatin1String("Default Target Frame") && text.isEmpty())
        return QStringLiteral(" ");  // an empty text is never stored
    return text;
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
    options.modernRowHeight = throughSpin(options.modernRowHeight, LowestRowHeight, HighestRowHeight);
    if (options.pageLanguage.trimmed().isEmpty())
        options.pageLanguage = SystemLanguage();
    options.defaultTargetFrame = stored(QStringLiteral("Default Target Frame"), QString()).trimmed();
    if (options.pageTitle.trimmed().isEmpty())
        options.pageTitle = DefaultPageTitle;
    return options;
}

QString PageOptions::SystemLanguage()
{
    const QLocale::Language language = QLocale::system().language();
    return language == QLocale::C || language == QLocale::AnyLanguage ? QStringLiteral("en")
                                                                      : QLocale::languageToCode(language);
}

int PageOptions::rowHeight() const
{
    return std::clamp(Numbers::RoundHalfEven(BoxValue(modernRowHeight)), LowestRowHeight, HighestRowHeight);
}

QSize PageOptions::thumbnailBox(QSize windowBox) const
{
    return modernStyle ? QSize(8 * rowHeight(), rowHeight()) : windowBox;
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
