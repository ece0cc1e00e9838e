// Card files opened from the desktop: named on the command line (the window's
// openCardFile, as the program's main() calls it) or dropped onto the window.
// Both go the way of "&Ouvrir" once a file is chosen: the same question about
// a modified card, the same messages, the same card in the editor. The cards
// come from the bundled species database.

#include "cp1252.h"
#include "mainwindowfixture.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>
#include <QWindow>

using namespace fixture;

class TestCardFileOpen : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void argumentOpens_data();
    void argumentOpens();
    void argumentRefused_data();
    void argumentRefused();
    void modifiedCard_data();
    void modifiedCard();
    void dropOpens_data();
    void dropOpens();
    void dropRefused_data();
    void dropRefused();

private:
    std::vector<cards::carte> bundled_;
};

namespace
{

// The card file of `c`, built from the record layout.
QByteArray cardFileOf(const cards::carte &c)
{
    QList<QByteArray> texts{kCardFileHeader};
    for (int k = 1; k <= cards::kFieldCount; ++k) {
        const auto cp1252 = cards::toCp1252(c.field(k));
        if (!cp1252)
            return {};
        texts << QByteArray::fromStdString(*cp1252);
    }
    return records(texts);
}

// Makes `path` (and its folders) hold `bytes`.
bool put(const QString &path, const QByteArray &bytes)
{
    return QDir().mkpath(QFileInfo(path).absolutePath()) && writeAll(path, bytes);
}

// The current folder for one test, given back at its end.
class CurrentFolder
{
public:
    explicit CurrentFolder(const QString &path) : saved_(QDir::currentPath())
    {
        QDir().mkpath(path);
        ok_ = QDir::setCurrent(path);
    }
    ~CurrentFolder() { QDir::setCurrent(saved_); }
    bool ok() const { return ok_; }

private:
    QString saved_;
    bool ok_ = false;
};

// A drag of `data` at `at` (window coordinates) and, when it is taken, its
// drop, dispatched by the window as the platform's do: to the widget under the
// point that takes drops, or its nearest parent that does.
struct DragResult {
    bool entered = false;
    bool dropped = false;
    Qt::DropAction action = Qt::IgnoreAction;
};

// The action the drag proposes follows the keys held, as with a file manager:
// Shift proposes a move.
DragResult dragAndDrop(QWidget &window, const QPoint &at, const QMimeData &data,
                       Qt::DropActions possible, Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    DragResult result;
    QWindow *handle = window.windowHandle();
    if (!handle)
        return result;
    QDragEnterEvent enter(at, possible, &data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(handle, &enter);
    result.entered = enter.isAccepted();
    if (!result.entered) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(handle, &leave);
        return result;
    }
    QDropEvent drop(QPointF(at), possible, &data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(handle, &drop);
    result.dropped = drop.isAccepted();
    result.action = drop.dropAction();
    return result;
}

QPoint centreOf(const QWidget *w, const QWidget &window)
{
    return w->mapTo(&window, w->rect().center());
}

// Where a drop lands, by the control under it.
enum class Target { Background, List, NameBox, AspectBox, QuantityBox };

QPoint pointOf(Target target, Window &t)
{
    feuilleP &w = *t.w;
    switch (target) {
    case Target::Background:
        return {2, 2};
    case Target::List:
        return centreOf(t.list().MS1->viewport(), w);
    case Target::NameBox:
        return centreOf(t.editor().Text4, w);
    case Target::AspectBox:
        return centreOf(t.editor().Text2, w);
    case Target::QuantityBox:
        return centreOf(t.editor().Text3[0], w);
    }
    return {};
}

// The editor's texts, boxes that a refused drop must leave alone included.
QStringList editorTexts(const CardEditor &e)
{
    QStringList out{e.Text4->text(), e.Text2->text()};
    for (const QLineEdit *box : e.Text3)
        out << box->text();
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Target)
Q_DECLARE_METATYPE(platform::Dialogs::Answer)

void TestCardFileOpen::initTestCase()
{
    QLocale::setDefault(QLocale::c());
#ifdef CARTES_BUNDLED_DATABASE
    bundled_ = readDatabase(QFileInfo(QStringLiteral(CARTES_BUNDLED_DATABASE)).absolutePath());
#endif
    if (bundled_.size() < 3)
        QSKIP("the bundled database was not built");
}

void TestCardFileOpen::argumentOpens_data()
{
    QTest::addColumn<QString>("file");    // where the card file lies, in the test folder
    QTest::addColumn<QString>("current"); // the current folder, in the test folder
    QTest::addColumn<QString>("given");   // the path given
    QTest::addColumn<int>("card");        // the card of the bundled database

    QTest::newRow("absolute path") << "cartes/a.CAR"
                                   << ""
                                   << "<absolute>" << 1;
    QTest::newRow("name in the current folder") << "cartes/a.CAR"
                                                << "cartes"
                                                << "a.CAR" << 2;
    QTest::newRow("relative to the current folder") << "classe/cartes/a.CAR"
                                                    << "classe"
                                                    << "cartes/a.CAR" << 0;
    QTest::newRow("parent of the current folder") << "a.CAR"
                                                  << "sous/dossier"
                                                  << "../../a.CAR" << 2;
    QTest::newRow("lower-case extension") << "cartes/a.car"
                                          << "cartes"
                                          << "a.car" << 1;
    QTest::newRow("spaces and accents") << "cartes élèves/acide éthanoïque.CAR"
                                        << "cartes élèves"
                                        << "acide éthanoïque.CAR" << 0;
}

void TestCardFileOpen::argumentOpens()
{
    QFETCH(QString, file);
    QFETCH(QString, current);
    QFETCH(QString, given);
    QFETCH(int, card);
    Window t(bundled_);
    feuilleP &w = t.open();
    const cards::carte &expected = bundled_.at(card);
    const QByteArray bytes = cardFileOf(expected);
    QVERIFY(!bytes.isEmpty());
    QVERIFY(put(t.path(file), bytes));
    const QByteArray database = readAll(t.path("ESPCHIMIQUES.ZYP"));

    {
        const CurrentFolder folder(t.path(current));
        QVERIFY(folder.ok());
        w.openCardFile(given == QLatin1String("<absolute>") ? t.path(file) : given);
    }

    QVERIFY2(t.dialogs.unexpected.isEmpty(), qPrintable(t.dialogs.unexpected.join(", ")));
    QVERIFY(t.dialogs.shown.isEmpty());
    QVERIFY(t.editor().card() == expected);
    // A card outside the database, to be validated into it if wanted.
    QCOMPARE(t.editor().numcarte, -1);
    QVERIFY(t.editor().modifie);
    QCOMPARE(readAll(t.path(file)), bytes);
    QCOMPARE(readAll(t.path("ESPCHIMIQUES.ZYP")), database);
}

void TestCardFileOpen::argumentRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // written unless the file is missing
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    const QString nonValide = QStringLiteral("Fichier non valide");
    const QString nonValideText =
        QStringLiteral("Ce fichier ne correspond pas à cette application.");
    QTest::newRow("text file") << "notes.txt" << QByteArray("Carte d'identité\n") << true
                               << nonValide << nonValideText;
    QTest::newRow("empty card file")
        << "vide.CAR" << QByteArray() << true << nonValide << nonValideText;
    QTest::newRow("header in capitals") << "autre.CAR"
                                        << records({"CARTE d'identit\xe9 d'une esp\xe8"
                                                    "ce chimique pour le logiciel ZYP",
                                                    "eau"})
                                        << true << nonValide << nonValideText;
    // The file is named by its whole path ("%1").
    QTest::newRow("missing file") << "absent.CAR" << QByteArray() << false
                                  << QStringLiteral("Fichier introuvable")
                                  << QStringLiteral("Le fichier %1 n'existe pas.");
    const QByteArray whole = cardFileOf(fixture::card("eau", "18"));
    const QString endommage = QStringLiteral("Fichier endommagé");
    const QString endommageText =
        QStringLiteral("Le fichier %1 est endommagé : la carte qu'il contient est incomplète ou "
                       "illisible.\nLa carte affichée n'a pas été changée.");
    QTest::newRow("cut to 100 bytes")
        << "court.CAR" << whole.left(100) << true << endommage << endommageText;
    QTest::newRow("cut to 700 bytes")
        << "coupe.CAR" << whole.left(700) << true << endommage << endommageText;
    QTest::newRow("folder") << "dossier.CAR" << QByteArray() << true
                            << QStringLiteral("Lecture impossible")
                            << QStringLiteral("Vérifier l'état du lecteur.");
}

void TestCardFileOpen::argumentRefused()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    QFETCH(QString, title);
    QFETCH(QString, text);
    Window t(bundled_);
    feuilleP &w = t.open();
    const QString shown = t.shownName();
    const int numcarte = t.editor().numcarte;
    if (name == QLatin1String("dossier.CAR"))
        QVERIFY(QDir().mkpath(t.path(name)));
    else if (exists)
        QVERIFY(put(t.path(name), content));
    const QByteArray database = readAll(t.path("ESPCHIMIQUES.ZYP"));

    t.dialogs.expectMessage(title, Answer::Ok);
    {
        const CurrentFolder folder(t.dir.path());
        w.openCardFile(name);
    }

    QVERIFY2(t.dialogs.unexpected.isEmpty(), qPrintable(t.dialogs.unexpected.join(", ")));
    QVERIFY(t.dialogs.allAnswered());
    QCOMPARE(t.dialogs.shown.back().text,
             text.contains(QLatin1String("%1")) ? text.arg(t.path(name)) : text);
    QCOMPARE(t.dialogs.shown.back().icon, platform::Dialogs::Icon::Critical);
    // Nothing written: a missing file is not made, a foreign one not touched.
    QCOMPARE(QFileInfo::exists(t.path(name)), exists);
    if (exists && !QFileInfo(t.path(name)).isDir())
        QCOMPARE(readAll(t.path(name)), content);
    QCOMPARE(readAll(t.path("ESPCHIMIQUES.ZYP")), database);
    // A damaged card file leaves the editor's card as it was; any other
    // leaves it empty, as "&Nouveau" does.
    const bool kept = title == QStringLiteral("Fichier endommagé");
    QCOMPARE(t.shownName(), kept ? shown : QString());
    QCOMPARE(t.editor().numcarte, kept ? numcarte : -1);
}

void TestCardFileOpen::modifiedCard_data()
{
    QTest::addColumn<bool>("drop");
    QTest::addColumn<bool>("blankName"); // the modified card cannot be validated
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("saved");

    for (const bool drop : {false, true}) {
        const char *how = drop ? "drop" : "argument";
        QTest::addRow("%s, not saved", how) << drop << false << Answer::No << true << false;
        QTest::addRow("%s, saved", how) << drop << false << Answer::Yes << true << true;
        QTest::addRow("%s, save refused", how) << drop << true << Answer::Yes << false << false;
    }
}

void TestCardFileOpen::modifiedCard()
{
    QFETCH(bool, drop);
    QFETCH(bool, blankName);
    QFETCH(Answer, answer);
    QFETCH(bool, opens);
    QFETCH(bool, saved);
    Window t(bundled_);
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const cards::carte &incoming = bundled_.at(2);
    QVERIFY(put(t.path("arrivee.CAR"), cardFileOf(incoming)));

    // The card shown at start-up, changed and not validated.
    const int slot = t.editor().numcarte;
    QVERIFY(slot >= 0);
    t.editor().Text3[0]->setText(QStringLiteral("123,4"));
    if (blankName)
        t.editor().Text4->setText(QString());
    QVERIFY(t.editor().modifie);
    const cards::carte edited = t.editor().card();
    const std::vector<cards::carte> before = t.database();

    t.dialogs.expectMessage(QStringLiteral("Enregistrer ?"), answer);
    if (blankName)
        t.dialogs.expectMessage(QStringLiteral("Ajout impossible"), Answer::Ok);
    if (drop) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(t.path("arrivee.CAR"))});
        const DragResult r = dragAndDrop(w, pointOf(Target::Background, t), data, Qt::CopyAction);
        QVERIFY(r.dropped);
        QTRY_VERIFY(t.dialogs.allAnswered());
    } else {
        w.openCardFile(t.path("arrivee.CAR"));
    }

    QVERIFY2(t.dialogs.unexpected.isEmpty(), qPrintable(t.dialogs.unexpected.join(", ")));
    QVERIFY(t.dialogs.allAnswered());
    QCOMPARE(t.dialogs.shown.front().text,
             QStringLiteral("Cette carte a été modifiée.\nEnregistrer les modifications."));
    if (opens) {
        QTRY_VERIFY(t.editor().card() == incoming);
        QCOMPARE(t.editor().numcarte, -1);
    } else {
        // The refused card stays in the editor, still to be saved.
        QVERIFY(t.editor().card() == edited);
        QVERIFY(t.editor().modifie);
    }
    std::vector<cards::carte> expected = before;
    if (saved)
        expected.at(std::size_t(slot)) = edited;
    QVERIFY(t.database() == expected);
}

void TestCardFileOpen::dropOpens_data()
{
    QTest::addColumn<Target>("target");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("move"); // the drag proposes a move (Shift held)

    QTest::newRow("on the background") << Target::Background << "a.CAR" << false;
    QTest::newRow("on the list") << Target::List << "a.CAR" << false;
    QTest::newRow("on the name box") << Target::NameBox << "a.CAR" << false;
    QTest::newRow("on the aspect box") << Target::AspectBox << "a.CAR" << false;
    QTest::newRow("on a quantity box") << Target::QuantityBox << "a.CAR" << false;
    QTest::newRow("lower-case extension") << Target::Background << "a.car" << false;
    // A file manager whose drop is a move deletes the file it moved: the card
    // file is taken as a copy.
    QTest::newRow("move proposed") << Target::Background << "a.CAR" << true;
    QTest::newRow("move proposed on a box") << Target::NameBox << "a.CAR" << true;
}

void TestCardFileOpen::dropOpens()
{
    QFETCH(Target, target);
    QFETCH(QString, name);
    QFETCH(bool, move);
    Window t(bundled_);
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const cards::carte &incoming = bundled_.at(1);
    const QByteArray bytes = cardFileOf(incoming);
    QVERIFY(put(t.path(name), bytes));
    QVERIFY(!t.editor().modifie);
    QVERIFY(!(t.editor().card() == incoming));

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(t.path(name))});
    data.setText(t.path(name));
    const DragResult r = dragAndDrop(w, pointOf(target, t), data, Qt::CopyAction | Qt::MoveAction,
                                     move ? Qt::ShiftModifier : Qt::NoModifier);

    QVERIFY(r.entered);
    QVERIFY(r.dropped);
    QCOMPARE(r.action, Qt::CopyAction);
    QTRY_VERIFY(t.editor().card() == incoming);
    QCOMPARE(t.editor().numcarte, -1);
    QVERIFY(t.editor().modifie);
    QVERIFY2(t.dialogs.unexpected.isEmpty(), qPrintable(t.dialogs.unexpected.join(", ")));
    QVERIFY(t.dialogs.shown.isEmpty());
    QCOMPARE(readAll(t.path(name)), bytes);
}

void TestCardFileOpen::dropRefused_data()
{
    QTest::addColumn<Target>("target");
    QTest::addColumn<QStringList>("urls"); // files of the test folder, or full URLs
    QTest::addColumn<QString>("text");     // the drag's plain text, if any
    QTest::addColumn<int>("possible");

    const int copy = Qt::CopyAction;
    const QStringList one{"a.CAR"};
    for (const Target target : {Target::Background, Target::NameBox, Target::AspectBox}) {
        const char *where = target == Target::Background ? "background"
                            : target == Target::NameBox  ? "name box"
                                                         : "aspect box";
        QTest::addRow("text file, %s", where) << target << QStringList{"notes.txt"} << "" << copy;
        QTest::addRow("two card files, %s", where)
            << target << QStringList{"a.CAR", "b.CAR"} << "" << copy;
        QTest::addRow("folder named .CAR, %s", where)
            << target << QStringList{"dossier.CAR"} << "" << copy;
        QTest::addRow("missing card file, %s", where)
            << target << QStringList{"absent.CAR"} << "" << copy;
        QTest::addRow("web address, %s", where)
            << target << QStringList{"https://exemple.fr/a.CAR"} << "" << copy;
        QTest::addRow("move only, %s", where) << target << one << "" << int(Qt::MoveAction);
    }
    // Text is not a file: the window does not take it (the boxes keep their
    // own way with it).
    QTest::newRow("plain text, background")
        << Target::Background << QStringList() << "a.CAR" << copy;
}

void TestCardFileOpen::dropRefused()
{
    QFETCH(Target, target);
    QFETCH(QStringList, urls);
    QFETCH(QString, text);
    QFETCH(int, possible);
    Window t(bundled_);
    feuilleP &w = t.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(put(t.path("a.CAR"), cardFileOf(bundled_.at(1))));
    QVERIFY(put(t.path("b.CAR"), cardFileOf(bundled_.at(2))));
    QVERIFY(put(t.path("notes.txt"), cardFileOf(bundled_.at(2))));
    QVERIFY(QDir().mkpath(t.path("dossier.CAR")));
    const QStringList texts = editorTexts(t.editor());
    const int numcarte = t.editor().numcarte;

    QMimeData data;
    QList<QUrl> list;
    for (const QString &u : urls)
        list << (u.contains(QLatin1Char(':')) ? QUrl(u) : QUrl::fromLocalFile(t.path(u)));
    if (!list.isEmpty())
        data.setUrls(list);
    if (!text.isEmpty())
        data.setText(text);
    const DragResult r = dragAndDrop(w, pointOf(target, t), data, Qt::DropActions(possible));

    QVERIFY(!r.entered);
    QVERIFY(!r.dropped);
    // Nothing was queued to open: run what is pending, then look.
    QCoreApplication::sendPostedEvents();
    QCOMPARE(editorTexts(t.editor()), texts);
    QCOMPARE(t.editor().numcarte, numcarte);
    QVERIFY(!t.editor().modifie);
    QVERIFY(t.dialogs.shown.isEmpty());
}

QTEST_MAIN(TestCardFileOpen)
#include "tst_cardfileopen.moc"
