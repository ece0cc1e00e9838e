#include "cardbytes.h"
#include "companiontool.h"
#include "database.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <set>

using namespace cards;

namespace
{

const QByteArray kHeader = "nom,formule,drapeaux,aspect,massemolaire,massevolumique,densite,"
                           "ebullition,fusion,indice,solubilite,reference\n";

QByteArray line(const QByteArray &nom, const QByteArray &aspect = "liquide")
{
    return nom + ",H#2O,0100000000," + aspect + ",18,1000,1,100,0,\"1,33\",,\n";
}

} // namespace

class ToolTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        db_ = pathIn(*dir_, "ESPCHIMIQUES.ZYP");
        csv_ = pathIn(*dir_, "a.csv");
    }

    void badArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("no command") << QStringList{} << 2 << "commande manquante";
        QTest::newRow("unknown command") << QStringList{"exporter"} << 2 << "commande inconnue";
        QTest::newRow("export without base") << QStringList{"export"} << 2 << "nombre d'arguments";
        QTest::newRow("export missing base")
            << QStringList{"export", "@/no.ZYP"} << 1 << "n'existe pas";
        QTest::newRow("import missing csv")
            << QStringList{"import", "@/no.csv", "@/DB"} << 1 << "impossible de lire";
        QTest::newRow("check a directory")
            << QStringList{"check", "@"} << 1 << "lecture impossible";
    }

    void badArguments()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        for (QString &a : args)
            a.replace("@", dir_->path());
        const ToolRun r = runTool(args);
        QCOMPARE(r.code, code);
        QVERIFY2(QString::fromUtf8(r.err).contains(message), r.err);
        QVERIFY(!std::filesystem::exists(pathIn(*dir_, "DB")));
    }

    void roundTrip()
    {
        // Quotes, commas, a line break, accents, untrimmed names, CRLF lines.
        const QByteArray csv =
            kHeader +
            "Eau,H#2O,0100000100,\"liquide, \"\"pur\"\"\",18,1000,1,100,0,\"1,33\",,CRC\r\n"
            "\" Eau \",H#2O,0100000000,\"deux\nlignes\",,,,,,,miscible,\n"
            "Éthanol,C#2H#6O,1010000001,incolore à 20 °C,\"46,07\",789,,,-114,,miscible,\n";
        writeFile(csv_, csv.toStdString());
        ToolRun r = runTool({"import", pathArg(csv_), pathArg(db_)});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.isEmpty(), r.err);

        const std::string expected =
            rec("Eau") + rec("H#2O") + rec("0100000100") + rec("liquide, \"pur\"") + rec("18") +
            rec("1000") + rec("1") + rec("100") + rec("0") + rec("1,33") + rec("") + rec(" Eau ") +
            rec("H#2O") + rec("0100000000") + rec("deux\nlignes") + rec("") + rec("") + rec("") +
            rec("") + rec("") + rec("") + rec("miscible") + rec("\xC9thanol") + rec("C#2H#6O") +
            rec("1010000001") +
            rec("incolore \xE0 20 \xB0"
                "C") +
            rec("46,07") + rec("789") + rec("") + rec("") + rec("-114") + rec("") + rec("miscible");
        QCOMPARE(q(readFile(db_)), q(expected));

        r = runTool({"export", pathArg(db_)});
        QCOMPARE(r.code, 0);
        QCOMPARE(
            r.out,
            kHeader +
                "Eau,H#2O,0100000100,\"liquide, \"\"pur\"\"\",18,1000,1,100,0,\"1,33\",,\n"
                "\" Eau \",H#2O,0100000000,\"deux\nlignes\",,,,,,,miscible,\n"
                "Éthanol,C#2H#6O,1010000001,incolore à 20 °C,\"46,07\",789,,,-114,,miscible,\n");

        const auto again = pathIn(*dir_, "again.ZYP");
        writeFile(csv_, r.out.toStdString());
        QCOMPARE(runTool({"import", pathArg(csv_), pathArg(again)}).code, 0);
        QVERIFY(readFile(again) == expected);

        r = runTool({"check", pathArg(db_)});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.endsWith("\n3 carte(s).\n"), r.out);
    }

    void importRefuses_data()
    {
        QTest::addColumn<QByteArray>("line3");
        QTest::addColumn<QString>("reason");
        QTest::newRow("blank name") << line("   ") << "doit avoir un nom";
        QTest::newRow("name in the base") << line("Eau") << "avec ce nom dans la base";
        QTest::newRow("name earlier in the file") << line("Sel") << "avec ce nom à la ligne 2";
        QTest::newRow("127 characters")
            << line("Or", QByteArray(127, 'a')) << "dépasse 126 caractères";
        QTest::newRow("arrow") << line("Or", "a→b") << "« → », un caractère que Windows-1252";
        QTest::newRow("invalid UTF-8") << line("Caf\xE9") << "UTF-8 valide";
        QTest::newRow("short flag string")
            << QByteArray("Or,Au,010,,,,,,,,,\n") << "dix caractères 0 ou 1";
        QTest::newRow("missing columns") << QByteArray("Or,Au\n") << "2 champs au lieu de 12";
        QTest::newRow("quote never closed")
            << QByteArray("\"Or,Au,0000000000,,,,,,,,,\n") << "guillemet ouvert à la ligne 3";
    }

    void importRefuses()
    {
        QFETCH(QByteArray, line3);
        QFETCH(QString, reason);
        writeFile(csv_, (kHeader + line("Eau")).toStdString());
        QCOMPARE(runTool({"import", pathArg(csv_), pathArg(db_)}).code, 0);
        const std::string before = readFile(db_);

        writeFile(csv_, (kHeader + line("Sel") + line3).toStdString());
        const ToolRun r = runTool({"import", pathArg(csv_), pathArg(db_)});
        QCOMPARE(r.code, 1);
        const QString err = QString::fromUtf8(r.err);
        QVERIFY2(err.contains("ligne 3 refusée : ") && err.contains(reason), r.err);
        QVERIFY2(!err.contains("ligne 2") || reason.contains("ligne 2"), r.err);
        QVERIFY(err.contains("1 ligne(s) refusée(s)"));
        QVERIFY(readFile(db_) == before);
        QCOMPARE(entryCount(*dir_), 2);
    }

    void importGoesToFirstFreeSlots()
    {
        // A name of spaces ends the base: the stale card behind it is no card.
        writeFile(db_, slotBytes("A") + slotBytes("  ") + slotBytes("Stale", "s") + slotBytes("") +
                           slotBytes("C"));
        writeFile(csv_, (kHeader + line("Stale") + line("A ")).toStdString());
        QCOMPARE(runTool({"import", pathArg(csv_), pathArg(db_)}).code, 0);
        const ListResult l = Database(db_).list(kNom);
        QCOMPARE(l.cards.size(), std::size_t(3));
        QCOMPARE(q(l.cards[1].nom), QByteArray("Stale"));
        QCOMPARE(q(l.cards[2].nom), QByteArray("A "));
        QCOMPARE(q(readFile(db_).substr(3 * 11 * 128)), q(slotBytes("") + slotBytes("C")));
    }

    void importStopsAtTheLimit()
    {
        std::string bytes;
        for (int i = 0; i < kMaxCards - 1; ++i)
            bytes += slotBytes(numbered("n", i));
        writeFile(db_, bytes);
        writeFile(csv_, (kHeader + line("Last") + line("One more")).toStdString());
        const ToolRun r = runTool({"import", pathArg(csv_), pathArg(db_)});
        QCOMPARE(r.code, 1);
        QVERIFY2(QString::fromUtf8(r.err).contains("ligne 3 refusée : la base est pleine"), r.err);
        QVERIFY(readFile(db_) == bytes);

        writeFile(csv_, (kHeader + line("Last")).toStdString());
        QCOMPARE(runTool({"import", pathArg(csv_), pathArg(db_)}).code, 0);
        QCOMPARE(Database(db_).list(kNom).cards.size(), std::size_t(kMaxCards));
    }

    void check_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("report");
        const auto b = [](const std::string &s) { return QByteArray::fromStdString(s); };
        std::string nine = slotBytes("B");
        nine.replace(2 * 128, 128, rec("101000000"));
        QTest::newRow("damaged stale record")
            << b(slotBytes("A") + slotBytes("") + rawRec(200)) << 1
            << QStringList{"endommagé : enregistrement 23 (emplacement 2, nom), longueur 200",
                           "1 carte(s) ; fichier endommagé."};
        QTest::newRow("damaged name") << b(slotBytes("A") + rawRec(300)) << 1
                                      << QStringList{"la fin de la base n'a pu être trouvée"};
        QTest::newRow("duplicate names")
            << b(slotBytes("A") + slotBytes("B") + slotBytes("A")) << 0
            << QStringList{"nom en double : emplacement 2 « A », déjà à l'emplacement 0"};
        QTest::newRow("nine-character flags")
            << b(slotBytes("A") + nine) << 0
            << QStringList{"neuf caractères : emplacement 1 « B »"};
        QTest::newRow("cards behind an empty name")
            << b(slotBytes("A") + slotBytes("") + slotBytes("C") + slotBytes("D")) << 0
            << QStringList{"2 emplacement(s) avec un nom suivent la fin de la base", "1 carte(s)."};
        QTest::newRow("slot 0 made of spaces")
            << b(slotBytes("   ") + slotBytes("C")) << 0
            << QStringList{"l'emplacement 0 a un nom fait d'espaces", "1 emplacement(s)",
                           "0 carte(s)."};
    }

    void check()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, code);
        QFETCH(QStringList, report);
        writeFile(db_, file.toStdString());
        const ToolRun r = runTool({"check", pathArg(db_)});
        QCOMPARE(r.code, code);
        for (const QString &s : report)
            QVERIFY2(QString::fromUtf8(r.out).contains(s), qPrintable(s + "\n" + r.out));
        QVERIFY(readFile(db_) == file.toStdString());
    }

    void show()
    {
        const auto car = pathIn(*dir_, "a.CAR");
        std::string bytes = rec("Carte d'identit\xE9 d'une esp\xE8"
                                "ce chimique pour le logiciel ZYP") +
                            rec("\xC9thanol") + rec("C#2H#6O") + rec("101000000");
        for (int k = 4; k <= 11; ++k)
            bytes += rec(k == 11 ? "miscible" : "");
        writeFile(car, bytes);
        ToolRun r = runTool({"show", pathArg(car)});
        QCOMPARE(r.code, 0);
        const QString out = QString::fromUtf8(r.out);
        QVERIFY2(out.startsWith("Nom "), r.out);
        QVERIFY2(out.contains(" : Éthanol\n"), r.out);
        QVERIFY2(out.contains(" : 101000000 (organique, inflammable ; non polluant)\n"), r.out);
        QVERIFY2(out.contains("Solubilité dans l'eau (g/L)") && out.endsWith(" : miscible\n"),
                 r.out);
        QVERIFY(readFile(car) == bytes); // shown, not completed

        writeFile(car, slotBytes("Eau"));
        r = runTool({"show", pathArg(car)});
        QCOMPARE(r.code, 1);
        QVERIFY2(QString::fromUtf8(r.err).contains("n'est pas un fichier carte : son premier "
                                                   "enregistrement est « Eau »"),
                 r.err);
        writeFile(car, "");
        QVERIFY(runTool({"show", pathArg(car)}).err.contains("le fichier est vide"));
        writeFile(car, "<html>");
        QVERIFY(runTool({"show", pathArg(car)}).err.contains("n'est pas un texte"));
    }

    void masse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("hydrate") << QStringList{"masse", "CuSO#4,5H#2O"} << 0
                                 << "CuSO#4,5H#2O : 249,68 g/mol (H 10, O 9, S 1, Cu 1)\n"
                                 << "";
        QTest::newRow("light species: three decimals")
            << QStringList{"masse", "H#2"} << 0 << "H#2 : 2,016 g/mol (H 2)\n"
            << "";
        QTest::newRow("several formulas")
            << QStringList{"masse", "NaCl", "CH#3CH(CH#3)#2"} << 0
            << "NaCl : 58,44 g/mol (Na 1, Cl 1)\nCH#3CH(CH#3)#2 : 58,12 g/mol (H 10, C 4)\n"
            << "";
        QTest::newRow("unknown symbol") << QStringList{"masse", "Xy"} << 2 << ""
                                        << "« Xy » : symbole inconnu : Xy\n";
        QTest::newRow("mixture") << QStringList{"masse", "H#3O*+ + Cl*-"} << 2 << ""
                                 << "« H#3O*+ + Cl*- » : mélange : pas de masse molaire unique\n";
        QTest::newRow("one bad among good")
            << QStringList{"masse", "Ca(OH#2", "H#2O"} << 2 << "H#2O : 18,02 g/mol (H 2, O 1)\n"
            << "« Ca(OH#2 » : parenthèse non fermée : (\n";
        QTest::newRow("no formula") << QStringList{"masse"} << 2 << ""
                                    << "nombre d'arguments";
    }

    void masse()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const ToolRun r = runTool(args);
        QCOMPARE(r.code, code);
        QCOMPARE(QString::fromUtf8(r.out), out);
        if (err.isEmpty())
            QVERIFY2(r.err.isEmpty(), r.err);
        else
            QVERIFY2(QString::fromUtf8(r.err).contains(err), r.err);
    }

    // check names each card whose stored molar mass is more than 0.5 % away
    // from its formula's, and no other.
    void checkMolarMasses()
    {
        struct Card {
            const char *nom, *formule, *masse;
        };
        const Card cards[] = {
            {"Eau", "H#2O", "18"},                           // 0.08 % off: agrees
            {"Sulfate de cuivre", "CuSO#4,5H#2O", "159,60"}, // the anhydrous salt's mass
            {"Glycérol", "CH#2OH-CHOH-CH#2OH", "92,09"},
            {"Acide chlorhydrique", "H#3O*+ + Cl*-", "36,46"}, // no single mass: not compared
            {"Amidon", "(C#6H#1#0O#5)#n", "162"},
            {"Glace", "H#2O", "env. 18"}, // not a number (not typed in the editor)
            {"Sel", "NaCl", ""},
            {"Ammoniac", "NH#3", "17,2"}, // 1 % off
            {"Sel gemme", "NaCl", "58440000000000000000000000000000000000000000000000"},
        };
        std::string bytes;
        for (const Card &c : cards) {
            bytes += rec(c.nom) + rec(c.formule) + rec("0100000000") + rec("") + rec(c.masse);
            for (int k = 6; k <= 11; ++k)
                bytes += rec("");
        }
        writeFile(db_, bytes);
        const ToolRun r = runTool({"check", pathArg(db_)});
        QCOMPARE(r.code, 0);
        const QStringList lines = QString::fromUtf8(r.out).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[1], "  masse molaire différente de la formule : emplacement 1 « Sulfate de "
                           "cuivre » « 159,60 » g/mol, la formule « CuSO#4,5H#2O » donne 249,68 "
                           "g/mol (-36,1 %)");
        QCOMPARE(lines[2], "  masse molaire illisible : emplacement 5 « Glace » « env. 18 » (la "
                           "formule donne 18,02 g/mol)");
        QCOMPARE(lines[3], "  masse molaire différente de la formule : emplacement 7 « Ammoniac » "
                           "« 17,2 » g/mol, la formule « NH#3 » donne 17,03 g/mol (+1,0 %)");
        // A gap of fifty digits is written whole.
        QVERIFY2(QRegularExpression(QStringLiteral("g/mol \\(\\+[0-9]{50},0 %\\)$"))
                     .match(lines[4])
                     .hasMatch(),
                 qPrintable(lines[4]));
        QCOMPARE(lines[5], "9 carte(s).");
    }

    void bundledDatabase()
    {
        const QByteArray src = qgetenv("CARTES_SOURCE_DIR");
        const std::filesystem::path csv =
            std::filesystem::path(src.toStdString()) / "data" / "especes.csv";
        if (src.isEmpty() || !std::filesystem::exists(csv))
            QSKIP("data/especes.csv is not there");
        ToolRun r = runTool({"import", pathArg(csv), pathArg(db_)});
        QVERIFY2(r.code == 0 && r.err.isEmpty(), r.err);
        r = runTool({"check", pathArg(db_)});
        QVERIFY2(r.code == 0 && r.out.count('\n') == 2, r.out); // nothing to report
        // Every quantity is given, but where it has no meaning or no reference gives it.
        const std::set<std::string> noReference = {
            "Propane : indice", "Butane : indice", "Dioxyde d'azote : indice",
            "Acide chlorhydrique (solution à 37 %) : indice", "Bleu de bromothymol : solubilite"};
        const auto meaningless = [](const carte &c, int k) {
            const QString aspect = QString::fromStdString(c.aspect());
            const bool heat = k == kEbullition || k == kFusion;
            return (c.nom().starts_with("Ion ") && k != kMasseMolaire) || // alone, out of solution
                   (c.formule().find(" + ") != std::string::npos && (heat || k == kMasseMolaire)) ||
                   (heat && aspect.contains(QRegularExpression("décompose|sublime|solidifie"))) ||
                   (k == kIndice &&
                    aspect.contains(QRegularExpression("^solide|éclat métallique"))) ||
                   (k == kSolubilite &&
                    (c.nom() == "Eau" || aspect.contains(QRegularExpression("insoluble|réagit"))));
        };
        for (const carte &c : Database(db_).cards().cards)
            for (int k = kMasseMolaire; k <= kSolubilite; ++k) {
                const std::string what = c.nom() + " : " + std::string(fieldInfo(k).column);
                QVERIFY2(!c.field(k).empty() || meaningless(c, k) || noReference.contains(what),
                         what.c_str());
            }
        r = runTool({"export", pathArg(db_)});
        QCOMPARE(r.code, 0);
        writeFile(csv_, r.out.toStdString());
        const auto again = pathIn(*dir_, "again.ZYP");
        QCOMPARE(runTool({"import", pathArg(csv_), pathArg(again)}).code, 0);
        QVERIFY(readFile(again) == readFile(db_));
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::filesystem::path db_, csv_;
};

QTEST_GUILESS_MAIN(ToolTest)
#include "tst_tools.moc"
