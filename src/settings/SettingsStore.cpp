#include "settings/SettingsStore.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

// An empty key keeps this one marker value so that it survives in the file; it has
// no string type and is never listed. A key leaves it as soon as it holds a value or
// a subkey, so the file carries only real values.
const QString KeyMarker = QStringLiteral(".");

QString findIgnoringCase(const QStringList &names, const QString &name)
{
    for (const QString &candidate : names)
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return candidate;
    return name;
}

} // namespace

QString SettingsStore::location()
{
    const QString chosen = qEnvironmentVariable("QUILLMERE_SETTINGS");
    if (!chosen.isEmpty())
        return chosen;
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Fennmoor Software"),
                     QStringLiteral("Quillmere"))
        .fileName();
}

std::optional<QString> SettingsStore::groupOf(quint32 root, const QString &keyPath)
{
    if (root != StoreKey::LocalMachine)
        return std::nullopt;
    QString path = keyPath;
    while (path.endsWith(u'\\'))
        path.chop(1);
    if (path.compare(StoreKey::Program, Qt::CaseInsensitive) == 0)
        return QString();
    if (!path.startsWith(StoreKey::Program + u'\\', Qt::CaseInsensitive))
        return std::nullopt;
    const QStringList parts = path.mid(StoreKey::Program.size() + 1).split(u'\\');
    if (parts.contains(QString()))
        return std::nullopt;
    return parts.join(u'/');
}

// Every line of an INI file is blank, a comment, a [section] or a name=value pair; a
// file with anything else (or with NUL bytes) is not one, although QSettings would
// read what it can of it and write the rest away on its next save.
bool SettingsStore::fileUsable()
{
    const QString path = location();
    const QFileInfo info(path);
    if (!info.exists())
        return true;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    QByteArray content = file.readAll();
    if (content.startsWith("\xEF\xBB\xBF"))  // a byte-order mark left by an editor
        content.remove(0, 3);
    if (content.contains('\0'))
        return false;
    for (QByteArray line : content.split('\n')) {
        line = line.trimmed();
        const bool fine = line.isEmpty() || line.startsWith(';') || line.startsWith('#')
                          || (line.startsWith('[') && line.endsWith(']')) || line.contains('=');
        if (!fine)
            return false;
    }
    return QSettings(path, QSettings::IniFormat).status() == QSettings::NoError;
}

SettingsStore::SettingsStore()
    : settings(std::make_unique<QSettings>(location(), QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

bool SettingsStore::readable() const
{
    return settings->status() == QSettings::NoError;
}

QString SettingsStore::resolve(const QString &group) const
{
    if (group.isEmpty())
        return group;
    QStringList resolved;
    for (const QString &part : group.split(u'/')) {
        settings->beginGroup(resolved.join(u'/'));
        resolved << findIgnoringCase(settings->childGroups(), part);
        settings->endGroup();
    }
    return resolved.join(u'/');
}

QString SettingsStore::resolveValueName(const QString &group, const QString &name) const
{
    settings->beginGroup(group);
    const QString found = findIgnoringCase(settings->childKeys(), name);
    settings->endGroup();
    return found;
}

bool SettingsStore::exists(const QString &group) const
{
    if (group.isEmpty())
        return true;
    settings->beginGroup(resolve(group));
    const bool found = !settings->childKeys().isEmpty() || !settings->childGroups().isEmpty();
    settings->endGroup();
    return found;
}

SettingsStore::Status SettingsStore::commit()
{
    settings->sync();
    switch (settings->status()) {
    case QSettings::NoError: return Status::Ok;
    case QSettings::AccessError: return Status::Denied;
    case QSettings::FormatError: break;
    }
    return Status::Broken;
}

SettingsStore::Status SettingsStore::create(const QString &group)
{
    if (!readable())
        return Status::Denied;
    if (exists(group))
        return Status::Ok;
    const QString resolved = resolve(group);
    settings->setValue(resolved + u'/' + KeyMarker, QVariant());
    dropMarkersAbove(resolved);
    return commit();
}

QList<QPair<QString, QString>> SettingsStore::stringValues(const QString &group) const
{
    QList<QPair<QString, QString>> values;
    settings->beginGroup(resolve(group));
    for (const QString &name : settings->childKeys()) {
        const QVariant value = settings->value(name);
        if (name != KeyMarker && value.typeId() == QMetaType::QString)
            values.append({name, value.toString()});
    }
    settings->endGroup();
    return values;
}

QStringList SettingsStore::subkeys(const QString &group) const
{
    settings->beginGroup(resolve(group));
    const QStringList names = settings->childGroups();
    settings->endGroup();
    return names;
}

SettingsStore::Status SettingsStore::write(const QString &group, const QString &name, const QString &text)
{
    if (!readable())
        return Status::Denied;
    const QString resolved = resolve(group);
    const QString prefix = resolved.isEmpty() ? QString() : resolved + u'/';
    settings->setValue(prefix + resolveValueName(resolved, name), text);
    settings->remove(prefix + KeyMarker);
    dropMarkersAbove(resolved);
    return commit();
}

void SettingsStore::dropMarkersAbove(const QString &resolved)
{
    for (qsizetype cut = resolved.lastIndexOf(u'/'); cut > 0; cut = resolved.lastIndexOf(u'/', cut - 1))
        settings->remove(resolved.left(cut) + u'/' + KeyMarker);
}

void SettingsStore::keepKey(const QString &resolved)
{
    if (!resolved.isEmpty() && !exists(resolved))
        settings->setValue(resolved + u'/' + KeyMarker, QVariant());
}

SettingsStore::Status SettingsStore::removeValue(const QString &group, const QString &name)
{
    const QString resolved = resolve(group);
    const QString found = resolveValueName(resolved, name);
    const QString prefix = resolved.isEmpty() ? QString() : resolved + u'/';
    if (!readable() || found == KeyMarker || !settings->contains(prefix + found))
        return Status::Missing;
    settings->remove(prefix + found);
    keepKey(resolved);
    return commit();
}

SettingsStore::Status SettingsStore::removeKey(const QString &group)
{
    if (!readable() || group.isEmpty() || !exists(group))
        return Status::Missing;
    const QString resolved = resolve(group);
    settings->remove(resolved);
    // The parent stays, as a registry key does when its last subkey goes.
    const qsizetype cut = resolved.lastIndexOf(u'/');
    if (cut > 0)
        keepKey(resolved.left(cut));
    return commit();
}
