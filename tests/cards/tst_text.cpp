#include "tst_cards.h"

#include "carte.h"
#include "cp1252.h"
#include "helpers.h"
#include "recordfile.h"

using namespace cards;

void TextTest::cp1252RoundTripsEveryByte()
{
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const auto back = toCp1252(fromCp1252(byte));
        QVERIFY2(back && *back == byte, qPrintable(QString::number(b, 16)));
    }
}

void TextTest::cp1252Encodes_data()
{
    QTest::addColumn<QByteArray>("utf8");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("accents") << QByteArray("éèàç") << QByteArray("\xE9\xE8\xE0\xE7");
    QTest::newRow("units") << QByteArray("µ°³") << QByteArray("\xB5\xB0\xB3");
    QTest::newRow("euro") << QByteArray("€") << QByteArray("\x80");
    QTest::newRow("oe") << QByteArray("œŒ") << QByteArray("\x9C\x8C");
}

void TextTest::cp1252Encodes()
{
    QFETCH(QByteArray, utf8);
    QFETCH(QByteArray, bytes);
    const auto got = toCp1252(utf8.toStdString());
    QVERIFY(got);
    QCOMPARE(QByteArray::fromStdString(*got), bytes);
    QCOMPARE(QByteArray::fromStdString(fromCp1252(bytes.toStdString())), utf8);
}

void TextTest::cp1252Refuses_data()
{
    QTest::addColumn<QByteArray>("utf8");
    QTest::newRow("arrow") << QByteArray("a→b");
    QTest::newRow("omega") << QByteArray("Ω");
    QTest::newRow("emoji") << QByteArray("\xF0\x9F\x98\x80");
    QTest::newRow("C1 0x80 (0x80 is the euro)") << QByteArray("\xC2\x80");
    QTest::newRow("truncated sequence") << QByteArray("\xC3");
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80");
    QTest::newRow("raw latin-1 byte") << QByteArray("caf\xE9");
}

void TextTest::cp1252Refuses()
{
    QFETCH(QByteArray, utf8);
    QVERIFY(!toCp1252(utf8.toStdString()));
}

void TextTest::flagsDecode_data()
{
    QTest::addColumn<QByteArray>("drapeaux");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<bool>("organique");
    QTest::addColumn<bool>("locked");
    QTest::newRow("all zero") << QByteArray("0000000000") << "0000000000" << false << false;
    QTest::newRow("inorganic corrosive toxic water")
        << QByteArray("0101010100") << "0101010100" << false << false;
    QTest::newRow("nine characters") << QByteArray("101000000") << "1010000000" << true << false;
    QTest::newRow("locked") << QByteArray("0000000001") << "0000000001" << false << true;
    QTest::newRow("lock digit 2") << QByteArray("1000000002") << "1000000002" << true << true;
    QTest::newRow("non-digit lock") << QByteArray("100000000x") << "1000000000" << true << false;
    QTest::newRow("non-digit position") << QByteArray("a1 1") << "0101000000" << false << false;
    QTest::newRow("accent is one position")
        << QByteArray("é100000001") << "0100000001" << false << true;
}

void TextTest::flagsDecode()
{
    QFETCH(QByteArray, drapeaux);
    QFETCH(QString, digits);
    QFETCH(bool, organique);
    QFETCH(bool, locked);
    const Flags f = decodeFlags(drapeaux.toStdString());
    QString got;
    for (int d : f.digit)
        got += QString::number(d);
    QCOMPARE(got, digits);
    QCOMPARE(f.organique(), organique);
    QCOMPARE(f.locked(), locked);
}

void TextTest::recordWriteErrors_data()
{
    QTest::addColumn<int>("record");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<cards::IoError>("error");
    QTest::newRow("126 accented") << 1 << QString(126, QChar(0xE9)).toUtf8() << IoError::None;
    QTest::newRow("127 characters") << 1 << QByteArray(127, 'a') << IoError::TooLong;
    QTest::newRow("arrow") << 1 << QByteArray("→") << IoError::Unencodable;
    QTest::newRow("record 32768") << 32768 << QByteArray("a") << IoError::RecordNumber;
    QTest::newRow("record 0") << 0 << QByteArray("a") << IoError::RecordNumber;
}

void TextTest::recordWriteErrors()
{
    QFETCH(int, record);
    QFETCH(QByteArray, text);
    QFETCH(IoError, error);
    RecordFile f(std::vector<char>(256, 'q'));
    QCOMPARE(f.write(record, text.toStdString()), error);
    if (error != IoError::None) {
        QCOMPARE(f.bytes(), std::vector<char>(256, 'q'));
        return;
    }
    std::string back;
    QCOMPARE(f.read(record, back), IoError::None);
    QCOMPARE(QByteArray::fromStdString(back), text);
}

void TextTest::recordReads_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("record");
    QTest::addColumn<cards::IoError>("error");
    QTest::addColumn<QByteArray>("text");
    const auto b = [](const std::string &s) { return QByteArray::fromStdString(s); };
    QTest::newRow("past the end") << b(rec("a")) << 2 << IoError::None << QByteArray();
    QTest::newRow("filler ignored") << b(rawRec(1, "ab")) << 1 << IoError::None << QByteArray("a");
    QTest::newRow("length 126") << b(rawRec(126, std::string(126, 'x'))) << 1 << IoError::None
                                << QByteArray(126, 'x');
    QTest::newRow("length 127") << b(rawRec(127)) << 1 << IoError::Damaged << QByteArray();
    QTest::newRow("length 200") << b(rawRec(200)) << 1 << IoError::Damaged << QByteArray();
    QTest::newRow("damaged record, next one fine")
        << b(rawRec(200) + rec("ok")) << 2 << IoError::None << QByteArray("ok");
    QTest::newRow("truncated, text fits")
        << b(rec("abc").substr(0, 10)) << 1 << IoError::None << QByteArray("abc");
    QTest::newRow("truncated, text cut")
        << b(rec("abcdefgh").substr(0, 6)) << 1 << IoError::Damaged << QByteArray();
    QTest::newRow("one byte length")
        << b(rec("a") + std::string(1, '\5')) << 2 << IoError::Damaged << QByteArray();
    QTest::newRow("record 32768") << QByteArray() << 32768 << IoError::RecordNumber << QByteArray();
}

void TextTest::recordReads()
{
    QFETCH(QByteArray, file);
    QFETCH(int, record);
    QFETCH(IoError, error);
    QFETCH(QByteArray, text);
    const RecordFile f(std::vector<char>(file.begin(), file.end()));
    std::string got = "unchanged";
    QCOMPARE(f.read(record, got), error);
    QCOMPARE(QByteArray::fromStdString(got), text);
}

void TextTest::saveReplacesAtomically()
{
    QTemporaryDir dir;
    const auto path = pathIn(dir, "F.ZYP");
    RecordFile f;
    QCOMPARE(RecordFile::load(path, f), IoError::None); // missing: empty
    QVERIFY(f.bytes().empty());
    QVERIFY(!std::filesystem::exists(path));
    QCOMPARE(f.write(2, "deux"), IoError::None);
    QCOMPARE(f.save(path), IoError::None);
    QCOMPARE(readFile(path), std::string(128, '\0') + rec("deux"));
    QCOMPARE(entryCount(dir), 1);

    // A directory in the way: the save fails and leaves nothing behind.
    const auto blocked = pathIn(dir, "DIR.ZYP");
    std::filesystem::create_directory(blocked);
    QCOMPARE(f.save(blocked), IoError::Write);
    QCOMPARE(RecordFile::load(blocked, f), IoError::Open);
    QCOMPARE(entryCount(dir), 2);
}

void TextTest::saveRespectsProtection()
{
    if (runningAsRoot())
        QSKIP("root ignores permissions");
    QTemporaryDir dir;
    const auto path = pathIn(dir, "F.ZYP");
    writeFile(path, rec("old"));
    RecordFile f;
    QCOMPARE(f.write(1, "new"), IoError::None);

    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    QCOMPARE(f.save(path), IoError::Write);
    QCOMPARE(readFile(path), rec("old"));

    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    std::filesystem::permissions(dir.path().toStdString(), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_exec);
    QCOMPARE(f.save(path), IoError::Write);
    std::filesystem::permissions(dir.path().toStdString(), std::filesystem::perms::owner_all);
    QCOMPARE(readFile(path), rec("old"));
    QCOMPARE(entryCount(dir), 1);
}
