#include "cp1252validator.h"

#include <QTest>

// The one validator of every text box that ends up in a record: the main
// window's card boxes (no length of its own) and the parameters and
// publishing windows (a record's 126 characters).
class TestCp1252Validator : public QObject
{
    Q_OBJECT
private slots:
    void validate_data();
    void validate();
};

void TestCp1252Validator::validate_data()
{
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>(
        "taken"); // the characters Windows-1252 cannot hold replaced or left out

    const QString e126(126, QChar(u'é'));
    QTest::newRow("plain") << 0 << "eau" << true << "eau";
    QTest::newRow("empty") << 126 << "" << true << "";
    QTest::newRow("euro, a byte of its own") << 0 << "5 €" << true << "5 €";
    QTest::newRow("oe ligature") << 0 << "œuf" << true << "œuf";
    QTest::newRow("o double acute") << 0 << "Erdős" << true << "Erds";
    QTest::newRow("greek") << 0 << "α" << true << "";
    QTest::newRow("outside the BMP") << 0 << QString::fromUtf8("a\xF0\x9F\x98\x80") << true << "a";
    QTest::newRow("lone surrogate") << 0 << QString(QChar(0xD800)) << true << "";
    QTest::newRow("script digits and signs") << 0 << "SO₄²⁻ H⁺" << true << "SO4²- H+";
    QTest::newRow("dashes, spaces, approximately")
        << 0 << QStringLiteral("a\u2010b\u2212c \u2248 1\u202F000") << true
        << QStringLiteral("a-b-c ~ 1\u00A0000");
    QTest::newRow("no limit: long text") << 0 << e126 + e126 << true << e126 + e126;
    QTest::newRow("126 accented, at the limit") << 126 << e126 << true << e126;
    QTest::newRow("127 accented, over") << 126 << e126 + QLatin1Char('x') << false << "";
    QTest::newRow("left out, then within the length") << 126 << "α" + e126 << true << e126;
}

void TestCp1252Validator::validate()
{
    QFETCH(int, maxLength);
    QFETCH(QString, input);
    QFETCH(bool, accepted);
    QFETCH(QString, taken);
    const Cp1252Validator validator(maxLength, nullptr);
    int pos = int(input.size());
    QCOMPARE(validator.validate(input, pos) == QValidator::Acceptable, accepted);
    if (accepted) {
        QCOMPARE(input, taken);
        QCOMPARE(pos, int(taken.size()));
    }
}

QTEST_MAIN(TestCp1252Validator)
#include "tst_cp1252validator.moc"
