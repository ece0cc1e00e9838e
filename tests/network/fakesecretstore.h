#pragma once

#include "secretstore.h"

#include <QHash>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <vector>

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
        // The entry changes when the store answers, as with a real one, even
        // when the window that asked is gone by then.
        answer(
            context, [this, done] { done(available); },
            [this, key, secret] {
                if (!available)
                    return;
                if (secret.isEmpty())
                    entries.remove(key);
                else
                    entries.insert(key, secret);
            });
    }

    void release()
    {
        const auto answers = std::exchange(pending_, {});
        for (const Pending &p : answers) {
            if (p.effect)
                p.effect();
            if (p.context)
                p.report();
        }
    }

private:
    struct Pending {
        QPointer<QObject> context;
        std::function<void()> report; // only while the context lives
        std::function<void()> effect; // in any case
    };

    void answer(QObject *context, std::function<void()> report, std::function<void()> effect = {})
    {
        Pending p{QPointer<QObject>(context), std::move(report), std::move(effect)};
        if (hold) {
            pending_.push_back(std::move(p));
            return;
        }
        // The store's own object outlives the window, as a keyring job does.
        QTimer::singleShot(0, &self_, [p] {
            if (p.effect)
                p.effect();
            if (p.context)
                p.report();
        });
    }

    QObject self_;
    std::vector<Pending> pending_;
};
