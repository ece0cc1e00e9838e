#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace network
{

// Where the mail password is kept between sessions. Every call answers later,
// on the event loop, through `done`; the answer is dropped when `context` is
// destroyed first, so a window may close while the store thinks.
class SecretStore
{
public:
    enum class Outcome {
        Found,      // the secret is there
        NotFound,   // the store answered: no such entry
        Unavailable // no store answered (none running, refused, or too slow)
    };
    using ReadDone = std::function<void(Outcome outcome, const QString &secret)>;
    using WriteDone = std::function<void(bool stored)>;

    virtual ~SecretStore() = default;
    virtual void read(const QString &key, QObject *context, ReadDone done) = 0;
    // An empty secret removes the entry.
    virtual void write(const QString &key, const QString &secret, QObject *context,
                       WriteDone done) = 0;
};

// The desktop's secret store (Secret Service or KWallet) through QtKeychain.
// A store that has not answered within the time limit counts as unavailable:
// nothing waits on it longer, and its late answer is ignored. Nothing blocks
// meanwhile, so the limit leaves time for the desktop's "unlock the keyring"
// prompt; with no store at all the answer comes at once.
class KeychainStore : public SecretStore
{
public:
    explicit KeychainStore(QString service, int timeoutMs = 15000);

    void read(const QString &key, QObject *context, ReadDone done) override;
    void write(const QString &key, const QString &secret, QObject *context,
               WriteDone done) override;

private:
    QString service_;
    int timeoutMs_;
};

// The mail login: the user name in a per-user settings file, the password in
// the secret store and, for this session, in memory, so that a desktop
// without a secret store asks for it once per session. The password is never
// written to a file.
class MailLogin
{
public:
    // `settingsPath`: the per-user file that keeps the user name.
    MailLogin(SecretStore &store, QString settingsPath);

    // The application's login: the desktop's store, and the settings file in
    // the user's configuration folder.
    static MailLogin &forThisSession();

    QString settingsPath() const { return settingsPath_; }
    QString userName() const;
    // False when the settings file could not be written.
    bool setUserName(const QString &name);

    // Where a password was found.
    enum class Source {
        Session, // kept in memory in this session
        Store,   // the secret store's
        None,    // the store answered that it has none
        NoStore  // no store answered
    };
    // The password of `user` on `server`: the one kept in this session, else
    // the store's; nullopt when neither has one.
    void password(const QString &server, const QString &user, QObject *context,
                  std::function<void(std::optional<QString> password, Source source)> done);
    // Keeps the password for this session and asks the store to keep it;
    // `done(true)` when the store did. An empty password forgets it.
    void setPassword(const QString &server, const QString &user, const QString &password,
                     QObject *context, std::function<void(bool stored)> done);
    // Whether this session holds a password for `user` on `server`.
    bool hasSessionPassword(const QString &server, const QString &user) const;

    // The store's entry name: a password belongs to one user on one server,
    // so that it never goes to a server the user did not type it for.
    static QString key(const QString &server, const QString &user);

private:
    SecretStore &store_;
    QString settingsPath_;
    QHash<QString, QString> session_;
};

} // namespace network
