#include "tst_cards.h"

#include "database.h"
#include "helpers.h"

#include <QRandomGenerator>

#include <csignal>
#include <sys/resource.h>

using namespace cards;

namespace
{

std::string databaseOf(const QStringList &names)
{
    std::string s;
    for (const QString &n : names)
        s += n == "#damaged" ? rawRec(200) + slotBytes("").substr(128) : slotBytes(n.toStdString());
    return s;
}

std::string replaceRecord(std::string file, int n, const std::string &record)
{
    file.replace(static_cast<std::size_t>(n - 1) * 128, 128, record);
    return file;
}

} // namespace

void DatabaseTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    path_ = pathIn(*dir_, kDatabaseFileName);
}

void DatabaseTest::firstCardMakesOneSlot()
{
    const Database db(path_);
    carte c;
    c.champs = {"Éthanol", "C#2H#6O", "1010000000", "liquide incolore", "46,07", "789", "0,79",
                "78,4",    "-114",    "1,36",       "miscible"};
    const WriteResult w = db.write(c, -1);
    QCOMPARE(w.message, DbMessage::None);
    QCOMPARE(w.slot, 0);
    const std::string expected = rec("\xC9thanol") + rec("C#2H#6O") + rec("1010000000") +
                                 rec("liquide incolore") + rec("46,07") + rec("789") + rec("0,79") +
                                 rec("78,4") + rec("-114") + rec("1,36") + rec("miscible");
    QCOMPARE(expected.size(), std::size_t(1408));
    QCOMPARE(q(readFile(path_)), q(expected));

    const ListResult l = db.list(kSolubilite);
    QCOMPARE(l.cards.size(), std::size_t(1));
    QCOMPARE(q(l.cards[0].nom), QByteArray("Éthanol"));
    QCOMPARE(q(l.cards[0].valeur), QByteArray("miscible"));
    const ShowResult s = db.showCompletingFlags("Éthanol", 0);
    QVERIFY(s.found);
    QVERIFY(s.card == c);
}

void DatabaseTest::listEndsAtFirstBlankName_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<cards::IoError>("error");
    QTest::newRow("stale slots after an empty name")
        << QStringList{"A", "B", "", "C"} << QStringList{"A", "B"} << IoError::None;
    QTest::newRow("a name of spaces ends the database")
        << QStringList{"A", "   ", "C"} << QStringList{"A"} << IoError::None;
    QTest::newRow("slot 0 made of spaces")
        << QStringList{"  ", "C"} << QStringList{} << IoError::None;
    QTest::newRow("names kept untrimmed")
        << QStringList{" A ", "B"} << QStringList{" A ", "B"} << IoError::None;
    QTest::newRow("damaged name stops the listing")
        << QStringList{"A", "#damaged", "C"} << QStringList{"A"} << IoError::Damaged;
}

void DatabaseTest::listEndsAtFirstBlankName()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, listed);
    QFETCH(IoError, error);
    writeFile(path_, databaseOf(names));
    const ListResult l = Database(path_).list(kMasseMolaire);
    QStringList got;
    for (const ListedCard &c : l.cards) {
        got << QString::fromStdString(c.nom);
        QCOMPARE(q(c.valeur), QByteArray("x5"));
    }
    QCOMPARE(got, listed);
    QCOMPARE(l.error, error);
    // The file read whole says the same: its list and its cards.
    RecordFile whole;
    QCOMPARE(RecordFile::load(path_, whole), IoError::None);
    const ListResult fromImage = image::list(whole, kMasseMolaire);
    const CardsResult all = Database(path_).cards();
    QCOMPARE(fromImage.cards.size(), l.cards.size());
    QCOMPARE(all.cards.size(), l.cards.size());
    QCOMPARE(fromImage.error, error);
    QCOMPARE(all.error, error);
}

void DatabaseTest::showFindsExactName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("numcarte");
    QTest::addColumn<cards::DbMessage>("message");
    QTest::addColumn<int>("slot"); // -1: not found
    QTest::newRow("first of two equal names") << "Eau" << 0 << DbMessage::None << 0;
    QTest::newRow("case differs") << "eau" << 0 << DbMessage::None << 1;
    QTest::newRow("trailing space differs") << "Eau " << 0 << DbMessage::None << 2;
    QTest::newRow("absent, card outside the base") << "EAU" << -1 << DbMessage::None << -1;
    QTest::newRow("absent, card from the base") << "EAU" << 3 << DbMessage::LectureImpossible << -1;
    QTest::newRow("stale card after the end") << "Stale" << -1 << DbMessage::None << -1;
}

void DatabaseTest::showFindsExactName()
{
    QFETCH(QString, name);
    QFETCH(int, numcarte);
    QFETCH(DbMessage, message);
    QFETCH(int, slot);
    writeFile(path_, slotBytes("Eau", "a") + slotBytes("eau", "b") + slotBytes("Eau ", "c") +
                         slotBytes("Eau", "d") + slotBytes("", "e") + slotBytes("Stale", "f"));
    const ShowResult s = Database(path_).showCompletingFlags(name.toStdString(), numcarte);
    QCOMPARE(s.message, message);
    QCOMPARE(s.found, slot >= 0);
    if (slot >= 0) {
        QCOMPARE(s.slot, slot);
        QCOMPARE(q(s.card.formule()), QByteArray(1, "abcd"[slot]) + "2");
    }
}

void DatabaseTest::showCompletesNineFlags()
{
    std::string nine = slotBytes("A");
    nine.replace(2 * 128, 128, rec("101000000"));
    const std::string before = nine + slotBytes("B");
    writeFile(path_, before);
    const Database db(path_);

    ShowResult s = db.showCompletingFlags("B", 0);
    QVERIFY(s.found && !s.completedNine);
    QCOMPARE(q(readFile(path_)), q(before));

    s = db.showCompletingFlags("A", 1);
    QVERIFY(s.found && s.completedNine);
    QCOMPARE(q(s.card.drapeaux()), QByteArray("1010000000"));
    QCOMPARE(q(readFile(path_)), q(replaceRecord(before, 3, rec("1010000000"))));
}

void DatabaseTest::checkName_data()
{
    QTest::addColumn<QString>("lequel");
    QTest::addColumn<int>("numcarte");
    QTest::addColumn<bool>("reponse");
    QTest::newRow("another card's name") << "Eau" << -1 << false;
    QTest::newRow("own name kept") << "Eau" << 0 << true;
    QTest::newRow("name of another slot") << "Eau" << 1 << false;
    QTest::newRow("case differs") << "EAU" << -1 << true;
    QTest::newRow("trailing space differs") << "Eau " << -1 << true;
    QTest::newRow("stale name after the end") << "Stale" << -1 << true;
    QTest::newRow("duplicate found past own slot") << "Sel" << 2 << false;
}

void DatabaseTest::checkName()
{
    QFETCH(QString, lequel);
    QFETCH(int, numcarte);
    QFETCH(bool, reponse);
    writeFile(path_, databaseOf({"Eau", "eau", "Sel", "Sel", "", "Stale"}));
    const CheckResult c = Database(path_).checkName(lequel.toStdString(), numcarte);
    QCOMPARE(c.message, DbMessage::None);
    QCOMPARE(c.reponseNOM, reponse);
}

void DatabaseTest::checkNameFailureRefuses()
{
    // A check that cannot read must not let the write go on.
    writeFile(path_, databaseOf({"A", "#damaged"}));
    CheckResult c = Database(path_).checkName("B", -1);
    QCOMPARE(c.message, DbMessage::EcritureImpossible);
    QVERIFY(!c.reponseNOM);

    const auto asDir = pathIn(*dir_, "DIR");
    std::filesystem::create_directory(asDir);
    c = Database(asDir).checkName("B", -1);
    QCOMPARE(c.message, DbMessage::EcritureImpossible);
    QVERIFY(!c.reponseNOM);
}

void DatabaseTest::writeGoesToFirstFreeSlot()
{
    const std::string before = databaseOf({"A", "  ", "Stale"});
    writeFile(path_, before);
    Saved saved;
    const WriteResult w = Database(path_).write(card("New", "n"), -1, std::nullopt, &saved);
    QCOMPARE(w.message, DbMessage::None);
    QCOMPARE(w.slot, 1);
    QCOMPARE(q(readFile(path_)), q(slotBytes("A") + slotBytes("New", "n") + slotBytes("Stale")));
    // The caller gets the file as written, and knows it by its stamp.
    QCOMPARE(q(std::string(saved.image.bytes().begin(), saved.image.bytes().end())),
             q(readFile(path_)));
    QVERIFY(saved.stamp == stampOf(path_) && saved.stamp.exists);
}

void DatabaseTest::writeReplacesInPlace()
{
    writeFile(path_, slotBytes("A", "a long text that will shrink") + slotBytes("B"));
    const WriteResult w = Database(path_).write(card("A2", "y"), 0);
    QCOMPARE(w.message, DbMessage::None);
    QCOMPARE(w.slot, 0);
    QCOMPARE(q(readFile(path_)), q(slotBytes("A2", "y") + slotBytes("B")));
}

void DatabaseTest::removeMovesLaterCards_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("after");
    std::string emptySlot;
    for (int k = 0; k < 11; ++k)
        emptySlot += rec("");
    const std::string stale = slotBytes("", "s");
    const auto b = [](const std::string &s) { return QByteArray::fromStdString(s); };

    QTest::newRow("middle of three, stale slot kept")
        << b(slotBytes("A", "a") + slotBytes("B", "b") + slotBytes("C", "c") + stale) << 1
        << b(slotBytes("A", "a") + slotBytes("C", "c") + emptySlot + stale);
    QTest::newRow("last of three blanks only its name")
        << b(slotBytes("A", "a") + slotBytes("B", "b") + slotBytes("C", "c")) << 2
        << b(slotBytes("A", "a") + slotBytes("B", "b") + rec("") + slotBytes("C", "c").substr(128));
}

void DatabaseTest::removeMovesLaterCards()
{
    QFETCH(QByteArray, before);
    QFETCH(int, slot);
    QFETCH(QByteArray, after);
    writeFile(path_, before.toStdString());
    Saved saved;
    QCOMPARE(Database(path_).remove(slot, std::nullopt, &saved), DbMessage::None);
    QCOMPARE(QByteArray::fromStdString(readFile(path_)), after);
    QCOMPARE(QByteArray(saved.image.bytes().data(), qsizetype(saved.image.bytes().size())), after);
    QVERIFY(saved.stamp == stampOf(path_));
}

void DatabaseTest::removeMatchesRecordByRecord()
{
    // The removal as the record layout describes it, one record at a time.
    const auto naive = [](RecordFile f, int slot) {
        std::string text;
        int j = slot;
        for (;;) {
            ++j;
            f.read(11 * j + 1, text);
            if (isBlank(text))
                break;
            for (int k = 1; k <= 11; ++k) {
                f.readBytes(11 * j + k, text);
                f.writeBytes(11 * (j - 1) + k, text);
                f.writeBytes(11 * j + k, "");
            }
        }
        f.writeBytes(11 * (j - 1) + 1, "");
        return f.bytes();
    };
    // Files with garbage filler, a cut last record, blank names and stale slots.
    for (quint32 seed = 1; seed <= 40; ++seed) {
        QRandomGenerator rng(seed);
        std::string bytes;
        const int records = 11 * int(rng.bounded(1, 8)) + int(rng.bounded(11));
        for (int n = 0; n < records; ++n) {
            const unsigned length = n % 11 == 0 && rng.bounded(6) == 0 ? 0 : rng.bounded(1, 127);
            std::string body(126, '\0');
            for (char &c : body)
                c = static_cast<char>(rng.bounded(32, 127));
            bytes += rawRec(length, body);
        }
        bytes.resize(bytes.size() - rng.bounded(100));
        const RecordFile image(std::vector<char>(bytes.begin(), bytes.end()));
        for (int slot = 0; slot < image::countCards(image) + 2; ++slot) {
            RecordFile f = image;
            if (image::removeCard(f, slot) == IoError::None)
                QVERIFY2(f.bytes() == naive(image, slot),
                         qPrintable(QString("seed %1 slot %2").arg(seed).arg(slot)));
        }
    }
}

void DatabaseTest::fullDatabase()
{
    std::string bytes;
    bytes.reserve(std::size_t(kMaxCards) * 11 * 128);
    for (int i = 0; i < kMaxCards; ++i)
        bytes += slotBytes(numbered("n", i));
    writeFile(path_, bytes);
    const Database db(path_);

    QCOMPARE(db.list(kNom).cards.size(), std::size_t(kMaxCards));
    const WriteResult refused = db.write(card("New"), -1);
    QCOMPARE(refused.message, DbMessage::EcritureImpossible);
    QCOMPARE(refused.error, IoError::RecordNumber);
    QVERIFY(readFile(path_) == bytes);

    QCOMPARE(db.write(card("Last"), kMaxCards - 1).message, DbMessage::None);
    QCOMPARE(db.remove(0), DbMessage::None);
    QCOMPARE(db.showCompletingFlags("Last", -1).slot, kMaxCards - 2);
    QCOMPARE(db.write(card("New"), -1).slot, kMaxCards - 1);
}

// The list and the display read the file a piece at a time: whatever the
// file holds (damaged length words, a truncated last record, records
// straddling two pieces) and in whatever order records are asked for, each
// reads as it does from the whole file.
void DatabaseTest::readerAgreesWithWholeFile()
{
    const int sizes[] = {0, 1, 127, 128, 129, 65535, 65536, 65537, 4 * 65536 + 77};
    for (quint32 seed = 1; seed <= 40; ++seed) {
        QRandomGenerator rng(seed);
        const int size = sizes[seed % std::size(sizes)] + int(rng.bounded(3)) * 128;
        std::string bytes;
        while (int(bytes.size()) < size) {
            const int roll = int(rng.bounded(100));
            const int length = roll < 80 ? int(rng.bounded(127)) : int(rng.bounded(400));
            std::string rec(128, '\0');
            rec[0] = char(length & 0xFF);
            rec[1] = char(length >> 8);
            for (int i = 2; i < 128; ++i)
                rec[std::size_t(i)] = char(rng.bounded(256));
            bytes += rec;
        }
        bytes.resize(std::size_t(size));
        writeFile(path_, bytes);

        RecordFile whole;
        QCOMPARE(RecordFile::load(path_, whole), IoError::None);
        RecordReader reader;
        QCOMPARE(reader.open(path_), IoError::None);
        const int records = size / 128 + 2;
        std::vector<int> asked{0, -1, 32768, 32767};
        for (int n = 1; n <= records; n += 1 + int(rng.bounded(40)))
            asked.push_back(n);
        for (int i = 0; i < 60; ++i)
            asked.push_back(1 + int(rng.bounded(quint32(records))));
        for (const int n : asked) {
            std::string_view fromWhole;
            std::string_view fromReader;
            const IoError e = whole.view(n, fromWhole);
            QCOMPARE(reader.view(n, fromReader), e);
            QVERIFY2(fromReader == fromWhole,
                     qPrintable(QString("seed %1 record %2").arg(seed).arg(n)));
        }
    }
    RecordReader missing;
    QCOMPARE(missing.open(path_.parent_path() / "absent.ZYP"), IoError::None);
    std::string_view text;
    QCOMPARE(missing.view(1, text), IoError::None);
    QVERIFY(text.empty());
}

void DatabaseTest::failedWriteLeavesFileIntact_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("field"); // field of the new card to spoil, 0 for none
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("numcarte");
    QTest::addColumn<bool>("removal");
    const QStringList abc{"A", "B", "C"};
    QTest::newRow("arrow in the last field") << abc << int(kSolubilite) << "→" << -1 << false;
    QTest::newRow("emoji in the name") << abc << int(kNom) << "\U0001F600" << 1 << false;
    QTest::newRow("127 characters") << abc << int(kAspect) << QString(127, 'a') << -1 << false;
    QTest::newRow("slot 2978") << abc << 0 << "" << kMaxCards << false;
    QTest::newRow("slot -2") << abc << 0 << "" << -2 << false;
    QTest::newRow("free slot behind a damaged name")
        << QStringList{"A", "#damaged"} << 0 << "" << -1 << false;
    QTest::newRow("removal meets a damaged name")
        << QStringList{"A", "B", "#damaged"} << 0 << "" << 0 << true;
    QTest::newRow("removal of slot -1") << abc << 0 << "" << -1 << true;
}

void DatabaseTest::failedWriteLeavesFileIntact()
{
    QFETCH(QStringList, names);
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(int, numcarte);
    QFETCH(bool, removal);
    const std::string before = databaseOf(names);
    writeFile(path_, before);
    const Database db(path_);
    carte c = card("New");
    if (field)
        c.field(field) = text.toStdString();
    const DbMessage m = removal ? db.remove(numcarte) : db.write(c, numcarte).message;
    QCOMPARE(m, DbMessage::EcritureImpossible);
    QVERIFY(readFile(path_) == before);
    QCOMPARE(entryCount(*dir_), 1);
}

void DatabaseTest::saveFailsHalfWay()
{
    // A file size limit makes the temporary file's write fail part-way, even for root.
    const std::string before = databaseOf({"A", "B", "C"});
    writeFile(path_, before);
    struct rlimit old {
    };
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 2048;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const WriteResult w = Database(path_).write(card("D"), -1);
    const DbMessage r = Database(path_).remove(0);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    QCOMPARE(w.message, DbMessage::EcritureImpossible);
    QCOMPARE(w.error, IoError::Write);
    QCOMPARE(r, DbMessage::EcritureImpossible);
    QVERIFY(readFile(path_) == before);
    QCOMPARE(entryCount(*dir_), 1);
}

void DatabaseTest::missingDatabaseNotCreated()
{
    const Database db(path_);
    QVERIFY(db.list(kMasseMolaire).cards.empty());
    QCOMPARE(db.list(kMasseMolaire).error, IoError::None);
    QVERIFY(!db.showCompletingFlags("Eau", -1).found);
    QCOMPARE(db.showCompletingFlags("Eau", 0).message, DbMessage::LectureImpossible);
    QVERIFY(db.checkName("Eau", -1).reponseNOM);
    QVERIFY(!std::filesystem::exists(path_));
    QCOMPARE(db.write(card("Eau"), -1).slot, 0);
    QCOMPARE(readFile(path_).size(), std::size_t(1408));
}
