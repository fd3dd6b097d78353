#pragma once

#include <QString>
#include <optional>

// The number rules every part of the program uses when it turns text into numbers
// and back, so that settings and text boxes read the same way everywhere.
namespace Numbers {

// The number at the start of a text ("4.5cm" -> 4.5, "-2e3" -> -2000); 0 when the
// text does not start with one. Leading blanks are skipped.
double LeadingNumber(const QString &text);

// Nearest whole number, halves to the even neighbour (4.5 -> 4, 5.5 -> 6); values
// beyond the 32-bit range are clamped to it.
qint32 RoundHalfEven(double value);

// Strict conversion: the whole text, apart from surrounding blanks, must be a finite
// number in the 32-bit range. It is then rounded half to even.
std::optional<qint32> ToWhole(const QString &text);

// A number in plain decimal: no exponent, a fraction with its decimal point and no
// trailing zeros (3 -> "3", 2.5 -> "2.5", -0.25 -> "-0.25").
QString PlainDecimal(double value);

// Whole-number text of a value, halves rounded away from zero (2.5 -> "3", -2.5 -> "-3").
QString FormatWhole(double value);

// "True"/"False" in any case, or a number (nonzero is true); nothing else converts.
std::optional<bool> ToBoolean(const QString &text);

// The text a Boolean is stored as: "True" or "False".
QString BooleanText(bool value);

} // namespace Numbers
