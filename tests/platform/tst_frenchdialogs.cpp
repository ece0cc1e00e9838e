#include "dialogs.h"
#include "frenchlocale.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <chrono>
#include <filesystem>

using platform::Dialogs;

namespace
{

// Words a dialog in English shows; none may appear in ours.
const QRegularExpression kEnglish(QStringLiteral(
    "\\b(Folder|Unknown|unknown|KiB|MiB|bytes|Name|Size|Date Modified|Look in|File name|Files "
    "of type|Save|Open|Cancel|Back|Forward|Parent Directory|Create New Folder|List View|"
    "Detail View|Rename|Delete|Show hidden files|New Folder|Computer|Print|Printer|Properties|"
    "Collate|Reverse|Off|binding|Specify|Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)\\b"));

void addModelTexts(const QAbstractItemModel *model, const QModelIndex &root, QStringList &out)
{
    for (int c = 0; c < model->columnCount(root); ++c)
        out << model->headerData(c, Qt::Horizontal).toString();
    for (int r = 0; r < model->rowCount(root); ++r)
        for (int c = 0; c < model->columnCount(root); ++c)
            out << model->index(r, c, root).data().toString();
}

// Every text the dialog holds: title, labels, buttons, tooltips, menus,
// combo boxes and the lists' cells and headers. Paths are left out: they are
// the machine's folder names.
QStringList texts(QWidget *dialog)
{
    QStringList out{dialog->windowTitle()};
    for (QWidget *w : dialog->findChildren<QWidget *>()) {
        out << w->toolTip();
        if (auto *label = qobject_cast<QLabel *>(w))
            out << label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            out << button->text();
        else if (auto *combo = qobject_cast<QComboBox *>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                out << combo->itemText(i);
        } else if (auto *edit = qobject_cast<QLineEdit *>(w))
            out << edit->placeholderText();
        else if (auto *view = qobject_cast<QAbstractItemView *>(w))
            if (view->model())
                addModelTexts(view->model(), view->rootIndex(), out);
    }
    for (QAction *a : dialog->findChildren<QAction *>())
        out << a->text() << a->toolTip();
    // Nor what the machine's printers say of themselves.
    QStringList printers;
    for (const QPrinterInfo &p : QPrinterInfo::availablePrinters())
        printers << p.printerName() << p.description() << p.makeAndModel() << p.location();
    out.removeIf([&printers](const QString &t) {
        return t.isEmpty() || t.startsWith(u'/') || printers.contains(t);
    });
    return out;
}

QStringList englishIn(const QStringList &all)
{
    QStringList found;
    for (const QString &t : all)
        if (kEnglish.match(t).hasMatch())
            found << t;
    return found;
}

// Runs `inspect` on the modal dialog once it is shown, then closes it if
// `inspect` did not.
void whenShown(const std::function<void(QDialog *)> &inspect)
{
    QTimer::singleShot(0, qApp, [inspect] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            QFAIL("no dialog shown");
            return;
        }
        inspect(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

} // namespace

class TestFrenchDialogs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void numbersAndDates();
    void fileDialog_data();
    void fileDialog();
    void printSetup();
    void fileChosenInTheList();
    void savedKindGivesTheEnding();
    void messageButtons_data();
    void messageButtons();
};

void TestFrenchDialogs::initTestCase()
{
    // The machine's locale is English here: what follows is the application's.
    QCOMPARE(QLocale::system().name(), QStringLiteral("C"));
}

void TestFrenchDialogs::numbersAndDates()
{
    QCOMPARE(QLocale().decimalPoint(), QStringLiteral(","));
    QCOMPARE(QLocale().toString(1234.5, 'f', 1), QStringLiteral("1\u202f234,5"));
    QCOMPARE(QLocale().toString(QDate(2020, 12, 15), QLocale::LongFormat),
             QStringLiteral("mardi 15 décembre 2020"));
}

void TestFrenchDialogs::fileDialog_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("initialName"); // in the test folder
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("save");
    QTest::newRow("save a card") << "Enregistrer la carte"
                                 << "*.CAR"
                                 << "*.CAR" << true;
    QTest::newRow("open a card") << "Ouvrir un fichier carte"
                                 << "*.CAR"
                                 << "*.CAR" << false;
    QTest::newRow("print to a file") << "Imprimer dans un fichier PDF"
                                     << "Eau.pdf"
                                     << "Document PDF (*.pdf *.PDF)" << true;
}

void TestFrenchDialogs::fileDialog()
{
    QFETCH(QString, title);
    QFETCH(QString, initialName);
    QFETCH(QString, filter);
    QFETCH(bool, save);

    // A folder, a card file of 16 records (2 kB, a kind of file the desktop
    // does not know) and another file, all last changed on 15 December 2020
    // at 10:30.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("dossier")));
    QFile card(dir.filePath(QStringLiteral("EAU.CAR")));
    QVERIFY(card.open(QIODevice::WriteOnly));
    for (int record = 0; record < 16; ++record)
        card.write(QByteArray("\x03\x00Eau").leftJustified(128, '\0'));
    card.close();
    QFile other(dir.filePath(QStringLiteral("donnees")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write(QByteArray(300, '\x01'));
    other.close();
    const QDateTime when(QDate(2020, 12, 15), QTime(10, 30));
    const auto fileTime = std::chrono::file_clock::from_sys(
        std::chrono::sys_seconds(std::chrono::seconds(when.toSecsSinceEpoch())));
    for (const char *name : {"dossier", "EAU.CAR", "donnees"})
        std::filesystem::last_write_time(
            QFile::encodeName(dir.filePath(QString::fromLatin1(name))).toStdString(), fileTime);

    Dialogs::FileRequest request;
    request.title = title;
    request.initialName = dir.filePath(initialName);
    request.filter = filter;
    request.save = save;

    QStringList seen;
    QStringList cells;
    whenShown([&](QDialog *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files);
        // The dialog opens in the folder the request names.
        QCOMPARE(files->directory().absolutePath(), QDir(dir.path()).absolutePath());
        // What the user may do: show every column.
        files->setViewMode(QFileDialog::Detail);
        auto *view = files->findChild<QTreeView *>(QStringLiteral("treeView"));
        QVERIFY(view);
        // The rows arrive from Qt's file information thread.
        const auto row = [view](const QString &name) {
            const QAbstractItemModel *m = view->model();
            for (int r = 0; r < m->rowCount(view->rootIndex()); ++r)
                if (m->index(r, 0, view->rootIndex()).data().toString() == name)
                    return m->index(r, 0, view->rootIndex());
            return QModelIndex();
        };
        QTRY_VERIFY_WITH_TIMEOUT(
            row(QStringLiteral("dossier")).isValid() &&
                !row(QStringLiteral("dossier")).siblingAtColumn(3).data().toString().isEmpty(),
            10000);
        seen = texts(dialog);
        // The date shows whole.
        QVERIFY(view->header()->sectionSize(3) >
                view->fontMetrics().horizontalAdvance(QStringLiteral("15/12/2020 10:30")));
        for (int c = 0; c < 4; ++c)
            cells << row(QStringLiteral("dossier")).siblingAtColumn(c).data().toString();
        if (filter.contains(QLatin1String("CAR")))
            for (int c = 1; c < 4; ++c)
                cells << row(QStringLiteral("EAU.CAR")).siblingAtColumn(c).data().toString();
    });
    platform::QtDialogs dialogs;
    QCOMPARE(dialogs.fileName(nullptr, request), std::nullopt);
    if (QTest::currentTestFailed())
        return;

    QVERIFY2(englishIn(seen).isEmpty(), qPrintable(englishIn(seen).join(u'|')));
    QCOMPARE(cells.mid(0, 4),
             (QStringList{QStringLiteral("dossier"), QString(), QStringLiteral("Dossier"),
                          QStringLiteral("15/12/2020 10:30")}));
    // The card file's kind is the desktop's description, checked above for
    // English words only.
    if (cells.size() > 4)
        QCOMPARE(cells.mid(4), (QStringList{QStringLiteral("2,00 Kio"), cells.at(5),
                                            QStringLiteral("15/12/2020 10:30")}));
    QVERIFY(seen.contains(title));
    QVERIFY(seen.contains(save ? QStringLiteral("&Enregistrer") : QStringLiteral("&Ouvrir")));
    QVERIFY(seen.contains(QStringLiteral("Annuler")));
}

void TestFrenchDialogs::printSetup()
{
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    QStringList seen;
    whenShown([&](QDialog *dialog) { seen = texts(dialog); });
    platform::QtDialogs dialogs;
    QVERIFY(!dialogs.printSetup(nullptr, printer));
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY2(englishIn(seen).isEmpty(), qPrintable(englishIn(seen).join(u'|')));
    QVERIFY(seen.contains(QStringLiteral("Configuration de l'impression")));
}

void TestFrenchDialogs::fileChosenInTheList()
{
    // The list goes through the French model: a file picked there is still
    // the file returned.
    QTemporaryDir dir;
    for (const char *name : {"ACIDE.CAR", "EAU.CAR", "SEL.CAR"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    whenShown([&](QDialog *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files);
        files->setDirectory(dir.path());
        auto *view = files->findChild<QAbstractItemView *>(QStringLiteral("listView"));
        QVERIFY(view);
        const auto eau = [view] {
            const QAbstractItemModel *m = view->model();
            for (int r = 0; r < m->rowCount(view->rootIndex()); ++r)
                if (m->index(r, 0, view->rootIndex()).data().toString() == "EAU.CAR")
                    return m->index(r, 0, view->rootIndex());
            return QModelIndex();
        };
        QTRY_VERIFY_WITH_TIMEOUT(eau().isValid(), 10000);
        view->setCurrentIndex(eau());
        auto *buttons = files->findChild<QDialogButtonBox *>();
        QVERIFY(buttons && buttons->button(QDialogButtonBox::Open));
        buttons->button(QDialogButtonBox::Open)->click();
    });
    platform::QtDialogs dialogs;
    Dialogs::FileRequest request{QStringLiteral("Ouvrir un fichier carte"), QStringLiteral("*.CAR"),
                                 QStringLiteral("*.CAR"), QString(), false};
    QCOMPARE(dialogs.fileName(nullptr, request), std::optional(dir.filePath("EAU.CAR")));
}

void TestFrenchDialogs::savedKindGivesTheEnding()
{
    // Choosing "@2x" then SVG in the save dialog's kinds renames the offered file.
    QTemporaryDir dir;
    QStringList names;
    whenShown([&](QDialog *dialog) {
        auto *kinds = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(kinds && edit);
        for (int kind : {1, 2, 3}) {
            kinds->setCurrentIndex(kind);
            emit kinds->textActivated(kinds->itemText(kind));
            names << edit->text();
        }
        dialog->accept();
    });
    platform::QtDialogs dialogs;
    const Dialogs::FileRequest request{
        QStringLiteral("Enregistrer"), dir.filePath(QStringLiteral("Eau.png")),
        QStringLiteral("PNG (*.png);;PNG x2 (*@2x.png);;SVG (*.svg);;PNG x4 (*@4x.png)"),
        QStringLiteral("png"), true};
    QCOMPARE(dialogs.fileName(nullptr, request), std::optional(dir.filePath("Eau@4x.png")));
    QCOMPARE(names, (QStringList{"Eau@2x.png", "Eau.svg", "Eau@4x.png"}));
}

void TestFrenchDialogs::messageButtons_data()
{
    QTest::addColumn<int>("buttons"); // Dialogs::Buttons
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("Ok") << int(Dialogs::Buttons::Ok) << QStringList{"OK"};
    QTest::newRow("OkCancel") << int(Dialogs::Buttons::OkCancel) << QStringList{"OK", "Annuler"};
    QTest::newRow("YesNo") << int(Dialogs::Buttons::YesNo) << QStringList{"&Oui", "&Non"};
}

void TestFrenchDialogs::messageButtons()
{
    QFETCH(int, buttons);
    QFETCH(QStringList, captions);
    QStringList seen;
    QStringList shown;
    whenShown([&](QDialog *dialog) {
        seen = texts(dialog);
        for (QAbstractButton *b : dialog->findChildren<QAbstractButton *>())
            if (b->isVisibleTo(dialog))
                shown << b->text();
    });
    platform::QtDialogs dialogs;
    dialogs.message(nullptr, Dialogs::Icon::Question, QStringLiteral("Enregistrer ?"),
                    QStringLiteral("Cette carte a été modifiée."), Dialogs::Buttons(buttons));
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY2(englishIn(seen).isEmpty(), qPrintable(englishIn(seen).join(u'|')));
    shown.sort();
    captions.sort();
    QCOMPARE(shown, captions);
}

int main(int argc, char *argv[])
{
    // An English system, whatever the machine running the test is set to.
    qputenv("LC_ALL", "C");
    qputenv("LANG", "C");
    qunsetenv("LANGUAGE");
    QApplication app(argc, argv);
    platform::FrenchLocale french;
    if (!french.qtTranslationLoaded())
        qWarning("Qt's French translation is missing (qt6-translations-l10n)");
    TestFrenchDialogs test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frenchdialogs.moc"
