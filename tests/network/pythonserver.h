#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

#include <algorithm>

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
