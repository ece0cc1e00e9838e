#include "cardfile.h"
#include "catalogue.h"
#include "database.h"
#include "feuilleftp.h"
#include "paranet.h"
#include "pythonserver.h"
#include "recordbytes.h"
#include "scripteddialogs.h"
#include "transfer.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

using platform::Dialogs;

namespace
{

QString appFile(const QTemporaryDir &dir, const char *name)
{
    return dir.filePath(QString::fromLatin1(name));
}

// The most memory this process has held so far, in bytes.
qint64 peakMemory()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

} // namespace

class TestDownload : public QObject
{
    Q_OBJECT

    PythonServer http_;
    QTemporaryDir www_;
    QByteArray base_; // http://127.0.0.1:port

    QByteArray url(const QByteArray &path) const { return base_ + path; }

    // A list of three cards served by the test server, in this order.
    QByteArray threeCards() const
    {
        return records({"LISTECHIMIE", "eau",
                        "Lyc\xe9"
                        "e Pasteur",
                        "", url("/files/eau.CAR"), "\xe9thanol", "M. Durand", "vu en TP",
                        url("/files/ethanol.CAR"), "acide ac\xe9tique", "Coll\xe8ge Curie",
                        "pur \xe0 99 %", url("/files/acide.CAR")});
    }

    void setListUrl(const QTemporaryDir &dir, const QByteArray &listUrl)
    {
        QVERIFY(writeAll(network::paranetPath(dir.path()),
                         records({"", "", "", "", "", "", "", listUrl})));
    }

    struct Run {
        platform::ScriptedDialogs dialogs;
        bool listDownloaded = false;
        int chargenetCalls = 0;
        cards::CardFileRead loaded;
    };

    // The window with a chargenet that reads TEMPO.CAR as the main window does.
    std::unique_ptr<feuilleFTP> window(const QTemporaryDir &dir, Run &run)
    {
        const QString tempo = appFile(dir, cards::kTempoCarFileName);
        auto w = std::make_unique<feuilleFTP>(
            dir.path(), run.listDownloaded,
            [&run, tempo] {
                ++run.chargenetCalls;
                run.loaded = cards::readCardFile(tempo.toStdString(), false);
                return run.loaded.status == cards::CardFileStatus::Ok;
            },
            run.dialogs);
        w->setTransferTimeout(500);
        return w;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(www_.isValid());
        QVERIFY2(http_.start(QStringLiteral("http_server.py"), {www_.path()}),
                 "the HTTP server did not start");
        base_ = "http://127.0.0.1:" + QByteArray::number(http_.port());
        QVERIFY(writeAll(www_.filePath(QStringLiteral("LISTEC.ZYP")), threeCards()));
        QVERIFY(writeAll(www_.filePath(QStringLiteral("ethanol.CAR")), cardFile("\xe9thanol")));
        QVERIFY(
            writeAll(www_.filePath(QStringLiteral("acide.CAR")), cardFile("acide ac\xe9tique")));
        QVERIFY(writeAll(www_.filePath(QStringLiteral("nomarker.ZYP")),
                         records({"LISTE", "eau", "", "", url("/files/eau.CAR")})));
        QVERIFY(writeAll(www_.filePath(QStringLiteral("empty.ZYP")), records({"LISTECHIMIE", ""})));
        // A record file, but not a card: the list itself offered as a card.
        QVERIFY(writeAll(www_.filePath(QStringLiteral("notacard.CAR")), threeCards()));
    }

    void cleanupTestCase() { http_.stop(); }

    void listAndCard()
    {
        QTemporaryDir dir;
        setListUrl(dir, url("/files/LISTEC.ZYP"));
        Run run;
        auto w = window(dir, run);
        w->show();
        QTRY_COMPARE_WITH_TIMEOUT(w->List1->count(), 3, 20000);
        QVERIFY(run.listDownloaded);
        QCOMPARE(readAll(appFile(dir, cards::kListFileName)), threeCards());
        QCOMPARE(w->List1->item(0)->text(), QStringLiteral("eau"));
        QCOMPARE(w->List1->item(1)->text(), QStringLiteral("éthanol"));
        QCOMPARE(w->List1->currentRow(), 0);
        QCOMPARE(w->Labet->text(), QStringLiteral("Transfert terminé"));

        w->List1->setCurrentRow(2);
        QCOMPARE(w->Text1->toPlainText(), QStringLiteral("Espèce: acide acétique\nAuteur: Collège "
                                                         "Curie\nCommentaire: pur à 99 %"));
        w->Command1->click();
        QVERIFY(!w->Command1->isEnabled());
        QVERIFY(!w->Command3->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 20000);
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(run.chargenetCalls, 1);
        QCOMPARE(run.loaded.status, cards::CardFileStatus::Ok);
        QCOMPARE(run.loaded.card.nom(), std::string("acide acétique"));
        QCOMPARE(readAll(appFile(dir, cards::kTempoCarFileName)), cardFile("acide ac\xe9tique"));
        QVERIFY(run.dialogs.shown.isEmpty());
    }

    // The web catalogue of the bundled database, served as it was written:
    // its list names the cards relative to itself, and each card comes as
    // the database holds it.
    void catalogueCards()
    {
        const cards::CardsResult bundled = cards::Database(CARTES_BUNDLED_DATABASE).cards();
        QVERIFY(bundled.error == cards::IoError::None && !bundled.cards.empty());
        QVERIFY(site::writeCatalogue(bundled.cards, www_.filePath(QStringLiteral("catalogue")),
                                     hazardpictures::Style::Orange)
                    .ok);
        QTemporaryDir dir;
        setListUrl(dir, url("/files/catalogue/LISTEC.ZYP"));
        Run first;
        const auto listWindow = window(dir, first);
        listWindow->show();
        QTRY_VERIFY_WITH_TIMEOUT(first.listDownloaded, 20000);
        for (const cards::carte &card : bundled.cards) {
            Run run;
            run.listDownloaded = true;
            auto w = window(dir, run);
            w->show();
            QTRY_COMPARE(w->List1->count(), int(bundled.cards.size()));
            const auto items =
                w->List1->findItems(QString::fromStdString(card.nom()), Qt::MatchExactly);
            QCOMPARE(items.size(), 1);
            w->List1->setCurrentItem(items[0]);
            w->Command1->click();
            QTRY_COMPARE_WITH_TIMEOUT(run.chargenetCalls, 1, 20000);
            QCOMPARE(run.loaded.card, card);
            QVERIFY(run.dialogs.shown.isEmpty());
        }
    }

    void doubleClick()
    {
        QTemporaryDir dir;
        setListUrl(dir, url("/files/LISTEC.ZYP"));
        Run run;
        auto w = window(dir, run);
        w->show();
        QTRY_COMPARE_WITH_TIMEOUT(w->List1->count(), 3, 20000);
        QWidget *viewport = w->List1->viewport();
        const QRect item = w->List1->visualItemRect(w->List1->item(1));
        QTest::mouseClick(viewport, Qt::LeftButton, {}, item.center());
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, item.center());
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 20000);
        QCOMPARE(run.chargenetCalls, 1);
        QCOMPARE(run.loaded.card.nom(), std::string("éthanol"));
    }

    // Already downloaded during this run: the list on disk, no transfer.
    void listAlreadyDownloaded()
    {
        QTemporaryDir dir;
        setListUrl(dir, url("/missing"));
        QVERIFY(writeAll(appFile(dir, cards::kListFileName), threeCards()));
        Run run;
        run.listDownloaded = true;
        auto w = window(dir, run);
        w->show();
        QTRY_COMPARE(w->List1->count(), 3);
        QVERIFY(w->Labet->text().isEmpty());
        // No transfer was started, so none can fail later.
        const auto *transfer = w->findChild<network::UrlTransfer *>();
        QVERIFY(transfer && !transfer->running());
        QVERIFY(!w->transferring());
        QVERIFY(run.dialogs.shown.isEmpty());
        QVERIFY(run.listDownloaded);
    }

    void listFaults_data()
    {
        QTest::addColumn<QByteArray>("listUrl");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<int>("shown"); // entries in List1 afterwards
        QTest::addColumn<bool>("keptOld");
        QTest::addColumn<bool>("oldList"); // a list downloaded before lies on disk
        const QStringList impossible{"Téléchargement impossible"};
        QTest::newRow("404") << QByteArray("/files/absent.ZYP") << impossible << 1 << true << true;
        QTest::newRow("too large") << QByteArray("/big/1048577") << impossible << 1 << true << true;
        QTest::newRow("too large, no length")
            << QByteArray("/stream/1200000") << impossible << 1 << true << true;
        QTest::newRow("no answer") << QByteArray("/silent") << impossible << 1 << true << true;
        QTest::newRow("not http") << QByteArray("file:///etc/passwd") << impossible << 1 << true
                                  << true;
        QTest::newRow("redirect to a file")
            << QByteArray("/redirect?to=file:///etc/passwd") << impossible << 1 << true << true;
        QTest::newRow("without its marker")
            << QByteArray("/files/nomarker.ZYP") << QStringList{"Visualisation impossible"} << 0
            << false << true;
        QTest::newRow("empty list")
            << QByteArray("/files/empty.ZYP") << QStringList() << 0 << false << true;
        // One message, not a second one for the list there is not.
        QTest::newRow("404, no list before")
            << QByteArray("/files/absent.ZYP") << impossible << 0 << false << false;
    }

    void listFaults()
    {
        QFETCH(QByteArray, listUrl);
        QFETCH(QStringList, titles);
        QFETCH(int, shown);
        QFETCH(bool, keptOld);
        QFETCH(bool, oldList);
        QTemporaryDir dir;
        setListUrl(dir, listUrl.startsWith('/') ? url(listUrl) : listUrl);
        const QByteArray old = records({"LISTECHIMIE", "ancienne", "", "", url("/files/a.CAR")});
        if (oldList)
            QVERIFY(writeAll(appFile(dir, cards::kListFileName), old));
        Run run;
        for (const QString &title : titles)
            run.dialogs.expectMessage(title, Dialogs::Answer::Ok);
        auto w = window(dir, run);
        w->show();
        QTRY_VERIFY_WITH_TIMEOUT(w->Labet->text() == QStringLiteral("Transfert terminé") ||
                                     w->Labet->text() == QStringLiteral("Erreur de transmission"),
                                 20000);
        QTRY_VERIFY(run.dialogs.allAnswered());
        QCOMPARE(run.dialogs.titles(), titles);
        QVERIFY(run.dialogs.unexpected.isEmpty());
        QCOMPARE(w->List1->count(), shown);
        QCOMPARE(readAll(appFile(dir, cards::kListFileName)) == old, keptOld);
        // Set only by a download that brought a list.
        QCOMPARE(run.listDownloaded, titles.isEmpty());
        QVERIFY(w->isVisible());
        QVERIFY(w->Command3->isEnabled());
    }

    void cardFaults_data()
    {
        QTest::addColumn<QByteArray>("cardUrl");
        QTest::newRow("404") << QByteArray("/files/absent.CAR");
        QTest::newRow("too large") << QByteArray("/big/65537");
        QTest::newRow("too large, no length") << QByteArray("/stream/70000");
        QTest::newRow("no answer") << QByteArray("/silent");
        QTest::newRow("not http") << QByteArray("ftp://127.0.0.1/eau.CAR");
        QTest::newRow("no address") << QByteArray();
    }

    void cardFaults()
    {
        QFETCH(QByteArray, cardUrl);
        QTemporaryDir dir;
        QVERIFY(writeAll(appFile(dir, cards::kListFileName),
                         records({"LISTECHIMIE", "eau", "", "",
                                  cardUrl.startsWith('/') ? url(cardUrl) : cardUrl})));
        const QByteArray previous = cardFile("ancienne");
        QVERIFY(writeAll(appFile(dir, cards::kTempoCarFileName), previous));
        Run run;
        run.listDownloaded = true;
        run.dialogs.expectMessage(QStringLiteral("Téléchargement impossible"), Dialogs::Answer::Ok);
        auto w = window(dir, run);
        w->show();
        QTRY_COMPARE(w->List1->count(), 1);
        w->Command1->click();
        QTRY_VERIFY_WITH_TIMEOUT(run.dialogs.allAnswered(), 20000);
        QVERIFY(run.dialogs.unexpected.isEmpty());
        QVERIFY(!run.dialogs.shown.value(0).text.isEmpty());
        QCOMPARE(run.chargenetCalls, 0);
        QCOMPARE(readAll(appFile(dir, cards::kTempoCarFileName)), previous);
        QVERIFY(w->isVisible());
        QVERIFY(w->Command1->isEnabled());
        QVERIFY(w->Command3->isEnabled());
        QCOMPARE(w->Labet->text(), QStringLiteral("Erreur de transmission"));
    }

    // Servers that never finish: a body without end, and a body that comes one
    // byte at a time, each often enough for the time limit without data. The
    // transfer ends with a message, holds no more than the size limit allows,
    // writes nothing, and the window goes on working: the next card comes.
    void endlessServers_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("list"); // the list's transfer, or a card's
        QTest::addColumn<QString>("why");
        const QString tooLarge = QStringLiteral("dépasse la taille permise");
        const QString tooSlow = QStringLiteral("trop lentement : le téléchargement a dépassé 2 s");
        QTest::newRow("list, endless body") << QByteArray("/endless") << true << tooLarge;
        QTest::newRow("card, endless body") << QByteArray("/endless") << false << tooLarge;
        QTest::newRow("list, a byte at a time") << QByteArray("/trickle/50") << true << tooSlow;
        QTest::newRow("card, a byte at a time") << QByteArray("/trickle/50") << false << tooSlow;
    }

    void endlessServers()
    {
        QFETCH(QByteArray, path);
        QFETCH(bool, list);
        QFETCH(QString, why);
        const bool endless = path.startsWith("/endless");
        const qint64 limit = list ? feuilleFTP::kMaxListBytes : feuilleFTP::kMaxCardBytes;
        QTemporaryDir dir;
        setListUrl(dir, url(list ? path : QByteArray("/files/LISTEC.ZYP")));
        // On the list already on disk, the first card is the faulty one.
        const QByteArray oldList = records({"LISTECHIMIE", "sans fin", "", "", url(path),
                                            "\xe9thanol", "", "", url("/files/ethanol.CAR")});
        QVERIFY(writeAll(appFile(dir, cards::kListFileName), oldList));
        const QByteArray previous = cardFile("ancienne");
        QVERIFY(writeAll(appFile(dir, cards::kTempoCarFileName), previous));
        Run run;
        run.listDownloaded = !list;
        run.dialogs.expectMessage(QStringLiteral("Téléchargement impossible"), Dialogs::Answer::Ok);
        auto w = window(dir, run);
        // Only the deadline may end the trickle.
        w->setTransferTimeout(20000);
        w->setTransferDeadline(2000);
        const auto *inet = w->findChild<network::UrlTransfer *>(QStringLiteral("Inet1"));
        QVERIFY(inet);
        const qint64 memoryBefore = peakMemory();

        w->show();
        if (!list) {
            QTRY_COMPARE(w->List1->count(), 2);
            w->Command1->click();
        }
        QTRY_VERIFY_WITH_TIMEOUT(run.dialogs.allAnswered(), 20000);
        QVERIFY(run.dialogs.unexpected.isEmpty());
        QVERIFY2(run.dialogs.shown.value(0).text.contains(why),
                 qPrintable(run.dialogs.shown.value(0).text));
        QCOMPARE(w->Labet->text(), QStringLiteral("Erreur de transmission"));
        if (endless) {
            QVERIFY2(inet->bytesReceived() <= limit + network::UrlTransfer::kReadBufferBytes,
                     qPrintable(QString::number(inet->bytesReceived())));
            // The client hung up, long before the server's own stop at 256 MB.
            QTRY_VERIFY_WITH_TIMEOUT(http_.hasLine("endless"), 20000);
            const QByteArray sent = http_.takeLine("endless");
            QVERIFY2(sent.toLongLong() < 256 * 1024 * 1024, sent.constData());
            QVERIFY2(peakMemory() - memoryBefore < 64 * 1024 * 1024,
                     qPrintable(QString::number(peakMemory() - memoryBefore)));
        }
        QCOMPARE(readAll(appFile(dir, cards::kListFileName)), oldList);
        QCOMPARE(readAll(appFile(dir, cards::kTempoCarFileName)), previous);
        QCOMPARE(run.chargenetCalls, 0);
        QCOMPARE(run.listDownloaded, !list);
        QVERIFY(w->isVisible());
        QVERIFY(w->Command1->isEnabled());
        QVERIFY(w->Command3->isEnabled());

        QCOMPARE(w->List1->count(), 2);
        w->setTransferDeadline(60000);
        w->List1->setCurrentRow(1);
        w->Command1->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 20000);
        QCOMPARE(run.chargenetCalls, 1);
        QCOMPARE(run.loaded.card.nom(), std::string("éthanol"));
        QCOMPARE(run.dialogs.shown.size(), 1);
    }

    // The card is what the final address sent, without the redirection's own page.
    void redirectedCard()
    {
        QTemporaryDir dir;
        QVERIFY(writeAll(appFile(dir, cards::kListFileName),
                         records({"LISTECHIMIE", "\xe9thanol", "", "",
                                  url("/redirect?to=" + url("/files/ethanol.CAR"))})));
        Run run;
        run.listDownloaded = true;
        auto w = window(dir, run);
        w->show();
        QTRY_COMPARE(w->List1->count(), 1);
        w->Command1->click();
        QTRY_COMPARE_WITH_TIMEOUT(run.chargenetCalls, 1, 20000);
        QCOMPARE(readAll(appFile(dir, cards::kTempoCarFileName)), cardFile("\xe9thanol"));
        QVERIFY(run.dialogs.shown.isEmpty());
    }

    // The file is handed over as it came; the main window's reader rejects it.
    void notACard()
    {
        QTemporaryDir dir;
        QVERIFY(writeAll(appFile(dir, cards::kListFileName),
                         records({"LISTECHIMIE", "eau", "", "", url("/files/notacard.CAR")})));
        Run run;
        run.listDownloaded = true;
        auto w = window(dir, run);
        w->show();
        QTRY_COMPARE(w->List1->count(), 1);
        w->Command1->click();
        QTRY_COMPARE_WITH_TIMEOUT(run.chargenetCalls, 1, 20000);
        QCOMPARE(run.loaded.status, cards::CardFileStatus::NotCardFile);
        // The window stays, ready for another card.
        QVERIFY(w->isVisible() && w->Command1->isEnabled());
    }

    void annulerDuringTransfer()
    {
        QTemporaryDir dir;
        QVERIFY(writeAll(appFile(dir, cards::kListFileName),
                         records({"LISTECHIMIE", "eau", "", "", url("/slow/1536")})));
        const QByteArray previous = cardFile("ancienne");
        QVERIFY(writeAll(appFile(dir, cards::kTempoCarFileName), previous));
        Run run;
        run.listDownloaded = true;
        auto w = window(dir, run);
        w->setTransferTimeout(20000);
        w->show();
        QTRY_COMPARE(w->List1->count(), 1);
        w->Command1->click();
        QTRY_COMPARE_WITH_TIMEOUT(w->Labet->text(), QStringLiteral("Réception des données"), 20000);
        const auto *transfer = w->findChild<network::UrlTransfer *>();
        QVERIFY(transfer);
        QSignalSpy done(transfer, &network::UrlTransfer::done);
        QSignalSpy failed(transfer, &network::UrlTransfer::failed);
        w->Command2->click();
        QVERIFY(!w->isVisible());
        QCOMPARE(w->result(), int(QDialog::Rejected));
        // The transfer is abandoned: nothing is left that could write the
        // card or call back later.
        QVERIFY(!w->transferring());
        QVERIFY(!transfer->running());
        for (const QTimer *timer : transfer->findChildren<QTimer *>())
            QVERIFY(!timer->isActive());
        QCOMPARE(done.count() + failed.count(), 0);
        QCOMPARE(run.chargenetCalls, 0);
        QVERIFY(run.dialogs.shown.isEmpty());
        QCOMPARE(readAll(appFile(dir, cards::kTempoCarFileName)), previous);
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
