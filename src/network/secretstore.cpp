#include "secretstore.h"

#include <qt6keychain/keychain.h>

#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include <memory>
#include <utility>

namespace network
{

namespace
{

const QString kUserKey = QStringLiteral("courrier/utilisateur");

// Calls `done` once: with the job's answer or, when the time limit comes
// first, with Unavailable.
template <typename Done, typename Answer>
void watch(QKeychain::Job *job, int timeoutMs, QObject *context, Done done, Answer answer)
{
    auto answered = std::make_shared<bool>(false);
    QObject::connect(job, &QKeychain::Job::finished, context, [=](QKeychain::Job *) {
        if (!std::exchange(*answered, true))
            answer(job, done);
    });
    QTimer::singleShot(timeoutMs, context, [=] {
        if (!std::exchange(*answered, true))
            answer(nullptr, done);
    });
    job->start();
}

} // namespace

KeychainStore::KeychainStore(QString service, int timeoutMs)
    : service_(std::move(service)), timeoutMs_(timeoutMs)
{
}

void KeychainStore::read(const QString &key, QObject *context, ReadDone done)
{
    auto *job = new QKeychain::ReadPasswordJob(service_);
    job->setAutoDelete(true);
    job->setInsecureFallback(false); // never a plain-text file
    job->setKey(key);
    watch(job, timeoutMs_, context, std::move(done), [](QKeychain::Job *j, const ReadDone &d) {
        if (!j)
            d(Outcome::Unavailable, QString());
        else if (j->error() == QKeychain::NoError)
            d(Outcome::Found, static_cast<QKeychain::ReadPasswordJob *>(j)->textData());
        else if (j->error() == QKeychain::EntryNotFound)
            d(Outcome::NotFound, QString());
        else
            d(Outcome::Unavailable, QString());
    });
}

void KeychainStore::write(const QString &key, const QString &secret, QObject *context,
                          WriteDone done)
{
    QKeychain::Job *job = nullptr;
    if (secret.isEmpty()) {
        job = new QKeychain::DeletePasswordJob(service_);
    } else {
        auto *writeJob = new QKeychain::WritePasswordJob(service_);
        writeJob->setTextData(secret);
        job = writeJob;
    }
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(key);
    const bool removing = secret.isEmpty();
    watch(job, timeoutMs_, context, std::move(done),
          [removing](QKeychain::Job *j, const WriteDone &d) {
              d(j && (j->error() == QKeychain::NoError ||
                      (removing && j->error() == QKeychain::EntryNotFound)));
          });
}

MailLogin::MailLogin(SecretStore &store, QString settingsPath)
    : store_(store), settingsPath_(std::move(settingsPath))
{
}

MailLogin &MailLogin::forThisSession()
{
    static KeychainStore store(QStringLiteral("Cartes d'identité des espèces chimiques"));
    static MailLogin login(store,
                           QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
                               QStringLiteral("/courrier.ini"));
    return login;
}

QString MailLogin::userName() const
{
    QSettings settings(settingsPath_, QSettings::IniFormat);
    return settings.value(kUserKey).toString();
}

bool MailLogin::setUserName(const QString &name)
{
    if (name == userName())
        return true; // no settings file for a user who never gave a name
    QSettings settings(settingsPath_, QSettings::IniFormat);
    if (name.isEmpty())
        settings.remove(kUserKey);
    else
        settings.setValue(kUserKey, name);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString MailLogin::key(const QString &server, const QString &user)
{
    return user + QStringLiteral(" sur ") + server.trimmed().toLower();
}

bool MailLogin::hasSessionPassword(const QString &server, const QString &user) const
{
    return session_.contains(key(server, user));
}

void MailLogin::password(const QString &server, const QString &user, QObject *context,
                         std::function<void(std::optional<QString>, Source)> done)
{
    const QString k = key(server, user);
    const auto kept = session_.constFind(k);
    if (kept != session_.constEnd()) {
        // Answered from the event loop all the same, as the store would.
        QTimer::singleShot(0, context,
                           [done, password = *kept] { done(password, Source::Session); });
        return;
    }
    store_.read(k, context, [done](SecretStore::Outcome outcome, const QString &secret) {
        if (outcome == SecretStore::Outcome::Found && !secret.isEmpty())
            done(secret, Source::Store);
        else
            done(std::nullopt,
                 outcome == SecretStore::Outcome::Unavailable ? Source::NoStore : Source::None);
    });
}

void MailLogin::setPassword(const QString &server, const QString &user, const QString &password,
                            QObject *context, std::function<void(bool stored)> done)
{
    const QString k = key(server, user);
    if (password.isEmpty())
        session_.remove(k);
    else
        session_.insert(k, password);
    store_.write(k, password, context, std::move(done));
}

} // namespace network
