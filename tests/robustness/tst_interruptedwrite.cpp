#include "database.h"
#include "recordfile.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// A child process loops database writes (or removals followed by writes) on a
// full 2978-card database and is killed with SIGKILL at moments spread evenly
// over two of its operations. The file must then be byte for byte the content
// before or after the operation in progress, any leftover is a temporary file
// that nothing reads, and the next write works and removes that leftover.

namespace fs = std::filesystem;
using cards::carte;
using cards::Database;
using cards::RecordFile;

namespace
{

constexpr int kMoments = 50;
constexpr int kStableSlot = 1489;

std::string readAll(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    std::string bytes;
    char buf[1 << 16];
    while (in.read(buf, sizeof buf) || in.gcount() > 0)
        bytes.append(buf, static_cast<std::size_t>(in.gcount()));
    return bytes;
}

// Card of slot i of the starting database: every field used, lengths varied,
// accented characters included.
carte startCard(int i)
{
    carte c;
    c.nom() = "Espèce n°" + std::to_string(i);
    c.formule() = "C#" + std::to_string(1 + i % 9) + "H#" + std::to_string(2 + i % 7) + "O*2*-";
    c.drapeaux() = i % 3 == 0 ? "1000100101" : "0110011000";
    c.aspect() = std::string(static_cast<std::size_t>(i % 100), 'x') + " liquide incolore";
    for (int q = 0; q < 7; ++q)
        c.quantite(q) = std::to_string(i * 7 + q) + "," + std::to_string(q);
    if (i % 5 == 0)
        c.quantite(6) = "miscible";
    return c;
}

// The card written by operation n of the child.
carte newCard(int n)
{
    carte c = startCard(n + 10000);
    c.nom() = "Nouvelle espèce " + std::to_string(n);
    return c;
}

enum class Mode { Write, Remove };

// Operation n of the child: in write mode, a card replaced in place in a
// slot that moves over the file; in remove mode, a card near the start
// removed (every later card moves down), then a new card added at the end.
int writeSlot(int n)
{
    return static_cast<int>((static_cast<long>(n) * 997 + 13) % cards::kMaxCards);
}
int removeSlot(int n)
{
    return (n / 2 * 37) % 100;
}

bool runOp(const Database &db, Mode mode, int n)
{
    if (mode == Mode::Write)
        return db.write(newCard(n), writeSlot(n)).message == cards::DbMessage::None;
    if (n % 2 == 0)
        return db.remove(removeSlot(n)) == cards::DbMessage::None;
    return db.write(newCard(n), -1).message == cards::DbMessage::None;
}

// The same operation on an image in memory.
void simulateOp(RecordFile &f, Mode mode, int n)
{
    if (mode == Mode::Write) {
        cards::image::writeCard(f, writeSlot(n), newCard(n));
    } else if (n % 2 == 0) {
        cards::image::removeCard(f, removeSlot(n));
    } else {
        cards::image::writeCard(f, cards::image::countCards(f), newCard(n));
    }
}

bool isTempName(const std::string &name)
{
    const std::string prefix = std::string(".") + cards::kDatabaseFileName + ".";
    return name.size() > prefix.size() + 4 && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - 4, 4, ".tmp") == 0;
}

// Names in the directory other than the database.
std::vector<std::string> otherEntries(const fs::path &dir)
{
    std::vector<std::string> names;
    for (const auto &e : fs::directory_iterator(dir)) {
        if (e.path().filename() != cards::kDatabaseFileName)
            names.push_back(e.path().filename().string());
    }
    return names;
}

} // namespace

class tst_InterruptedWrite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void interrupted_data();
    void interrupted();
    void staleTemporaryFiles();
    void cleanupTestCase();

private:
    RecordFile start_;
    std::string startBytes_;
    std::chrono::nanoseconds opTime_[2]{};
    int leftovers_ = 0;
    int runs_ = 0;
};

void tst_InterruptedWrite::initTestCase()
{
    for (int i = 0; i < cards::kMaxCards; ++i)
        QCOMPARE(cards::image::writeCard(start_, i, startCard(i)), cards::IoError::None);
    startBytes_.assign(start_.bytes().begin(), start_.bytes().end());
    QCOMPARE(startBytes_.size(), std::size_t(11 * cards::kMaxCards * 128));

    // How long one operation takes here, so that the kill moments spread over
    // two operations whatever the speed of the machine.
    for (Mode mode : {Mode::Write, Mode::Remove}) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const Database db = Database::inDirectory(dir.path().toStdString());
        QCOMPARE(start_.save(db.path()), cards::IoError::None);
        std::vector<std::chrono::nanoseconds> times;
        for (int n = 0; n < 6; ++n) {
            const auto t0 = std::chrono::steady_clock::now();
            QVERIFY(runOp(db, mode, n));
            times.push_back(std::chrono::steady_clock::now() - t0);
        }
        std::sort(times.begin(), times.end());
        opTime_[mode == Mode::Write ? 0 : 1] = times[times.size() / 2];
    }
}

void tst_InterruptedWrite::interrupted_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("moment");
    for (Mode mode : {Mode::Write, Mode::Remove}) {
        for (int m = 0; m < kMoments; ++m) {
            const QByteArray tag =
                (mode == Mode::Write ? "write/" : "remove/") + QByteArray::number(m);
            QTest::newRow(tag.constData()) << static_cast<int>(mode) << m;
        }
    }
}

void tst_InterruptedWrite::interrupted()
{
    QFETCH(int, mode);
    QFETCH(int, moment);
    const Mode m = static_cast<Mode>(mode);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const fs::path dirPath = dir.path().toStdString();
    const Database db = Database::inDirectory(dirPath);
    QCOMPARE(start_.save(db.path()), cards::IoError::None);

    int pipeFd[2];
    QCOMPARE(::pipe(pipeFd), 0);
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // The child: says it is ready, then one byte per finished operation.
        ::close(pipeFd[0]);
        const char ready = 'R';
        if (::write(pipeFd[1], &ready, 1) != 1)
            ::_exit(2);
        for (int n = 0;; ++n) {
            const char done = runOp(db, m, n) ? '+' : 'E';
            if (::write(pipeFd[1], &done, 1) != 1 || done == 'E')
                ::_exit(1);
        }
    }
    ::close(pipeFd[1]);
    char first = 0;
    while (::read(pipeFd[0], &first, 1) < 0 && errno == EINTR) {
    }
    const auto span = 2 * opTime_[m == Mode::Write ? 0 : 1];
    std::this_thread::sleep_for(span * moment / kMoments);
    ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    std::string progress;
    char buf[256];
    for (ssize_t got; (got = ::read(pipeFd[0], buf, sizeof buf)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        QVERIFY(got > 0);
        progress.append(buf, static_cast<std::size_t>(got));
    }
    ::close(pipeFd[0]);
    QCOMPARE(first, 'R');
    QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL,
             "the child stopped before it was killed (an operation failed)");
    QVERIFY(progress.find('E') == std::string::npos);
    const int done = static_cast<int>(progress.size());

    // The content before and after the operation that was running.
    RecordFile before = start_;
    for (int n = 0; n < done; ++n)
        simulateOp(before, m, n);
    RecordFile after = before;
    simulateOp(after, m, done);
    const std::string beforeBytes(before.bytes().begin(), before.bytes().end());
    const std::string afterBytes(after.bytes().begin(), after.bytes().end());
    QVERIFY(beforeBytes != afterBytes);

    const std::string onDisk = readAll(db.path());
    QVERIFY2(onDisk == beforeBytes || onDisk == afterBytes,
             qPrintable(QStringLiteral("after %1 operations the file (%2 bytes) is neither the "
                                       "old content nor the new one")
                            .arg(done)
                            .arg(onDisk.size())));
    const RecordFile &current = onDisk == beforeBytes ? before : after;
    const int doneOnDisk = onDisk == beforeBytes ? done : done + 1;

    // Whatever else is there is a temporary file of the save, which the
    // database never reads, or the lock file of the killed writer, whose
    // lock died with it.
    const std::vector<std::string> others = otherEntries(dirPath);
    int temps = 0;
    for (const std::string &name : others) {
        QVERIFY2(isTempName(name) || name == std::string(cards::kDatabaseFileName) + ".lock",
                 name.c_str());
        temps += isTempName(name);
    }
    QVERIFY(temps <= 1);
    ++runs_;
    leftovers_ += temps;

    const cards::ListResult listed = db.list(cards::kIndice);
    QCOMPARE(listed.error, cards::IoError::None);
    QCOMPARE(static_cast<int>(listed.cards.size()), cards::image::countCards(current));

    // The next start goes on: a write works, gives the expected content and
    // takes the killed writer's leftover away.
    RecordFile next = current;
    simulateOp(next, m, doneOnDisk);
    QVERIFY(runOp(db, m, doneOnDisk));
    QVERIFY(readAll(db.path()) == std::string(next.bytes().begin(), next.bytes().end()));
    QVERIFY(otherEntries(dirPath).empty());
}

// Leftovers of writers that no longer run are removed by the next save of the
// same file; a save in progress in another process and unrelated files are not.
void tst_InterruptedWrite::staleTemporaryFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const fs::path dirPath = dir.path().toStdString();

    const pid_t gone = ::fork();
    QVERIFY(gone >= 0);
    if (gone == 0)
        ::_exit(0);
    int status = 0;
    QCOMPARE(::waitpid(gone, &status, 0), gone);
    const pid_t alive = ::getppid();
    const std::string db = cards::kDatabaseFileName;
    const std::string deadTemp = "." + db + "." + std::to_string(gone) + "-abcd1234.tmp";
    const std::string liveTemp = "." + db + "." + std::to_string(alive) + "-abcd1234.tmp";
    const std::vector<std::string> kept = {
        liveTemp,
        "." + db + "." + std::to_string(gone) + "-abcd123.tmp",   // not the pattern
        "." + db + ".x" + std::to_string(gone) + "-abcd1234.tmp", // not the pattern
        ".TEMPO.CAR." + std::to_string(gone) + "-abcd1234.tmp",   // another file's
        db + "." + std::to_string(gone) + "-abcd1234.tmp",        // not hidden
    };
    for (const std::string &name : kept)
        std::ofstream(dirPath / name) << "garbage";
    std::ofstream(dirPath / deadTemp) << std::string(4096, '\xff');

    // A leftover is not read as anything.
    const Database base = Database::inDirectory(dirPath);
    QVERIFY(base.list(cards::kFusion).cards.empty());
    carte c = startCard(3);
    QCOMPARE(base.write(c, -1).message, cards::DbMessage::None);

    QVERIFY(!fs::exists(dirPath / deadTemp));
    for (const std::string &name : kept)
        QVERIFY2(fs::exists(dirPath / name), name.c_str());
    QCOMPARE(base.list(cards::kFusion).cards.size(), std::size_t(1));
}

void tst_InterruptedWrite::cleanupTestCase()
{
    qInfo("%d kills, %d left a temporary file behind (removed by the next write)", runs_,
          leftovers_);
}

QTEST_APPLESS_MAIN(tst_InterruptedWrite)
#include "tst_interruptedwrite.moc"
