#pragma once

#include "secretstore.h"

#include <QHash>
#include <QPointer>
#include <QTimer>

#include <functional>

// A secret store in memory, as a desktop keyring would behave (or, with
// `available` false, as a desktop without one). With `hold` set, answers wait
// until release(), as a slow keyring's do.
class FakeSecretStore : public network::SecretStore
{
public:
    bool available = true;
    bool hold = false;
    QHash<QString, QString> entries;
    int reads = 0;

    void read(const QString &key, QObject *context, ReadDone done) override
    {
        ++reads;
        answer(context, [this, key, done] {
            if (!available)
                done(Outcome::Unavailable, QString());
            else if (entries.contains(key))
                done(Outcome::Found, entries.value(key));
            else
                done(Outcome::NotFound, QString());
        });
    }

    void write(const QString &key, const QString &secret, QObject *context, WriteDone done) override
    {
        // The entry changes when the store answers, as with a real one.
        answer(context, [this, key, secret, done] {
            if (available) {
                if (secret.isEmpty())
                    entries.remove(key);
                else
                    entries.insert(key, secret);
            }
            done(available);
        });
    }

    void release()
    {
        const auto answers = std::exchange(pending_, {});
        for (const auto &[context, run] : answers)
            if (context)
                run();
    }

private:
    void answer(QObject *context, std::function<void()> run)
    {
        if (hold)
            pending_.push_back({QPointer<QObject>(context), std::move(run)});
        else
            QTimer::singleShot(0, context, std::move(run));
    }

    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> pending_;
};
