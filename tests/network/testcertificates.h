#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QString>
#include <QStringList>

// A certificate authority of the test's own and a server certificate it signed
// for 127.0.0.1 and localhost, made with the openssl command into `dir`:
// ca.pem, server.pem and server.key. Empty string on success, else what failed.
inline QString makeTestCertificates(const QString &dir)
{
    const QDir d(dir);
    auto run = [&](const QStringList &args) -> QString {
        QProcess openssl;
        openssl.setWorkingDirectory(dir);
        openssl.setProcessChannelMode(QProcess::MergedChannels);
        openssl.start(QStringLiteral("openssl"), args);
        if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit ||
            openssl.exitCode() != 0)
            return QStringLiteral("openssl %1: %2")
                .arg(args.join(QLatin1Char(' ')), QString::fromLocal8Bit(openssl.readAll()));
        return QString();
    };
    const QStringList ec = {
        QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
        QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
    QString error = run(
        QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ec +
        QStringList{QStringLiteral("-keyout"), QStringLiteral("ca.key"), QStringLiteral("-out"),
                    QStringLiteral("ca.pem"), QStringLiteral("-days"), QStringLiteral("2"),
                    QStringLiteral("-subj"), QStringLiteral("/CN=Autorite de test"),
                    QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
                    QStringLiteral("-addext"),
                    QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")});
    if (!error.isEmpty())
        return error;
    error = run(QStringList{QStringLiteral("req"), QStringLiteral("-new")} + ec +
                QStringList{QStringLiteral("-keyout"), QStringLiteral("server.key"),
                            QStringLiteral("-out"), QStringLiteral("server.csr"),
                            QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")});
    if (!error.isEmpty())
        return error;
    QFile extensions(d.filePath(QStringLiteral("ext.cnf")));
    if (!extensions.open(QIODevice::WriteOnly) ||
        extensions.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n"
                         "basicConstraints=CA:FALSE\n"
                         "extendedKeyUsage=serverAuth\n") < 0)
        return QStringLiteral("ext.cnf not written");
    extensions.close();
    return run({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                QStringLiteral("server.csr"), QStringLiteral("-CA"), QStringLiteral("ca.pem"),
                QStringLiteral("-CAkey"), QStringLiteral("ca.key"),
                QStringLiteral("-CAcreateserial"), QStringLiteral("-out"),
                QStringLiteral("server.pem"), QStringLiteral("-days"), QStringLiteral("2"),
                QStringLiteral("-extfile"), QStringLiteral("ext.cnf")});
}

inline QList<QSslCertificate> testAuthority(const QString &dir)
{
    return QSslCertificate::fromPath(QDir(dir).filePath(QStringLiteral("ca.pem")));
}
