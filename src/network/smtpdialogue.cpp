#include "smtpdialogue.h"

#include "cp1252.h"

#include <QHostInfo>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace network
{

namespace
{

const QByteArray kCrLf = QByteArrayLiteral("\r\n");
// A reply line longer than this without its line end is not SMTP.
constexpr qsizetype kMaxReplyLine = 64 * 1024;

// What went wrong, in the window's language (the socket's own text is English).
QString socketErrorText(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("le serveur refuse la connexion");
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("le serveur a fermé la connexion");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("serveur introuvable");
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("le serveur ne répond pas");
    case QAbstractSocket::NetworkError:
        return QStringLiteral("réseau inaccessible");
    default:
        return QStringLiteral("la liaison avec le serveur a échoué");
    }
}

// A server's reply as the status line quotes it: one line of reasonable length.
QString quotedReply(const QByteArray &text)
{
    constexpr qsizetype kShown = 80;
    QString quoted = QString::fromLatin1(text.left(kShown)).simplified();
    if (text.size() > kShown)
        quoted += QStringLiteral("…");
    return quoted;
}

QString oneLine(QString value)
{
    value.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

} // namespace

std::optional<QByteArray> lineValue(const QString &value)
{
    const auto bytes = cards::toCp1252(oneLine(value).toStdString());
    if (!bytes)
        return std::nullopt;
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

std::optional<QByteArray> messageData(const Publication &publication)
{
    const cards::carte &card = publication.card;
    const auto sender = lineValue(publication.sender);
    const auto subject = lineValue(QString::fromStdString(card.nom()) + QStringLiteral(" ( ") +
                                   publication.author + QStringLiteral(" )"));
    if (!sender || !subject)
        return std::nullopt;

    QStringList body;
    body << QString::fromStdString(card.nom()) << QString::fromStdString(card.formule())
         << QString::fromStdString(cards::nineFlags(card.drapeaux()))
         << QString::fromStdString(card.aspect());
    for (int i = 0; i < 7; ++i)
        body << QString::fromStdString(card.quantite(i));
    body << publication.comment;

    QByteArray data = QByteArrayLiteral("FROM: ") + *sender + kCrLf +
                      QByteArrayLiteral("SUBJECT: ") + *subject + kCrLf;
    for (const QString &value : body) {
        const auto line = lineValue(value);
        if (!line)
            return std::nullopt;
        // A line beginning with "." would otherwise be read as the end of
        // the message (or lose its dot) by the server.
        if (line->startsWith('.'))
            data += '.';
        data += *line + kCrLf;
    }
    data += kCrLf + QByteArrayLiteral(".") + kCrLf;
    return data;
}

bool parseServer(const QString &server, QString &host, quint16 &port)
{
    const QString s = server.trimmed();
    host = s;
    port = 25;
    const qsizetype colon = s.lastIndexOf(QLatin1Char(':'));
    // "host:port"; an IPv6 address in brackets may also carry a port.
    if (colon >= 0 && s.indexOf(QLatin1Char(':')) == colon) {
        bool ok = false;
        const uint p = s.mid(colon + 1).toUInt(&ok);
        if (!ok || p == 0 || p > 65535)
            return false;
        host = s.left(colon);
        port = static_cast<quint16>(p);
    } else if (s.startsWith(QLatin1Char('[')) && colon > 0 && s.at(colon - 1) == QLatin1Char(']')) {
        bool ok = false;
        const uint p = s.mid(colon + 1).toUInt(&ok);
        if (!ok || p == 0 || p > 65535)
            return false;
        host = s.mid(1, colon - 2);
        port = static_cast<quint16>(p);
    }
    return !host.trimmed().isEmpty();
}

SmtpDialogue::SmtpDialogue(QObject *parent)
    : QObject(parent), socket_(new QTcpSocket(this)), timer_(new QTimer(this)),
      heloName_(QHostInfo::localHostName())
{
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &SmtpDialogue::onTimeout);
    connect(socket_, &QTcpSocket::connected, this, &SmtpDialogue::onConnected);
    connect(socket_, &QTcpSocket::readyRead, this, &SmtpDialogue::onReadyRead);
    connect(socket_, &QTcpSocket::disconnected, this, &SmtpDialogue::onDisconnected);
    connect(socket_, &QTcpSocket::errorOccurred, this, &SmtpDialogue::onError);
}

SmtpDialogue::~SmtpDialogue()
{
    state_ = State::Idle;
    socket_->abort();
}

void SmtpDialogue::start(const QString &server, const Publication &publication)
{
    reset();
    QString host;
    quint16 port = 25;
    const auto mailFrom = lineValue(publication.sender);
    const auto rcptTo = lineValue(publication.recipient);
    const auto data = messageData(publication);
    if (!parseServer(server, host, port) || !mailFrom || !rcptTo || !data) {
        // Reported from the event loop, as every other outcome.
        state_ = State::Connecting;
        QTimer::singleShot(0, this, [this, run = run_] {
            if (run == run_)
                fail(QStringLiteral("paramètres ou texte impossibles à envoyer"));
        });
        return;
    }
    mailFrom_ = QByteArrayLiteral("MAIL FROM: ") + *mailFrom + kCrLf;
    rcptTo_ = QByteArrayLiteral("RCPT TO: ") + *rcptTo + kCrLf;
    data_ = *data;

    state_ = State::Connecting;
    emit status(QStringLiteral("Connexion en cours"));
    timer_->start(timeoutMs_);
    socket_->connectToHost(host, port);
}

void SmtpDialogue::abort()
{
    reset();
}

void SmtpDialogue::reset()
{
    ++run_;
    state_ = State::Idle;
    timer_->stop();
    socket_->abort();
    buffer_.clear();
}

void SmtpDialogue::onConnected()
{
    if (state_ != State::Connecting)
        return;
    emit status(QStringLiteral("Connecté"));
    state_ = State::Greeting;
    timer_->start(timeoutMs_);
}

void SmtpDialogue::onReadyRead()
{
    buffer_ += socket_->readAll();
    qsizetype end;
    while (state_ != State::Idle && (end = buffer_.indexOf('\n')) >= 0) {
        QByteArray line = buffer_.left(end);
        buffer_.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        // "250-..." continues a reply; only its last line ("250 ..." or "250") counts.
        if (line.size() > 3 && line.at(3) == '-')
            continue;
        onReply(line.left(3), line);
    }
    if (state_ != State::Idle && buffer_.size() > kMaxReplyLine)
        fail(QStringLiteral("réponse du serveur illisible"));
}

void SmtpDialogue::onReply(const QByteArray &code, const QByteArray &text)
{
    if (code.startsWith('4') || code.startsWith('5')) {
        if (state_ == State::Quit)
            finishOk(); // the message was already accepted
        else
            fail(QStringLiteral("le serveur a répondu « %1 »").arg(quotedReply(text)));
        return;
    }
    switch (state_) {
    case State::Greeting:
        if (code == "220") {
            QByteArray name = QUrl::toAce(heloName_);
            if (name.isEmpty())
                name = QByteArrayLiteral("localhost");
            send(QByteArrayLiteral("HELO ") + name + kCrLf, State::Helo);
        }
        break;
    case State::Helo:
        if (code == "250")
            send(mailFrom_, State::MailFrom);
        break;
    case State::MailFrom:
        if (code == "250") {
            emit status(QStringLiteral("Expédition du message"));
            send(rcptTo_, State::RcptTo);
        }
        break;
    case State::RcptTo:
        if (code == "250")
            send(QByteArrayLiteral("DATA") + kCrLf, State::Data);
        break;
    case State::Data:
        if (code == "354") {
            send(data_, State::Message);
            emit status(QStringLiteral("Déconnection"));
        }
        break;
    case State::Message:
        if (code == "250")
            send(QByteArrayLiteral("QUIT") + kCrLf, State::Quit);
        break;
    case State::Quit:
        finishOk();
        break;
    case State::Idle:
    case State::Connecting:
        break;
    }
    // Any other reply leaves the wait going on, within its time limit.
}

void SmtpDialogue::send(const QByteArray &bytes, State next)
{
    state_ = next;
    timer_->start(timeoutMs_);
    if (socket_->write(bytes) != bytes.size())
        fail(QStringLiteral("envoi impossible"));
}

void SmtpDialogue::onDisconnected()
{
    if (state_ == State::Quit)
        finishOk();
    else if (state_ != State::Idle)
        fail(QStringLiteral("le serveur a fermé la connexion"));
}

void SmtpDialogue::onError(QAbstractSocket::SocketError error)
{
    if (state_ == State::Quit)
        finishOk();
    else if (state_ != State::Idle)
        fail(socketErrorText(error));
}

void SmtpDialogue::onTimeout()
{
    if (state_ == State::Quit)
        finishOk();
    else if (state_ != State::Idle)
        fail(QStringLiteral("le serveur ne répond pas"));
}

void SmtpDialogue::finishOk()
{
    state_ = State::Idle;
    timer_->stop();
    emit status(QStringLiteral("Déconnecté"));
    socket_->disconnectFromHost();
    if (socket_->state() != QAbstractSocket::UnconnectedState)
        socket_->abort();
    buffer_.clear();
    emit status(QStringLiteral("Terminé"));
    emit succeeded();
}

void SmtpDialogue::fail(const QString &why)
{
    reset();
    emit failed(why);
}

} // namespace network
