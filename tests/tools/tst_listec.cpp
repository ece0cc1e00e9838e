#include "companiontool.h"
#include "recordbytes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestListec : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;

    QString path(const QString &name) const { return dir_->filePath(name); }
    void put(const QString &name, const QByteArray &bytes) { QVERIFY(writeAll(path(name), bytes)); }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        put(QStringLiteral("b-eau.CAR"), cardFile("eau"));
        put(QStringLiteral("a-ethanol.car"), cardFile("\xe9thanol"));
        put(QStringLiteral("c acide é.CAR"), cardFile("acide ac\xe9tique"));
        put(QStringLiteral("notes.txt"), "pas une carte");
    }

    // Entries in file-name order; credits from listec.txt, else the options.
    void list_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray u = "https://ecole.example.fr/cartes/";
        const QList<QByteArray> a = {"\xe9thanol", "M. Durand", "vu en TP; distill\xe9",
                                     u + "a-ethanol.car"};
        const QList<QByteArray> c = {"acide ac\xe9tique", "", "", u + "c%20acide%20%C3%A9.CAR"};
        QTest::newRow("base without a slash, no options")
            << "https://ecole.example.fr/cartes" << QStringList()
            << records(QList<QByteArray>{"LISTECHIMIE"} + a +
                       QList<QByteArray>{"eau", "", "", u + "b-eau.CAR"} + c);
        QList<QByteArray> cOptions = c;
        cOptions[1] = "Lyc\xe9"
                      "e Pasteur";
        cOptions[2] = "relu";
        QTest::newRow("base with a slash, options for the others")
            << "https://ecole.example.fr/cartes/"
            << QStringList{"--auteur", "Lycée Pasteur", "--commentaire", "relu"}
            << records(QList<QByteArray>{"LISTECHIMIE"} + a +
                       QList<QByteArray>{"eau",
                                         "Lyc\xe9"
                                         "e Pasteur",
                                         "relu", u + "b-eau.CAR"} +
                       cOptions);
    }

    void list()
    {
        QFETCH(QString, base);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, expected);
        put(QStringLiteral("listec.txt"), "# fichier;auteur;commentaire\na-ethanol.car;M. "
                                          "Durand;vu en TP; distill\xc3\xa9\r\n\n");
        const ToolRun r = runTool(QStringList{"listec", dir_->path(), base} + options);
        QCOMPARE(r.code, 0);
        QCOMPARE(readAll(path(QStringLiteral("LISTEC.ZYP"))), expected);
    }

    void output()
    {
        const QString out = path(QStringLiteral("sortie/liste.zyp"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("sortie"))));
        QCOMPARE(runTool({"listec", dir_->path(), "http://h/", "-o", out}).code, 0);
        QVERIFY(readAll(out).startsWith(record("LISTECHIMIE")));
        QVERIFY(!QFile::exists(path(QStringLiteral("LISTEC.ZYP"))));
    }

    void refused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QStringList ok{"https://h/"};
        QTest::newRow("not a card") << "x.CAR" << QByteArray("<html>") << ok << 1 << "x.CAR";
        QTest::newRow("card without a name")
            << "x.CAR" << cardFile("  ") << ok << 1 << "pas de nom";
        QTest::newRow("address too long")
            << "x.CAR" << cardFile("x") << QStringList{"https://h/" + QString(120, 'd')} << 1
            << "126";
        QTest::newRow("not a web address")
            << "" << QByteArray() << QStringList{"ftp://h/"} << 2 << "http://";
        QTest::newRow("unknown option")
            << "" << QByteArray() << QStringList{"https://h/", "--nom", "x"} << 2 << "--nom";
        QTest::newRow("option without value")
            << "" << QByteArray() << QStringList{"https://h/", "-o"} << 2 << "-o";
    }

    // Nothing is written when the list cannot be made whole.
    void refused()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        if (!file.isEmpty())
            put(file, bytes);
        const ToolRun r = runTool(QStringList{"listec", dir_->path()} + args);
        QCOMPARE(r.code, code);
        QVERIFY2(QString::fromUtf8(r.err).contains(message), r.err.constData());
        QVERIFY(!QFile::exists(path(QStringLiteral("LISTEC.ZYP"))));
    }

    void missingFolder()
    {
        QCOMPARE(runTool({"listec", path(QStringLiteral("absent")), "https://h/"}).code, 1);
    }

    // The parameters file from its readable source, as the installation builds it.
    void recordsTool_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("gaps and comments")
            << QByteArray("# commentaire\n1: https://a.example.org/\r\n\n3:\n4:x:y\n6: "
                          "cartes@\xc3\xa9"
                          "cole.example.org\n")
            << 0
            << records({"https://a.example.org/", "", "", "x:y", "",
                        "cartes@\xe9"
                        "cole.example.org"});
        QTest::newRow("no number") << QByteArray("texte\n") << 1 << QByteArray();
        QTest::newRow("record given twice") << QByteArray("1: a\n1: b\n") << 1 << QByteArray();
        QTest::newRow("text too long")
            << QByteArray("1: " + QByteArray(127, 'a') + "\n") << 1 << QByteArray();
    }

    void recordsTool()
    {
        QFETCH(QByteArray, source);
        QFETCH(int, code);
        QFETCH(QByteArray, expected);
        put(QStringLiteral("p.src"), source);
        const ToolRun r =
            runTool({"records", path(QStringLiteral("p.src")), path(QStringLiteral("P.LST"))});
        QCOMPARE(r.code, code);
        QCOMPARE(readAll(path(QStringLiteral("P.LST"))), expected);
    }
};

QTEST_MAIN(TestListec)
#include "tst_listec.moc"
