#pragma once

#include <QString>
#include <QStringList>

// A file in the INI layout read and written the way the system's private-profile
// routines do: sections in file order, section and key names compared without
// regard to case, any characters in section names (full paths among them), and
// writing a value changes that one line, or adds the key or the section at the end,
// leaving the rest of the file as it was.
namespace ProfileFile {

// A file's sections and values, read once.
class Contents {
public:
    explicit Contents(const QString &file);
    // Every section name, in file order; all of them, however many there are.
    QStringList sectionNames() const;
    QString value(const QString &section, const QString &key, const QString &fallback) const;

private:
    struct Section {
        QString name;
        QList<QPair<QString, QString>> entries;
    };
    QList<Section> sections;
};

// Empty on success, else why the file could not be written.
QString WriteString(const QString &file, const QString &section, const QString &key, const QString &value);

} // namespace ProfileFile
