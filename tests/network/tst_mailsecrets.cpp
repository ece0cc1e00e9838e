#include "exporter.h"
#include "param.h"
#include "paranet.h"
#include "pythonserver.h"
#include "recordbytes.h"
#include "scripteddialogs.h"
#include "secretstore.h"
#include "smtpdialogue.h"
#include "testcertificates.h"

#include <QApplication>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <memory>

using platform::Dialogs;

namespace
{

const QString kUser = QStringLiteral("prof@example.org");
// Typed key by key, so in plain ASCII (a non-ASCII one goes through the TLS tests).
const QString kPassword = QStringLiteral("Zx9-mot-de-passe-42");

// Every form in which the password could have been written down.
QList<QByteArray> passwordForms()
{
    const QByteArray utf8 = kPassword.toUtf8();
    const QByteArray token = '\0' + kUser.toUtf8() + '\0' + utf8;
    QByteArray utf16(reinterpret_cast<const char *>(kPassword.utf16()),
                     kPassword.size() * qsizetype(sizeof(char16_t)));
    return {utf8,
            kPassword.toLatin1(),
            utf16,
            utf8.toBase64(),
            token.toBase64(),
            QByteArray("Zx9-mot-de-passe")};
}

} // namespace

// The session's mail login with no secret store on the desktop: HOME, the XDG
// folders and the D-Bus session point into a temporary folder (set in main(),
// before anything reads them), where no keyring answers.
class TestMailSecrets : public QObject
{
    Q_OBJECT

public:
    explicit TestMailSecrets(QString root) : root_(std::move(root)) {}

private:
    QString root_;
    QTemporaryDir certificates_;

private slots:
    void initTestCase()
    {
        QVERIFY(
            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).startsWith(root_));
        QVERIFY(certificates_.isValid());
        const QString error = makeTestCertificates(certificates_.path());
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    // Without a keyring the store says so, on the event loop, without holding
    // the window: the call returns before the answer.
    void noStore_data()
    {
        QTest::addColumn<QString>("secret"); // empty: only read
        QTest::addColumn<bool>("writing");
        QTest::newRow("read") << QString() << false;
        QTest::newRow("write") << kPassword << true;
        QTest::newRow("remove") << QString() << true;
    }

    void noStore()
    {
        QFETCH(QString, secret);
        QFETCH(bool, writing);
        network::KeychainStore store(QStringLiteral("tst_mailsecrets"));
        QObject context;
        std::optional<bool> ok;
        if (writing)
            store.write(QStringLiteral("k"), secret, &context, [&](bool stored) { ok = stored; });
        else
            store.read(QStringLiteral("k"), &context,
                       [&](network::SecretStore::Outcome outcome, const QString &) {
                           ok = outcome != network::SecretStore::Outcome::Unavailable;
                       });
        QVERIFY(!ok.has_value());
        QTRY_VERIFY_WITH_TIMEOUT(ok.has_value(), 20000);
        QCOMPARE(*ok, false);
    }

    // The answer of a store for a window that is gone is dropped.
    void answerAfterContextGone()
    {
        network::KeychainStore store(QStringLiteral("tst_mailsecrets"), 50);
        bool called = false;
        {
            QObject context;
            store.read(QStringLiteral("k"), &context,
                       [&](network::SecretStore::Outcome, const QString &) { called = true; });
        }
        QObject later;
        bool laterCalled = false;
        store.read(QStringLiteral("k"), &later,
                   [&](network::SecretStore::Outcome, const QString &) { laterCalled = true; });
        QTRY_VERIFY_WITH_TIMEOUT(laterCalled, 20000);
        QVERIFY(!called);
    }

    // The whole path as a user takes it: the login typed in "Paramètres", a
    // card sent through a server that wants STARTTLS and a login, the window
    // opened again. No file written anywhere holds the password; the user
    // name is found, so the search did reach the settings.
    void noPasswordInFiles()
    {
        QTemporaryDir spool;
        PythonServer server;
        QVERIFY2(server.start(QStringLiteral("smtp_server.py"),
                              {spool.path(), QStringLiteral("--cert"),
                               certificates_.filePath(QStringLiteral("server.pem")),
                               QStringLiteral("--key"),
                               certificates_.filePath(QStringLiteral("server.key")),
                               QStringLiteral("--tls"), QStringLiteral("starttls"),
                               QStringLiteral("--login"), kUser + QLatin1Char(':') + kPassword}),
                 "the test server did not start");
        const QString appDir = root_ + QStringLiteral("/app");
        QVERIFY(QDir().mkpath(appDir));
        QVERIFY(writeAll(network::paranetPath(appDir),
                         records({"https://accueil.example.org/", "", "", "", "",
                                  "cartes@example.org", "", ""})));
        const QString address = QStringLiteral("127.0.0.1:%1").arg(server.port());

        platform::ScriptedDialogs dialogs;
        {
            param window(appDir, dialogs);
            window.show();
            window.Text3->setText(QStringLiteral("Collège Curie"));
            window.Text4->setText(kUser);
            window.Text5->setText(address);
            window.Text6->setText(kUser);
            QTest::keyClicks(window.Text7, kPassword);
            window.Command3->click();
            QCOMPARE(window.result(), int(QDialog::Accepted));
        }

        dialogs.expectMessage(QStringLiteral("Transmission OK"), Dialogs::Answer::Ok);
        cards::carte card;
        card.nom() = "eau";
        Exporter exporter(card, appDir, dialogs);
        auto *dialogue = exporter.findChild<network::SmtpDialogue *>();
        QVERIFY(dialogue);
        dialogue->setExtraCaCertificates(testAuthority(certificates_.path()));
        exporter.show();
        exporter.Image2->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialogs.allAnswered(), 30000);
        QVERIFY2(dialogs.unexpected.isEmpty(), qPrintable(dialogs.unexpected.join('\n')));
        QVERIFY(QFile::exists(spool.filePath(QStringLiteral("1.msg"))));

        {
            // Kept for the session: shown again, and said so.
            param window(appDir, dialogs);
            window.show();
            QTRY_COMPARE(window.Text7->text(), kPassword);
            QCOMPARE(window.Text6->text(), kUser);
            QVERIFY(!window.Label8->text().isEmpty());
            window.Command2->click();
        }

        bool userFound = false;
        QDirIterator files(root_, QDir::Files | QDir::Hidden | QDir::System,
                           QDirIterator::Subdirectories);
        int count = 0;
        while (files.hasNext()) {
            const QString path = files.next();
            const QByteArray bytes = readAll(path);
            ++count;
            for (const QByteArray &form : passwordForms())
                QVERIFY2(!bytes.contains(form), qPrintable(path));
            userFound = userFound || bytes.contains(kUser.toUtf8());
        }
        QVERIFY(count >= 2); // PARANET.LST and the settings file at least
        QVERIFY(userFound);
    }
};

int main(int argc, char **argv)
{
    QTemporaryDir root;
    if (!root.isValid())
        return 1;
    const QString r = root.path();
    const QString run = r + QStringLiteral("/run");
    QDir().mkpath(run);
    QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", (r + QStringLiteral("/home")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (r + QStringLiteral("/home/.config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (r + QStringLiteral("/home/.local/share")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", (r + QStringLiteral("/home/.local/state")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (r + QStringLiteral("/home/.cache")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", run.toLocal8Bit());
    // A session bus that is not there: no keyring can answer.
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            ("unix:path=" + run + QStringLiteral("/no-bus")).toLocal8Bit());
    qunsetenv("DISPLAY");
    QApplication app(argc, argv);
    TestMailSecrets test(r);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mailsecrets.moc"
