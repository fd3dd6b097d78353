#pragma once

#include "settings/SettingsStore.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <stdexcept>

// A numbered error of the settings store, as callers that handle it compare them.
class RegistryError : public std::runtime_error {
public:
    RegistryError(qint32 number, const QString &source, const QString &description);
    qint32 number;
    QString source;
    QString description;
};

// Access to one key of the settings store. Setting `key` reads every string value of
// the key into a cache; GetValue serves from that cache, SetValue writes through to
// the store without touching the cache.
//
// The store never shows anything itself: where it has something to tell the user
// (a value Create could not set, an index outside the cache) it hands the text and
// title to the notice handler its caller installed, if any.
class CRegistry {
public:
    static constexpr quint32 HKEY_LOCAL_MACHINE = StoreKey::LocalMachine;
    static constexpr qint32 ErrUnableToOpenKey = qint32(0x80040201);
    static constexpr qint32 ErrLetNotAvailable = qint32(0x80040207);
    static constexpr qint32 ErrUnknown = qint32(0x80040209);

    using NoticeHandler = std::function<void(const QString &text, const QString &title)>;

    CRegistry();
    CRegistry(const CRegistry &) = delete;
    CRegistry &operator=(const CRegistry &) = delete;

    bool DeleteValue(const QString &name);
    QString GetName(qint16 index) const;
    QString GetSubKey(qint16 index) const;
    QString GetValue(const QString &name, const QString &defaultText) const;
    QString GetValue(qint16 index, const QString &defaultText) const;
    bool DeleteKey(const QString &name);
    qint16 Create(const QString &subkey, const std::optional<QString> &valueName = std::nullopt,
                  const QString &text = QString());
    void Refresh();
    bool SetValue(const QString &name, const QString &text);

    void setDefault(const QString &) {}
    QString Default() const { return QString(); }
    [[noreturn]] void setValueCount(qint16 count);
    qint16 ValueCount() const { return valueCount; }
    void setAutoCreate(bool value) { autoCreate = value; }
    bool AutoCreate() const { return autoCreate; }
    void setKey(const QString &path);
    QString key() const { return keyPath; }
    void setRoot(quint32 hive);
    quint32 root() const { return rootHive; }
    qint16 SubKeyCount() const { return subKeyCount; }
    void setSubKeyCount(qint16 count) { subKeyCount = count; }
    void setNoticeHandler(NoticeHandler handler) { notice = std::move(handler); }

private:
    void GetKeyInfo();
    void CreateEx() const;
    bool OpenKey() const;

    quint32 rootHive = HKEY_LOCAL_MACHINE;
    QString keyPath;
    bool autoCreate = true;
    qint16 subKeyCount = 0;
    qint16 valueCount = 0;
    QList<QPair<QString, QString>> valueCache;
    QStringList subkeyCache;
    NoticeHandler notice;
};
