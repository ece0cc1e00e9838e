#include "cardbytes.h"
#include "cardfile.h"
#include "companiontool.h"
#include "database.h"
#include "downloadlist.h"
#include "filelock.h"
#include "recordfile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <new>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

// Files that are not regular files (named pipes, directories), the memory a
// load takes, and several programs writing one database at once.

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using cards::carte;
using cards::Database;
using cards::DbMessage;
using cards::IoError;

// Bytes allocated while `counting` is set: a load must take one block of the
// file's size, not grow a buffer by doubling.
namespace
{
std::atomic<bool> counting{false};
std::atomic<std::size_t> allocated{0};
std::atomic<std::size_t> largest{0};
} // namespace

void *operator new(std::size_t size)
{
    if (counting) {
        allocated += size;
        std::size_t seen = largest;
        while (size > seen && !largest.compare_exchange_weak(seen, size)) {
        }
    }
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}

namespace
{

carte card(const std::string &nom, const std::string &drapeaux = "0100000000")
{
    carte c;
    c.nom() = nom;
    c.formule() = "H#2O";
    c.drapeaux() = drapeaux;
    for (int q = 0; q < 7; ++q)
        c.quantite(q) = std::to_string(q);
    return c;
}

std::string slot(const carte &c)
{
    std::string s;
    for (int k = 1; k <= cards::kFieldCount; ++k)
        s += rec(c.field(k));
    return s;
}

// Runs `op` on a thread of its own. An operation that waits on the pipe for
// another end gets one (opened and closed at once) after the deadline, so that
// it ends and the test reports the wait instead of hanging.
bool endsAlone(const fs::path &pipe, const std::function<void()> &op)
{
    auto done = std::async(std::launch::async, op);
    if (done.wait_for(10s) == std::future_status::ready)
        return true;
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0)
        ::close(writer);
    done.wait();
    if (reader >= 0)
        ::close(reader);
    return false;
}

} // namespace

class SharedFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        root_ = fs::path(dir_->path().toStdString());
    }

    void notRegularFile_data();
    void notRegularFile();
    void toolsRefuseNotRegularFile_data();
    void toolsRefuseNotRegularFile();
    void loadAllocatesFileSizeOnce();
    void twoToolsAddingSideBySide();
    void lockTakenMeansNothingWritten();
    void toolGivesUpOnTakenLock();
    void lockFollowsRemovedLockFile();
    void writeChecksNameUnderLock_data();
    void writeChecksNameUnderLock();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    fs::path root_;
};

// What the reader or writer in question ends with, given a pipe, a directory
// or a link to a pipe where a file is expected.
void SharedFilesTest::notRegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("expected");
    for (const char *kind : {"fifo", "directory", "link to fifo"}) {
        const auto row = [kind](const char *op, const char *expected) {
            QTest::addRow("%s, %s", kind, op) << kind << op << expected;
        };
        row("load", "Open");
        row("database list", "empty, Open");
        row("database show", "LectureImpossible");
        row("database check name", "EcritureImpossible, refused");
        row("database write", "EcritureImpossible");
        row("database remove", "EcritureImpossible");
        row("card file open", "ReadError");
        row("card file download", "ReadError");
        row("card file save", "Open");
        row("download list", "Open");
        row("write one record", "Open");
    }
}

void SharedFilesTest::notRegularFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, operation);
    QFETCH(QString, expected);

    const fs::path pipe = root_ / "tube";
    QCOMPARE(::mkfifo(pipe.c_str(), 0600), 0);
    fs::path file = pipe;
    if (kind == QLatin1String("directory")) {
        file = root_ / "dossier";
        fs::create_directory(file);
    } else if (kind == QLatin1String("link to fifo")) {
        file = root_ / "lien";
        fs::create_symlink(pipe, file);
    }

    const Database db(file);
    QString got;
    const auto messageName = [](DbMessage m) {
        return m == DbMessage::None                ? QStringLiteral("None")
               : m == DbMessage::LectureImpossible ? QStringLiteral("LectureImpossible")
                                                   : QStringLiteral("EcritureImpossible");
    };
    const auto errorName = [](IoError e) {
        return e == IoError::None   ? QStringLiteral("None")
               : e == IoError::Open ? QStringLiteral("Open")
                                    : QStringLiteral("other %1").arg(int(e));
    };
    const auto cardStatus = [](cards::CardFileStatus s) {
        return s == cards::CardFileStatus::Ok          ? QStringLiteral("Ok")
               : s == cards::CardFileStatus::ReadError ? QStringLiteral("ReadError")
                                                       : QStringLiteral("NotCardFile");
    };
    const std::map<QString, std::function<void()>> operations = {
        {"load",
         [&] {
             cards::RecordFile f;
             got = errorName(cards::RecordFile::load(file, f));
         }},
        {"database list",
         [&] {
             const cards::ListResult r = db.list(5);
             got = (r.cards.empty() ? QStringLiteral("empty, ") : QStringLiteral("cards, ")) +
                   errorName(r.error);
         }},
        {"database show", [&] { got = messageName(db.showCompletingFlags("eau", 0).message); }},
        {"database check name",
         [&] {
             const cards::CheckResult r = db.checkName("eau", -1);
             got = messageName(r.message) +
                   (r.reponseNOM ? QStringLiteral(", free") : QStringLiteral(", refused"));
         }},
        {"database write", [&] { got = messageName(db.write(card("eau"), -1).message); }},
        {"database remove", [&] { got = messageName(db.remove(0)); }},
        {"card file open", [&] { got = cardStatus(cards::readCardFile(file, true).status); }},
        {"card file download", [&] { got = cardStatus(cards::readCardFile(file, false).status); }},
        {"card file save", [&] { got = errorName(cards::writeCardFile(file, card("eau"))); }},
        {"download list", [&] { got = errorName(cards::readDownloadList(file).error); }},
        {"write one record", [&] { got = errorName(cards::writeOneRecord(file, 14, "OUI")); }},
    };
    QVERIFY2(endsAlone(pipe, operations.at(operation)), "waited on the pipe");
    QCOMPARE(got, expected);

    // What was there is still there, and nothing was left beside it.
    QVERIFY(fs::is_fifo(pipe));
    if (kind == QLatin1String("directory"))
        QVERIFY(fs::is_directory(file) && fs::is_empty(file));
    if (kind == QLatin1String("link to fifo"))
        QVERIFY(fs::is_symlink(fs::symlink_status(file)));
    int entries = 0;
    for ([[maybe_unused]] const auto &e : fs::directory_iterator(root_))
        ++entries;
    QCOMPARE(entries, kind == QLatin1String("fifo") ? 1 : 2);
}

void SharedFilesTest::toolsRefuseNotRegularFile_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("check") << QStringList{"check", "@"} << "lecture impossible";
    QTest::newRow("show") << QStringList{"show", "@"} << "lecture impossible";
    QTest::newRow("export") << QStringList{"export", "@"} << "lecture impossible";
    QTest::newRow("import into") << QStringList{"import", "#", "@"} << "lecture impossible";
    QTest::newRow("records into") << QStringList{"records", "%", "@"} << "écriture impossible";
}

void SharedFilesTest::toolsRefuseNotRegularFile()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const fs::path pipe = root_ / "ESPCHIMIQUES.ZYP";
    QCOMPARE(::mkfifo(pipe.c_str(), 0600), 0);
    writeFile(root_ / "a.csv", "nom,formule,drapeaux,aspect,massemolaire,massevolumique,densite,"
                               "ebullition,fusion,indice,solubilite,reference\n"
                               "eau,H#2O,0100000000,liquide,18,1000,1,100,0,\"1,33\",,\n");
    writeFile(root_ / "a.txt", "14: OUI\n");
    for (QString &a : args)
        a = a == "@"   ? pathArg(pipe)
            : a == "#" ? pathArg(root_ / "a.csv")
            : a == "%" ? pathArg(root_ / "a.txt")
                       : a;

    const ToolRun r = runTool(args, 20000);
    QVERIFY2(r.code != -1, "the tool waited on the pipe");
    QCOMPARE(r.code, 1);
    QVERIFY2(QString::fromUtf8(r.err).contains(message), r.err);
    QVERIFY(r.out.isEmpty());
    QVERIFY(fs::is_fifo(pipe));
}

void SharedFilesTest::loadAllocatesFileSizeOnce()
{
    // A full database: 2978 cards, 4 MB.
    std::string bytes;
    for (int i = 0; i < cards::kMaxCards; ++i)
        bytes += slot(card("espèce " + std::to_string(i)));
    const fs::path path = root_ / "ESPCHIMIQUES.ZYP";
    writeFile(path, bytes);

    cards::RecordFile f;
    allocated = 0;
    largest = 0;
    counting = true;
    const IoError e = cards::RecordFile::load(path, f);
    counting = false;
    QCOMPARE(e, IoError::None);
    QCOMPARE(f.bytes().size(), bytes.size());
    QVERIFY(f.bytes() == std::vector<char>(bytes.begin(), bytes.end()));
    QCOMPARE(std::size_t(largest), bytes.size());
    QVERIFY2(allocated < bytes.size() + 4096, QByteArray::number(qulonglong(allocated.load())));
}

// Two companion tools, each adding 60 cards one at a time, side by side:
// every card of both is in the database at the end.
void SharedFilesTest::twoToolsAddingSideBySide()
{
    constexpr int kEach = 60;
    const fs::path db = root_ / "ESPCHIMIQUES.ZYP";
    const QString header = "nom,formule,drapeaux,aspect,massemolaire,massevolumique,densite,"
                           "ebullition,fusion,indice,solubilite,reference\n";
    struct Chain {
        QString name;
        int next = 0;
        int failures = 0;
        QByteArray errors;
        QProcess process;
    };
    Chain chains[2];
    chains[0].name = "A";
    chains[1].name = "B";
    const auto csvOf = [&](const Chain &c, int i) {
        return root_ / (c.name + QString::number(i) + ".csv").toStdString();
    };
    for (Chain &c : chains) {
        for (int i = 0; i < kEach; ++i)
            writeFile(csvOf(c, i), (header + c.name + "-" + QString::number(i) +
                                    ",H#2O,0100000000,liquide,18,,,,,,,\n")
                                       .toStdString());
    }
    const auto start = [&](Chain &c) {
        c.process.start(QStringLiteral(CARTES_OUTIL),
                        {"import", pathArg(csvOf(c, c.next)), pathArg(db)});
    };
    for (Chain &c : chains) {
        connect(&c.process, &QProcess::finished, this, [&](int code, QProcess::ExitStatus status) {
            if (code != 0 || status != QProcess::NormalExit) {
                ++c.failures;
                c.errors += c.process.readAllStandardError();
            }
            if (++c.next < kEach)
                start(c);
        });
    }
    for (Chain &c : chains)
        start(c);
    QTRY_VERIFY_WITH_TIMEOUT(chains[0].next == kEach && chains[1].next == kEach, 240000);
    QVERIFY2(chains[0].failures + chains[1].failures == 0, chains[0].errors + chains[1].errors);

    cards::RecordFile f;
    QCOMPARE(cards::RecordFile::load(db, f), IoError::None);
    QCOMPARE(cards::image::countCards(f), 2 * kEach);
    std::set<std::string> names;
    for (int i = 0; i < 2 * kEach; ++i) {
        std::string nom;
        QCOMPARE(f.read(11 * i + 1, nom), IoError::None);
        names.insert(nom);
    }
    for (const Chain &c : chains)
        for (int i = 0; i < kEach; ++i)
            QVERIFY(names.count((c.name + "-" + QString::number(i)).toStdString()));
    // Neither a lock file nor a temporary file is left behind.
    int entries = 0;
    for (const auto &e : fs::directory_iterator(root_))
        entries += e.path().extension() != ".csv";
    QCOMPARE(entries, 1);
}

// While another holder keeps the lock, every operation that would change the
// database gives up after its wait, writes nothing and says why; reading
// needs no lock.
void SharedFilesTest::lockTakenMeansNothingWritten()
{
    const fs::path path = root_ / "ESPCHIMIQUES.ZYP";
    const std::string before = slot(card("eau")) + slot(card("ammoniac", "010100100"));
    writeFile(path, before);

    cards::FileLock other;
    QCOMPARE(other.acquire(path), IoError::None);
    QVERIFY(other.held());
    QVERIFY(fs::exists(cards::lockPathOf(path)));

    const Database db(path, 50ms);
    const cards::WriteResult w = db.write(card("méthane"), -1);
    QCOMPARE(w.message, DbMessage::EcritureImpossible);
    QCOMPARE(w.error, IoError::Locked);
    QCOMPARE(db.write(card("eau"), 0).message, DbMessage::EcritureImpossible);
    QCOMPARE(db.remove(0), DbMessage::EcritureImpossible);
    // The nine-character flag string cannot be completed: a read error, as
    // for any failure to write it back.
    const cards::ShowResult nine = db.showCompletingFlags("ammoniac", 0);
    QCOMPARE(nine.message, DbMessage::LectureImpossible);
    QCOMPARE(nine.error, IoError::Locked);
    QVERIFY(readFile(path) == before);

    // Reading goes on.
    const cards::ShowResult eau = db.showCompletingFlags("eau", 0);
    QVERIFY(eau.found);
    QCOMPARE(eau.card.field(2), std::string("H#2O"));
    QCOMPARE(db.list(5).cards.size(), std::size_t(2));
    QVERIFY(db.checkName("méthane", -1).reponseNOM);

    // Released: the same operations go through, and the lock file is gone.
    other.release();
    QVERIFY(!fs::exists(cards::lockPathOf(path)));
    QCOMPARE(db.write(card("méthane"), -1).slot, 2);
    QVERIFY(db.showCompletingFlags("ammoniac", 0).completedNine);
    QVERIFY(!fs::exists(cards::lockPathOf(path)));
}

void SharedFilesTest::toolGivesUpOnTakenLock()
{
    const fs::path db = root_ / "ESPCHIMIQUES.ZYP";
    const std::string before = slot(card("eau"));
    writeFile(db, before);
    writeFile(root_ / "a.csv", "nom,formule,drapeaux,aspect,massemolaire,massevolumique,densite,"
                               "ebullition,fusion,indice,solubilite,reference\n"
                               "ammoniac,NH#3,0101001000,gaz,17,,,,,,,\n");
    cards::FileLock other;
    QCOMPARE(other.acquire(db), IoError::None);
    const ToolRun r = runTool({"import", pathArg(root_ / "a.csv"), pathArg(db)});
    QCOMPARE(r.code, 1);
    QVERIFY2(QString::fromUtf8(r.err).contains("occupé par un autre programme"), r.err);
    QVERIFY2(QString::fromUtf8(r.err).contains("la base n'est pas modifiée"), r.err);
    QVERIFY(readFile(db) == before);

    other.release();
    QCOMPARE(runTool({"import", pathArg(root_ / "a.csv"), pathArg(db)}).code, 0);
    QCOMPARE(readFile(db), before + slot([] {
                               carte c;
                               c.nom() = "ammoniac";
                               c.formule() = "NH#3";
                               c.drapeaux() = "0101001000";
                               c.aspect() = "gaz";
                               c.quantite(0) = "17";
                               return c;
                           }()));
}

// A waiter that opened the lock file before its holder removed it must not
// count the lock on that removed file as held: a third taker, on the file
// that the name gives then, would be let in beside it.
void SharedFilesTest::lockFollowsRemovedLockFile()
{
    const fs::path path = root_ / "ESPCHIMIQUES.ZYP";
    for (int round = 0; round < 20; ++round) {
        auto first = std::make_unique<cards::FileLock>();
        QCOMPARE(first->acquire(path), IoError::None);
        cards::FileLock second;
        auto waiting = std::async(std::launch::async, [&] { return second.acquire(path, 10s); });
        first.reset();
        QCOMPARE(waiting.get(), IoError::None);
        QVERIFY(second.held());
        cards::FileLock third;
        QCOMPARE(third.acquire(path, 0ms), IoError::Locked);
    }
}

// The window checks the name, then writes: another program may add a card of
// that name in between. The write checks again under the lock and refuses,
// writing nothing, rather than leave two cards of one name.
void SharedFilesTest::writeChecksNameUnderLock_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("numcarte");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<int>("written");
    QTest::newRow("new card, name of another") << "méthane" << -1 << true << -1;
    QTest::newRow("card renamed to another's name") << "méthane" << 0 << true << -1;
    QTest::newRow("card keeping its own name") << "méthane" << 2 << false << 2;
    QTest::newRow("new card, free name") << "Méthane" << -1 << false << 3;
    QTest::newRow("same name, other spaces") << "méthane " << 1 << false << 1;
}

void SharedFilesTest::writeChecksNameUnderLock()
{
    QFETCH(QString, name);
    QFETCH(int, numcarte);
    QFETCH(bool, taken);
    QFETCH(int, written);
    const fs::path path = root_ / "ESPCHIMIQUES.ZYP";
    writeFile(path, slot(card("eau")) + slot(card("ammoniac")));
    const Database db(path);
    QVERIFY(db.checkName(name.toStdString(), numcarte).reponseNOM);

    // Another program adds méthane.
    QCOMPARE(Database(path).write(card("méthane"), -1).slot, 2);
    const std::string before = readFile(path);

    const cards::WriteResult w = db.write(card(name.toStdString()), numcarte);
    QCOMPARE(w.nameTaken, taken);
    QCOMPARE(w.slot, written);
    QCOMPARE(w.message, taken ? DbMessage::EcritureImpossible : DbMessage::None);
    if (taken)
        QVERIFY(readFile(path) == before);
}

QTEST_GUILESS_MAIN(SharedFilesTest)
#include "tst_sharedfiles.moc"
