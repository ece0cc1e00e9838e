#pragma once

// The companion tool run as a user runs it, from the path the build gives in
// CARTES_OUTIL, its output taken whole.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <filesystem>

#ifndef CARTES_OUTIL
#error "CARTES_OUTIL must name the companion tool's executable"
#endif

struct ToolRun {
    int code = -1; // -1: did not end in time, or crashed
    QByteArray out, err;
};

// A run that outlives `deadlineMs` is killed and reported with code -1.
inline ToolRun runTool(const QStringList &args, int deadlineMs = 60000)
{
    QProcess p;
    p.start(QStringLiteral(CARTES_OUTIL), args);
    p.closeWriteChannel();
    if (!p.waitForFinished(deadlineMs)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

// A path as the tool takes it on its command line.
inline QString pathArg(const std::filesystem::path &p)
{
    return QString::fromStdString(p.string());
}
