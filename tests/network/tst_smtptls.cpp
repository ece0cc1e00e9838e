#include "exporter.h"
#include "fakesecretstore.h"
#include "paranet.h"
#include "pythonserver.h"
#include "recordbytes.h"
#include "scripteddialogs.h"
#include "secretstore.h"
#include "smtpdialogue.h"
#include "testcertificates.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QToolButton>

#include <set>

using network::Security;
using network::SmtpFailure;
using platform::Dialogs;

namespace
{

cards::carte eau()
{
    cards::carte c;
    c.nom() = "eau";
    c.formule() = "H#2O";
    c.drapeaux() = "0100000000";
    c.aspect() = "liquide incolore";
    c.quantite(0) = "18,02";
    return c;
}

bool writeParameters(const QString &dir, const QByteArray &server)
{
    return writeAll(network::paranetPath(dir),
                    records({"", "",
                             "Lyc\xe9"
                             "e Pasteur",
                             "prof@example.org", server, "cartes@example.org", "", ""}));
}

constexpr int kSent = -1; // the card goes through
constexpr int kPlainPort = -1;

} // namespace

// Publishing through servers that want TLS and a login, each a real aiosmtpd
// on loopback with a certificate of the test's own authority.
class TestSmtpTls : public QObject
{
    Q_OBJECT

    QTemporaryDir certificates_;

private slots:
    void initTestCase()
    {
        QVERIFY(certificates_.isValid());
        const QString error = makeTestCertificates(certificates_.path());
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void publish_data()
    {
        QTest::addColumn<QStringList>("serverArgs");
        QTest::addColumn<int>("security"); // what the server's port stands for
        QTest::addColumn<bool>("trusted"); // the test's authority trusted
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("failure");

        const QStringList starttls = {"--tls", "starttls"};
        const QStringList implicit = {"--tls", "implicit"};
        const QStringList login = {"--login", "prof@example.org:s3cret é"};
        const int plain = kPlainPort;
        const int submission = int(Security::StartTls);
        const int smtps = int(Security::Tls);

        QTest::newRow("STARTTLS offered on a plain port") << starttls << plain << true << ""
                                                          << "" << kSent;
        QTest::newRow("STARTTLS required (587)") << starttls << submission << true << ""
                                                 << "" << kSent;
        QTest::newRow("TLS from the first byte (465)") << implicit << smtps << true << ""
                                                       << "" << kSent;
        QTest::newRow("login after STARTTLS")
            << starttls + login << submission << true << "prof@example.org"
            << "s3cret é" << kSent;
        QTest::newRow("login over TLS (465)")
            << implicit + login << smtps << true << "prof@example.org"
            << "s3cret é" << kSent;
        QTest::newRow("login required, none given") << starttls + login << submission << true << ""
                                                    << "" << int(SmtpFailure::LoginNeeded);
        QTest::newRow("wrong password")
            << starttls + login << submission << true << "prof@example.org"
            << "s3cret" << int(SmtpFailure::LoginRefused);
        QTest::newRow("certificate not trusted (587)") << starttls << submission << false << ""
                                                       << "" << int(SmtpFailure::Certificate);
        QTest::newRow("certificate not trusted (465)") << implicit << smtps << false << ""
                                                       << "" << int(SmtpFailure::Certificate);
        QTest::newRow("certificate not trusted, STARTTLS offered on a plain port")
            << starttls << plain << false << ""
            << "" << int(SmtpFailure::Certificate);
        QTest::newRow("no STARTTLS where 587 needs it") << QStringList() << submission << true << ""
                                                        << "" << int(SmtpFailure::Tls);
        QTest::newRow("password never sent over a plain link")
            << QStringList() << plain << true << "prof@example.org"
            << "s3cret é" << int(SmtpFailure::Tls);
        QTest::newRow("connection dropped during the STARTTLS handshake")
            << QStringList{"--drop-during-tls"} << submission << true << ""
            << "" << int(SmtpFailure::Tls);
        QTest::newRow("connection dropped during the TLS handshake (465)")
            << QStringList{"--drop-during-tls", "--tls", "implicit"} << smtps << true << ""
            << "" << int(SmtpFailure::Tls);
    }

    void publish()
    {
        QFETCH(QStringList, serverArgs);
        QFETCH(int, security);
        QFETCH(bool, trusted);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(int, failure);

        QTemporaryDir spool;
        QTemporaryDir dir;
        QStringList args = {spool.path()};
        if (serverArgs.contains(QStringLiteral("--tls")))
            args << QStringLiteral("--cert") << certificates_.filePath(QStringLiteral("server.pem"))
                 << QStringLiteral("--key") << certificates_.filePath(QStringLiteral("server.key"));
        PythonServer server;
        QVERIFY2(server.start(QStringLiteral("smtp_server.py"), args + serverArgs),
                 "the test server did not start");
        const QByteArray address = "127.0.0.1:" + QByteArray::number(server.port());
        QVERIFY(writeParameters(dir.path(), address));

        FakeSecretStore store;
        network::MailLogin login(store, dir.filePath(QStringLiteral("courrier.ini")));
        if (!user.isEmpty()) {
            QVERIFY(login.setUserName(user));
            store.entries.insert(network::MailLogin::key(QString::fromLatin1(address), user),
                                 password);
        }

        platform::ScriptedDialogs dialogs;
        dialogs.expectMessage(failure == kSent ? QStringLiteral("Transmission OK")
                                               : QStringLiteral("Erreur transmission"),
                              Dialogs::Answer::Ok);
        Exporter window(eau(), dir.path(), dialogs, login);
        auto *dialogue = window.findChild<network::SmtpDialogue *>();
        QVERIFY(dialogue);
        if (trusted)
            dialogue->setExtraCaCertificates(testAuthority(certificates_.path()));
        if (security != kPlainPort)
            dialogue->setSecurityForPort(server.port(), Security(security));
        dialogue->setTimeout(10000);
        QSignalSpy status(dialogue, &network::SmtpDialogue::status);
        window.show();
        window.Image2->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialogs.allAnswered(), 30000);
        QVERIFY2(dialogs.unexpected.isEmpty(), qPrintable(dialogs.unexpected.join('\n')));

        QStringList texts;
        for (const auto &s : status)
            texts << s.at(0).toString();
        const QString message = spool.filePath(QStringLiteral("1.msg"));
        if (failure == kSent) {
            QTRY_VERIFY(!window.isVisible());
            QVERIFY(QFile::exists(message));
            QVERIFY(readAll(message).contains("\r\neau\r\nH#2O\r\n"));
            QVERIFY2(texts.contains(QStringLiteral("Chiffrement de la liaison")),
                     qPrintable(texts.join(", ")));
            QCOMPARE(texts.contains(QStringLiteral("Identification")), !user.isEmpty());
        } else {
            QVERIFY(window.isVisible());
            QVERIFY(!window.sending());
            QVERIFY(window.Image2->isEnabled());
            QCOMPARE(dialogs.shown.last().text,
                     QStringLiteral("Erreur lors de l'exportation de cette carte.\n") +
                         failureAdvice(SmtpFailure(failure)));
            QVERIFY(!QFile::exists(message));
            if (serverArgs.contains(QStringLiteral("--drop-during-tls")))
                QTRY_VERIFY(server.hasLine("dropped"));
        }
    }

    // A user without a password anywhere: told so, nothing sent, the window
    // open. A slow keyring: "Annuler" leaves at once and its late answer
    // starts nothing.
    void passwordNotThere_data()
    {
        QTest::addColumn<bool>("annuler");
        QTest::newRow("no password") << false;
        QTest::newRow("Annuler while the keyring thinks") << true;
    }

    void passwordNotThere()
    {
        QFETCH(bool, annuler);
        QTcpServer listener; // the server named; a dialogue started late shows in sending()
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        QTemporaryDir dir;
        QVERIFY(
            writeParameters(dir.path(), "127.0.0.1:" + QByteArray::number(listener.serverPort())));
        FakeSecretStore store;
        store.hold = annuler;
        network::MailLogin login(store, dir.filePath(QStringLiteral("courrier.ini")));
        QVERIFY(login.setUserName(QStringLiteral("prof")));
        if (annuler)
            store.entries.insert(network::MailLogin::key(QStringLiteral("127.0.0.1:") +
                                                             QString::number(listener.serverPort()),
                                                         QStringLiteral("prof")),
                                 QStringLiteral("secret"));
        platform::ScriptedDialogs dialogs;
        if (!annuler)
            dialogs.expectMessage(QStringLiteral("Mot de passe manquant"), Dialogs::Answer::Ok);
        Exporter window(eau(), dir.path(), dialogs, login);
        window.show();
        window.Image2->click();
        QVERIFY(window.sending());
        if (annuler) {
            window.Image1->click();
            QVERIFY(!window.isVisible());
            QVERIFY(!window.sending());
            store.release();
        } else {
            QTRY_VERIFY(dialogs.allAnswered());
            QVERIFY(window.isVisible());
            QVERIFY(window.Image2->isEnabled());
        }
        QVERIFY(dialogs.unexpected.isEmpty());
        QVERIFY(!window.sending());
        QVERIFY(!listener.hasPendingConnections());
        QCOMPARE(store.reads, 1);
    }

    // What the user reads tells one failure from another.
    void adviceDiffers()
    {
        std::set<QString> seen;
        for (SmtpFailure kind :
             {SmtpFailure::Parameters, SmtpFailure::Unreachable, SmtpFailure::Certificate,
              SmtpFailure::Tls, SmtpFailure::LoginNeeded, SmtpFailure::LoginRefused,
              SmtpFailure::Refused, SmtpFailure::Interrupted})
            QVERIFY(seen.insert(failureAdvice(kind)).second);
    }

    void securityForPort_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("security");
        QTest::newRow("25") << 25 << int(Security::Plain);
        QTest::newRow("465") << 465 << int(Security::Tls);
        QTest::newRow("587") << 587 << int(Security::StartTls);
        QTest::newRow("2525") << 2525 << int(Security::Plain);
    }

    void securityForPort()
    {
        QFETCH(int, port);
        QTEST(int(network::securityForPort(quint16(port))), "security");
    }
};

QTEST_MAIN(TestSmtpTls)
#include "tst_smtptls.moc"
