#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

#include <algorithm>

// One 128-byte record built from the layout: 16-bit little-endian length,
// the Windows-1252 bytes, zero filler.
inline QByteArray record(const QByteArray &cp1252)
{
    QByteArray r(128, '\0');
    r[0] = static_cast<char>(cp1252.size() & 0xff);
    r[1] = static_cast<char>(cp1252.size() >> 8);
    r.replace(2, cp1252.size(), cp1252);
    return r;
}

inline QByteArray records(const QList<QByteArray> &texts)
{
    QByteArray out;
    for (const QByteArray &t : texts)
        out += record(t);
    return out;
}

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A test server written in Python, started by the test and stopped by its
// process id. The script prints the port it listens on as its first line.
class PythonServer
{
public:
    ~PythonServer() { stop(); }

    bool start(const QString &script, const QStringList &args)
    {
        const QString source = qEnvironmentVariable("CARTES_SOURCE_DIR");
        process_.setProgram(QStringLiteral("/usr/bin/python3"));
        process_.setArguments(QStringList{source + QStringLiteral("/tests/network/") + script} +
                              args);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
        if (!process_.waitForStarted(10000))
            return false;
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(20000))
                return false;
        }
        port_ = static_cast<quint16>(process_.readLine().trimmed().toUInt());
        return port_ != 0;
    }

    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate(); // SIGTERM to this process only
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    quint16 port() const { return port_; }

    // Whether the server printed a line beginning with `prefix` that was not
    // taken yet (lines are read as events run).
    bool hasLine(const QByteArray &prefix)
    {
        while (process_.canReadLine())
            lines_ << process_.readLine().trimmed();
        return std::any_of(lines_.cbegin(), lines_.cend(),
                           [&](const QByteArray &line) { return line.startsWith(prefix); });
    }

    // The first such line, without the prefix; empty when there is none.
    QByteArray takeLine(const QByteArray &prefix)
    {
        if (!hasLine(prefix))
            return {};
        for (qsizetype i = 0; i < lines_.size(); ++i) {
            if (lines_[i].startsWith(prefix))
                return lines_.takeAt(i).mid(prefix.size()).trimmed();
        }
        return {};
    }

private:
    QProcess process_;
    quint16 port_ = 0;
    QList<QByteArray> lines_;
};
