#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace network
{

// One URL fetched into memory, with the states the download window shows and
// the limits it enforces: http and https only, a size limit (the transfer is
// aborted as soon as it is exceeded, and never holds more than the limit and
// one read buffer), a time limit without data and an overall deadline.
class UrlTransfer : public QObject
{
    Q_OBJECT
public:
    // Most bytes the network layer holds for a transfer before they are taken.
    static constexpr qint64 kReadBufferBytes = 64 * 1024;

    explicit UrlTransfer(QObject *parent = nullptr);
    ~UrlTransfer() override;

    // Longest time without data before the transfer is abandoned (30 s by default).
    void setTimeout(int ms) { timeoutMs_ = ms; }
    // Longest time a whole transfer may last (5 min by default), so that a
    // server sending a byte now and then cannot keep it going for ever.
    void setDeadline(int ms) { deadlineMs_ = ms; }

    // Starts fetching `url`; ends with done() or failed(), never both, always
    // after start() has returned. A transfer already running is abandoned.
    void start(const QString &url, qint64 maxBytes);
    // Abandons the current transfer; emits nothing.
    void cancel();
    bool running() const { return !reply_.isNull(); }
    // The most bytes of the current or last transfer held at once.
    qint64 bytesReceived() const { return received_; }

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
    void onReadyRead();
    void take(QNetworkReply &reply);
    void onFinished();
    void tooLarge();
    void tooLong();
    void failLater(const QString &why);

    QNetworkAccessManager *manager_ = nullptr;
    QPointer<QNetworkReply> reply_;
    QTimer *deadline_ = nullptr;
    qint64 maxBytes_ = 0;
    QByteArray bytes_; // what arrived so far
    qint64 received_ = 0;
    int timeoutMs_ = 30000;
    int deadlineMs_ = 5 * 60 * 1000;
    QString abortReason_;
    bool receiving_ = false;
    unsigned run_ = 0; // counts transfers, so that a late report of an old one is dropped
};

} // namespace network
