#include "tst_cards.h"

#include "carte.h"
#include "cp1252.h"
#include "filelock.h"
#include "helpers.h"
#include "recordfile.h"

#include <sys/stat.h>

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

namespace
{

ino_t inodeOf(const std::filesystem::path &p)
{
    struct stat st {
    };
    return ::stat(p.c_str(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

// The bytes that writing one record at its offset into the file leaves: the
// file grows with zeros up to the record when it is shorter, every other byte
// stays. Written through a link, the linked file gets them.
void TextTest::writeOneRecordInPlace_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("record");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("cp1252");
    QTest::addColumn<bool>("link");
    const auto b = [](const std::string &s) { return QByteArray::fromStdString(s); };
    std::string three = rec("ZYP") + rec("") + rec("trois");
    std::string twenty;
    for (int n = 1; n <= 20; ++n)
        twenty += rec(n == 14 ? "OUI" : numbered("r", n));
    QTest::newRow("missing file") << false << QByteArray() << 14 << QByteArray("OUI")
                                  << QByteArray("OUI") << false;
    QTest::newRow("empty file") << true << QByteArray() << 14 << QByteArray("OUI")
                                << QByteArray("OUI") << false;
    QTest::newRow("three records")
        << true << b(three) << 14 << QByteArray("OUI") << QByteArray("OUI") << false;
    QTest::newRow("ends inside record 13")
        << true << QByteArray(1650, 'z') << 14 << QByteArray("NON") << QByteArray("NON") << false;
    QTest::newRow("ends inside record 14")
        << true << QByteArray(1700, 'z') << 14 << QByteArray("NON") << QByteArray("NON") << false;
    QTest::newRow("tail kept") << true << b(twenty) << 14 << QByteArray("NON") << QByteArray("NON")
                               << false;
    QTest::newRow("empty text") << true << b(twenty) << 14 << QByteArray() << QByteArray() << false;
    QTest::newRow("accented, first record")
        << true << b(three) << 1 << QByteArray("été") << QByteArray("\xE9t\xE9") << false;
    QTest::newRow("through a link")
        << true << b(three) << 14 << QByteArray("OUI") << QByteArray("OUI") << true;
}

void TextTest::writeOneRecordInPlace()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, before);
    QFETCH(int, record);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, cp1252);
    QFETCH(bool, link);
    QTemporaryDir dir;
    const auto file = pathIn(dir, "TEMPO.SPC");
    if (present)
        writeFile(file, before.toStdString());
    const ino_t inode = inodeOf(file);
    auto path = file;
    if (link) {
        path = pathIn(dir, "LIEN.SPC");
        std::filesystem::create_symlink(file, path);
    }

    QCOMPARE(writeOneRecord(path, record, text.toStdString()), IoError::None);

    std::string expected = before.toStdString();
    const std::size_t offset = std::size_t(record - 1) * 128;
    if (expected.size() < offset + 128)
        expected.resize(offset + 128, '\0');
    expected.replace(offset, 128, rec(cp1252.toStdString()));
    QCOMPARE(q(readFile(file)), q(expected));
    if (present)
        QCOMPARE(inodeOf(file), inode); // the same file, not a replacement
    if (link)
        QVERIFY(std::filesystem::is_symlink(path));
    QCOMPARE(entryCount(dir), link ? 2 : 1); // neither lock file nor temporary file left
}

void TextTest::writeOneRecordRefuses_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<int>("record");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<cards::IoError>("error");
    for (const bool present : {false, true}) {
        const char *file = present ? "file" : "no file";
        QTest::addRow("%s, 127 characters", file)
            << present << 14 << QByteArray(127, 'a') << IoError::TooLong;
        QTest::addRow("%s, arrow", file)
            << present << 14 << QByteArray("→") << IoError::Unencodable;
        QTest::addRow("%s, record 0", file)
            << present << 0 << QByteArray("a") << IoError::RecordNumber;
        QTest::addRow("%s, record 32768", file)
            << present << 32768 << QByteArray("a") << IoError::RecordNumber;
    }
}

void TextTest::writeOneRecordRefuses()
{
    QFETCH(bool, present);
    QFETCH(int, record);
    QFETCH(QByteArray, text);
    QFETCH(IoError, error);
    QTemporaryDir dir;
    const auto path = pathIn(dir, "TEMPO.SPC");
    const std::string before = rec("un") + rec("deux");
    if (present)
        writeFile(path, before);
    QCOMPARE(writeOneRecord(path, record, text.toStdString()), error);
    QCOMPARE(std::filesystem::exists(path), present);
    if (present)
        QCOMPARE(q(readFile(path)), q(before));
    QCOMPARE(entryCount(dir), present ? 1 : 0);
}

// A whole-file save of ours holds the lock from its read to its replacement:
// a record written in between would be lost, so the write waits for it.
void TextTest::writeOneRecordWaitsForSave()
{
    using namespace std::chrono_literals;
    QTemporaryDir dir;
    const auto path = pathIn(dir, "TEMPO.SPC");
    writeFile(path, rec("un"));
    FileLock save;
    QCOMPARE(save.acquire(path), IoError::None);
    QCOMPARE(writeOneRecord(path, 3, "OUI", 0ms), IoError::Locked);
    QCOMPARE(q(readFile(path)), q(rec("un")));
    save.release();
    QCOMPARE(writeOneRecord(path, 3, "OUI", 0ms), IoError::None);
    QCOMPARE(q(readFile(path)), q(rec("un") + rec("") + rec("OUI")));
}

// A folder that cannot be written holds no lock file, and no whole-file save
// either: the record of a file that can be written is written all the same.
// So is it when the lock file's name is taken by something else.
void TextTest::writeOneRecordInProtectedFolder()
{
    namespace fs = std::filesystem;
    QTemporaryDir dir;
    const auto path = pathIn(dir, "TEMPO.SPC");
    writeFile(path, rec("un"));
    fs::create_directory(pathIn(dir, "TEMPO.SPC.lock"));
    QCOMPARE(writeOneRecord(path, 2, "OUI"), IoError::None);
    QCOMPARE(q(readFile(path)), q(rec("un") + rec("OUI")));
    fs::remove(pathIn(dir, "TEMPO.SPC.lock"));

    if (runningAsRoot())
        QSKIP("root ignores permissions");
    const fs::path folder = dir.path().toStdString();
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const IoError e = writeOneRecord(path, 3, "NON");
    fs::permissions(folder, fs::perms::owner_all);
    QCOMPARE(e, IoError::None);
    QCOMPARE(q(readFile(path)), q(rec("un") + rec("OUI") + rec("NON")));
    QCOMPARE(entryCount(dir), 1);
}

void TextTest::readDecimalComma_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("value");
    QTest::newRow("integer") << "18" << std::optional<double>(18);
    QTest::newRow("comma") << "2,5" << std::optional<double>(2.5);
    QTest::newRow("negative") << "-33,4" << std::optional<double>(-33.4);
    QTest::newRow("list cell spaces") << "0,79   " << std::optional<double>(0.79);
    QTest::newRow("leading spaces") << "  12" << std::optional<double>(12);
    QTest::newRow("comma first") << ",5" << std::optional<double>(0.5);
    QTest::newRow("comma last") << "12," << std::optional<double>(12);
    QTest::newRow("empty") << "" << std::optional<double>();
    QTest::newRow("spaces") << "   " << std::optional<double>();
    QTest::newRow("comma alone") << "," << std::optional<double>();
    QTest::newRow("minus alone") << "-" << std::optional<double>();
    QTest::newRow("point") << "1.5" << std::optional<double>();
    QTest::newRow("two commas") << "1,2,3" << std::optional<double>();
    QTest::newRow("minus inside") << "1-2" << std::optional<double>();
    QTest::newRow("word") << "miscible" << std::optional<double>();
    QTest::newRow("space inside") << "1 000" << std::optional<double>();
    QTest::newRow("plus") << "+3" << std::optional<double>();
}

void TextTest::readDecimalComma()
{
    QFETCH(QString, text);
    QFETCH(std::optional<double>, value);
    const auto read = cards::readDecimalComma(text.toStdString());
    QCOMPARE(read.has_value(), value.has_value());
    if (value)
        QCOMPARE(*read, *value);
}

void TextTest::readsAsSingle_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("kept");
    QTest::newRow("number") << "1,5" << true;
    QTest::newRow("largest single") << "340000000000000000000000000000000000000" << true;
    QTest::newRow("beyond single") << "350000000000000000000000000000000000000" << false;
    QTest::newRow("negative beyond") << "-1000000000000000000000000000000000000000" << false;
    QTest::newRow("comma") << "," << false;
    QTest::newRow("minus") << "-" << false;
}

void TextTest::readsAsSingle()
{
    QFETCH(QString, text);
    QFETCH(bool, kept);
    QCOMPARE(cards::readsAsSingle(text.toStdString()), kept);
}
