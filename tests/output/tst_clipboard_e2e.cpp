#include "cardlayout.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

// The card picture copied by one program and pasted by another, on a real X
// server of the test's own.
class TestClipboardE2e : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void anotherProgramPastesThePicture();
    void cleanupTestCase();

private:
    QByteArray xclip(const QString &target);
    QProcess xvfb_;
    QProcess helper_;
    QString display_;
};

void TestClipboardE2e::initTestCase()
{
    for (const char *tool : {"Xvfb", "xclip"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QLatin1String(tool))));
    // -displayfd: the server picks a free display and writes its number.
    xvfb_.start(QStringLiteral("Xvfb"),
                {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                 QStringLiteral("0"), QStringLiteral("800x600x24"), QStringLiteral("-nolisten"),
                 QStringLiteral("tcp")});
    QVERIFY(xvfb_.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(xvfb_.canReadLine(), 20000);
    display_ = QStringLiteral(":") + QString::fromLatin1(xvfb_.readLine().trimmed());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    helper_.setProcessEnvironment(env);
    helper_.start(QStringLiteral(CLIPBOARD_HELPER), {});
    QVERIFY(helper_.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(helper_.canReadLine(), 20000);
    QCOMPARE(helper_.readLine().trimmed(), QByteArray("ready"));
}

QByteArray TestClipboardE2e::xclip(const QString &target)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                      QStringLiteral("-t"), target, QStringLiteral("-o")});
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

void TestClipboardE2e::anotherProgramPastesThePicture()
{
    const QString targets = QString::fromLatin1(xclip(QStringLiteral("TARGETS")));
    QVERIFY2(targets.contains(QStringLiteral("image/png")), qPrintable(targets));
    QVERIFY2(targets.contains(QStringLiteral("image/bmp")), qPrintable(targets));

    const QImage png = QImage::fromData(xclip(QStringLiteral("image/png")), "PNG");
    QCOMPARE(png.size(), cardlayout::kFrame1Inner);
    QCOMPARE(png.pixelColor(0, 0), QColor(0, 0, 0));
    QCOMPARE(png.pixelColor(png.width() / 2, png.height() - 1), QColor(0, 0, 0));

    const QImage bmp = QImage::fromData(xclip(QStringLiteral("image/bmp")), "BMP");
    QCOMPARE(bmp.size(), cardlayout::kFrame1Inner);
}

void TestClipboardE2e::cleanupTestCase()
{
    for (QProcess *p : {&helper_, &xvfb_}) {
        if (p->state() == QProcess::NotRunning)
            continue;
        p->terminate();
        if (!p->waitForFinished(5000)) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
}

QTEST_GUILESS_MAIN(TestClipboardE2e)
#include "tst_clipboard_e2e.moc"
