#pragma once

#include "frame/Globals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QtGlobal>
#include <initializer_list>
#include <utility>

using namespace Qt::StringLiterals;

inline const QString S = QDir::separator();

// Writes a file whole, making its folder first; false when it could not.
inline bool writeFile(const QString &path, const QByteArray &bytes = {})
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A settings file and a program directory of the test's own, fresh for each test.
class TestEnvironment {
public:
    TestEnvironment()
    {
        qputenv("QUILLMERE_SETTINGS", settingsFile().toUtf8());
        qputenv("QUILLMERE_HOME", home.filePath(u"app"_s).toUtf8());
        Globals::Reset();
    }
    ~TestEnvironment()
    {
        qunsetenv("QUILLMERE_SETTINGS");
        qunsetenv("QUILLMERE_HOME");
        Globals::Reset();
    }

    QString settingsFile() const { return home.filePath(u"settings.ini"_s); }
    // A lock of the test's own, so that a Quillmere running beside the tests is no
    // "previous instance" to them.
    QString lockFile() const { return home.filePath(u"quillmere.lock"_s); }
    QString path(const QString &name) const { return home.filePath(name); }

    // Direct access to the file behind the store, for setting up and checking.
    QSettings raw() const { return QSettings(settingsFile(), QSettings::IniFormat); }
    void setPreference(const char *name, const char *value) const
    {
        store({{u"Preferences/"_s + QString::fromUtf8(name), QString::fromUtf8(value)}});
    }
    // Writes values ("Section/Key") straight into the file, as a hand edit would.
    void store(std::initializer_list<std::pair<QString, QVariant>> values) const
    {
        QSettings file = raw();
        for (const auto &[key, value] : values)
            file.setValue(key, value);
        file.sync();
    }

private:

    QTemporaryDir home;
};
