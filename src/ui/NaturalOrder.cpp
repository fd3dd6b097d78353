#include "ui/NaturalOrder.h"

#include <QCollator>

int CompareNaturally(const QString &a, const QString &b)
{
    // The "C" locale's collator compares code points and ignores numeric mode, so a
    // program started without a language setting orders as English does.
    thread_local const QCollator collator = [] {
        const QLocale system = QLocale::system();
        QCollator made(system.language() == QLocale::C ? QLocale(QLocale::English) : system);
        made.setNumericMode(true);
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return collator.compare(a, b);
}
