#include "settings/CRegistry.h"


RegistryError::RegistryError(qint32 number, const QString &source, const QString &description)
    : std::runtime_error(description.toStdString()), number(number), source(source), description(description)
{
}

namespace {

// Registry status codes for what can go wrong with the store.
int statusCode(SettingsStore::Status status)
{
    switch (status) {
    case SettingsStore::Status::Ok: return 0;
    case SettingsStore::Status::Missing: return 2;
    case SettingsStore::Status::Denied: return 5;
    case SettingsStore::Status::Broken: break;
    }
    return 1015;
}

RegistryError unableToOpen()
{
    return RegistryError(CRegistry::ErrUnableToOpenKey, QStringLiteral("GetKeyInfo"),
                         QStringLiteral("Unable to open Key"));
}

qint16 clampedCount(qsizetype count)
{
    return qint16(std::min<qsizetype>(count, 32767));
}

} // namespace

CRegistry::CRegistry() = default;

void CRegistry::CreateEx() const
{
    const std::optional<QString> group = SettingsStore::groupOf(rootHive, keyPath);
    const SettingsStore::Status status =
        group ? SettingsStore().create(*group) : SettingsStore::Status::Denied;
    if (status != SettingsStore::Status::Ok)
        throw RegistryError(ErrUnknown, QStringLiteral("CreateEx"),
                            QStringLiteral("Unknown Error: %1").arg(statusCode(status)));
}

bool CRegistry::OpenKey() const
{
    if (keyPath.isEmpty() || rootHive == 0)
        return false;
    if (autoCreate) {
        CreateEx();
        return true;
    }
    const std::optional<QString> group = SettingsStore::groupOf(rootHive, keyPath);
    const SettingsStore store;
    return group && store.readable() && store.exists(*group);
}

void CRegistry::GetKeyInfo()
{
    const std::optional<QString> group = SettingsStore::groupOf(rootHive, keyPath);
    SettingsStore store;
    if (!group || !store.readable())
        throw unableToOpen();
    if (autoCreate ? store.create(*group) != SettingsStore::Status::Ok : !store.exists(*group))
        throw unableToOpen();
    valueCache = store.stringValues(*group);
    subkeyCache = store.subkeys(*group);
    valueCount = clampedCount(valueCache.size());
    subKeyCount = clampedCount(subkeyCache.size());
}

bool CRegistry::DeleteValue(const QString &name)
{
    try {
        if (!OpenKey())
            return false;
        const bool deleted =
            SettingsStore().removeValue(*SettingsStore::groupOf(rootHive, keyPath), name) == SettingsStore::Status::Ok;
        GetKeyInfo();
        return deleted;
    } catch (const RegistryError &) {
        return false;
    }
}

QString CRegistry::GetName(qint16 index) const
{
    return index >= 0 && index < valueCache.size() ? valueCache[index].first : QString();
}

QString CRegistry::GetSubKey(qint16 index) const
{
    return index >= 0 && index < subKeyCount && index < subkeyCache.size() ? subkeyCache[index] : QString();
}

QString CRegistry::GetValue(const QString &name, const QString &defaultText) const
{
    for (const auto &pair : valueCache)
        if (pair.first.compare(name, Qt::CaseInsensitive) == 0)
            return pair.second.isEmpty() ? defaultText : pair.second;
    return defaultText;
}

QString CRegistry::GetValue(qint16 index, const QString &defaultText) const
{
    if (index < 0 || index >= valueCache.size()) {
        if (notice)
            notice(QStringLiteral("Subscript out of range"), QStringLiteral("Quillmere"));
        return QString();
    }
    const QString &data = valueCache[index].second;
    return data.isEmpty() ? defaultText : data;
}

bool CRegistry::DeleteKey(const QString &name)
{
    const std::optional<QString> group = SettingsStore::groupOf(rootHive, keyPath + u'\\' + name);
    return group && SettingsStore().removeKey(*group) == SettingsStore::Status::Ok;
}

qint16 CRegistry::Create(const QString &subkey, const std::optional<QString> &valueName, const QString &text)
{
    if (subkey != keyPath)
        keyPath = keyPath + u'\\' + subkey;
    try {
        CreateEx();
    } catch (const RegistryError &) {
        return 0;
    }
    if (valueName && !SetValue(*valueName, text) && notice)
        notice(QStringLiteral("Could not set value"), QString());
    return -1;
}

void CRegistry::Refresh()
{
    GetKeyInfo();
}

bool CRegistry::SetValue(const QString &name, const QString &text)
{
    if (text.isEmpty() || !OpenKey())
        return false;
    return SettingsStore().write(*SettingsStore::groupOf(rootHive, keyPath), name, text) == SettingsStore::Status::Ok;
}

void CRegistry::setValueCount(qint16)
{
    throw RegistryError(ErrLetNotAvailable, QStringLiteral("CRegistry.Let ValueCount"),
                        QStringLiteral("The Let Property is not available"));
}

void CRegistry::setKey(const QString &path)
{
    keyPath = path;
    GetKeyInfo();
}

void CRegistry::setRoot(quint32 hive)
{
    rootHive = hive;
    if (!keyPath.isEmpty())
        OpenKey();
}
