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

    const QString e126(126, QChar(u'é'));
    QTest::newRow("plain") << 0 << "eau" << true;
    QTest::newRow("empty") << 126 << "" << true;
    QTest::newRow("euro, a byte of its own") << 0 << "5 €" << true;
    QTest::newRow("oe ligature") << 0 << "œuf" << true;
    QTest::newRow("o double acute") << 0 << "Erdős" << false;
    QTest::newRow("greek") << 0 << "α" << false;
    QTest::newRow("outside the BMP") << 0 << QString::fromUtf8("a\xF0\x9F\x98\x80") << false;
    QTest::newRow("lone surrogate") << 0 << QString(QChar(0xD800)) << false;
    QTest::newRow("no limit: long text") << 0 << e126 + e126 << true;
    QTest::newRow("126 accented, at the limit") << 126 << e126 << true;
    QTest::newRow("127 accented, over") << 126 << e126 + QLatin1Char('x') << false;
    QTest::newRow("refused before the length") << 126 << "α" << false;
}

void TestCp1252Validator::validate()
{
    QFETCH(int, maxLength);
    QFETCH(QString, input);
    QFETCH(bool, accepted);
    const Cp1252Validator validator(maxLength, nullptr);
    int pos = 0;
    QCOMPARE(validator.validate(input, pos) == QValidator::Acceptable, accepted);
}

QTEST_MAIN(TestCp1252Validator)
#include "tst_cp1252validator.moc"
