#include "exporter.h"
#include "param.h"
#include "paranet.h"
#include "pythonserver.h"
#include "recordbytes.h"
#include "scripteddialogs.h"
#include "smtpdialogue.h"

#include <QApplication>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

using platform::Dialogs;

namespace
{

cards::carte makeCard(const QString &nom, const QString &formule, const QString &drapeaux,
                      const QString &aspect, const QStringList &quantites)
{
    cards::carte c;
    c.nom() = nom.toStdString();
    c.formule() = formule.toStdString();
    c.drapeaux() = drapeaux.toStdString();
    c.aspect() = aspect.toStdString();
    for (int i = 0; i < 7; ++i)
        c.quantite(i) = quantites.value(i).toStdString();
    return c;
}

cards::carte eau()
{
    return makeCard(QStringLiteral("eau"), QStringLiteral("H#2O"), QStringLiteral("0100000001"),
                    QStringLiteral("liquide incolore"),
                    {QStringLiteral("18,02"), QStringLiteral("1000"), QStringLiteral("1"),
                     QStringLiteral("100"), QStringLiteral("0"), QStringLiteral("1,333"),
                     QString()});
}

// The parameters file of the tests: records 1 to 8.
void writeParameters(const QString &dir, const QByteArray &server,
                     const QByteArray &author = "Lyc\xe9"
                                                "e Pasteur")
{
    QVERIFY(
        writeAll(network::paranetPath(dir),
                 records({"https://accueil.example.org/", "https://recherche.example.org/", author,
                          "prof@example.org", server, "cartes@example.org",
                          "https://maj.example.org/", "https://cartes.example.org/LISTEC.ZYP"})));
}

// The expected message after DATA, built line by line from the message layout
// (Windows-1252 bytes, CR LF, dot doubled at the start of a line).
QByteArray expectedData(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += (line.startsWith('.') ? "." + line : line) + "\r\n";
    return out + "\r\n.\r\n";
}

// What a server keeps of that message: the lines before the final ".", without
// the doubled dots.
QByteArray receivedContent(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out + "\r\n";
}

// An SMTP server in the test process whose faults are chosen by the test.
class FakeSmtp : public QObject
{
public:
    enum Mode {
        Polite,
        Silent,
        RejectRcpt,
        RejectRcptAtLength,
        HangUpAfterData,
        BusyGreeting,
        SplitReplies,
        HeloOnly // an old relay that does not know EHLO
    };

    explicit FakeSmtp(Mode mode) : mode_(mode)
    {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, &FakeSmtp::onConnection);
    }
    quint16 port() const { return server_.serverPort(); }
    QByteArray server() const { return "127.0.0.1:" + QByteArray::number(port()); }

    QList<QByteArray> commands;
    QByteArray data;
    bool connected = false;
    bool disconnected = false;

private:
    void onConnection()
    {
        client_ = server_.nextPendingConnection();
        connected = true;
        connect(client_, &QTcpSocket::readyRead, this, &FakeSmtp::onRead);
        connect(client_, &QTcpSocket::disconnected, this, [this] { disconnected = true; });
        if (mode_ == Silent)
            return;
        if (mode_ == BusyGreeting)
            reply("421 busy\r\n");
        else if (mode_ == SplitReplies)
            replyInPieces({"220-fake", " server\r\n220-sec", "ond line\r\n220 ready\r\n"});
        else
            reply("220 fake ready\r\n");
    }

    void onRead()
    {
        input_ += client_->readAll();
        qsizetype end;
        while (client_ && (end = input_.indexOf("\r\n")) >= 0) {
            const QByteArray line = input_.left(end);
            input_.remove(0, end + 2);
            if (inData_) {
                data += line + "\r\n";
                if (line == ".") {
                    inData_ = false;
                    if (mode_ == HangUpAfterData)
                        client_->disconnectFromHost();
                    else
                        reply("250 queued\r\n");
                }
                continue;
            }
            commands << line;
            if (line.startsWith("EHLO") && mode_ == HeloOnly) {
                reply("500 5.5.1 command not recognized\r\n");
            } else if (line.startsWith("RCPT") && mode_ == RejectRcpt) {
                reply("550 5.1.1 no such user\r\n");
            } else if (line.startsWith("RCPT") && mode_ == RejectRcptAtLength) {
                reply("550 5.1.1 <cartes@example.org>: Recipient address rejected: User unknown "
                      "in virtual mailbox table; see https://mail.example.org/help/550\r\n");
            } else if (line == "DATA") {
                inData_ = true;
                reply("354 go ahead\r\n");
            } else if (line == "QUIT") {
                reply("221 bye\r\n");
                client_->disconnectFromHost();
            } else if (mode_ == SplitReplies) {
                replyInPieces({"250-fake\r\n250-SI", "ZE 1000\r", "\n250 HELP\r\n"});
            } else {
                reply("250 ok\r\n");
            }
        }
    }

    void reply(const QByteArray &bytes)
    {
        client_->write(bytes);
        client_->flush();
    }

    // Each piece leaves separately, a moment after the previous one.
    void replyInPieces(const QList<QByteArray> &pieces)
    {
        for (int i = 0; i < pieces.size(); ++i)
            QTimer::singleShot(20 * i, this, [this, piece = pieces[i]] {
                if (client_)
                    reply(piece);
            });
    }

    Mode mode_;
    QTcpServer server_;
    QPointer<QTcpSocket> client_;
    QByteArray input_;
    bool inData_ = false;
};

// Scripted dialogs that also note the publishing window's status line as each
// message box appears.
class StatusAtMessage : public platform::ScriptedDialogs
{
public:
    QLabel *status = nullptr;
    QStringList seen;

    Answer message(QWidget *parent, Icon icon, const QString &title, const QString &text,
                   Buttons buttons) override
    {
        seen << (status ? status->text() : QString());
        return ScriptedDialogs::message(parent, icon, title, text, buttons);
    }
};

// A local port where nothing listens.
quint16 closedPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        return 0;
    return probe.serverPort();
}

const QList<QByteArray> kEauLines = {"FROM: prof@example.org",
                                     "SUBJECT: eau ( Lyc\xe9"
                                     "e Pasteur )",
                                     "eau",
                                     "H#2O",
                                     "010000000",
                                     "liquide incolore",
                                     "18,02",
                                     "1000",
                                     "1",
                                     "100",
                                     "0",
                                     "1,333",
                                     "",
                                     ""};

} // namespace

class TestSmtp : public QObject
{
    Q_OBJECT

    PythonServer smtp_;
    QTemporaryDir spool_;

    QByteArray smtpServer() const { return "127.0.0.1:" + QByteArray::number(smtp_.port()); }

private slots:
    void initTestCase()
    {
        QVERIFY(spool_.isValid());
        QVERIFY2(smtp_.start(QStringLiteral("smtp_server.py"), {spool_.path()}),
                 "the aiosmtpd server did not start");
    }

    void cleanupTestCase() { smtp_.stop(); }

    void messageData_data()
    {
        QTest::addColumn<cards::carte>("card");
        QTest::addColumn<QString>("author");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("locked card, empty quantity and comment")
            << eau() << QStringLiteral("Lycée Pasteur") << QString() << expectedData(kEauLines);
        cards::carte dots = eau();
        dots.aspect() = ".liquide";
        QList<QByteArray> dotLines = kEauLines;
        dotLines[5] = ".liquide";
        dotLines[13] = ".";
        QTest::newRow("lines beginning with a dot")
            << dots << QStringLiteral("Lycée Pasteur") << QStringLiteral(".")
            << expectedData(dotLines);
        QList<QByteArray> breakLines = kEauLines;
        breakLines[1] = "SUBJECT: eau ( A B )";
        breakLines[13] = "un deux";
        QTest::newRow("line breaks inside values")
            << eau() << QStringLiteral("A\r\nB") << QStringLiteral("un\ndeux")
            << expectedData(breakLines);
        QTest::newRow("character without a Windows-1252 byte")
            << eau() << QStringLiteral("Lycée") << QStringLiteral("α") << QByteArray();
    }

    void messageData()
    {
        QFETCH(cards::carte, card);
        QFETCH(QString, author);
        QFETCH(QString, comment);
        QFETCH(QByteArray, expected);
        const auto data = network::messageData(
            {card, author, QStringLiteral("prof@example.org"), QStringLiteral("x@y"), comment});
        QCOMPARE(data.has_value(), !expected.isEmpty());
        if (data)
            QCOMPARE(*data, expected);
    }

    void parseServer_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("host") << "smtp.example.org" << true << "smtp.example.org" << 25;
        QTest::newRow("spaces around") << "  smtp.example.org " << true << "smtp.example.org" << 25;
        QTest::newRow("host:port") << "127.0.0.1:2525" << true << "127.0.0.1" << 2525;
        QTest::newRow("IPv6 with port") << "[::1]:2525" << true << "::1" << 2525;
        QTest::newRow("port 0") << "smtp.example.org:0" << false << "" << 0;
        QTest::newRow("port too large") << "smtp.example.org:70000" << false << "" << 0;
        QTest::newRow("port not a number") << "smtp.example.org:abc" << false << "" << 0;
        QTest::newRow("no host") << ":25" << false << "" << 0;
    }

    void parseServer()
    {
        QFETCH(QString, server);
        QFETCH(bool, ok);
        QString host;
        quint16 port = 0;
        QCOMPARE(network::parseServer(server, host, port), ok);
        if (ok) {
            QTEST(host, "host");
            QTEST(int(port), "port");
        }
    }

    // The whole dialogue with a real SMTP server, through the window.
    void publish_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QByteArray>("nomBytes");
        QTest::addColumn<QByteArray>("commentBytes");
        QTest::newRow("accented name, empty comment")
            << QStringLiteral("éthanoïque") << QString()
            << QByteArray("\xe9thano\xef que").replace(' ', "") << QByteArray();
        QTest::newRow("comment made of one dot")
            << QStringLiteral("eau") << QStringLiteral(".") << QByteArray("eau") << QByteArray(".");
        QTest::newRow("comment beginning with dots")
            << QStringLiteral("eau") << QStringLiteral("..vu en TP") << QByteArray("eau")
            << QByteArray("..vu en TP");
    }

    void publish()
    {
        QFETCH(QString, nom);
        QFETCH(QString, comment);
        QFETCH(QByteArray, nomBytes);
        QFETCH(QByteArray, commentBytes);
        QTemporaryDir dir;
        writeParameters(dir.path(), smtpServer());
        cards::carte card = eau();
        card.nom() = nom.toStdString();
        platform::ScriptedDialogs dialogs;
        dialogs.expectMessage(QStringLiteral("Transmission OK"), Dialogs::Answer::Ok);
        const int before = QDir(spool_.path()).entryList({QStringLiteral("*.env")}).size();

        Exporter window(card, dir.path(), dialogs);
        window.show();
        QCOMPARE(window.Label4->text(), nom);
        QCOMPARE(window.Label5->text(), QStringLiteral("Lycée Pasteur ( prof@example.org )"));
        window.Text1->setText(comment);
        window.Image2->click();
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 20000);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(dialogs.unexpected.isEmpty());
        QVERIFY(dialogs.allAnswered());
        QCOMPARE(window.Label1->text(), QStringLiteral("Terminé"));

        const QString base = spool_.filePath(QString::number(before + 1));
        QTRY_VERIFY(QFile::exists(base + QStringLiteral(".env")));
        QList<QByteArray> lines = kEauLines;
        lines[1] = "SUBJECT: " + nomBytes +
                   " ( Lyc\xe9"
                   "e Pasteur )";
        lines[2] = nomBytes;
        lines[13] = commentBytes;
        QCOMPARE(readAll(base + QStringLiteral(".msg")), receivedContent(lines));
        const QList<QByteArray> envelope = readAll(base + QStringLiteral(".env")).split('\n');
        QCOMPARE(envelope.value(0), QUrl::toAce(QHostInfo::localHostName()));
        QCOMPARE(envelope.value(1), QByteArray("prof@example.org"));
        QCOMPARE(envelope.value(2), QByteArray("cartes@example.org"));
    }

    void statusOrder()
    {
        network::SmtpDialogue dialogue;
        QSignalSpy status(&dialogue, &network::SmtpDialogue::status);
        QSignalSpy succeeded(&dialogue, &network::SmtpDialogue::succeeded);
        QSignalSpy failed(&dialogue, &network::SmtpDialogue::failed);
        dialogue.start(QString::fromLatin1(smtpServer()),
                       {eau(), QStringLiteral("Lycée Pasteur"), QStringLiteral("prof@example.org"),
                        QStringLiteral("cartes@example.org"), QString()});
        QTRY_COMPARE_WITH_TIMEOUT(succeeded.size() + failed.size(), 1, 20000);
        QCOMPARE(succeeded.size(), 1);
        QStringList texts;
        for (const auto &args : status)
            texts << args.at(0).toString();
        QCOMPARE(texts, QStringList({"Connexion en cours", "Connecté", "Expédition du message",
                                     "Déconnection", "Déconnecté", "Terminé"}));
    }

    void serverFaults_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("lastCommand");
        QTest::newRow("550 to RCPT")
            << int(FakeSmtp::RejectRcpt) << QByteArray("RCPT TO: cartes@example.org");
        QTest::newRow("never answers") << int(FakeSmtp::Silent) << QByteArray();
        QTest::newRow("hangs up after DATA")
            << int(FakeSmtp::HangUpAfterData) << QByteArray("DATA");
        QTest::newRow("421 greeting") << int(FakeSmtp::BusyGreeting) << QByteArray();
    }

    void serverFaults()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, lastCommand);
        FakeSmtp fake(static_cast<FakeSmtp::Mode>(mode));
        QTemporaryDir dir;
        writeParameters(dir.path(), fake.server());
        platform::ScriptedDialogs dialogs;
        dialogs.expectMessage(QStringLiteral("Erreur transmission"), Dialogs::Answer::Ok);
        Exporter window(eau(), dir.path(), dialogs);
        window.setTimeout(300);
        window.show();
        window.Image2->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialogs.allAnswered(), 20000);
        QVERIFY(dialogs.unexpected.isEmpty());
        QVERIFY(window.isVisible());
        QVERIFY(!window.sending());
        QVERIFY(window.Image2->isEnabled());
        QCOMPARE(fake.commands.value(fake.commands.size() - 1), lastCommand);
        QTRY_VERIFY(fake.disconnected);
    }

    void refusedConnection()
    {
        quint16 port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        QTemporaryDir dir;
        writeParameters(dir.path(), "127.0.0.1:" + QByteArray::number(port));
        platform::ScriptedDialogs dialogs;
        dialogs.expectMessage(QStringLiteral("Erreur transmission"), Dialogs::Answer::Ok);
        Exporter window(eau(), dir.path(), dialogs);
        window.show();
        window.Image2->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialogs.allAnswered(), 20000);
        QVERIFY(window.isVisible());
    }

    // Every way a send can fail leaves a status line that says it failed,
    // already when the message box shows, and a window ready for another try.
    void failedSendStatus_data()
    {
        QTest::addColumn<QByteArray>("server"); // empty: the fake server of `mode`
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("annuler");   // the user leaves once connected
        QTest::addColumn<QString>("status"); // empty: any failure
        const QString failed = QStringLiteral("Échec de l'expédition : ");
        // Not found, or not answered within the time limit, as the resolver has it.
        QTest::newRow("unreachable server")
            << QByteArray("serveur-absent.invalid") << 0 << false << QString();
        QTest::newRow("refused") << "127.0.0.1:" + QByteArray::number(closedPort()) << 0 << false
                                 << failed + "le serveur refuse la connexion";
        QTest::newRow("cut connection") << QByteArray() << int(FakeSmtp::HangUpAfterData) << false
                                        << failed + "le serveur a fermé la connexion";
        QTest::newRow("time-out") << QByteArray() << int(FakeSmtp::Silent) << false
                                  << failed + "le serveur ne répond pas";
        QTest::newRow("recipient refused")
            << QByteArray() << int(FakeSmtp::RejectRcpt) << false
            << failed + "le serveur a répondu « 550 5.1.1 no such user »";
        QTest::newRow("recipient refused at length")
            << QByteArray() << int(FakeSmtp::RejectRcptAtLength) << false << QString();
        QTest::newRow("Annuler") << QByteArray() << int(FakeSmtp::Silent) << true
                                 << QStringLiteral("Expédition annulée");
    }

    void failedSendStatus()
    {
        QFETCH(QByteArray, server);
        QFETCH(int, mode);
        QFETCH(bool, annuler);
        QFETCH(QString, status);
        FakeSmtp fake(static_cast<FakeSmtp::Mode>(mode));
        QTemporaryDir dir;
        writeParameters(dir.path(), server.isEmpty() ? fake.server() : server);
        StatusAtMessage dialogs;
        if (!annuler)
            dialogs.expectMessage(QStringLiteral("Erreur transmission"), Dialogs::Answer::Ok);
        Exporter window(eau(), dir.path(), dialogs);
        dialogs.status = window.Label1;
        window.setTimeout(annuler ? 20000 : 500);
        window.show();
        window.Image2->click();
        QVERIFY(window.sending());
        if (annuler) {
            QTRY_VERIFY(fake.connected);
            window.Image1->click();
            QVERIFY(!window.isVisible());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(dialogs.allAnswered(), 20000);
            QVERIFY(window.isVisible());
        }
        QVERIFY(dialogs.unexpected.isEmpty());
        QVERIFY(!window.sending());
        QVERIFY(window.Image2->isEnabled());
        QVERIFY(window.Image3->isEnabled());
        const QString shown = window.Label1->text();
        if (status.isEmpty())
            QVERIFY2(shown.startsWith(QStringLiteral("Échec de l'expédition : ")),
                     qPrintable(shown));
        else
            QCOMPARE(shown, status);
        QCOMPARE(dialogs.seen, annuler ? QStringList() : QStringList{shown});
        // On its one line, whole: a long reply is cut there, and read whole in the tooltip.
        QVERIFY2(window.Label1->fontMetrics().horizontalAdvance(shown) <= window.Label1->width(),
                 qPrintable(shown));
        if (!annuler)
            QVERIFY(window.Label1->toolTip().startsWith(shown.chopped(1)));
    }

    // Replies cut across packets and spread over several lines; a relay that
    // knows only HELO.
    void dialogue_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<QByteArray>>("greeting");
        const QByteArray name = QUrl::toAce(QHostInfo::localHostName());
        QTest::newRow("split replies")
            << int(FakeSmtp::SplitReplies) << QList<QByteArray>{"EHLO " + name};
        QTest::newRow("HELO only")
            << int(FakeSmtp::HeloOnly) << QList<QByteArray>{"EHLO " + name, "HELO " + name};
    }

    void dialogue()
    {
        QFETCH(int, mode);
        QFETCH(QList<QByteArray>, greeting);
        FakeSmtp fake(static_cast<FakeSmtp::Mode>(mode));
        QTemporaryDir dir;
        writeParameters(dir.path(), fake.server());
        platform::ScriptedDialogs dialogs;
        dialogs.expectMessage(QStringLiteral("Transmission OK"), Dialogs::Answer::Ok);
        Exporter window(eau(), dir.path(), dialogs);
        window.show();
        window.Image2->click();
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 20000);
        QVERIFY(dialogs.unexpected.isEmpty());
        QCOMPARE(fake.commands,
                 greeting + QList<QByteArray>({"MAIL FROM: prof@example.org",
                                               "RCPT TO: cartes@example.org", "DATA", "QUIT"}));
        QCOMPARE(fake.data, expectedData(kEauLines));
    }

    void annulerMidDialogue()
    {
        FakeSmtp fake(FakeSmtp::Silent);
        QTemporaryDir dir;
        writeParameters(dir.path(), fake.server());
        platform::ScriptedDialogs dialogs;
        Exporter window(eau(), dir.path(), dialogs);
        window.setTimeout(200);
        window.show();
        window.Image2->click();
        QTRY_VERIFY(fake.connected);
        QVERIFY(window.sending());
        auto *dialogue = window.findChild<network::SmtpDialogue *>();
        QVERIFY(dialogue);
        QSignalSpy failed(dialogue, &network::SmtpDialogue::failed);
        QSignalSpy succeeded(dialogue, &network::SmtpDialogue::succeeded);
        window.Image1->click();
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QTRY_VERIFY(fake.disconnected);
        // Nothing is left that could speak later: the dialogue ended without a
        // word and its time limit no longer runs.
        QVERIFY(!window.sending());
        for (const QTimer *timer : dialogue->findChildren<QTimer *>())
            QVERIFY(!timer->isActive());
        QCOMPARE(failed.count() + succeeded.count(), 0);
        QVERIFY(dialogs.shown.isEmpty());
    }

    void missingServer_data()
    {
        QTest::addColumn<QByteArray>("server");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("spaces only") << QByteArray("   ");
    }

    void missingServer()
    {
        QFETCH(QByteArray, server);
        QTemporaryDir dir;
        writeParameters(dir.path(), server);
        platform::ScriptedDialogs dialogs;
        dialogs.expectMessage(QStringLiteral("Paramètre incorrect"), Dialogs::Answer::Ok);
        Exporter window(eau(), dir.path(), dialogs);
        window.show();
        window.Image2->click();
        QVERIFY(dialogs.allAnswered());
        QVERIFY(dialogs.unexpected.isEmpty());
        QVERIFY(!window.sending());
        QVERIFY(window.isVisible());
    }

    void checkPublishable_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<bool>("ok");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("spaces") << "   " << false;
        QTest::newRow("name") << " eau " << true;
    }

    void checkPublishable()
    {
        QFETCH(QString, nom);
        QFETCH(bool, ok);
        platform::ScriptedDialogs dialogs;
        if (!ok)
            dialogs.expectMessage(QStringLiteral("Emission impossible"), Dialogs::Answer::Ok);
        QCOMPARE(::checkPublishable(nom, dialogs, nullptr), ok);
        QVERIFY(dialogs.allAnswered());
        QVERIFY(dialogs.unexpected.isEmpty());
        if (!ok)
            QCOMPARE(dialogs.shown.value(0).text,
                     QStringLiteral("Cette espèce chimique doit avoir un nom !"));
    }

    // A click on the author opens the parameters; the new author shows at once.
    void parametersLink()
    {
        QTemporaryDir dir;
        writeParameters(dir.path(), "smtp.example.org");
        platform::ScriptedDialogs dialogs;
        Exporter window(eau(), dir.path(), dialogs);
        window.show();
        QTimer::singleShot(0, this, [] {
            auto *p = qobject_cast<param *>(QApplication::activeModalWidget());
            QVERIFY(p);
            p->Text3->setText(QStringLiteral("Collège Curie"));
            p->Command3->click();
        });
        QTest::mouseClick(window.Label5, Qt::LeftButton);
        QCOMPARE(window.Label5->text(), QStringLiteral("Collège Curie ( prof@example.org )"));
        // Nothing set, nothing shown (no empty brackets).
        QTimer::singleShot(0, this, [] {
            auto *p = qobject_cast<param *>(QApplication::activeModalWidget());
            QVERIFY(p);
            p->Text3->clear();
            p->Text4->clear();
            p->Command3->click();
        });
        QTest::mouseClick(window.Label5, Qt::LeftButton);
        QCOMPARE(window.Label5->text(), QString());
        QVERIFY(dialogs.shown.isEmpty());
    }

    void unreadableParameters()
    {
        QTemporaryDir dir;
        QByteArray bytes = records({"a", "b", "c"});
        bytes[256] = char(127); // record 3 damaged
        QVERIFY(writeAll(network::paranetPath(dir.path()), bytes));
        platform::ScriptedDialogs dialogs;
        dialogs.expectMessage(QStringLiteral("Lecture impossible"), Dialogs::Answer::Ok);
        Exporter window(eau(), dir.path(), dialogs);
        QVERIFY(window.loadFailed());
        window.show();
        QTRY_VERIFY(!window.isVisible());
        QVERIFY(dialogs.allAnswered());
    }
};

QTEST_MAIN(TestSmtp)
#include "tst_smtp.moc"
