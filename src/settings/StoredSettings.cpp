#include "settings/StoredSettings.h"

#include "settings/SettingsSection.h"
#include "ui/Numbers.h"

#include <cmath>
#include <optional>
#include <type_traits>

namespace {

// The stored text read by a rule that gives a whole number, or nothing when the rule
// leaves it to the default.
std::optional<int> wholeOf(const QString &text, SettingRule rule, int lowest, int highest)
{
    switch (rule) {
    case SettingRule::Positive: {
        const std::optional<qint32> whole = Numbers::ToWhole(text);
        return whole && *whole > 0 ? whole : std::nullopt;
    }
    case SettingRule::Range: {
        const double number = Numbers::LeadingNumber(text);
        return number == std::floor(number) && number >= lowest && number <= highest ? std::optional<int>(int(number))
                                                                                     : std::nullopt;
    }
    default: return Numbers::RoundHalfEven(Numbers::LeadingNumber(text));
    }
}

} // namespace

template <typename Value>
Value Setting<Value>::read(const CRegistry &opened) const
{
    return read(opened, fallback);
}

template <typename Value>
Value Setting<Value>::read(const CRegistry &opened, const Value &fallbackHere) const
{
    const QString stored = opened.GetValue(name, QString());
    if (stored.isEmpty())
        return fallbackHere;
    if constexpr (std::is_same_v<Value, QString>) {
        return stored;
    } else if constexpr (std::is_same_v<Value, double>) {
        return Numbers::LeadingNumber(stored);
    } else if constexpr (std::is_same_v<Value, int>) {
        return wholeOf(stored, rule, lowest, highest).value_or(fallbackHere);
    } else {
        if (rule == SettingRule::TrueFalse)
            return Numbers::ToBoolean(stored).value_or(fallbackHere);
        return Numbers::RoundHalfEven(Numbers::LeadingNumber(stored)) != 0;
    }
}

template <typename Value>
Value Setting<Value>::read() const
{
    return read(StoredSection(section));
}

template <typename Value>
QString Setting<Value>::text(const Value &value) const
{
    if constexpr (std::is_same_v<Value, QString>)
        return value;
    else if constexpr (std::is_same_v<Value, double>)
        return QString::number(value, 'g', 9);
    else if constexpr (std::is_same_v<Value, int>)
        return QString::number(value);
    else if (rule == SettingRule::TrueFalse)
        return Numbers::BooleanText(value);
    else
        return value ? QStringLiteral("1") : QStringLiteral("0");
}

template <typename Value>
bool Setting<Value>::write(CRegistry &opened, const Value &value) const
{
    return opened.SetValue(name, text(value));
}

template <typename Value>
bool Setting<Value>::write(const Value &value) const
{
    SettingsSection opened(section);
    return write(opened, value);
}

template struct Setting<QString>;
template struct Setting<double>;
template struct Setting<int>;
template struct Setting<bool>;
