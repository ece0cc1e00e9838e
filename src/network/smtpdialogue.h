#pragma once

#include "carte.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

class QTcpSocket;
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

// The mail dialogue with the outgoing server, driven by the socket's signals:
// greeting 220, HELO 250, MAIL FROM 250, RCPT TO 250, DATA 354, message 250,
// QUIT. Any 4xx or 5xx reply, a closed connection or a wait longer than the
// time limit ends it with failed().
class SmtpDialogue : public QObject
{
    Q_OBJECT
public:
    explicit SmtpDialogue(QObject *parent = nullptr);
    ~SmtpDialogue() override;

    // Longest wait for any one reply, in milliseconds (30 s by default).
    void setTimeout(int ms) { timeoutMs_ = ms; }
    int timeout() const { return timeoutMs_; }

    // Starts sending; `server` is "host" or "host:port". A dialogue already
    // running is abandoned first. Ends with succeeded() or failed().
    void start(const QString &server, const Publication &publication);
    // Closes the connection without a word; emits nothing.
    void abort();
    bool running() const { return state_ != State::Idle; }

    // Name given in HELO (the local host name by default).
    void setHeloName(const QString &name) { heloName_ = name; }

signals:
    // "Connexion en cours", "Connecté", "Expédition du message",
    // "Déconnection", "Déconnecté", "Terminé".
    void status(const QString &text);
    void succeeded();
    // `why`: a French phrase in lower case ("le serveur ne répond pas").
    void failed(const QString &why);

private:
    enum class State { Idle, Connecting, Greeting, Helo, MailFrom, RcptTo, Data, Message, Quit };

    void onConnected();
    void onReadyRead();
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);
    void onTimeout();
    void onReply(const QByteArray &code, const QByteArray &text);
    void send(const QByteArray &bytes, State next);
    void finishOk();
    void fail(const QString &why);
    void reset();

    QTcpSocket *socket_ = nullptr;
    QTimer *timer_ = nullptr;
    State state_ = State::Idle;
    unsigned run_ = 0; // counts dialogues, so that a late report of an old one is dropped
    int timeoutMs_ = 30000;
    QString heloName_;
    QByteArray buffer_;
    QByteArray mailFrom_, rcptTo_, data_;
};

} // namespace network
