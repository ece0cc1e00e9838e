// The companion tool's card pictures, on the bundled database: one card by
// name or from a card file, a whole database into a folder, and what it refuses.
#include "carddraw.h"
#include "cardfile.h"
#include "cardlayout.h"
#include "companiontool.h"
#include "database.h"
#include "hazardpictures.h"
#include "picturefile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString kBundled = QStringLiteral(CARTES_BUNDLED_DATABASE);

std::vector<cards::carte> bundledCards()
{
    std::vector<cards::carte> out;
    cards::RecordFile file;
    if (cards::RecordFile::load(kBundled.toStdString(), file) != cards::IoError::None)
        return out;
    const int n = cards::image::countCards(file);
    for (int slot = 0; slot < n; ++slot) {
        cards::carte c;
        if (cards::image::readCard(file, slot, c) == cards::IoError::None)
            out.push_back(c);
    }
    return out;
}

QString pdfText(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestToolImages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void oneCardIsThePicture_data();
    void oneCardIsThePicture();
    void fromACardFile();
    void wholeDatabase_data();
    void wholeDatabase();
    void refusals_data();
    void refusals();

private:
    std::vector<cards::carte> cards_;
};

void TestToolImages::initTestCase()
{
    cards_ = bundledCards();
    QVERIFY2(cards_.size() > 50, "the bundled database was not built");
}

void TestToolImages::oneCardIsThePicture_data()
{
    // The pictograms' style: kept in the settings by the window, or given.
    QTest::addColumn<int>("slot"); // -1: the last card; 7: toxic and harmful
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QStringList>("option");
    QTest::addColumn<int>("style");
    const int orange = int(hazardpictures::Style::Orange), ghs = int(hazardpictures::Style::Ghs);
    QTest::newRow("first") << 0 << "" << QStringList() << orange;
    QTest::newRow("middle") << 45 << "" << QStringList() << orange;
    QTest::newRow("last") << -1 << "" << QStringList() << orange;
    QTest::newRow("CLP kept") << 7 << "sgh" << QStringList() << ghs;
    QTest::newRow("CLP given") << 7 << "" << QStringList{"--pictogrammes", "sgh"} << ghs;
    QTest::newRow("orange given") << 7 << "sgh" << QStringList{"--pictogrammes", "orange"}
                                  << orange;
}

void TestToolImages::oneCardIsThePicture()
{
    // The PNG is the copied picture of the card as the window shows it.
    QFETCH(int, slot);
    QFETCH(QString, kept);
    QFETCH(QStringList, option);
    QFETCH(int, style);
    const auto hazards = [](const cards::carte &c) { return c.drapeaux().substr(4, 2) == "11"; };
    const cards::carte &card = slot < 0    ? cards_.back()
                               : slot == 7 ? *std::find_if(cards_.begin(), cards_.end(), hazards)
                                           : cards_.at(std::size_t(slot));
    QTemporaryDir dir;
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    if (!kept.isEmpty())
        QVERIFY(hazardpictures::saveStyle(*hazardpictures::styleNamed(kept)));
    const QString out = dir.filePath(QStringLiteral("carte.png"));
    const ToolRun r = runTool(
        QStringList{QStringLiteral("image"), kBundled, QString::fromStdString(card.nom()), out} +
        option);
    qputenv("XDG_CONFIG_HOME", config);
    QVERIFY2(r.code == 0, r.err.constData());
    QCOMPARE(QImage(out).convertToFormat(QImage::Format_RGB32),
             carddraw::creimage(cardViewOf(card, hazardpictures::Style(style))));
}

void TestToolImages::fromACardFile()
{
    QTemporaryDir dir;
    const cards::carte &card = cards_.at(3);
    const QString carFile = dir.filePath(QStringLiteral("CARTE.CAR"));
    QCOMPARE(cards::writeCardFile(carFile.toStdString(), card), cards::IoError::None);
    const QString out = dir.filePath(QStringLiteral("carte.pdf"));
    const ToolRun r = runTool({QStringLiteral("image"), carFile, out});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(pdfText(out).contains(QString::fromStdString(card.nom())));
}

void TestToolImages::wholeDatabase_data()
{
    QTest::addColumn<QString>("ending"); // "" for the default
    QTest::addColumn<QString>("suffix");
    QTest::newRow("default") << ""
                             << ".png";
    QTest::newRow("svg") << "svg"
                         << ".svg";
}

void TestToolImages::wholeDatabase()
{
    // One file per card, named after it, in the folder (made when missing).
    QFETCH(QString, ending);
    QFETCH(QString, suffix);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("images"));
    QStringList args{QStringLiteral("images"), kBundled, folder};
    if (!ending.isEmpty())
        args << ending;
    const ToolRun r = runTool(args, 120000);
    QVERIFY2(r.code == 0, r.err.constData());
    const QStringList files = QDir(folder).entryList(QDir::Files);
    QCOMPARE(files.size(), qsizetype(cards_.size()));
    for (const cards::carte &card : {cards_.front(), cards_.back()}) {
        const QString name = picturefile::fileBaseName(QString::fromStdString(card.nom())) + suffix;
        QVERIFY2(files.contains(name), qPrintable(name));
        const QString path = QDir(folder).filePath(name);
        if (suffix == QLatin1String(".svg")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY(QString::fromUtf8(f.readAll())
                        .contains(QString::fromStdString(card.nom()).toHtmlEscaped()));
        } else {
            const int scale = suffix.startsWith(u'@') ? 2 : 1;
            QCOMPARE(QImage(path).size(), cardlayout::kFrame1Inner * scale);
        }
    }
}

void TestToolImages::refusals_data()
{
    QTest::addColumn<QStringList>("args"); // "DB" the bundled database, "OUT/" the folder
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown format")
        << QStringList{"image", "DB", "Eau", "OUT/eau.jpg"} << 2 << "l'extension doit être";
    QTest::newRow("unknown card") << QStringList{"image", "DB", "Kryptonite", "OUT/k.png"} << 1
                                  << "aucune carte « Kryptonite »";
    QTest::newRow("missing database")
        << QStringList{"image", "OUT/absente.ZYP", "Eau", "OUT/eau.png"} << 1 << "absente.ZYP";
    QTest::newRow("not a card file")
        << QStringList{"image", "DB", "OUT/eau.png"} << 1 << "n'est pas un fichier carte";
    QTest::newRow("folder, unknown format")
        << QStringList{"images", "DB", "OUT/images", "gif"} << 2 << "l'extension doit être";
    QTest::newRow("unknown style") << QStringList{"images", "DB", "OUT/i", "--pictogrammes", "bleu"}
                                   << 2 << "« orange » (carrés orange) ou « sgh »";
}

void TestToolImages::refusals()
{
    // A refused run says why in French and writes nothing.
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, message);
    QTemporaryDir dir;
    for (QString &a : args) {
        if (a == QLatin1String("DB"))
            a = kBundled;
        a.replace(QStringLiteral("OUT/"), dir.path() + u'/');
    }
    const ToolRun r = runTool(args);
    QCOMPARE(r.code, code);
    QVERIFY2(QString::fromUtf8(r.err).contains(message), r.err.constData());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

QTEST_MAIN(TestToolImages)
#include "tst_toolimages.moc"
