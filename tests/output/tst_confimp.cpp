#include "confimp.h"
#include "fakesource.h"
#include "listing.h"
#include "pdftools.h"
#include "picturecompare.h"
#include "updown.h"

#include "carddraw.h"

#include "scripteddialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

Q_DECLARE_METATYPE(CardView)

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
    void listingPictogramsAreVectors();
    void cardIsTextAndVectors_data();
    void cardIsTextAndVectors();
    void askSaveBeforeListing_data();
    void askSaveBeforeListing();
    void failureMessage_data();
    void failureMessage();
    void waitingFrameWhilePrinting();
    void printerChoice();
    void preparedPrinter();
    void pdfFileName_data();
    void pdfFileName();
    void noPrinterAsksForAFile_data();
    void noPrinterAsksForAFile();
    void noPrinterReadOnlyFolder();
    void printerListComesFromTheDialogs();
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
    // Both copies print the cards in the list's order, read once; afterwards
    // the editor shows the last row.
    QCOMPARE(b.source.reads, 1);
    QCOMPARE(b.source.shownRows, QList<int>{12});
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
    QVERIFY(all.contains(QStringLiteral("Aspect ( 1 atm ; 20 °C ) : liquide incolore")));
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

void TestConfimp::listingPictogramsAreVectors()
{
    // Every card with every hazard, in both styles: the pictograms are drawn
    // (orange and red on the page), and the file holds no raster picture.
    Bench b;
    for (int i = 0; i < 8; ++i) {
        CardView c = sampleCard(i);
        c.hazards = {true, true, true, true};
        c.pictogramStyle = i % 2 ? hazardpictures::Style::Ghs : hazardpictures::Style::Orange;
        b.source.cards.push_back(c);
    }
    QVERIFY(b.print(true, 1));
    QCOMPARE(pdf::images(b.file).uses, 0);
    const QImage page = pdf::render(b.file, 1, 100).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!page.isNull());
    int orange = 0;
    int red = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb c = page.pixel(x, y);
            orange += qRed(c) > 220 && qGreen(c) > 120 && qGreen(c) < 175 && qBlue(c) < 80;
            red += qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
        }
    QVERIFY2(orange > 100, qPrintable(QString::number(orange)));
    QVERIFY2(red > 100, qPrintable(QString::number(red)));
}

void TestConfimp::cardIsTextAndVectors_data()
{
    QTest::addColumn<CardView>("card");
    QTest::addColumn<QStringList>("texts"); // found in the PDF, spaces aside

    QTest::newRow("water") << water() << QStringList{"Eau",         "H2O",         "18",
                                                     "1000",        "1,333",       "miscible",
                                                     "Inorganique", "Nonpolluant", "g.mol-1"};
    CardView ethanol = sampleCard(0);
    ethanol.nom = QStringLiteral("Éthanol");
    ethanol.formule = QStringLiteral("C#2H#5OH");
    ethanol.hazards = {true, false, true, false};
    ethanol.nonPolluant = false;
    ethanol.risquePollution = true;
    ethanol.polu = {true, false, true};
    QTest::newRow("ethanol, two hazards")
        << ethanol
        << QStringList{"Éthanol", "C2H5OH", "Organique", "Risquedepollutionpourl'air,laterre.",
                       "liquideincolore,odeurpiquante"};
    CardView sulfate = sampleCard(5);
    sulfate.nom = QStringLiteral("Ion sulfate");
    sulfate.formule = QStringLiteral("SO#4*2*-");
    sulfate.hazards = {true, true, true, true};
    sulfate.pictogramStyle = hazardpictures::Style::Ghs;
    sulfate.polu = {false, true, false};
    QTest::newRow("sulfate, diamonds") << sulfate << QStringList{"Ionsulfate", "SO4", "2-"};
    CardView long_ = water();
    long_.aspect = QStringLiteral("Liquide incolore, inodore et sans saveur en petite quantité, "
                                  "bleu pâle sous une grande épaisseur");
    QTest::newRow("aspect on two lines") << long_ << QStringList{"bleupâle"};
}

void TestConfimp::cardIsTextAndVectors()
{
    // The printed card is drawn for the printer: its texts are text in the
    // PDF file, no picture of the card is pasted in it, and rendered back at
    // the screen's resolution it shows what the card picture shows, where
    // the picture shows it.
    QFETCH(CardView, card);
    QFETCH(QStringList, texts);
    Bench b;
    b.source.editor = card;
    QVERIFY(b.print(false, 1));
    QString text = pdf::text(b.file, 1);
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    for (const QString &t : texts)
        QVERIFY2(text.contains(t), qPrintable(t + QStringLiteral(" not in ") + text));
    QCOMPARE(pdf::images(b.file).uses, 0);

    const QImage page = pdf::render(b.file, 1, 96).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!page.isNull());
    const QImage picture = carddraw::creimage(card);
    const QRect box =
        picturecompare::inkBox(page, page.rect(), [](QRgb c) { return qGray(c) < 240; });
    QVERIFY2(qAbs(box.width() - picture.width()) <= 1 && qAbs(box.height() - picture.height()) <= 1,
             qPrintable(QStringLiteral("%1 x %2").arg(box.width()).arg(box.height())));
    const QImage drawn = page.copy(QRect(box.topLeft(), picture.size()));
    const QStringList differences = picturecompare::differences(drawn, picture) +
                                    picturecompare::textDifferences(drawn, picture, card);
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join(u'\n')));
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
    // Cards read while the editor's card is still modified would miss it.
    b.source.onRead = [&] { QCOMPARE(b.source.questions, answer >= 0 ? 1 : 0); };

    QCOMPARE(b.print(database, 1), printed);
    QVERIFY(b.dialogs.allAnswered());
    QVERIFY(b.dialogs.unexpected.isEmpty());
    QCOMPARE(b.source.questions, answer >= 0 ? 1 : 0);
    QCOMPARE(b.source.validations, validations);
    QCOMPARE(QFile::exists(b.file), printed);
    QCOMPARE(b.source.shownRows.size(), printed && database ? 1 : 0);
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
    b.dialogs.expectMessage(QStringLiteral("Ecriture impossible"), Dialogs::Answer::Ok);

    confimp dialog(b.source, b.dialogs, b.printer, nullptr);
    (database ? dialog.Option2 : dialog.Option1)->setChecked(true);
    dialog.show();
    dialog.Command1->click();

    QVERIFY(b.dialogs.allAnswered());
    QCOMPARE(b.dialogs.shown.size(), 1);
    const ScriptedDialogs::Shown &m = b.dialogs.shown.first();
    QCOMPARE(m.icon, Dialogs::Icon::Critical);
    QCOMPARE(m.text, QStringLiteral("Le fichier %1 n'a pas pu être écrit.\nVérifier l'état du "
                                    "lecteur et les protections en écriture.")
                         .arg(missing));
    // Nothing else changed: no card shown, the dialog open as before, the
    // same file chosen.
    QVERIFY(b.source.shownRows.isEmpty());
    QCOMPARE(b.source.current, 2);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.Command1->isVisible());
    QVERIFY(dialog.Frame1->isVisible());
    QVERIFY(dialog.Frame2->isHidden());
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(dialog.defaut->text(), QStringLiteral("Fichier PDF (%1)").arg(missing));
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
    bool seen = false;
    b.source.onRead = [&] {
        QVERIFY(dialog.Frame2->isVisible());
        QVERIFY(dialog.Command1->isHidden());
        QVERIFY(dialog.Command2->isHidden());
        QVERIFY(dialog.Command3->isHidden());
        QVERIFY(dialog.Frame1->isHidden());
        dialog.reject(); // no way out while printing
        QVERIFY(dialog.isVisible());
        seen = true;
    };
    dialog.Command1->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QVERIFY(seen);
    // The count runs over both copies.
    QCOMPARE(dialog.progress->text(), QStringLiteral("Carte 8 sur 8"));
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

void TestConfimp::preparedPrinter()
{
    QPrinter printer;
    printer.setOutputFileName(QStringLiteral("/tmp/autre.pdf"));
    preparePrinter(printer);
    QCOMPARE(printer.resolution(), 600);
    QCOMPARE(printer.outputFileName(), QStringLiteral("/tmp/autre.pdf"));
    QCOMPARE(printerDisplayName(printer), QStringLiteral("Fichier PDF (/tmp/autre.pdf)"));
}

void TestConfimp::pdfFileName_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("file");
    QTest::newRow("species") << "Eau"
                             << "Eau.pdf";
    QTest::newRow("accents and spaces") << "Acide éthanoïque"
                                        << "Acide éthanoïque.pdf";
    QTest::newRow("listing") << "Liste des espèces"
                             << "Liste des espèces.pdf";
    QTest::newRow("slash") << "Sulfate de cuivre II/pentahydraté"
                           << "Sulfate de cuivre II-pentahydraté.pdf";
    QTest::newRow("Windows' forbidden") << "a\\b:c*d?e\"f<g>h|i"
                                        << "a-b-c-d-e-f-g-h-i.pdf";
    QTest::newRow("control character") << "Eau\tsalée"
                                       << "Eau-salée.pdf";
    QTest::newRow("empty") << ""
                           << "Carte.pdf";
    QTest::newRow("spaces") << "   "
                            << "Carte.pdf";
    QTest::newRow("dots") << "..."
                          << "Carte.pdf";
    QTest::newRow("hidden") << ".Eau"
                            << "Eau.pdf";
    QTest::newRow("dots and spaces at the end") << " Eau. . "
                                                << "Eau.pdf";
}

void TestConfimp::pdfFileName()
{
    QFETCH(QString, title);
    QFETCH(QString, file);
    QCOMPARE(::pdfFileName(title), file);
}

namespace
{

// The printer as the main window makes it: whatever the machine has. The
// dialog learns the printers through the dialogs, which say there are none.
struct NoPrinterBench {
    QTemporaryDir dir;
    QPrinter printer;
    ScriptedDialogs dialogs;
    FakeSource source;

    NoPrinterBench()
    {
        source.dialogs = &dialogs;
        source.editor = sampleCard(1);
        source.editor.nom = QStringLiteral("Eau");
        for (int i = 0; i < 3; ++i)
            source.cards.push_back(sampleCard(i));
    }
    QString path(const QString &name) const { return dir.filePath(name); }
};

QStringList fileTitles(const ScriptedDialogs &dialogs)
{
    QStringList out;
    for (const ScriptedDialogs::Shown &s : dialogs.shown)
        out << (s.kind == QLatin1String("file") ? QStringLiteral("file:") + s.title : s.title);
    return out;
}

} // namespace

void TestConfimp::noPrinterAsksForAFile_data()
{
    QTest::addColumn<bool>("database");
    QTest::addColumn<QString>("offered");     // the file name offered
    QTest::addColumn<QString>("existing");    // a file already there ("": none)
    QTest::addColumn<QStringList>("answers"); // file dialog answers ("" = cancel),
                                              // "oui"/"non" to "Ecraser"
    QTest::addColumn<QString>("written");     // the file written ("": none)
    QTest::newRow("card") << false << "Eau.pdf"
                          << "" << QStringList{"a.pdf"} << "a.pdf";
    QTest::newRow("listing") << true << "Liste des espèces.pdf"
                             << "" << QStringList{"Liste des espèces.pdf"}
                             << "Liste des espèces.pdf";
    QTest::newRow("cancelled") << false << "Eau.pdf"
                               << "" << QStringList{""} << "";
    QTest::newRow("listing cancelled") << true << "Liste des espèces.pdf"
                                       << "" << QStringList{""} << "";
    QTest::newRow("replace") << false << "Eau.pdf"
                             << "a.pdf" << QStringList{"a.pdf", "oui"} << "a.pdf";
    QTest::newRow("keep, another name")
        << false << "Eau.pdf"
        << "a.pdf" << QStringList{"a.pdf", "non", "b.pdf"} << "b.pdf";
    QTest::newRow("keep, then cancel") << true << "Liste des espèces.pdf"
                                       << "a.pdf" << QStringList{"a.pdf", "non", ""} << "";
}

void TestConfimp::noPrinterAsksForAFile()
{
    QFETCH(bool, database);
    QFETCH(QString, offered);
    QFETCH(QString, existing);
    QFETCH(QStringList, answers);
    QFETCH(QString, written);
    NoPrinterBench b;
    const QByteArray old("ancien contenu");
    if (!existing.isEmpty()) {
        QFile f(b.path(existing));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    QStringList expected;
    for (const QString &a : answers) {
        if (a == QLatin1String("oui") || a == QLatin1String("non")) {
            b.dialogs.expectMessage(QStringLiteral("Ecraser le fichier existant ?"),
                                    a == QLatin1String("oui") ? Dialogs::Answer::Yes
                                                              : Dialogs::Answer::No);
            expected << QStringLiteral("Ecraser le fichier existant ?");
        } else {
            b.dialogs.expectFile(a.isEmpty() ? std::nullopt : std::optional(b.path(a)));
            expected << QStringLiteral("file:Imprimer dans un fichier PDF");
        }
    }
    if (!written.isEmpty()) {
        b.dialogs.expectMessage(QStringLiteral("Impression dans un fichier"), Dialogs::Answer::Ok);
        expected << QStringLiteral("Impression dans un fichier");
    }

    confimp dialog(b.source, b.dialogs, b.printer, nullptr);
    QCOMPARE(dialog.defaut->text(), QStringLiteral("Aucune imprimante : fichier PDF"));
    (database ? dialog.Option2 : dialog.Option1)->setChecked(true);
    dialog.show();
    dialog.Command1->click();

    QVERIFY2(b.dialogs.unexpected.isEmpty(), qPrintable(b.dialogs.unexpected.join(u'|')));
    QVERIFY(b.dialogs.allAnswered());
    QCOMPARE(fileTitles(b.dialogs), expected);
    const ScriptedDialogs::Shown &first = b.dialogs.shown.first();
    QCOMPARE(QFileInfo(first.request.initialName).fileName(), offered);
    QVERIFY(QFileInfo(first.request.initialName).isAbsolute());
    QCOMPARE(first.request.defaultSuffix, QStringLiteral("pdf"));
    QVERIFY(first.request.save);
    if (expected.contains(QStringLiteral("Ecraser le fichier existant ?")))
        QCOMPARE(b.dialogs.shown.at(1).text,
                 QStringLiteral("Le fichier %1 existe déjà.\nVoulez-vous le remplacer?")
                     .arg(b.path(existing)));

    if (written.isEmpty()) {
        // Nothing printed, nothing more said, the dialog still open.
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.isVisible());
        QVERIFY(b.source.shownRows.isEmpty());
    } else {
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(b.dialogs.shown.last().text,
                 QStringLiteral("Aucune imprimante n'est installée : le document a été "
                                "enregistré dans le fichier\n%1")
                     .arg(b.path(written)));
        QCOMPARE(pdf::pages(b.path(written)), 1);
        QCOMPARE(lines(b.path(written), 1).value(0) == listing::kTitle, database);
        QCOMPARE(b.source.shownRows.size(), database ? 1 : 0);
    }
    // A file kept is untouched; no partial file is left behind.
    if (!existing.isEmpty() && existing != written) {
        QFile f(b.path(existing));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), old);
    }
    QStringList files = QDir(b.dir.path()).entryList(QDir::Files);
    QStringList kept{existing, written};
    kept.removeAll(QString());
    kept.removeDuplicates();
    files.sort();
    kept.sort();
    QCOMPARE(files, kept);

    // The next print asks again.
    QCOMPARE(b.printer.outputFormat(), QPrinter::PdfFormat);
    QVERIFY(b.printer.outputFileName().isEmpty());
}

void TestConfimp::noPrinterReadOnlyFolder()
{
    NoPrinterBench b;
    // A folder that cannot be written, even by root: /proc takes no new file.
    QVERIFY(QDir(b.dir.path()).mkdir(QStringLiteral("lecture")));
    QString folder = b.path(QStringLiteral("lecture"));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    if (QFile probe(folder + QStringLiteral("/essai")); probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        folder = QStringLiteral("/proc");
    }
    const QString target = folder + QStringLiteral("/Eau.pdf");
    b.dialogs.expectFile(target);
    b.dialogs.expectMessage(QStringLiteral("Ecriture impossible"), Dialogs::Answer::Ok);

    confimp dialog(b.source, b.dialogs, b.printer, nullptr);
    dialog.show();
    dialog.Command1->click();
    QVERIFY(b.dialogs.allAnswered());
    QVERIFY(b.dialogs.unexpected.isEmpty());
    QCOMPARE(b.dialogs.shown.last().icon, Dialogs::Icon::Critical);
    QVERIFY(b.dialogs.shown.last().text.startsWith(QStringLiteral("Le fichier %1 ").arg(target)));
    QVERIFY(!QFile::exists(target));
    // The window goes on: the choices are back, a new try asks again.
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.Command1->isVisible());
    QVERIFY(dialog.Frame2->isHidden());
    QFile::setPermissions(b.path(QStringLiteral("lecture")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    b.dialogs.expectFile(b.path(QStringLiteral("Eau.pdf")));
    b.dialogs.expectMessage(QStringLiteral("Impression dans un fichier"), Dialogs::Answer::Ok);
    dialog.Command1->click();
    QVERIFY(b.dialogs.allAnswered());
    QCOMPARE(pdf::pages(b.path(QStringLiteral("Eau.pdf"))), 1);
}

void TestConfimp::printerListComesFromTheDialogs()
{
    // Whatever printers this machine has, none is listed: the dialog prints
    // to a file. A file chosen in the printer choice is kept.
    NoPrinterBench b;
    b.dialogs.setPrinters({});
    {
        confimp dialog(b.source, b.dialogs, b.printer, nullptr);
        QCOMPARE(b.printer.outputFormat(), QPrinter::PdfFormat);
        QVERIFY(b.printer.outputFileName().isEmpty());
        const QString chosen = b.path(QStringLiteral("choisi.pdf"));
        b.dialogs.expectPrintSetup(true, [&](QPrinter &p) { p.setOutputFileName(chosen); });
        dialog.Command2->click();
        QCOMPARE(dialog.defaut->text(), QStringLiteral("Fichier PDF (%1)").arg(chosen));
    }
    confimp again(b.source, b.dialogs, b.printer, nullptr);
    QCOMPARE(again.defaut->text(),
             QStringLiteral("Fichier PDF (%1)").arg(b.path(QStringLiteral("choisi.pdf"))));
    QVERIFY(b.dialogs.unexpected.isEmpty());
}

QTEST_MAIN(TestConfimp)
#include "tst_confimp.moc"
