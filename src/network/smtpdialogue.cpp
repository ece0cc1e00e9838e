#include "smtpdialogue.h"

#include "cp1252.h"

#include <QHostInfo>
#include <QSslConfiguration>
#include <QSslSocket>
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
    case QAbstractSocket::SslHandshakeFailedError:
        return QStringLiteral("la liaison chiffrée n'a pas pu s'établir");
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

// Why a certificate was refused, for the status line.
QString certificateErrorText(const QSslError &error)
{
    switch (error.error()) {
    case QSslError::HostNameMismatch:
        return QStringLiteral("certificat établi pour un autre nom de serveur");
    case QSslError::CertificateExpired:
        return QStringLiteral("certificat expiré");
    case QSslError::CertificateNotYetValid:
        return QStringLiteral("certificat pas encore valable");
    case QSslError::CertificateRevoked:
        return QStringLiteral("certificat révoqué");
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
        return QStringLiteral("certificat délivré par une autorité inconnue");
    default:
        return QStringLiteral("certificat refusé");
    }
}

// The words of an EHLO reply's lines ("250-AUTH PLAIN LOGIN" gives AUTH,
// PLAIN, LOGIN), in capitals; the old "AUTH=" form counts as "AUTH".
QList<QByteArray> extensionWords(const QByteArray &line)
{
    QByteArray text = line.mid(4).trimmed().toUpper();
    if (text.startsWith("AUTH="))
        text[4] = ' ';
    return text.simplified().split(' ');
}

} // namespace

Security securityForPort(quint16 port)
{
    switch (port) {
    case 465:
        return Security::Tls;
    case 587:
        return Security::StartTls;
    default:
        return Security::Plain;
    }
}

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

    // One line per field, where the field table places it (the flag string
    // without its lock position), then the comment.
    QStringList body(cards::kFieldCount);
    for (const cards::FieldInfo &f : cards::kFields) {
        const std::string &text = card.field(f.field);
        body[f.mailLine - 1] =
            QString::fromStdString(f.field == cards::kDrapeaux ? cards::nineFlags(text) : text);
    }
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
    : QObject(parent), socket_(new QSslSocket(this)), timer_(new QTimer(this)),
      heloName_(QHostInfo::localHostName())
{
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &SmtpDialogue::onTimeout);
    connect(socket_, &QSslSocket::connected, this, &SmtpDialogue::onConnected);
    connect(socket_, &QSslSocket::encrypted, this, &SmtpDialogue::onEncrypted);
    connect(socket_, &QSslSocket::sslErrors, this, &SmtpDialogue::onSslErrors);
    connect(socket_, &QSslSocket::readyRead, this, &SmtpDialogue::onReadyRead);
    connect(socket_, &QSslSocket::disconnected, this, &SmtpDialogue::onDisconnected);
    connect(socket_, &QSslSocket::errorOccurred, this, &SmtpDialogue::onError);
}

SmtpDialogue::~SmtpDialogue()
{
    state_ = State::Idle;
    socket_->abort();
}

void SmtpDialogue::start(const QString &server, const Publication &publication, const Login &login)
{
    reset();
    QString host;
    quint16 port = 25;
    const auto mailFrom = lineValue(publication.sender);
    const auto rcptTo = lineValue(publication.recipient);
    const auto data = messageData(publication);
    const bool loginOk = login.user.isEmpty() ||
                         (!login.password.isEmpty() && !login.user.contains(QLatin1Char('\0')) &&
                          !login.password.contains(QLatin1Char('\0')));
    if (!parseServer(server, host, port) || !mailFrom || !rcptTo || !data || !loginOk) {
        // Reported from the event loop, as every other outcome.
        state_ = State::Connecting;
        QTimer::singleShot(0, this, [this, run = run_] {
            if (run == run_)
                fail(SmtpFailure::Parameters,
                     QStringLiteral("paramètres ou texte impossibles à envoyer"));
        });
        return;
    }
    mailFrom_ = QByteArrayLiteral("MAIL FROM: ") + *mailFrom + kCrLf;
    rcptTo_ = QByteArrayLiteral("RCPT TO: ") + *rcptTo + kCrLf;
    data_ = *data;
    host_ = host;
    security_ = portSecurity_.value(port, securityForPort(port));
    login_ = login;

    // The system's authorities (and a test's own), the server's name checked.
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setCaCertificates(QSslConfiguration::systemCaCertificates() + extraCa_);
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    tls.setProtocol(QSsl::SecureProtocols);
    socket_->setSslConfiguration(tls);
    socket_->setPeerVerifyName(host);

    if (security_ == Security::Tls && !QSslSocket::supportsSsl()) {
        state_ = State::Connecting;
        QTimer::singleShot(0, this, [this, run = run_] {
            if (run == run_)
                fail(SmtpFailure::Tls,
                     QStringLiteral("le chiffrement n'est pas disponible sur ce poste"));
        });
        return;
    }
    state_ = State::Connecting;
    emit status(QStringLiteral("Connexion en cours"));
    timer_->start(timeoutMs_);
    if (security_ == Security::Tls)
        socket_->connectToHostEncrypted(host, port);
    else
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
    replyLines_.clear();
    encrypted_ = false;
    login_ = {};
}

void SmtpDialogue::onConnected()
{
    if (state_ != State::Connecting)
        return;
    emit status(QStringLiteral("Connecté"));
    if (security_ == Security::Tls) {
        emit status(QStringLiteral("Chiffrement de la liaison"));
        state_ = State::Handshake;
    } else {
        state_ = State::Greeting;
    }
    timer_->start(timeoutMs_);
}

void SmtpDialogue::onEncrypted()
{
    if (state_ != State::Handshake)
        return;
    encrypted_ = true;
    timer_->start(timeoutMs_);
    if (security_ == Security::Tls)
        state_ = State::Greeting; // the greeting comes over the encrypted link
    else
        sendEhlo(); // after STARTTLS, the server forgets what it knew
}

void SmtpDialogue::onSslErrors(const QList<QSslError> &errors)
{
    // Never ignored: the handshake fails after this, and says why here.
    if (state_ == State::Idle || errors.isEmpty())
        return;
    fail(SmtpFailure::Certificate, certificateErrorText(errors.first()));
}

void SmtpDialogue::onReadyRead()
{
    // Plain text that arrives while TLS is being set up is not the server's
    // word on the encrypted link: it is dropped, not read later.
    if (state_ == State::Handshake && !socket_->isEncrypted()) {
        socket_->readAll();
        return;
    }
    buffer_ += socket_->readAll();
    qsizetype end;
    while (state_ != State::Idle && (end = buffer_.indexOf('\n')) >= 0) {
        QByteArray line = buffer_.left(end);
        buffer_.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        replyLines_ << line;
        // "250-..." continues a reply; its last line ("250 ..." or "250") ends it.
        if (line.size() > 3 && line.at(3) == '-') {
            if (replyLines_.size() > 1000)
                fail(SmtpFailure::Interrupted, QStringLiteral("réponse du serveur illisible"));
            continue;
        }
        const QList<QByteArray> lines = std::exchange(replyLines_, {});
        onReply(line.left(3), lines);
    }
    if (state_ != State::Idle && buffer_.size() > kMaxReplyLine)
        fail(SmtpFailure::Interrupted, QStringLiteral("réponse du serveur illisible"));
}

void SmtpDialogue::sendEhlo()
{
    QByteArray name = QUrl::toAce(heloName_);
    if (name.isEmpty())
        name = QByteArrayLiteral("localhost");
    send(QByteArrayLiteral("EHLO ") + name + kCrLf, State::Ehlo);
}

void SmtpDialogue::onReply(const QByteArray &code, const QList<QByteArray> &lines)
{
    const QByteArray &text = lines.last();
    const bool refused = code.startsWith('4') || code.startsWith('5');
    if (refused) {
        const QString quoted = QStringLiteral("« %1 »").arg(quotedReply(text));
        switch (state_) {
        case State::Quit:
            finishOk(); // the message was already accepted
            return;
        case State::Ehlo:
            // A plain relay of old that knows only HELO, when nothing needs EHLO.
            if (!encrypted_ && security_ == Security::Plain && login_.user.isEmpty() &&
                code.startsWith('5')) {
                QByteArray name = QUrl::toAce(heloName_);
                if (name.isEmpty())
                    name = QByteArrayLiteral("localhost");
                send(QByteArrayLiteral("HELO ") + name + kCrLf, State::Helo);
                return;
            }
            break;
        case State::StartTls:
            fail(SmtpFailure::Tls,
                 QStringLiteral("le serveur refuse la liaison chiffrée %1").arg(quoted));
            return;
        case State::AuthPlain:
        case State::AuthLogin:
        case State::AuthUser:
        case State::AuthPassword:
            fail(SmtpFailure::LoginRefused,
                 QStringLiteral("identification refusée %1").arg(quoted));
            return;
        case State::MailFrom:
        case State::RcptTo:
            // 530: authentication required (RFC 4954).
            if (code == "530" && login_.user.isEmpty()) {
                fail(SmtpFailure::LoginNeeded,
                     QStringLiteral("le serveur demande une identification %1").arg(quoted));
                return;
            }
            fail(SmtpFailure::Refused, QStringLiteral("le serveur a répondu %1").arg(quoted));
            return;
        case State::Data:
        case State::Message:
            fail(SmtpFailure::Refused, QStringLiteral("le serveur a répondu %1").arg(quoted));
            return;
        default:
            break;
        }
        fail(SmtpFailure::Interrupted, QStringLiteral("le serveur a répondu %1").arg(quoted));
        return;
    }
    switch (state_) {
    case State::Greeting:
        if (code == "220")
            sendEhlo();
        break;
    case State::Ehlo:
        if (code == "250")
            onEhlo(lines);
        break;
    case State::Helo:
        if (code == "250")
            send(mailFrom_, State::MailFrom);
        break;
    case State::StartTls:
        if (code == "220") {
            // Nothing the server sent before the handshake may be read after it.
            buffer_.clear();
            state_ = State::Handshake;
            timer_->start(timeoutMs_);
            emit status(QStringLiteral("Chiffrement de la liaison"));
            socket_->startClientEncryption();
        }
        break;
    case State::AuthPlain:
        if (code == "235")
            send(mailFrom_, State::MailFrom);
        break;
    case State::AuthLogin:
        if (code == "334")
            send(login_.user.toUtf8().toBase64() + kCrLf, State::AuthUser);
        break;
    case State::AuthUser:
        if (code == "334")
            send(login_.password.toUtf8().toBase64() + kCrLf, State::AuthPassword);
        break;
    case State::AuthPassword:
        if (code == "235")
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
    case State::Handshake:
        break;
    }
    // Any other reply leaves the wait going on, within its time limit.
}

void SmtpDialogue::onEhlo(const QList<QByteArray> &lines)
{
    bool startTls = false;
    QList<QByteArray> mechanisms;
    for (const QByteArray &line : lines) {
        const QList<QByteArray> words = extensionWords(line);
        if (words.value(0) == "STARTTLS")
            startTls = true;
        else if (words.value(0) == "AUTH")
            mechanisms = words.mid(1);
    }
    if (!encrypted_) {
        // Without a TLS library on this computer, STARTTLS is only offered in vain.
        if (startTls && QSslSocket::supportsSsl()) {
            send(QByteArrayLiteral("STARTTLS") + kCrLf, State::StartTls);
            return;
        }
        // A password never goes over a plain link.
        if (security_ == Security::StartTls || !login_.user.isEmpty()) {
            fail(SmtpFailure::Tls, QStringLiteral("le serveur ne propose pas de liaison chiffrée"));
            return;
        }
    }
    if (login_.user.isEmpty()) {
        send(mailFrom_, State::MailFrom);
        return;
    }
    emit status(QStringLiteral("Identification"));
    if (mechanisms.contains("PLAIN")) {
        const QByteArray token = '\0' + login_.user.toUtf8() + '\0' + login_.password.toUtf8();
        send(QByteArrayLiteral("AUTH PLAIN ") + token.toBase64() + kCrLf, State::AuthPlain);
    } else if (mechanisms.contains("LOGIN")) {
        send(QByteArrayLiteral("AUTH LOGIN") + kCrLf, State::AuthLogin);
    } else if (mechanisms.isEmpty()) {
        // The server asks for no login: the message goes without one.
        send(mailFrom_, State::MailFrom);
    } else {
        fail(SmtpFailure::LoginRefused,
             QStringLiteral("le serveur n'accepte aucune méthode d'identification connue"));
    }
}

void SmtpDialogue::send(const QByteArray &bytes, State next)
{
    state_ = next;
    timer_->start(timeoutMs_);
    if (socket_->write(bytes) != bytes.size())
        fail(SmtpFailure::Interrupted, QStringLiteral("envoi impossible"));
}

void SmtpDialogue::onDisconnected()
{
    if (state_ == State::Quit)
        finishOk();
    else if (state_ == State::Handshake)
        fail(SmtpFailure::Tls, QStringLiteral("le serveur a fermé la connexion pendant la mise "
                                              "en place de la liaison chiffrée"));
    else if (state_ == State::Connecting)
        fail(SmtpFailure::Unreachable, QStringLiteral("le serveur a fermé la connexion"));
    else if (state_ != State::Idle)
        fail(SmtpFailure::Interrupted, QStringLiteral("le serveur a fermé la connexion"));
}

void SmtpDialogue::onError(QAbstractSocket::SocketError error)
{
    if (state_ == State::Quit) {
        finishOk();
    } else if (state_ == State::Connecting) {
        fail(SmtpFailure::Unreachable, socketErrorText(error));
    } else if (state_ == State::Handshake) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            fail(SmtpFailure::Tls, QStringLiteral("le serveur a fermé la connexion pendant la "
                                                  "mise en place de la liaison chiffrée"));
        else
            fail(SmtpFailure::Tls, QStringLiteral("la liaison chiffrée n'a pas pu s'établir"));
    } else if (state_ != State::Idle) {
        fail(SmtpFailure::Interrupted, socketErrorText(error));
    }
}

void SmtpDialogue::onTimeout()
{
    if (state_ == State::Quit)
        finishOk();
    else if (state_ == State::Connecting)
        fail(SmtpFailure::Unreachable, QStringLiteral("le serveur ne répond pas"));
    else if (state_ == State::Handshake)
        fail(SmtpFailure::Tls, QStringLiteral("le serveur ne répond pas pendant la mise en place "
                                              "de la liaison chiffrée"));
    else if (state_ != State::Idle)
        fail(SmtpFailure::Interrupted, QStringLiteral("le serveur ne répond pas"));
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
    login_ = {};
    emit status(QStringLiteral("Terminé"));
    emit succeeded();
}

void SmtpDialogue::fail(SmtpFailure kind, const QString &why)
{
    reset();
    emit failed(kind, why);
}

} // namespace network
