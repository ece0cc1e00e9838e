// Invariants over whole databases, through the real main window: the bundled
// database, and a database holding every combination of the ten flags.
// - What the window shows, what the card picture says and what the listing
//   prints agree with each card's flag string.
// - Showing a card, then "&Valider" without an edit, leaves the file as it was.
// - "&Enregistrer" a card file then "&Ouvrir" it gives the same eleven fields.
// - The order in which cards are shown never changes what a card shows.

#include "carddraw.h"
#include "cardlayout.h"
#include "formulaeditor.h"
#include "genericcomparison.h"
#include "listing.h"
#include "mainwindowfixture.h"
#include "printsource.h"
#include "windowprintsource.h"

#include <QPainter>
#include <QRandomGenerator>

#include <map>
#include <optional>

using namespace fixture;

namespace
{

// The flag string as stored, position by position ("1" set).
struct StoredFlags {
    bool organique = false;
    bool inorganique = false;
    std::array<bool, 4> hazards{};
    std::array<bool, 3> polu{};
    bool locked = false;

    bool pollutes() const { return polu[0] || polu[1] || polu[2]; }
};

StoredFlags storedFlags(const std::string &d)
{
    const auto at = [&d](std::size_t i) { return i < d.size() && d[i] == '1'; };
    StoredFlags f;
    f.organique = at(0);
    f.inorganique = at(1);
    for (std::size_t k = 0; k < 4; ++k)
        f.hazards[k] = at(2 + k);
    for (std::size_t k = 0; k < 3; ++k)
        f.polu[k] = at(6 + k);
    f.locked = at(9);
    return f;
}

QString q(const std::string &s)
{
    return QString::fromStdString(s);
}

// The fields (1 to 11) in which two cards differ: "field 5 (101 characters for 126)".
QString fieldDifferences(const cards::carte &now, const cards::carte &stored)
{
    QStringList out;
    for (int k = 1; k <= cards::kFieldCount; ++k)
        if (now.field(k) != stored.field(k))
            out << QStringLiteral("field %1 \"%2\" (%3 characters for %4)")
                       .arg(k)
                       .arg(q(now.field(k)).left(12))
                       .arg(q(now.field(k)).size())
                       .arg(q(stored.field(k)).size());
    return out.join(QStringLiteral(", "));
}

// What the card picture says about pollution: "Non polluant", or the targets.
QString pictureSentence(const StoredFlags &f)
{
    if (!f.pollutes())
        return QStringLiteral("Non polluant");
    QStringList targets;
    const std::array<const char *, 3> names{"l'air", "l'eau", "la terre"};
    for (std::size_t k = 0; k < 3; ++k)
        if (f.polu[k])
            targets << QString::fromUtf8(names[k]);
    return QStringLiteral("Risque de pollution pour ") + targets.join(QStringLiteral(", ")) +
           QLatin1Char('.');
}

// What the listing prints about pollution.
QString listingEnvironment(const StoredFlags &f)
{
    if (!f.pollutes())
        return QStringLiteral("Environnement : non polluant.");
    QStringList targets;
    const std::array<const char *, 3> names{"l'air", "l'eau", "le sol"};
    for (std::size_t k = 0; k < 3; ++k)
        if (f.polu[k])
            targets << QString::fromUtf8(names[k]);
    return QStringLiteral("Environnement : risque de pollution pour ") +
           targets.join(QStringLiteral(", ")) + QLatin1Char('.');
}

// A database holding each of the 1024 flag strings once, the other fields
// varied so that every path of the editor is taken (empty quantities, a gas
// whose density is relative to air, "miscible", several aspect lines, a
// quantity longer than the editor lets one type, a formula wider than the
// display).
std::vector<cards::carte> everyFlagCombination()
{
    const std::array<const char *, 5> formulas{"H#2O", "C#2H#5OH", "SO#4*2*-", "NaCl", ""};
    const std::array<const char *, 4> aspects{"liquide incolore", "",
                                              "gaz jaune-vert,\r\nodeur suffocante",
                                              "solide blanc, cristaux en aiguilles très fines"};
    std::vector<cards::carte> out;
    for (int i = 0; i < 1024; ++i) {
        std::string flags;
        for (int bit = 9; bit >= 0; --bit)
            flags += (i >> bit) & 1 ? '1' : '0';
        cards::carte c;
        c.nom() = "Espèce " + flags;
        c.formule() = formulas[std::size_t(i) % formulas.size()];
        c.drapeaux() = flags;
        c.aspect() = aspects[std::size_t(i) % aspects.size()];
        if (i % 7 != 0) {
            c.quantite(0) = std::to_string(10 + i % 200) + ",05";
            c.quantite(1) = std::to_string(700 + i);
            c.quantite(2) = "0," + std::to_string(5 + i % 90);
            c.quantite(3) = i % 3 == 0 ? "-33,3" : std::to_string(20 + i % 300);
            c.quantite(4) = "-" + std::to_string(i % 120);
            c.quantite(5) = i % 2 ? "1,3" + std::to_string(i % 10) : "";
            c.quantite(6) = i % 4 == 0 ? "miscible" : std::to_string(i % 50);
        }
        // Longer than can be typed, as long as a record holds.
        if (i % 101 == 1)
            c.quantite(i % 7) = std::string(i % 2 ? 126 : 101, char('0' + i % 10));
        // A name and an aspect as long as a record holds.
        if (i % 101 == 2) {
            c.nom() += ' ' + std::string(126 - 18, 'x');
            c.aspect() = std::string(60, 'a') + "\r\n" + std::string(64, 'b');
        }
        // A formula wider than the display, as another program may store.
        if (i % 101 == 3) {
            c.formule().clear();
            while (c.formule().size() + 11 <= 126)
                c.formule() += "C#6H#1#2O#6";
        }
        out.push_back(c);
    }
    return out;
}

bool nearOrange(QRgb c)
{
    return std::abs(qRed(c) - 0xf7) < 12 && std::abs(qGreen(c) - 0x94) < 12 &&
           std::abs(qBlue(c) - 0x1d) < 12;
}

int countPixels(const QImage &image, const QRect &area, bool (*test)(QRgb))
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(image.pixel(x, y));
    return n;
}

// Everything the window shows of the card in the editor.
struct Shown {
    std::array<QString, 10> texts; // Text4, Text1, Text2, Text3(0..6)
    QString densityCaption;
    std::array<QRect, 7> boxes;
    std::array<bool, 4> options{}; // Option1..Option4 selected
    std::array<Qt::CheckState, 4> hazards{};
    std::array<bool, 4> pictograms{};
    std::array<QPoint, 4> pictogramPlaces{}; // of the visible ones
    std::array<Qt::CheckState, 3> polu{};
    bool verrou = false;
    bool valider = false;
    bool enlever = false;
    bool editable = false;
    int numcarte = 0;
    bool modifie = false;

    bool operator==(const Shown &) const = default;
};

Shown shown(const feuilleP &w)
{
    const CardEditor &e = *w.editor();
    Shown s;
    s.texts[0] = e.Text4->text();
    s.texts[1] = e.formula->text();
    s.texts[2] = e.Text2->text();
    for (std::size_t k = 0; k < 7; ++k) {
        s.texts[3 + k] = e.Text3[k]->text();
        s.boxes[k] = e.Text3[k]->geometry();
    }
    s.densityCaption = e.Label4[2]->text();
    s.options = {e.Option1->isChecked(), e.Option2->isChecked(), e.Option3->isChecked(),
                 e.Option4->isChecked()};
    for (std::size_t k = 0; k < 4; ++k) {
        s.hazards[k] = e.Check1[k]->checkState();
        s.pictograms[k] = !e.Image8[k]->isHidden();
        if (s.pictograms[k])
            s.pictogramPlaces[k] = e.Image8[k]->pos();
    }
    for (std::size_t k = 0; k < 3; ++k)
        s.polu[k] = e.polu[k]->checkState();
    s.verrou = !e.verrou->isHidden();
    s.valider = w.Command5->isEnabled();
    s.enlever = w.Command12->isEnabled();
    s.editable = e.Text4->isEnabled();
    s.numcarte = e.numcarte;
    s.modifie = e.modifie;
    return s;
}

QString describe(const Shown &s)
{
    QStringList options;
    for (std::size_t k = 0; k < 4; ++k)
        if (s.options[k])
            options << QStringLiteral("Option%1").arg(k + 1);
    QString boxes;
    for (std::size_t k = 0; k < 4; ++k)
        boxes += QString::number(int(s.hazards[k]));
    boxes += QLatin1Char(' ');
    for (std::size_t k = 0; k < 3; ++k)
        boxes += QString::number(int(s.polu[k]));
    QStringList places;
    for (const QRect &r : s.boxes)
        places << QStringLiteral("%1+%2").arg(r.x()).arg(r.width());
    return QStringLiteral("[%1] options %2, boxes %3, verrou %4, numcarte %5, modifie %6, "
                          "quantities at %7")
        .arg(s.texts[0], options.join(QLatin1Char('+')), boxes)
        .arg(s.verrou)
        .arg(s.numcarte)
        .arg(s.modifie)
        .arg(places.join(QLatin1Char(' ')));
}

// How the window disagrees with the stored card; empty when it does not.
QStringList screenDisagreements(const feuilleP &w, const cards::carte &stored, bool validable)
{
    const CardEditor &e = *w.editor();
    const StoredFlags f = storedFlags(stored.drapeaux());
    QStringList out;
    const auto expect = [&out](bool ok, const QString &what) {
        if (!ok)
            out << what;
    };
    expect(e.card() == stored, fieldDifferences(e.card(), stored));
    expect(e.Option1->isChecked() == f.organique, QStringLiteral("Organique"));
    expect(e.Option2->isChecked() == f.inorganique, QStringLiteral("Inorganique"));
    for (std::size_t k = 0; k < 4; ++k) {
        expect(e.Check1[k]->checkState() == (f.hazards[k] ? Qt::Checked : Qt::Unchecked),
               QStringLiteral("Check1(%1)").arg(k));
        expect(e.Image8[k]->isHidden() != f.hazards[k], QStringLiteral("Image8(%1)").arg(k));
    }
    for (std::size_t k = 0; k < 3; ++k)
        expect(e.polu[k]->checkState() == (f.polu[k] ? Qt::Checked : Qt::Unchecked),
               QStringLiteral("polu(%1)").arg(k));
    expect(e.Option3->isChecked() == !f.pollutes(), QStringLiteral("non polluant"));
    expect(e.Option4->isChecked() == f.pollutes(), QStringLiteral("risque de pollution pour:"));
    expect(e.verrou->isHidden() != f.locked, QStringLiteral("verrou"));
    expect(w.Command5->isEnabled() == validable, QStringLiteral("&Valider enabled"));
    return out;
}

// The card picture built from what the window shows, as "Co&pier" builds it.
QStringList pictureDisagreements(const feuilleP &w, const cards::carte &stored)
{
    const StoredFlags f = storedFlags(stored.drapeaux());
    const CardView view = w.currentCardView();
    QStringList out;
    const QString sentence = carddraw::pollutionSentence(view);
    if (sentence != pictureSentence(f))
        out << QStringLiteral("sentence \"%1\"").arg(sentence);
    const QImage image = carddraw::creimage(view);
    for (int k = 0; k < 4; ++k) {
        const QByteArray name = "Image8(" + QByteArray::number(k) + ")";
        const QRect place = cardlayout::rect(cardlayout::control(name.constData()));
        const bool drawn =
            countPixels(image, place, nearOrange) > place.width() * place.height() / 4;
        if (drawn != f.hazards[std::size_t(k)])
            out << QStringLiteral("pictogram %1").arg(k);
    }
    return out;
}

// The whole listing printed from the window onto pages of an image, each page
// checked before the next one starts: the texts of every card block from the
// journal, its pictogram row from the pixels.
class ListingCheck
{
public:
    ListingCheck(feuilleP &w, const std::map<QString, cards::carte> &byName)
        : w_(w), byName_(byName),
          page_(kPage.width(), kPage.height() + kBelow, QImage::Format_RGB32),
          pictograms_(listing::Pictograms::load())
    {
        page_.fill(Qt::white);
    }

    QStringList run()
    {
        QPainter painter(&page_);
        listing::PageWriter out(painter, QSizeF(kPage), [this] {
            checkPage();
            page_.fill(Qt::white);
            ++pageNumber_;
            return true;
        });
        out.journal = &runs_;
        WindowSource source(w_);
        const int rows = w_.speciesRowCount();
        if (!listing::printListing(out, source.listedCards(), pictograms_))
            failures_ << QStringLiteral("the listing stopped");
        painter.end();
        checkPage();
        if (blocks_ != rows)
            failures_
                << QStringLiteral("%1 card blocks printed for %2 rows").arg(blocks_).arg(rows);
        return failures_;
    }

private:
    // A page of a 96 dpi printer; a block that runs past the page's end is
    // still drawn below it.
    static constexpr QSize kPage{794, 1123};
    static constexpr int kBelow = 400;

    static bool startsBlock(const listing::Run &r)
    {
        return r.points == 14 && r.bold && r.text.endsWith(QStringLiteral(" : "));
    }

    void checkPage()
    {
        for (; next_ < runs_.size() && runs_[next_].page <= pageNumber_; ++next_)
            if (startsBlock(runs_[next_]))
                checkBlock(next_);
    }

    void checkBlock(std::size_t first)
    {
        ++blocks_;
        const QString nom = runs_[first].text.chopped(3);
        const auto it = byName_.find(nom);
        if (it == byName_.end()) {
            failures_ << QStringLiteral("[%1] printed, not in the database").arg(nom);
            return;
        }
        const StoredFlags f = storedFlags(it->second.drapeaux());
        bool organique = false, inorganique = false;
        QString environment;
        const listing::Run *below = nullptr; // the first line below the pictograms
        for (std::size_t i = first + 1; i < runs_.size() && !startsBlock(runs_[i]); ++i) {
            const listing::Run &r = runs_[i];
            organique = organique || r.text == QLatin1String("Organique");
            inorganique = inorganique || r.text == QLatin1String("Inorganique");
            if (!below &&
                (r.text == QLatin1String("Organique") || r.text == QLatin1String("Inorganique") ||
                 r.text == QStringLiteral("Aspect ( 1 atm ; 20 °C ) : ")))
                below = &r;
            if (r.text.startsWith(QLatin1String("Environnement : ")))
                environment = r.text;
        }
        QStringList problems;
        if (organique != f.organique)
            problems << QStringLiteral("Organique");
        if (inorganique != f.inorganique)
            problems << QStringLiteral("Inorganique");
        if (environment != listingEnvironment(f))
            problems << QStringLiteral("\"%1\"").arg(environment);
        if (!below) {
            problems << QStringLiteral("no aspect line");
        } else {
            const double y1 = below->y - listing::kPictogramSize - listing::kPictogramGap;
            int slot = 0;
            for (std::size_t j = 0; j < 4; ++j) {
                if (!f.hazards[j])
                    continue;
                if (!pictogramAt(slot, y1, j))
                    problems << QStringLiteral("pictogram %1 not in place %2").arg(j).arg(slot);
                ++slot;
            }
            const QRect rest = QRectF(slotLeft(slot), y1, kPage.width(), listing::kPictogramSize)
                                   .toAlignedRect()
                                   .intersected(page_.rect());
            if (countPixels(page_, rest, nearOrange) > 0)
                problems << QStringLiteral("a pictogram too many");
        }
        if (!problems.isEmpty())
            failures_ << QStringLiteral("[%1] %2: %3")
                             .arg(nom, q(it->second.drapeaux()),
                                  problems.join(QStringLiteral(", ")));
    }

    static double slotLeft(int slot)
    {
        return kPage.width() / 10.0 + slot * (listing::kPictogramSize + listing::kPictogramGap);
    }

    // The page shows pictogram j in place `slot` of the row whose top is y1:
    // every pixel the pictogram paints alone is on the page. (Where it leaves
    // its corners transparent, a script of the name line above may show.)
    bool pictogramAt(int slot, double y1, std::size_t j) const
    {
        const QRectF place(slotLeft(slot), y1, listing::kPictogramSize, listing::kPictogramSize);
        const QRect area = place.toAlignedRect().intersected(page_.rect());
        QImage alone(page_.size(), QImage::Format_RGB32);
        alone.fill(Qt::white);
        QPainter p(&alone);
        p.drawImage(place, pictograms_.images[j]);
        p.end();
        int painted = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb c = alone.pixel(x, y);
                if (c == qRgb(255, 255, 255))
                    continue;
                if (page_.pixel(x, y) != c)
                    return false;
                ++painted;
            }
        }
        return painted > area.width() * area.height() / 2;
    }

    feuilleP &w_;
    const std::map<QString, cards::carte> &byName_;
    QImage page_;
    listing::Pictograms pictograms_;
    std::vector<listing::Run> runs_;
    std::size_t next_ = 0;
    int pageNumber_ = 1;
    int blocks_ = 0;
    QStringList failures_;
};

// At most the first few disagreements, and how many there were.
QString report(const QStringList &failures, int cards)
{
    return QStringLiteral("%1 of %2 cards:\n").arg(failures.size()).arg(cards) +
           failures.mid(0, 4).join(QLatin1Char('\n'));
}

} // namespace

class TestRoundTrip : public QObject
{
    Q_OBJECT
private slots:
    // ctest runs each of these functions on its own (tests/mainwindow/CMakeLists.txt
    // names them): a new one is named there too.
    void initTestCase();
    void validateKeepsFile_data() { databases(); }
    void validateKeepsFile();
    void validateAfterStartUpKeepsFile();
    void screenPictureListingAgree_data() { databases(); }
    void screenPictureListingAgree();
    void cardFileRoundTrip_data() { databases(); }
    void cardFileRoundTrip();
    void anyOrderShowsTheSame_data();
    void anyOrderShowsTheSame();

private:
    void databases();
    // A window on a copy of the database of the current data row.
    std::unique_ptr<Window> openWindow();
    std::map<QString, cards::carte> byName(const Window &t) const;
    QString generated() const
    {
        return QDir(generated_.path()).filePath(QString::fromUtf8(cards::kDatabaseFileName));
    }

    QTemporaryDir generated_;
    QString bundled_;
};

void TestRoundTrip::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    Window t(everyFlagCombination());
    QVERIFY(QFile::copy(t.path(QString::fromUtf8(cards::kDatabaseFileName)), generated()));
#ifdef CARTES_BUNDLED_DATABASE
    bundled_ = QStringLiteral(CARTES_BUNDLED_DATABASE);
#endif
}

void TestRoundTrip::databases()
{
    QTest::addColumn<QString>("database");
    QTest::newRow("bundled") << bundled_;
    QTest::newRow("every flag combination") << generated();
}

std::unique_ptr<Window> TestRoundTrip::openWindow()
{
    QFETCH(QString, database);
    if (database.isEmpty() || !QFile::exists(database))
        return nullptr;
    auto t = std::make_unique<Window>(std::vector<cards::carte>{}, false);
    const QString copy = t->path(QString::fromUtf8(cards::kDatabaseFileName));
    if (!QFile::copy(database, copy))
        return nullptr;
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    t->open();
    return t;
}

std::map<QString, cards::carte> TestRoundTrip::byName(const Window &t) const
{
    std::map<QString, cards::carte> out;
    for (const cards::carte &c : t.database())
        out.emplace(q(c.nom()), c);
    return out;
}

void TestRoundTrip::validateKeepsFile()
{
    const auto t = openWindow();
    if (!t)
        QSKIP("the bundled database was not built");
    feuilleP &w = *t->w;
    const QString file = t->path(QString::fromUtf8(cards::kDatabaseFileName));
    const QByteArray before = readAll(file);
    const auto stored = byName(*t);
    QStringList failures;
    for (int r = 1; r < t->list().rows(); ++r) {
        t->list().setRow(r, true);
        const QString nom = t->list().text(r, 0);
        QCOMPARE(t->shownName(), nom);
        w.Command5->click();
        if (readAll(file) != before) {
            const auto after = byName(*t);
            failures << QStringLiteral("[%1] %2").arg(
                nom, fieldDifferences(after.at(nom), stored.at(nom)));
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(before);
        }
    }
    QVERIFY2(failures.isEmpty(), qPrintable(report(failures, int(stored.size()))));
    QVERIFY2(t->dialogs.unexpected.isEmpty(), qPrintable(t->dialogs.unexpected.join('\n')));
}

void TestRoundTrip::validateAfterStartUpKeepsFile()
{
    // Each card of the bundled database chosen right after start-up, when the
    // editor has shown only the first card, then validated.
    if (bundled_.isEmpty() || !QFile::exists(bundled_))
        QSKIP("the bundled database was not built");
    const QByteArray before = readAll(bundled_);
    QStringList names;
    {
        Window t({}, false);
        QVERIFY(QFile::copy(bundled_, t.path(QString::fromUtf8(cards::kDatabaseFileName))));
        t.open();
        names = t.rowNames();
    }
    QStringList failures;
    for (const QString &nom : names) {
        Window t({}, false);
        const QString file = t.path(QString::fromUtf8(cards::kDatabaseFileName));
        QVERIFY(QFile::copy(bundled_, file));
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        feuilleP &w = t.open();
        t.list().setRow(t.rowOf(nom), true);
        QCOMPARE(t.shownName(), nom);
        w.Command5->click();
        if (readAll(file) != before)
            failures << nom;
        QVERIFY(t.dialogs.unexpected.isEmpty());
    }
    QVERIFY2(failures.isEmpty(), qPrintable(report(failures, int(names.size()))));
}

void TestRoundTrip::screenPictureListingAgree()
{
    const auto t = openWindow();
    if (!t)
        QSKIP("the bundled database was not built");
    feuilleP &w = *t->w;
    const auto stored = byName(*t);
    QStringList screen, picture;
    for (int r = 1; r < t->list().rows(); ++r) {
        t->list().setRow(r, true);
        const cards::carte &c = stored.at(t->list().text(r, 0));
        const bool unlocked = !storedFlags(c.drapeaux()).locked;
        if (const QStringList d = screenDisagreements(w, c, unlocked); !d.isEmpty())
            screen << QStringLiteral("[%1] %2: %3").arg(q(c.nom()), q(c.drapeaux()), d.join(", "));
        if (const QStringList d = pictureDisagreements(w, c); !d.isEmpty())
            picture << QStringLiteral("[%1] %2: %3").arg(q(c.nom()), q(c.drapeaux()), d.join(", "));
    }
    const QStringList printed = ListingCheck(w, stored).run();
    QString failures;
    const int n = int(stored.size());
    for (const auto &[where, found] : {std::pair{"window", screen}, std::pair{"picture", picture},
                                       std::pair{"listing", printed}})
        if (!found.isEmpty())
            failures += QStringLiteral("\n%1: %2").arg(QLatin1String(where), report(found, n));
    QVERIFY2(failures.isEmpty(), qPrintable(failures));
    QVERIFY2(t->dialogs.unexpected.isEmpty(), qPrintable(t->dialogs.unexpected.join('\n')));
}

void TestRoundTrip::cardFileRoundTrip()
{
    const auto t = openWindow();
    if (!t)
        QSKIP("the bundled database was not built");
    feuilleP &w = *t->w;
    const auto stored = byName(*t);
    QStringList failures;
    for (int r = 1; r < t->list().rows(); ++r) {
        // The card opened before is modified: the question is answered No.
        if (r > 1)
            t->dialogs.expectMessage(QStringLiteral("Enregistrer ?"), Answer::No);
        t->list().setRow(r, true);
        const cards::carte &c = stored.at(t->list().text(r, 0));
        QCOMPARE(t->shownName(), q(c.nom()));
        const QString path = t->path(QStringLiteral("carte%1.CAR").arg(r));
        t->dialogs.expectFile(path);
        w.Command11->click();
        t->dialogs.expectFile(path);
        w.Command2->click();
        QVERIFY(t->dialogs.allAnswered());
        // An opened card can be validated even when locked.
        if (const QStringList d = screenDisagreements(w, c, true); !d.isEmpty())
            failures
                << QStringLiteral("[%1] %2: %3").arg(q(c.nom()), q(c.drapeaux()), d.join(", "));
        QCOMPARE(t->editor().numcarte, -1);
    }
    QVERIFY2(failures.isEmpty(), qPrintable(report(failures, int(stored.size()))));
    QVERIFY2(t->dialogs.unexpected.isEmpty(), qPrintable(t->dialogs.unexpected.join('\n')));
}

void TestRoundTrip::anyOrderShowsTheSame_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("steps");
    for (quint32 seed : {1u, 2u, 3u})
        QTest::addRow("bundled, seed %u", seed) << bundled_ << seed << 300;
    QTest::addRow("every flag combination, seed 4") << generated() << 4u << 1500;
}

void TestRoundTrip::anyOrderShowsTheSame()
{
    QFETCH(quint32, seed);
    QFETCH(int, steps);
    const auto t = openWindow();
    if (!t)
        QSKIP("the bundled database was not built");
    feuilleP &w = *t->w;
    const int rows = t->list().rows();

    // What each card shows when the cards are shown in list order.
    std::vector<Shown> first(static_cast<std::size_t>(rows));
    for (int r = 1; r < rows; ++r) {
        t->list().setRow(r, true);
        first[std::size_t(r)] = shown(w);
    }

    // Then in a random order, with now and then a new card in between.
    QRandomGenerator random(seed);
    QStringList failures;
    QString before = describe(shown(w));
    std::optional<Shown> newCard; // a new card looks the same after any card
    for (int step = 0; step < steps && failures.size() < 12; ++step) {
        if (random.bounded(10) == 0) {
            w.Command6->click();
            const Shown now = shown(w);
            if (!newCard)
                newCard = now;
            else if (!(now == *newCard))
                failures << QStringLiteral("step %1, a new card after %2:\n  shows %3\n  was   %4")
                                .arg(step)
                                .arg(before, describe(now), describe(*newCard));
            before = QStringLiteral("a new card");
            continue;
        }
        const int r = 1 + int(random.bounded(rows - 1));
        if (r == t->list().row())
            t->list().setRow(r == 1 ? 2 : r - 1, true);
        t->list().setRow(r, true);
        const Shown now = shown(w);
        if (!(now == first[std::size_t(r)]))
            failures << QStringLiteral("step %1, after %2:\n  shows %3\n  was   %4")
                            .arg(step)
                            .arg(before, describe(now), describe(first[std::size_t(r)]));
        before = describe(now);
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QVERIFY2(t->dialogs.unexpected.isEmpty(), qPrintable(t->dialogs.unexpected.join('\n')));
}

QTEST_MAIN(TestRoundTrip)
#include "tst_roundtrip.moc"
