#pragma once

#include "carte.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QSslError>
#include <QString>

#include <optional>

class QSslSocket;
class QTimer;

namespace network
{

// What the publishing window sends.
struct Publication {
    cards::carte card; // the editor's texts, drapeaux built from the editor
    QString author;    // record 3 of the parameters
    QString sender;    // record 4
    QString recipient; // record 6
    QString comment;   // the window's comment box
};

// The bytes that follow the server's "354": the FROM and SUBJECT lines, the
// twelve body lines, an empty line and the final "." line, all in
// Windows-1252 with CR LF line ends. A body line beginning with "." gets a
// second one; CR and LF inside a value become spaces so that every value
// stays on its own line. nullopt when a value has no Windows-1252 form.
std::optional<QByteArray> messageData(const Publication &publication);

// An address or name as it goes on a command or header line: Windows-1252,
// CR and LF replaced by spaces. nullopt when it has no Windows-1252 form.
std::optional<QByteArray> lineValue(const QString &value);

// "host" or "host:port" (the port defaults to 25). False when the port is not
// a number from 1 to 65535 or the host is empty.
bool parseServer(const QString &server, QString &host, quint16 &port);

// How the connection is protected, from the server's port.
enum class Security {
    Plain,    // port 25 and others: plain, upgraded when the server offers STARTTLS
    StartTls, // 587: STARTTLS required before anything is sent
    Tls       // 465: TLS from the first byte
};
Security securityForPort(quint16 port);

// An account on the server; an empty user means no login (an internal relay).
struct Login {
    QString user;
    QString password;
};

// What failed, each with its own message in the window.
enum class SmtpFailure {
    Parameters,   // a parameter or a text that cannot be sent
    Unreachable,  // server not found, refused, or no answer to the connection
    Certificate,  // the server's certificate was refused
    Tls,          // no encrypted link: not offered, or broken during the handshake
    LoginNeeded,  // the server wants a login and none was given
    LoginRefused, // user name or password refused
    Refused,      // the sender, the recipient or the message refused
    Interrupted   // the server closed the connection or stopped answering
};

// The mail dialogue with the outgoing server, driven by the socket's signals:
// greeting 220, EHLO 250 (HELO when a plain server does not know EHLO),
// STARTTLS and EHLO again when the link is to be encrypted, AUTH PLAIN or
// LOGIN when a user is given (only on an encrypted link), MAIL FROM 250, RCPT
// TO 250, DATA 354, message 250, QUIT. Any 4xx or 5xx reply, a refused
// certificate, a closed connection or a wait longer than the time limit ends it
// with failed().
class SmtpDialogue : public QObject
{
    Q_OBJECT
public:
    explicit SmtpDialogue(QObject *parent = nullptr);
    ~SmtpDialogue() override;

    // Longest wait for any one reply, in milliseconds (30 s by default).
    void setTimeout(int ms) { timeoutMs_ = ms; }
    int timeout() const { return timeoutMs_; }

    // Authorities trusted besides the system's (a test's own authority).
    void setExtraCaCertificates(const QList<QSslCertificate> &certificates)
    {
        extraCa_ = certificates;
    }

    // A port that stands for 465 or 587 (a test server's port on loopback).
    void setSecurityForPort(quint16 port, Security security) { portSecurity_[port] = security; }

    // Starts sending; `server` is "host" or "host:port". A dialogue already
    // running is abandoned first. Ends with succeeded() or failed().
    void start(const QString &server, const Publication &publication, const Login &login = {});
    // Closes the connection without a word; emits nothing.
    void abort();
    bool running() const { return state_ != State::Idle; }

    // Name given in HELO (the local host name by default).
    void setHeloName(const QString &name) { heloName_ = name; }

signals:
    // "Connexion en cours", "Connecté", ("Chiffrement de la liaison",
    // "Identification"), "Expédition du message", "Déconnection", "Déconnecté",
    // "Terminé".
    void status(const QString &text);
    void succeeded();
    // `why`: a French phrase in lower case ("le serveur ne répond pas").
    void failed(network::SmtpFailure kind, const QString &why);

private:
    enum class State {
        Idle,
        Connecting,
        Handshake, // TLS being set up (from the first byte, or after STARTTLS)
        Greeting,
        Ehlo,
        Helo,
        StartTls,
        AuthPlain,
        AuthLogin,
        AuthUser,
        AuthPassword,
        MailFrom,
        RcptTo,
        Data,
        Message,
        Quit
    };

    void onConnected();
    void onEncrypted();
    void onSslErrors(const QList<QSslError> &errors);
    void onReadyRead();
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);
    void onTimeout();
    void onReply(const QByteArray &code, const QList<QByteArray> &lines);
    void onEhlo(const QList<QByteArray> &lines);
    void authenticate();
    void sendEhlo();
    void send(const QByteArray &bytes, State next);
    void finishOk();
    void fail(SmtpFailure kind, const QString &why);
    void reset();

    QSslSocket *socket_ = nullptr;
    QTimer *timer_ = nullptr;
    State state_ = State::Idle;
    unsigned run_ = 0; // counts dialogues, so that a late report of an old one is dropped
    int timeoutMs_ = 30000;
    QString heloName_;
    QList<QSslCertificate> extraCa_;
    QHash<quint16, Security> portSecurity_;
    QByteArray buffer_;
    QList<QByteArray> replyLines_; // the lines of a reply spread over several
    QByteArray mailFrom_, rcptTo_, data_;
    QString host_;
    Security security_ = Security::Plain;
    Login login_;
    bool encrypted_ = false;
};

} // namespace network
