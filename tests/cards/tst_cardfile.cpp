#include "tst_cards.h"

#include "cardfile.h"
#include "downloadlist.h"
#include "helpers.h"

using namespace cards;

Q_DECLARE_METATYPE(cards::CardFileStatus)

namespace
{

const std::string kHeaderBytes = "Carte d'identit\xE9 d'une esp\xE8"
                                 "ce chimique pour le logiciel ZYP";

std::string cardFileBytes(std::string_view nom, std::string_view drapeaux = "0000000000")
{
    std::string s = rec(kHeaderBytes) + rec(nom) + rec("x2") + rec(drapeaux);
    for (int k = 4; k <= 11; ++k)
        s += rec(numbered("x", k));
    return s;
}

} // namespace

void CardFileTest::writeLayout()
{
    QTemporaryDir dir;
    const auto path = pathIn(dir, "a.CAR");
    carte c = card("Eau");
    c.drapeaux() = "0000000000";
    QCOMPARE(writeCardFile(path, c), IoError::None);
    const std::string bytes = readFile(path);
    QCOMPARE(bytes.size(), std::size_t(1536));
    QCOMPARE(bytes[0], '\x3B');
    QCOMPARE(bytes[1], '\x00');
    QCOMPARE(q(bytes), q(cardFileBytes("Eau")));
}

void CardFileTest::writeKeepsTailOfLongerFile()
{
    QTemporaryDir dir;
    const auto path = pathIn(dir, "a.CAR");
    writeFile(path, std::string(2000, 'z'));
    carte c = card("Eau");
    c.drapeaux() = "0000000000";
    QCOMPARE(writeCardFile(path, c), IoError::None);
    QCOMPARE(q(readFile(path)), q(cardFileBytes("Eau") + std::string(2000 - 1536, 'z')));

    writeFile(path, std::string(200, 'z'));
    QCOMPARE(writeCardFile(path, c), IoError::None);
    QCOMPARE(q(readFile(path)), q(cardFileBytes("Eau")));
}

void CardFileTest::readChecksHeader_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<cards::CardFileStatus>("status");
    QTest::addColumn<QString>("nom");
    const auto b = [](const std::string &s) { return QByteArray::fromStdString(s); };
    std::string capital = cardFileBytes("Eau");
    capital[2] = 'c';
    QTest::newRow("card file") << b(cardFileBytes("Eau")) << CardFileStatus::Ok << "Eau";
    QTest::newRow("header in lower case") << b(capital) << CardFileStatus::NotCardFile << "";
    QTest::newRow("empty file") << QByteArray("") << CardFileStatus::NotCardFile << "";
    QTest::newRow("damaged header") << b(rawRec(200)) << CardFileStatus::NotCardFile << "";
    // A card that cannot be read whole is no card: nothing of it is given.
    const std::string eau = cardFileBytes("Eau");
    QTest::newRow("damaged field") << b(eau.substr(0, 3 * 128) + rawRec(300) + eau.substr(4 * 128))
                                   << CardFileStatus::Damaged << "";
    QTest::newRow("header only") << b(rec(kHeaderBytes)) << CardFileStatus::Damaged << "";
    QTest::newRow("cut to 100 bytes") << b(eau.substr(0, 100)) << CardFileStatus::Damaged << "";
    QTest::newRow("cut to 700 bytes") << b(eau.substr(0, 700)) << CardFileStatus::Damaged << "";
    QTest::newRow("cut in the last filler")
        << b(eau.substr(0, eau.size() - 100)) << CardFileStatus::Ok << "Eau";
}

void CardFileTest::readChecksHeader()
{
    QFETCH(QByteArray, file);
    QFETCH(CardFileStatus, status);
    QFETCH(QString, nom);
    QTemporaryDir dir;
    const auto path = pathIn(dir, "a.CAR");
    writeFile(path, file.toStdString());
    const CardFileRead r = readCardFile(path, true);
    QCOMPARE(int(r.status), int(status));
    QCOMPARE(QString::fromStdString(r.card.nom()), nom);
    QCOMPARE(q(readFile(path)), file);
}

void CardFileTest::nineFlagsCompletedOnlyOnOpen()
{
    QTemporaryDir dir;
    const auto path = pathIn(dir, "a.CAR");
    const std::string before = cardFileBytes("Eau", "101000000");
    writeFile(path, before);

    // The downloaded card: read as unlocked, the file untouched.
    CardFileRead r = readCardFile(path, false);
    QCOMPARE(r.status, CardFileStatus::Ok);
    QCOMPARE(q(r.card.drapeaux()), QByteArray("101000000"));
    QVERIFY(!decodeFlags(r.card.drapeaux()).locked());
    QVERIFY(!r.completedNine);
    QVERIFY(readFile(path) == before);

    // The Open command: completed and written back.
    r = readCardFile(path, true);
    QCOMPARE(q(r.card.drapeaux()), QByteArray("1010000000"));
    QVERIFY(r.completedNine);
    QCOMPARE(q(readFile(path)), q(cardFileBytes("Eau", "1010000000")));
    QCOMPARE(q(r.card.field(kSolubilite)), QByteArray("x11"));

    // A missing file is said to be missing, and is not created.
    QCOMPARE(readCardFile(pathIn(dir, "missing.CAR"), true).status, CardFileStatus::Missing);
    QVERIFY(!std::filesystem::exists(pathIn(dir, "missing.CAR")));
}

void CardFileTest::tooLongTextLeavesFileIntact()
{
    QTemporaryDir dir;
    const auto path = pathIn(dir, "a.CAR");
    const std::string before = cardFileBytes("Old");
    writeFile(path, before);
    carte c = card("Eau");
    c.aspect() = std::string(127, 'a');
    QCOMPARE(writeCardFile(path, c), IoError::TooLong);
    QVERIFY(readFile(path) == before);
    c.aspect() = std::string(126, 'a');
    c.field(kSolubilite) = "Ω";
    QCOMPARE(writeCardFile(path, c), IoError::Unencodable);
    QVERIFY(readFile(path) == before);
    QCOMPARE(entryCount(dir), 1);
    c.field(kSolubilite) = "";
    QCOMPARE(writeCardFile(path, c), IoError::None);
    QCOMPARE(q(readCardFile(path, false).card.aspect()), QByteArray(126, 'a'));
}

void CardFileTest::downloadList()
{
    const std::vector<ListEntry> entries = {{"Eau", "Moi", "pure", "http://h/eau.CAR"},
                                            {"Sel", "Toi", "", "http://h/sel.CAR"},
                                            {"Éthanol", "Lui", "bu", "http://h/eth.CAR"}};
    IoError e;
    const RecordFile built = buildDownloadList(entries, &e);
    QCOMPARE(e, IoError::None);
    const std::string expected = rec("LISTECHIMIE") + rec("Eau") + rec("Moi") + rec("pure") +
                                 rec("http://h/eau.CAR") + rec("Sel") + rec("Toi") + rec("") +
                                 rec("http://h/sel.CAR") + rec("\xC9thanol") + rec("Lui") +
                                 rec("bu") + rec("http://h/eth.CAR");
    QCOMPARE(q(std::string(built.bytes().begin(), built.bytes().end())), q(expected));

    const auto parse = [](const std::string &bytes) {
        return parseDownloadList(RecordFile(std::vector<char>(bytes.begin(), bytes.end())));
    };
    DownloadList l = parse(expected);
    QVERIFY(l.valid);
    QCOMPARE(l.entries.size(), std::size_t(3));
    QCOMPARE(q(l.entries[2].url), QByteArray("http://h/eth.CAR")); // record 13
    QCOMPARE(q(l.entries[2].commentaire), QByteArray("bu"));       // record 12

    l = parse(rec("LISTECHIMIE") + rec("  ") + rec("stale") + rec("") + rec("") + rec("Sel"));
    QVERIFY(l.valid);
    QVERIFY(l.entries.empty());
    QVERIFY(!parse(rec("listechimie") + rec("Eau")).valid);
    QVERIFY(!parse("").valid);

    l = parse(expected.substr(0, 5 * 128) + rawRec(127));
    QCOMPARE(l.entries.size(), std::size_t(1));
    QCOMPARE(l.error, IoError::Damaged);
}
