#include "confimp.h"
#include "fakesource.h"
#include "listing.h"
#include "pdftools.h"
#include "updown.h"

#include "scripteddialogs.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using platform::Dialogs;
using platform::ScriptedDialogs;

namespace
{

struct Bench {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("out.pdf"));
    QPrinter printer{QPrinter::HighResolution};
    ScriptedDialogs dialogs;
    FakeSource source;

    Bench()
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageSize(QPageSize(QPageSize::A4));
        source.dialogs = &dialogs;
    }

    // Prints with the dialog as the user would; true when it closed accepted.
    bool print(bool database, int copies)
    {
        confimp dialog(source, dialogs, printer, nullptr);
        (database ? dialog.Option2 : dialog.Option1)->setChecked(true);
        dialog.UpDown1->setValue(copies);
        dialog.Command1->click();
        return dialog.result() == QDialog::Accepted;
    }
};

// Text lines of a page, blank lines dropped.
QStringList lines(const QString &file, int page)
{
    QStringList out;
    for (const QString &l : pdf::text(file, page).split(u'\n'))
        if (!l.trimmed().isEmpty())
            out << l.trimmed();
    return out;
}

} // namespace

class TestConfimp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void controls();
    void copies_data();
    void copies();
    void cardCopiesAreCentredPages();
    void listingCopiesRestart();
    void listingText();
    void emptyListPrintsTitlePage();
    void pictogramStoredOnce();
    void askSaveBeforeListing_data();
    void askSaveBeforeListing();
    void failureMessage_data();
    void failureMessage();
    void waitingFrameWhilePrinting();
    void printerChoice();
    void noPrinterWritesDefaultFile();
};

void TestConfimp::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("poppler-utils is not installed");
}

void TestConfimp::controls()
{
    Bench b;
    confimp dialog(b.source, b.dialogs, b.printer, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Imprimer"));
    QCOMPARE(dialog.Frame1->title(), QStringLiteral("Options"));
    QVERIFY(dialog.Option1->isChecked());
    QCOMPARE(dialog.Option1->text(), QStringLiteral("Imprimer la carte éditée"));
    QCOMPARE(dialog.Option2->text(),
             QStringLiteral("Imprimer toute la base de données (l'ordre est déterminé par le "
                            "critère de tri)"));
    QCOMPARE(dialog.Label3->text(), QStringLiteral("Nombre d'exemplaires:"));
    QCOMPARE(dialog.Label4->text(), QStringLiteral("1"));
    QCOMPARE(dialog.Label2->text(), QStringLiteral("Imprimante:"));
    QCOMPARE(dialog.defaut->text(), QStringLiteral("Fichier PDF (%1)").arg(b.file));
    QCOMPARE(dialog.Command2->text(), QStringLiteral("&Imprimantes"));
    QCOMPARE(dialog.Command3->text(), QStringLiteral("&Annuler"));
    QVERIFY(!dialog.Command1->icon().isNull());
    QCOMPARE(dialog.Label1->text(), QStringLiteral("Veuillez patienter quelques instants..."));
    QVERIFY(dialog.Frame2->isHidden());

    // "&Annuler" closes without printing.
    dialog.show();
    dialog.Command3->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(b.file));
    QVERIFY(b.source.shownRows.isEmpty());
}

void TestConfimp::copies_data()
{
    QTest::addColumn<QList<int>>("steps"); // +n: up n times, -n: down n times
    QTest::addColumn<QString>("label");
    QTest::newRow("start") << QList<int>{} << "1";
    QTest::newRow("up twice") << QList<int>{2} << "3";
    QTest::newRow("not below 1") << QList<int>{-3} << "1";
    QTest::newRow("up and down") << QList<int>{5, -2} << "4";
    QTest::newRow("not above 99") << QList<int>{120} << "99";
}

void TestConfimp::copies()
{
    QFETCH(QList<int>, steps);
    QFETCH(QString, label);
    Bench b;
    confimp dialog(b.source, b.dialogs, b.printer, nullptr);
    for (int s : steps)
        for (int i = 0; i < qAbs(s); ++i)
            (s > 0 ? dialog.UpDown1->upButton() : dialog.UpDown1->downButton())->click();
    QCOMPARE(dialog.Label4->text(), label);
    QCOMPARE(dialog.UpDown1->value(), label.toInt());
}

void TestConfimp::cardCopiesAreCentredPages()
{
    Bench b;
    b.source.editor = sampleCard(3);
    b.source.editor.nom = QStringLiteral("Eau");
    QVERIFY(b.print(false, 3));
    QCOMPARE(pdf::pages(b.file), 3);
    QVERIFY(b.source.shownRows.isEmpty());
    QVERIFY(b.dialogs.shown.isEmpty());

    // Every page holds the card alone, centred, at its size on a 96 dpi
    // screen: 461 x 485 pixels are 12.2 x 12.8 cm.
    const int dpi = 50;
    for (int page = 1; page <= 3; ++page) {
        const QImage img = pdf::render(b.file, page, dpi).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!img.isNull());
        QRect box;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 240)
                    box |= QRect(x, y, 1, 1);
        const double cm = 2.54 / dpi;
        QVERIFY2(qAbs(box.width() * cm - 12.2) < 0.2, qPrintable(QString::number(box.width())));
        QVERIFY(qAbs(box.height() * cm - 12.83) < 0.2);
        QVERIFY(qAbs(box.center().x() - img.width() / 2.0) <= 2);
        QVERIFY(qAbs(box.center().y() - img.height() / 2.0) <= 3);
    }
}

void TestConfimp::listingCopiesRestart()
{
    Bench b;
    for (int i = 0; i < 12; ++i)
        b.source.cards.push_back(sampleCard(i));
    QVERIFY(b.print(true, 2));
    const int pages = pdf::pages(b.file);
    QVERIFY(pages >= 4);
    QVERIFY(pages % 2 == 0);
    const int perCopy = pages / 2;
    for (int copy = 0; copy < 2; ++copy) {
        for (int p = 1; p <= perCopy; ++p) {
            const QStringList text = lines(b.file, copy * perCopy + p);
            QCOMPARE(text.first() == listing::kTitle, p == 1);
            QCOMPARE(text.last(), listing::footerText(p));
        }
    }
    // Both copies show the cards in the list's order; afterwards the editor
    // shows the last row.
    QCOMPARE(b.source.shownRows.size(), 24);
    QCOMPARE(b.source.current, 12);
    QCOMPARE(b.source.editor.nom, b.source.cards.back().nom);
    const QString all = pdf::text(b.file, 1) + pdf::text(b.file, 2);
    QVERIFY(all.indexOf(b.source.cards[0].nom) < all.indexOf(b.source.cards[1].nom));
}

void TestConfimp::listingText()
{
    Bench b;
    CardView c;
    c.nom = QStringLiteral("Ethanol");
    c.formule = QStringLiteral("C#2H#6O");
    c.aspect = QStringLiteral("liquide incolore");
    c.quantites = {QStringLiteral("46"),      QStringLiteral("789"),  QStringLiteral(""),
                   QStringLiteral("78"),      QStringLiteral("-114"), QStringLiteral("1,36"),
                   QStringLiteral("miscible")};
    c.organique = true;
    c.risquePollution = true;
    c.polu = {false, true, false};
    b.source.cards.push_back(c);
    QVERIFY(b.print(true, 1));
    QCOMPARE(pdf::pages(b.file), 1);
    const QStringList text = lines(b.file, 1);
    QCOMPARE(text.first(), listing::kTitle);
    QCOMPARE(text.last(), QStringLiteral("Lumisque - BORVEL - page 1"));
    const QString all = text.join(u'\n');
    QVERIFY2(all.contains(QStringLiteral("Organique")), qPrintable(all));
    QVERIFY(all.contains(QStringLiteral("Aspect dans les CNTP : liquide incolore")));
    QVERIFY(all.contains(QStringLiteral("Masse molaire : 46 g.mol")));
    QVERIFY(all.contains(QStringLiteral("Température de fusion : -114 °C")));
    QVERIFY(all.contains(QStringLiteral("Environnement : risque de pollution pour l'eau.")));
    QVERIFY(text.contains(QStringLiteral("Densité :")));
    QVERIFY(text.contains(QStringLiteral("Solubilité dans l'eau : miscible")));
}

void TestConfimp::emptyListPrintsTitlePage()
{
    Bench b;
    QVERIFY(b.print(true, 1));
    QCOMPARE(pdf::pages(b.file), 1);
    QCOMPARE(lines(b.file, 1), QStringList{listing::kTitle});

    Bench two;
    QVERIFY(two.print(true, 2));
    QCOMPARE(pdf::pages(two.file), 2);
    QCOMPARE(lines(two.file, 2), QStringList{listing::kTitle});
}

void TestConfimp::pictogramStoredOnce()
{
    // Every card with every hazard: the file holds each picture once and
    // draws it at each use.
    Bench b;
    for (int i = 0; i < 20; ++i) {
        CardView c = sampleCard(i);
        c.hazards = {true, true, true, true};
        b.source.cards.push_back(c);
    }
    QVERIFY(b.print(true, 1));
    const pdf::Images images = pdf::images(b.file);
    QCOMPARE(images.uses, 80);
    QCOMPARE(images.objects, 4);
}

void TestConfimp::askSaveBeforeListing_data()
{
    QTest::addColumn<bool>("database");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer"); // Dialogs::Answer, when asked
    QTest::addColumn<bool>("refused");
    QTest::addColumn<bool>("printed");
    QTest::addColumn<int>("validations");
    using A = Dialogs::Answer;
    QTest::newRow("not modified") << true << false << -1 << false << true << 0;
    QTest::newRow("yes") << true << true << int(A::Yes) << false << true << 1;
    QTest::newRow("no") << true << true << int(A::No) << false << true << 0;
    QTest::newRow("yes, name refused") << true << true << int(A::Yes) << true << false << 1;
    // The card print prints the edited card itself: nothing to ask.
    QTest::newRow("card mode") << false << true << -1 << false << true << 0;
}

void TestConfimp::askSaveBeforeListing()
{
    QFETCH(bool, database);
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(bool, refused);
    QFETCH(bool, printed);
    QFETCH(int, validations);
    Bench b;
    for (int i = 0; i < 3; ++i)
        b.source.cards.push_back(sampleCard(i));
    b.source.modified = modified;
    b.source.nameRefused = refused;
    if (answer >= 0)
        b.dialogs.expectMessage(QStringLiteral("Enregistrer ?"), Dialogs::Answer(answer));
    // A row shown while the card is still modified would lose it unasked.
    b.source.onShow = [&](int) { QCOMPARE(b.source.questions, answer >= 0 ? 1 : 0); };

    QCOMPARE(b.print(database, 1), printed);
    QVERIFY(b.dialogs.allAnswered());
    QVERIFY(b.dialogs.unexpected.isEmpty());
    QCOMPARE(b.source.questions, answer >= 0 ? 1 : 0);
    QCOMPARE(b.source.validations, validations);
    QCOMPARE(QFile::exists(b.file), printed);
    QCOMPARE(b.source.shownRows.size(), printed && database ? 3 : 0);
}

void TestConfimp::failureMessage_data()
{
    QTest::addColumn<bool>("database");
    QTest::newRow("card") << false;
    QTest::newRow("listing") << true;
}

void TestConfimp::failureMessage()
{
    QFETCH(bool, database);
    Bench b;
    for (int i = 0; i < 3; ++i)
        b.source.cards.push_back(sampleCard(i));
    b.source.current = 2;
    const QString missing = b.dir.filePath(QStringLiteral("absent/out.pdf"));
    b.printer.setOutputFileName(missing);
    b.dialogs.expectMessage(QStringLiteral("Impression impossible"), Dialogs::Answer::Ok);

    confimp dialog(b.source, b.dialogs, b.printer, nullptr);
    (database ? dialog.Option2 : dialog.Option1)->setChecked(true);
    dialog.show();
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    dialog.Command1->click();

    QVERIFY(b.dialogs.allAnswered());
    QCOMPARE(b.dialogs.shown.size(), 1);
    const ScriptedDialogs::Shown &m = b.dialogs.shown.first();
    QCOMPARE(m.icon, Dialogs::Icon::Critical);
    QCOMPARE(m.text, QStringLiteral("L'imprimante n'est pas disponible. Vérifier qu'elle est "
                                    "allumée et bien configurée."));
    // Nothing else changed: no card shown, the dialog open as before.
    QVERIFY(b.source.shownRows.isEmpty());
    QCOMPARE(b.source.current, 2);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.Command1->isVisible());
    QVERIFY(dialog.Frame1->isVisible());
    QVERIFY(dialog.Frame2->isHidden());
    QVERIFY(!QFile::exists(missing));
}

void TestConfimp::waitingFrameWhilePrinting()
{
    Bench b;
    for (int i = 0; i < 4; ++i)
        b.source.cards.push_back(sampleCard(i));
    confimp dialog(b.source, b.dialogs, b.printer, nullptr);
    dialog.Option2->setChecked(true);
    dialog.UpDown1->setValue(2);
    dialog.show();
    QStringList seen;
    b.source.onShow = [&](int) {
        QVERIFY(dialog.Frame2->isVisible());
        QVERIFY(dialog.Command1->isHidden());
        QVERIFY(dialog.Command2->isHidden());
        QVERIFY(dialog.Command3->isHidden());
        QVERIFY(dialog.Frame1->isHidden());
        seen << dialog.progress->text();
        dialog.reject(); // no way out while printing
        QVERIFY(dialog.isVisible());
    };
    dialog.Command1->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(seen.size(), 8);
    QCOMPARE(seen[5], QStringLiteral("Carte 5 sur 8"));
}

void TestConfimp::printerChoice()
{
    Bench b;
    confimp dialog(b.source, b.dialogs, b.printer, nullptr);
    const QString before = dialog.defaut->text();

    // Cancelling changes nothing.
    b.dialogs.expectPrintSetup(false,
                               [](QPrinter &p) { p.setOutputFileName(QStringLiteral("/x.pdf")); });
    dialog.Command2->click();
    QCOMPARE(dialog.defaut->text(), before);

    const QString other = b.dir.filePath(QStringLiteral("autre.pdf"));
    b.dialogs.expectPrintSetup(true, [&](QPrinter &p) {
        p.setOutputFileName(other);
        p.setCopyCount(3);
    });
    dialog.Command2->click();
    QCOMPARE(dialog.defaut->text(), QStringLiteral("Fichier PDF (%1)").arg(other));
    QCOMPARE(dialog.Label4->text(), QStringLiteral("3"));
    QVERIFY(b.dialogs.allAnswered());

    dialog.Command1->click();
    QCOMPARE(pdf::pages(other), 3);
    QVERIFY(!QFile::exists(b.file));
}

void TestConfimp::noPrinterWritesDefaultFile()
{
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString());
    preparePrinter(printer, QStringLiteral("/tmp/defaut.pdf"));
    QCOMPARE(printer.outputFileName(), QStringLiteral("/tmp/defaut.pdf"));
    QCOMPARE(printer.resolution(), 600);
    QCOMPARE(printerDisplayName(printer), QStringLiteral("Fichier PDF (/tmp/defaut.pdf)"));
    QVERIFY(defaultPdfPath().endsWith(QStringLiteral("/carte.pdf")));

    // A chosen file is kept.
    preparePrinter(printer, QStringLiteral("/tmp/autre.pdf"));
    QCOMPARE(printer.outputFileName(), QStringLiteral("/tmp/defaut.pdf"));
}

QTEST_MAIN(TestConfimp)
#include "tst_confimp.moc"
