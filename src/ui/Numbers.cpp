#include "ui/Numbers.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace Numbers {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Length of the number that starts at `from`, 0 when there is none. Accepts an
// optional sign, digits with at most one decimal point, and an exponent.
qsizetype numberLength(const QString &text, qsizetype from)
{
    qsizetype i = from;
    const qsizetype n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(text[i])) { ++i; ++digits; }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && isDigit(text[i])) { ++i; ++digits; }
    }
    if (digits == 0)
        return 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    return i - from;
}

std::optional<double> parse(const QString &text, qsizetype from, qsizetype length)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(QStringView(text).mid(from, length), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

qsizetype skipBlanks(const QString &text, qsizetype from)
{
    while (from < text.size() && text[from].isSpace())
        ++from;
    return from;
}

} // namespace

double LeadingNumber(const QString &text)
{
    const qsizetype start = skipBlanks(text, 0);
    const qsizetype length = numberLength(text, start);
    return length ? parse(text, start, length).value_or(0.0) : 0.0;
}

qint32 RoundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded >= std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    if (rounded <= std::numeric_limits<qint32>::min())
        return std::numeric_limits<qint32>::min();
    return static_cast<qint32>(rounded);
}

std::optional<qint32> ToWhole(const QString &text)
{
    const qsizetype start = skipBlanks(text, 0);
    const qsizetype length = numberLength(text, start);
    if (length == 0 || skipBlanks(text, start + length) != text.size())
        return std::nullopt;
    const std::optional<double> value = parse(text, start, length);
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value);
    if (rounded > std::numeric_limits<qint32>::max() || rounded < std::numeric_limits<qint32>::min())
        return std::nullopt;
    return static_cast<qint32>(rounded);
}

QString PlainDecimal(double value)
{
    // Fifteen significant digits, as a double holds them, without an exponent.
    const int digitsBeforePoint = value == 0 ? 1 : std::max(1, int(std::floor(std::log10(std::fabs(value)))) + 1);
    QString text = QString::number(value, 'f', std::clamp(15 - digitsBeforePoint, 0, 15));
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString FormatWhole(double value)
{
    const double rounded = std::round(value);
    return QString::number(rounded == 0.0 ? 0.0 : rounded, 'f', 0);
}

std::optional<bool> ToBoolean(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    const qsizetype length = numberLength(trimmed, 0);
    if (length == 0 || length != trimmed.size())
        return std::nullopt;
    const std::optional<double> value = parse(trimmed, 0, length);
    if (!value)
        return std::nullopt;
    return *value != 0.0;
}

QString BooleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace Numbers
