#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace network
{

// One URL fetched into memory, with the states the download window shows and
// the limits it enforces: http and https only, a size limit (the transfer is
// aborted as soon as it is exceeded) and a time limit without data.
class UrlTransfer : public QObject
{
    Q_OBJECT
public:
    explicit UrlTransfer(QObject *parent = nullptr);
    ~UrlTransfer() override;

    // Longest time without data before the transfer is abandoned (30 s by default).
    void setTimeout(int ms) { timeoutMs_ = ms; }

    // Starts fetching `url`; ends with done() or failed(), never both, always
    // after start() has returned. A transfer already running is abandoned.
    void start(const QString &url, qint64 maxBytes);
    // Abandons the current transfer; emits nothing.
    void cancel();
    bool running() const { return !reply_.isNull(); }

signals:
    // "Recherche de l'hôte", "Connexion en cours avec le serveur",
    // "Demande de données", "Réponse du serveur", "Réception des données",
    // "Transfert terminé", "Erreur de transmission".
    void state(const QString &text);
    void done(const QByteArray &bytes);
    // A French sentence saying why.
    void failed(const QString &why);

private:
    void onMetaData();
    void onProgress(qint64 received, qint64 total);
    void onFinished();
    void tooLarge();
    void failLater(const QString &why);

    QNetworkAccessManager *manager_ = nullptr;
    QPointer<QNetworkReply> reply_;
    qint64 maxBytes_ = 0;
    int timeoutMs_ = 30000;
    QString abortReason_;
    bool receiving_ = false;
    unsigned run_ = 0; // counts transfers, so that a late report of an old one is dropped
};

} // namespace network
