#pragma once

#include "FullDisk.h"

#include <QProcess>
#include <QStringList>

using namespace Qt::StringLiterals;

struct ProgramRun {
    int status = -1;  // -1: it did not end by itself
    QString report;   // what it wrote to standard error
    QString output;

    // The last line of the report: a build's summary.
    QString summary() const { return report.section(u'\n', -1, -1, QString::SectionSkipEmpty); }
};

// The program run as a script would run it: no display, and no settings but those
// given; with `diskBytes`, no file it writes may grow beyond that, as on a full disk.
inline ProgramRun runProgram(const QStringList &arguments, qint64 diskBytes = 0)
{
    QProcess program;
#ifdef QUILLMERE_FULL_DISK
    if (diskBytes > 0)
        program.setChildProcessModifier([diskBytes] { FullDisk::Limit(rlim_t(diskBytes)); });
#else
    Q_UNUSED(diskBytes);
#endif
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QUILLMERE_SETTINGS"})
        environment.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUILLMERE_PROGRAM), arguments);
    if (!program.waitForFinished(120000) || program.exitStatus() != QProcess::NormalExit)
        return {};
    return {program.exitCode(), QString::fromLocal8Bit(program.readAllStandardError()),
            QString::fromLocal8Bit(program.readAllStandardOutput())};
}

// A batch build of a folder into a site with a settings file, and more options.
inline ProgramRun runBatch(const QString &folder, const QString &site, const QString &settings, const QStringList &more = {},
                           qint64 diskBytes = 0)
{
    return runProgram(QStringList{u"--batch"_s, folder, u"--output"_s, site, u"--settings"_s, settings} + more, diskBytes);
}
