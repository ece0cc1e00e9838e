#include "carddraw.h"
#include "cardlayout.h"
#include "cardpicture.h"
#include "samplecards.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

class TestClipboard : public QObject
{
    Q_OBJECT
private slots:
    void copyPutsThePicture();
    void copyReplacesText();
};

void TestClipboard::copyPutsThePicture()
{
    const CardView card = sampleCard(6);
    QClipboard *clipboard = QGuiApplication::clipboard();
    copyCardPicture(card, clipboard);
    const QImage image = clipboard->image();
    QCOMPARE(image.size(), cardlayout::kFrame1Inner);
    QCOMPARE(image.convertToFormat(QImage::Format_RGB32),
             carddraw::creimage(card).convertToFormat(QImage::Format_RGB32));
    // The frame's black border and its white inside.
    QCOMPARE(image.pixelColor(0, 0), QColor(0, 0, 0));
    QCOMPARE(image.pixelColor(image.width() - 1, image.height() - 1), QColor(0, 0, 0));
}

void TestClipboard::copyReplacesText()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("ancien texte"));
    copyCardPicture(sampleCard(1), clipboard);
    QVERIFY(clipboard->mimeData()->hasImage());
    QVERIFY(clipboard->text().isEmpty());
}

QTEST_MAIN(TestClipboard)
#include "tst_clipboard.moc"
