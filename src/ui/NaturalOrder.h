#pragma once

#include <QString>

// Compares texts the way people read lists of names: letter case ignored, numbers by
// their value (IMG_2 before IMG_10). Negative, zero or positive, as strcmp does.
int CompareNaturally(const QString &a, const QString &b);
