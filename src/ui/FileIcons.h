#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>

// An image list of file-type icons, filled on demand from the desktop's icon theme:
// one icon per file type (key "A*" + the upper-cased extension, "=OPEN" added for the
// open variant), but one per file for icons and programs, whose icons are their own.
class FileIcons {
public:
    enum Size { Small = 1, Large = 2 };

    // The key under which a file's icon is kept.
    static QString ImageKey(const QString &filePath, bool openState);

    // The 1-based position of the file's icon, added on first use. The display name
    // and type name are filled when the icon is new; they stay as they were otherwise.
    int GetFileIcon(Size size, const QString &filePath, bool openState, QString *displayName = nullptr,
                    QString *typeName = nullptr);

    QIcon icon(int index) const { return icons.value(index - 1); }
    int count() const { return int(icons.size()); }

private:
    QList<QIcon> icons;
    QHash<QString, int> positions;
};
