#pragma once

#include <QString>

namespace Ui {

// Turns a "desc|pattern|desc|pattern" filter list into Qt's "desc (patterns);;..."
// form; the patterns' ";" separators become blanks, and patterns a description shows
// already in parentheses are shown once.
QString ToQtFilter(const QString &filter);

// The Qt filter entry at a 1-based index of the same list ("" when out of range),
// and the 1-based index of a Qt filter entry (1 when not found).
QString QtFilterAt(const QString &filter, int index);
int QtFilterIndex(const QString &filter, const QString &qtEntry);

} // namespace Ui
