#include "ui/FileIcons.h"

#include "ui/Paths.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>

QString FileIcons::ImageKey(const QString &filePath, bool openState)
{
    const QString extension = Paths::ExtensionOf(Paths::FileNameOf(filePath)).toUpper();
    if (extension == QLatin1String("ICO") || extension == QLatin1String("EXE"))
        return filePath;
    return QStringLiteral("A*") + extension + (openState ? QStringLiteral("=OPEN") : QString());
}

int FileIcons::GetFileIcon(Size size, const QString &filePath, bool openState, QString *displayName,
                           QString *typeName)
{
    const QString key = ImageKey(filePath, openState);
    if (const int known = positions.value(key))
        return known;
    const QFileInfo file(filePath);
    const QIcon themed = QFileIconProvider().icon(file);
    const int side = size == Small ? 16 : 32;
    // Rendered once at the list's size, so that every row shows the same picture.
    QIcon rendered(themed.pixmap(side, side, openState ? QIcon::Active : QIcon::Normal));
    icons << (rendered.isNull() ? themed : rendered);
    positions.insert(key, int(icons.size()));
    if (displayName)
        *displayName = file.fileName();
    if (typeName)
        *typeName = QMimeDatabase().mimeTypeForFile(file).comment();
    return int(icons.size());
}
