#include "transfer.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

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

} // namespace

UrlTransfer::UrlTransfer(QObject *parent)
    : QObject(parent), manager_(new QNetworkAccessManager(this))
{
}

UrlTransfer::~UrlTransfer()
{
    cancel();
}

void UrlTransfer::cancel()
{
    ++run_;
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
    // Qt holds back the first progress report; the data's arrival tells it at once.
    connect(reply, &QNetworkReply::readyRead, this,
            [this, reply] { onProgress(reply->bytesAvailable(), -1); });
    connect(reply, &QNetworkReply::downloadProgress, this, &UrlTransfer::onProgress);
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

void UrlTransfer::onProgress(qint64 received, qint64)
{
    QNetworkReply *reply = reply_.data();
    if (!reply || received <= 0)
        return;
    if (received > maxBytes_) {
        tooLarge();
        return;
    }
    if (!receiving_) {
        receiving_ = true;
        emit state(QStringLiteral("Réception des données"));
    }
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

void UrlTransfer::onFinished()
{
    QNetworkReply *reply = reply_.data();
    if (!reply)
        return;
    reply_.clear();
    reply->deleteLater();

    QString why = abortReason_;
    QByteArray bytes;
    if (why.isEmpty()) {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        switch (reply->error()) {
        case QNetworkReply::NoError:
            bytes = reply->readAll();
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
    if (!why.isEmpty()) {
        emit state(QStringLiteral("Erreur de transmission"));
        emit failed(why);
        return;
    }
    emit state(QStringLiteral("Transfert terminé"));
    emit done(bytes);
}

} // namespace network
