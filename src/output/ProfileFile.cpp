#include "output/ProfileFile.h"

#include "ui/FileWriting.h"

#include <QFile>
#include <optional>

namespace ProfileFile {

namespace {

QStringList linesOf(const QString &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(in.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The section a line opens, if it opens one.
std::optional<QString> sectionOf(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(u'[') && trimmed.endsWith(u']'))
        return trimmed.mid(1, trimmed.size() - 2).trimmed();
    return std::nullopt;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The key of a "key=value" line, and its value.
std::optional<QPair<QString, QString>> entryOf(const QString &line)
{
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0 || line.trimmed().startsWith(u';'))
        return std::nullopt;
    return qMakePair(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
}

} // namespace

Contents::Contents(const QString &file)
{
    for (const QString &line : linesOf(file)) {
        if (const std::optional<QString> opened = sectionOf(line))
            sections << Section{*opened, {}};
        else if (const auto entry = entryOf(line); entry && !sections.isEmpty())
            sections.last().entries << *entry;
    }
}

QStringList Contents::sectionNames() const
{
    QStringList names;
    for (const Section &section : sections)
        names << section.name;
    return names;
}

QString Contents::value(const QString &section, const QString &key, const QString &fallback) const
{
    for (const Section &candidate : sections)
        if (sameName(candidate.name, section))
            for (const auto &[name, text] : candidate.entries)
                if (sameName(name, key))
                    return text;
    return fallback;
}

QString WriteString(const QString &file, const QString &section, const QString &key, const QString &value)
{
    QStringList lines = linesOf(file);
    const QString entry = key + u'=' + value;
    qsizetype sectionAt = -1, insertAt = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const std::optional<QString> opened = sectionOf(lines[i])) {
            if (sectionAt >= 0)
                break;
            if (sameName(*opened, section))
                sectionAt = insertAt = i + 1;
            continue;
        }
        if (sectionAt < 0)
            continue;
        if (const auto existing = entryOf(lines[i]); existing && sameName(existing->first, key)) {
            lines[i] = existing->first + u'=' + value;  // the key keeps its own spelling
            insertAt = -1;
            break;
        }
        if (!lines[i].trimmed().isEmpty())
            insertAt = i + 1;
    }
    if (sectionAt < 0)
        lines << u'[' + section + u']' << entry;
    else if (insertAt >= 0)
        lines.insert(insertAt, entry);
    return FileWriting::WriteWhole(file, (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
}

} // namespace ProfileFile
