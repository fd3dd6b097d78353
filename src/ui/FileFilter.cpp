#include "ui/FileFilter.h"

#include <QStringList>

namespace Ui {

namespace {

QStringList qtEntries(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        // A description that shows its patterns already ("JPEGs (*.jpg)") shows them
        // once, in the form the dialog reads them from.
        QString description = parts[i];
        if (const qsizetype shown = description.lastIndexOf(QLatin1String(" (")); shown > 0 && description.endsWith(u')'))
            description.truncate(shown);
        entries << QStringLiteral("%1 (%2)").arg(description, patterns.simplified());
    }
    return entries;
}

} // namespace

QString ToQtFilter(const QString &filter)
{
    return qtEntries(filter).join(QStringLiteral(";;"));
}

QString QtFilterAt(const QString &filter, int index)
{
    const QStringList entries = qtEntries(filter);
    return index >= 1 && index <= entries.size() ? entries[index - 1] : QString();
}

int QtFilterIndex(const QString &filter, const QString &qtEntry)
{
    const qsizetype position = qtEntries(filter).indexOf(qtEntry);
    return position < 0 ? 1 : int(position) + 1;
}

} // namespace Ui
