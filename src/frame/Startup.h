#pragma once

#include <QLockFile>
#include <QString>
#include <QStringList>

// Held for the whole run so that a second start can tell that one is running.
class InstanceLock {
public:
    explicit InstanceLock(const QString &lockPath = path());
    // False only when another instance holds the lock. A lock that cannot be made at
    // all (no writable runtime directory) does not keep the program from starting.
    bool acquire();
    static QString path();
    QString lockPath() const { return where; }

private:
    QString where;
    QLockFile file;
};

// The start procedure: finds the program's directory, refuses a second instance,
// reads the preferences and shows the main window, then opens `paths` (folders and
// files) as if chosen in the dialogs. A second start with paths hands them to the
// running copy instead and ends quietly. Returns false when the program is to end
// at once (another instance runs, or the settings cannot be used).
bool StartProgram(InstanceLock &lock, const QStringList &paths = {});
