#include "transfer.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace network
{

namespace
{

bool webAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QString sizeText(qint64 bytes)
{
    return bytes >= 1024 * 1024 ? QStringLiteral("%1 Mo").arg(bytes / (1024 * 1024))
                                : QStringLiteral("%1 Ko").arg(bytes / 1024);
}

QString durationText(int ms)
{
    return ms >= 60 * 1000 ? QStringLiteral("%1 min").arg(ms / (60 * 1000))
                           : QStringLiteral("%1 s").arg(ms / 1000);
}

} // namespace

UrlTransfer::UrlTransfer(QObject *parent)
    : QObject(parent), manager_(new QNetworkAccessManager(this)), deadline_(new QTimer(this))
{
    deadline_->setSingleShot(true);
    connect(deadline_, &QTimer::timeout, this, &UrlTransfer::tooLong);
}

UrlTransfer::~UrlTransfer()
{
    cancel();
}

void UrlTransfer::cancel()
{
    ++run_;
    deadline_->stop();
    bytes_ = QByteArray();
    if (QNetworkReply *reply = reply_.data()) {
        reply_.clear();
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void UrlTransfer::failLater(const QString &why)
{
    // Reported from the event loop, as every other outcome.
    QTimer::singleShot(0, this, [this, why, run = run_] {
        if (run != run_)
            return;
        emit state(QStringLiteral("Erreur de transmission"));
        emit failed(why);
    });
}

void UrlTransfer::start(const QString &address, qint64 maxBytes)
{
    cancel();
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!webAddress(url)) {
        failLater(QStringLiteral("L'adresse « %1 » n'est pas une adresse http ou https.")
                      .arg(address.trimmed()));
        return;
    }
    maxBytes_ = maxBytes;
    received_ = 0;
    abortReason_.clear();
    receiving_ = false;

    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs_);
    // Redirections are followed only towards other web addresses.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);
    emit state(QStringLiteral("Recherche de l'hôte"));
    QNetworkReply *reply = manager_->get(request);
    reply_ = reply;
    // Without a bound, the network layer takes in all that a server sends
    // and, while more keeps coming, hands none of it over: a body without end
    // would fill the memory before the size check saw any of it. Bounded, it
    // waits for the bytes to be taken, and they are taken as they come.
    reply->setReadBufferSize(kReadBufferBytes);
    deadline_->start(deadlineMs_);
    connect(reply, &QNetworkReply::socketStartedConnecting, this,
            [this] { emit state(QStringLiteral("Connexion en cours avec le serveur")); });
    connect(reply, &QNetworkReply::requestSent, this,
            [this] { emit state(QStringLiteral("Demande de données")); });
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl &to) {
        if (webAddress(to)) {
            emit reply->redirectAllowed();
        } else {
            abortReason_ = QStringLiteral("Le serveur renvoie vers une adresse qui n'est pas "
                                          "une adresse http ou https.");
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::metaDataChanged, this, &UrlTransfer::onMetaData);
    connect(reply, &QNetworkReply::readyRead, this, &UrlTransfer::onReadyRead);
    connect(reply, &QNetworkReply::finished, this, &UrlTransfer::onFinished);
}

void UrlTransfer::onMetaData()
{
    QNetworkReply *reply = reply_.data();
    if (!reply)
        return;
    emit state(QStringLiteral("Réponse du serveur"));
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > maxBytes_)
        tooLarge();
}

void UrlTransfer::onReadyRead()
{
    QNetworkReply *reply = reply_.data();
    if (!reply)
        return;
    take(*reply);
    if (bytes_.size() > maxBytes_) {
        tooLarge();
        return;
    }
    if (!receiving_ && !bytes_.isEmpty()) {
        receiving_ = true;
        emit state(QStringLiteral("Réception des données"));
    }
}

void UrlTransfer::take(QNetworkReply &reply)
{
    bytes_ += reply.readAll();
    received_ = std::max(received_, qint64(bytes_.size()));
}

void UrlTransfer::tooLarge()
{
    if (abortReason_.isEmpty())
        abortReason_ = QStringLiteral("Le fichier proposé par le serveur dépasse la taille "
                                      "permise (%1).")
                           .arg(sizeText(maxBytes_));
    if (QNetworkReply *reply = reply_.data())
        reply->abort();
}

void UrlTransfer::tooLong()
{
    if (abortReason_.isEmpty())
        abortReason_ = QStringLiteral("Le serveur envoie le fichier trop lentement : le "
                                      "téléchargement a dépassé %1.")
                           .arg(durationText(deadlineMs_));
    if (QNetworkReply *reply = reply_.data())
        reply->abort();
}

void UrlTransfer::onFinished()
{
    QNetworkReply *reply = reply_.data();
    if (!reply)
        return;
    deadline_->stop();
    reply_.clear();
    reply->deleteLater();

    QString why = abortReason_;
    QByteArray bytes;
    if (why.isEmpty()) {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        switch (reply->error()) {
        case QNetworkReply::NoError:
            take(*reply);
            bytes = std::exchange(bytes_, {});
            if (bytes.size() > maxBytes_)
                why = QStringLiteral("Le fichier proposé par le serveur dépasse la taille "
                                     "permise (%1).")
                          .arg(sizeText(maxBytes_));
            else if (status != 200)
                why = QStringLiteral("Le serveur n'a pas envoyé le fichier (réponse %1).")
                          .arg(status);
            break;
        case QNetworkReply::OperationCanceledError:
        case QNetworkReply::TimeoutError:
            why = QStringLiteral("Le serveur ne répond pas : délai d'attente dépassé.");
            break;
        case QNetworkReply::HostNotFoundError:
            why = QStringLiteral("Le serveur « %1 » est introuvable.").arg(reply->url().host());
            break;
        case QNetworkReply::ConnectionRefusedError:
            why = QStringLiteral("Le serveur « %1 » refuse la connexion.").arg(reply->url().host());
            break;
        default:
            if (status >= 400)
                why = QStringLiteral("Le serveur n'a pas trouvé ou refuse de donner ce fichier "
                                     "(erreur %1).")
                          .arg(status);
            else
                why = QStringLiteral("La liaison avec le serveur a échoué (%1).")
                          .arg(reply->errorString());
            break;
        }
    }
    bytes_ = QByteArray();
    if (!why.isEmpty()) {
        emit state(QStringLiteral("Erreur de transmission"));
        emit failed(why);
        return;
    }
    emit state(QStringLiteral("Transfert terminé"));
    emit done(bytes);
}

} // namespace network
