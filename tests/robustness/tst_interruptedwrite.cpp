#include "database.h"
#include "recordfile.h"
#include "writesteps.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// A child process runs one database operation on a full 2978-card database
// and stops dead (SIGKILL) at step N of the file's replacement, for every N
// the operation goes through. The file must then be byte for byte the content
// before the operation up to the rename and the content after it from then
// on; what else is left is a temporary file that nothing reads or the dead
// writer's lock file; and the next write works and takes the leftover away.

namespace fs = std::filesystem;
using cards::carte;
using cards::Database;
using cards::RecordFile;
using cards::WriteStep;

namespace
{

constexpr int kAllSteps = static_cast<int>(WriteStep::Cleaned) + 1;

std::vector<char> readAll(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary | std::ios::ate);
    std::vector<char> bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)));
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

void writeAll(const fs::path &p, const RecordFile &f)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(f.bytes().data(), static_cast<std::streamsize>(f.bytes().size()));
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

carte newCard(int n)
{
    carte c = startCard(n + 10000);
    c.nom() = "Nouvelle espèce " + std::to_string(n);
    return c;
}

// The operations killed: a card replaced in place, a card near the start
// removed (every later card moves down), a card added at the end. The last
// one runs on the database less the removed card, the others on the full one.
enum class Op { Replace, Remove, Add, Next };
constexpr int kReplacedSlot = 1489;
constexpr int kRemovedSlot = 37;
constexpr int kNextSlot = 100;

bool runOp(const Database &db, Op op)
{
    switch (op) {
    case Op::Replace:
        return db.write(newCard(1), kReplacedSlot).message == cards::DbMessage::None;
    case Op::Remove:
        return db.remove(kRemovedSlot) == cards::DbMessage::None;
    case Op::Add:
        return db.write(newCard(2), -1).message == cards::DbMessage::None;
    case Op::Next:
        return db.write(newCard(3), kNextSlot).message == cards::DbMessage::None;
    }
    return false;
}

// The same operation on an image in memory.
void simulateOp(RecordFile &f, Op op)
{
    switch (op) {
    case Op::Replace:
        cards::image::writeCard(f, kReplacedSlot, newCard(1));
        return;
    case Op::Remove:
        cards::image::removeCard(f, kRemovedSlot);
        return;
    case Op::Add:
        cards::image::writeCard(f, cards::image::countCards(f), newCard(2));
        return;
    case Op::Next:
        cards::image::writeCard(f, kNextSlot, newCard(3));
        return;
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

const char *stepName(WriteStep step)
{
    switch (step) {
    case WriteStep::LockTaken:
        return "lock taken";
    case WriteStep::TempCreated:
        return "temporary file created";
    case WriteStep::PieceWritten:
        return "piece written";
    case WriteStep::Flushed:
        return "flushed";
    case WriteStep::Closed:
        return "closed";
    case WriteStep::Replaced:
        return "replaced";
    case WriteStep::Cleaned:
        return "leftovers removed";
    }
    return "?";
}

// The child's side: at its stopAt-th step it tells which step it is, then
// dies as a power cut or a kill would leave it.
int stopAt = 0;
int stepsSeen = 0;
int reportFd = -1;

void stopAtStep(WriteStep step)
{
    if (++stepsSeen != stopAt)
        return;
    const char code = static_cast<char>('0' + static_cast<int>(step));
    if (::write(reportFd, &code, 1) != 1)
        ::_exit(3);
    ::raise(SIGKILL);
}

// What a child that ran `op` stopping at its stopAt-th step sent and how it
// ended: a step digit and SIGKILL, or "D" and exit 0 when the operation
// finished before that step.
struct ChildEnd {
    std::string sent;
    int status = 0;
};

ChildEnd runChild(const Database &db, Op op, int step)
{
    int pipeFd[2];
    if (::pipe(pipeFd) != 0)
        return {"pipe", 0};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFd[0]);
        reportFd = pipeFd[1];
        stopAt = step;
        cards::setWriteStepHook(stopAtStep);
        const char done = runOp(db, op) ? 'D' : 'E';
        ::_exit(::write(reportFd, &done, 1) == 1 && done == 'D' ? 0 : 1);
    }
    ::close(pipeFd[1]);
    if (child < 0) {
        ::close(pipeFd[0]);
        return {"fork", 0};
    }
    ChildEnd end;
    char buf[64];
    for (ssize_t got; (got = ::read(pipeFd[0], buf, sizeof buf)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break;
        end.sent.append(buf, static_cast<std::size_t>(got));
    }
    ::close(pipeFd[0]);
    while (::waitpid(child, &end.status, 0) < 0 && errno == EINTR) {
    }
    return end;
}

} // namespace

class tst_InterruptedWrite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void stoppedAtEveryStep_data();
    void stoppedAtEveryStep();
    void staleTemporaryFiles();

private:
    RecordFile full_;
    RecordFile lessOne_;
};

void tst_InterruptedWrite::initTestCase()
{
    for (int i = 0; i < cards::kMaxCards; ++i)
        QCOMPARE(cards::image::writeCard(full_, i, startCard(i)), cards::IoError::None);
    lessOne_ = full_;
    simulateOp(lessOne_, Op::Remove);
}

void tst_InterruptedWrite::stoppedAtEveryStep_data()
{
    QTest::addColumn<int>("op");
    QTest::newRow("replace") << int(Op::Replace);
    QTest::newRow("remove") << int(Op::Remove);
    QTest::newRow("add") << int(Op::Add);
}

void tst_InterruptedWrite::stoppedAtEveryStep()
{
    QFETCH(int, op);
    const Op operation = static_cast<Op>(op);
    const RecordFile &before = operation == Op::Add ? lessOne_ : full_;
    RecordFile after = before;
    simulateOp(after, operation);
    QVERIFY(before.bytes() != after.bytes());

    std::vector<WriteStep> steps;
    for (int stop = 1;; ++stop) {
        QVERIFY2(stop < 100, "the operation never finished");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const fs::path dirPath = dir.path().toStdString();
        const Database db = Database::inDirectory(dirPath);
        writeAll(db.path(), before);

        const ChildEnd end = runChild(db, operation, stop);
        if (end.sent == "D") {
            // Finished before this step: every step has been gone through.
            QVERIFY(WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0);
            QVERIFY(readAll(db.path()) == after.bytes());
            QVERIFY(otherEntries(dirPath).empty());
            break;
        }
        QVERIFY2(end.sent.size() == 1 && end.sent[0] >= '0' && end.sent[0] < '0' + kAllSteps,
                 end.sent.c_str());
        QVERIFY2(WIFSIGNALED(end.status) && WTERMSIG(end.status) == SIGKILL,
                 "the child ended otherwise than killed");
        const auto step = static_cast<WriteStep>(end.sent[0] - '0');
        steps.push_back(step);
        const QByteArray where =
            "stopped at step " + QByteArray::number(stop) + ", " + stepName(step);

        // The rename is the one moment the file changes.
        const bool replaced = step >= WriteStep::Replaced;
        QVERIFY2(readAll(db.path()) == (replaced ? after : before).bytes(), where.constData());

        // The temporary file lives from its creation to the rename; the lock
        // file stays, its lock dead with the writer.
        const bool tempExpected = step >= WriteStep::TempCreated && !replaced;
        int temps = 0;
        bool lockFile = false;
        for (const std::string &name : otherEntries(dirPath)) {
            const bool isLock = name == std::string(cards::kDatabaseFileName) + ".lock";
            QVERIFY2(isTempName(name) || isLock, (where + ": " + name.c_str()).constData());
            temps += isTempName(name);
            lockFile = lockFile || isLock;
        }
        QVERIFY2(temps == (tempExpected ? 1 : 0), where.constData());
        QVERIFY2(lockFile, where.constData());

        const RecordFile &current = replaced ? after : before;
        const cards::ListResult listed = db.list(cards::kIndice);
        QCOMPARE(listed.error, cards::IoError::None);
        QCOMPARE(int(listed.cards.size()), cards::image::countCards(current));

        // The next start goes on: a write works, gives the expected content
        // and takes the killed writer's leftovers away.
        RecordFile next = current;
        simulateOp(next, Op::Next);
        QVERIFY2(runOp(db, Op::Next), where.constData());
        QVERIFY2(readAll(db.path()) == next.bytes(), where.constData());
        QVERIFY2(otherEntries(dirPath).empty(), where.constData());
    }

    // Every kind of step was met, in the order of a save.
    QVERIFY(std::is_sorted(steps.begin(), steps.end()));
    QCOMPARE(int(std::set<WriteStep>(steps.begin(), steps.end()).size()), kAllSteps);
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

QTEST_APPLESS_MAIN(tst_InterruptedWrite)
#include "tst_interruptedwrite.moc"
