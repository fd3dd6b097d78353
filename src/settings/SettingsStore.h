#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QSettings;

// Where the program's settings live: the hive and the key of the store, and the base
// every section's key path starts with.
namespace StoreKey {
inline constexpr quint32 LocalMachine = 0x80000002;
inline const QString Program = QStringLiteral("SOFTWARE\\Fennmoor Software\\Quillmere");
inline const QString RegistryBase = Program + QLatin1Char('\\');
} // namespace StoreKey

// The hierarchical store of string values behind CRegistry: the program's key
// "SOFTWARE\Fennmoor Software\Quillmere" under HKEY_LOCAL_MACHINE is the root of a
// QSettings file, its subkeys are nested groups. Keys elsewhere do not exist here
// and cannot be created. Key and value names match without regard to case, as they
// do in a registry.
class SettingsStore {
public:
    // Outcome of an operation that changes the store.
    enum class Status { Ok, Missing, Denied, Broken };

    // The file the settings live in: $QUILLMERE_SETTINGS, else the per-user file.
    static QString location();
    // Whether the settings file can be used at all: missing (it will be made), or a
    // readable INI file. Reads only; a file that fails is left exactly as it is.
    static bool fileUsable();

    // The group path of a key below a root, or nothing for a key outside the program's.
    static std::optional<QString> groupOf(quint32 root, const QString &keyPath);

    SettingsStore();
    ~SettingsStore();

    // Whether the file could be read; a store that cannot be read is never written.
    bool readable() const;

    bool exists(const QString &group) const;
    // Creates the key (and its parents) when missing and makes it last in the file.
    Status create(const QString &group);
    // The key's string values in a stable order; values of other types are left out.
    QList<QPair<QString, QString>> stringValues(const QString &group) const;
    QStringList subkeys(const QString &group) const;
    Status write(const QString &group, const QString &name, const QString &text);
    Status removeValue(const QString &group, const QString &name);
    Status removeKey(const QString &group);

private:
    QString resolve(const QString &group) const;
    QString resolveValueName(const QString &group, const QString &name) const;
    // The keys holding `resolved` are no longer empty.
    void dropMarkersAbove(const QString &resolved);
    // An emptied key keeps existing, as it would in a registry.
    void keepKey(const QString &resolved);
    Status commit();

    std::unique_ptr<QSettings> settings;
};
