#include "atomicweights.h"
#include "csv.h"
#include "molarmass.h"

#include <QFile>
#include <QTest>

#include <cmath>
#include <random>
#include <set>

using cards::MassError;

Q_DECLARE_METATYPE(cards::MassError)

namespace
{

// "C3 H8 O3": the atoms read, by symbol in alphabetical order.
QString atomsText(const cards::MolarMass &m)
{
    QStringList parts;
    for (const auto &[z, n] : m.atoms)
        parts << QString::fromUtf8(cards::elementByNumber(z)->symbol) + QString::number(n);
    parts.sort();
    return parts.join(QLatin1Char(' '));
}

struct BundledCard {
    QString nom, formule, masse;
};

// The bundled database's source, through the tool's own CSV reader.
std::vector<BundledCard> bundledCards()
{
    QFile f(qEnvironmentVariable("CARTES_SOURCE_DIR") + QStringLiteral("/data/especes.csv"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = f.readAll();
    std::vector<BundledCard> cards;
    const auto records = outil::parseCsv(std::string_view(text.constData(), text.size()));
    for (std::size_t i = 1; i < records.size(); ++i) {
        const auto &r = records[i].fields;
        if (r.size() < 5)
            continue;
        cards.push_back({QString::fromStdString(r[0]), QString::fromStdString(r[1]),
                         QString::fromStdString(r[4])});
    }
    return cards;
}

// Cards of the bundled database whose formula has no single molar mass, and why.
const QHash<QString, MassError> kWithoutMass = {
    {QStringLiteral("Acide chlorhydrique (solution à 37 %)"), MassError::Mixture},
};

} // namespace

class MolarMassTest : public QObject
{
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
    void refuses_data();
    void refuses();
    void bundledFormulas_data();
    void bundledFormulas();
    void elementTable();
    void storedText_data();
    void storedText();
    void disagreement_data();
    void disagreement();
    void format_data();
    void format();
    void garbleNeverBreaks();
};

void MolarMassTest::reads_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("atoms");
    QTest::addColumn<double>("mass"); // textbook value, to 0.01 g/mol

    QTest::newRow("water") << "H#2O"
                           << "H2 O1" << 18.02;
    QTest::newRow("two-digit counts") << "C#1#2H#2#2O#1#1"
                                      << "C12 H22 O11" << 342.30;
    QTest::newRow("plain digits as counts") << "H2SO4"
                                            << "H2 O4 S1" << 98.08;
    QTest::newRow("two-letter symbols") << "NaCl"
                                        << "Cl1 Na1" << 58.44;
    QTest::newRow("Co is cobalt") << "Co"
                                  << "Co1" << 58.93;
    QTest::newRow("CO is carbon monoxide") << "CO"
                                           << "C1 O1" << 28.01;
    QTest::newRow("brackets with a count") << "CH#3CH(CH#3)#2"
                                           << "C4 H10" << 58.12;
    QTest::newRow("count after a bracket only") << "Ca(OH)#2"
                                                << "Ca1 H2 O2" << 74.09;
    QTest::newRow("nested brackets") << "K#4[Fe(CN)#6]"
                                     << "C6 Fe1 K4 N6" << 368.35;
    QTest::newRow("brackets without a count") << "CH#3CH#2(OH)"
                                              << "C2 H6 O1" << 46.07;
    QTest::newRow("hydrate, comma") << "CuSO#4,5H#2O"
                                    << "Cu1 H10 O9 S1" << 249.68;
    QTest::newRow("hydrate, middle dot") << "CuSO#4·5H#2O"
                                         << "Cu1 H10 O9 S1" << 249.68;
    QTest::newRow("hydrate, bullet") << "CuSO#4•5H#2O"
                                     << "Cu1 H10 O9 S1" << 249.68;
    QTest::newRow("hydrate, point and spaces") << "CuSO#4 . 5 H#2O"
                                               << "Cu1 H10 O9 S1" << 249.68;
    QTest::newRow("hydrate without count") << "CaSO#4,H#2O"
                                           << "Ca1 H2 O5 S1" << 154.15;
    QTest::newRow("two-digit hydrate count") << "Na#2CO#3,10H#2O"
                                             << "C1 H20 Na2 O13" << 286.14;
    QTest::newRow("double salt") << "KAl(SO#4)#2,12H#2O"
                                 << "Al1 H24 K1 O20 S2" << 474.37;
    QTest::newRow("charge ignored") << "SO#4*2*-"
                                    << "O4 S1" << 96.06;
    QTest::newRow("charge on a complex") << "[Cu(H#2O)#6]*2*+"
                                         << "Cu1 H12 O6" << 171.64;
    QTest::newRow("one-sign charge") << "NH#4*+"
                                     << "H4 N1" << 18.04;
    QTest::newRow("charge typed plainly") << "Na+"
                                          << "Na1" << 22.99;
    QTest::newRow("semi-developed, single bonds") << "CH#2OH-CHOH-CH#2OH"
                                                  << "C3 H8 O3" << 92.09;
    QTest::newRow("double bond") << "CH#2=CH#2"
                                 << "C2 H4" << 28.05;
    QTest::newRow("triple bond") << "HC≡CH"
                                 << "C2 H2" << 26.04;
    QTest::newRow("state after the species") << "NaCl(aq)"
                                             << "Cl1 Na1" << 58.44;
    QTest::newRow("solid state") << "CaCO#3 (s)"
                                 << "C1 Ca1 O3" << 100.09;
    QTest::newRow("oxidation number in brackets") << "Fe(III)Cl#3"
                                                  << "Cl3 Fe1" << 162.20;
    QTest::newRow("oxidation number as superscript") << "Fe*I*I*I"
                                                     << "Fe1" << 55.85;
    QTest::newRow("vanadium counted in brackets") << "(V)#2O#5"
                                                  << "O5 V2" << 181.88;
    QTest::newRow("spaces") << " C O#2 "
                            << "C1 O2" << 44.01;
    QTest::newRow("element with interval weight") << "Pb"
                                                  << "Pb1" << 207.2;
    QTest::newRow("uranium, heaviest with a weight") << "UF#6"
                                                     << "F6 U1" << 352.02;
    QTest::newRow("same element twice adds up") << "CH#3COOH"
                                                << "C2 H4 O2" << 60.05;
    // Addition compounds as chemists write them, a count before each part.
    QTest::newRow("plaster") << "2CaSO#4,H#2O"
                             << "Ca2 H2 O9 S2" << 290.29;
    QTest::newRow("sodium percarbonate") << "2Na#2CO#3,3H#2O#2"
                                         << "C2 H6 Na4 O12" << 314.02;
    QTest::newRow("cadmium sulfate hydrate") << "3CdSO#4,8H#2O"
                                             << "Cd3 H16 O20 S3" << 769.52;
    // A charge typed plainly before the state, "+" as "-".
    QTest::newRow("cation in water") << "Na+(aq)"
                                     << "Na1" << 22.99;
    QTest::newRow("anion in water") << "OH-(aq)"
                                    << "H1 O1" << 17.01;
}

void MolarMassTest::reads()
{
    QFETCH(QString, formula);
    QFETCH(QString, atoms);
    QFETCH(double, mass);
    const cards::MolarMass m = cards::molarMass(formula.toStdString());
    QVERIFY2(m.ok(), m.message().c_str());
    QCOMPARE(atomsText(m), atoms);
    QVERIFY2(std::fabs(m.value - mass) <= 0.01, QByteArray::number(m.value, 'f', 4));
}

void MolarMassTest::refuses_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<MassError>("error");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("position"); // bytes from the start

    QTest::newRow("empty") << "" << MassError::Empty << "formule vide" << 0;
    QTest::newRow("spaces only") << "   " << MassError::Empty << "formule vide" << 0;
    QTest::newRow("unknown symbol")
        << "Xy" << MassError::UnknownSymbol << "symbole inconnu : Xy" << 0;
    QTest::newRow("unknown after known")
        << "NaXy#2" << MassError::UnknownSymbol << "symbole inconnu : Xy" << 2;
    QTest::newRow("a word") << "Eau" << MassError::UnknownSymbol << "symbole inconnu : Eau" << 0;
    QTest::newRow("lower case") << "h#2o" << MassError::UnknownSymbol << "symbole inconnu : h" << 0;
    QTest::newRow("no standard weight") << "TcO#4*-" << MassError::NoStandardWeight
                                        << "pas de masse atomique standard pour Tc" << 0;
    QTest::newRow("radon") << "Rn" << MassError::NoStandardWeight << "pour Rn" << 0;
    QTest::newRow("unclosed") << "Ca(OH#2" << MassError::UnclosedParenthesis
                              << "parenthèse non fermée : (" << 2;
    QTest::newRow("unclosed, inner closed")
        << "K#4[Fe(CN)#6" << MassError::UnclosedParenthesis << "parenthèse non fermée : [" << 3;
    QTest::newRow("closing first")
        << "Ca)OH(" << MassError::UnexpectedClosing << "parenthèse fermante sans ouvrante : )" << 2;
    QTest::newRow("closing of another kind") << "[Fe(CN)#6)" << MassError::MismatchedClosing
                                             << "parenthèse fermante ) au lieu de ]" << 9;
    QTest::newRow("empty brackets")
        << "H#2()" << MassError::EmptyGroup << "parenthèses vides : ()" << 3;
    QTest::newRow("count first") << "#2H" << MassError::CountWithoutSymbol
                                 << "indice sans symbole devant : 2" << 0;
    QTest::newRow("count after a bond")
        << "CH#3-#2" << MassError::CountWithoutSymbol << "indice sans symbole devant : 2" << 5;
    QTest::newRow("two counts") << "H#22" << MassError::CountWithoutSymbol
                                << "indice sans symbole devant : 2" << 3;
    QTest::newRow("polymer") << "(C#6H#1#0O#5)#n" << MassError::CountNotNumber
                             << "indice non numérique : n" << 13;
    QTest::newRow("zero count") << "H#0" << MassError::ZeroCount << "indice nul : 0" << 1;
    QTest::newRow("huge count") << "C#9#9#9#9#9#9#9" << MassError::CountTooLarge
                                << "indice trop grand" << 1;
    QTest::newRow("huge nesting") << "(((H#9#9#9#9#9#9)#9#9#9#9#9#9)#9#9#9#9#9#9)#9#9#9#9#9#9"
                                  << MassError::TooLarge << "masse trop grande" << 30;
    QTest::newRow("leading coefficient")
        << "2H#2O" << MassError::LeadingCoefficient << "nombre devant la formule : 2" << 0;
    QTest::newRow("nothing after separator")
        << "CuSO#4," << MassError::MissingAfterSeparator << "après le séparateur" << 6;
    QTest::newRow("two separators")
        << "CuSO#4,,5H#2O" << MassError::MissingAfterSeparator << "après le séparateur" << 7;
    QTest::newRow("only a count after separator")
        << "CuSO#4,5" << MassError::MissingAfterSeparator << "après le séparateur" << 6;
    QTest::newRow("separator first")
        << ",H#2O" << MassError::UnexpectedCharacter << "caractère inattendu : ," << 0;
    QTest::newRow("separator in brackets")
        << "(CuSO#4,5H#2O)" << MassError::SeparatorInGroup << "entre parenthèses : ," << 7;
    QTest::newRow("mixture of ions")
        << "H#3O*+ + Cl*-" << MassError::Mixture << "mélange : pas de masse molaire unique" << 7;
    QTest::newRow("mixture without spaces") << "NaCl+KCl" << MassError::Mixture << "mélange" << 4;
    QTest::newRow("count after a state") << "H#2O(g)#2" << MassError::CountAfterState
                                         << "après un état ou un degré d'oxydation : (g)2" << 7;
    QTest::newRow("count after a solid")
        << "NaCl(s)#3" << MassError::CountAfterState << "(s)3" << 7;
    QTest::newRow("isotope") << "*1*4CO#2" << MassError::Isotope << "nombre de masse 14" << 0;
    QTest::newRow("superscript letter")
        << "Fe*a" << MassError::BadSuperscript << "exposant illisible : a" << 2;
    QTest::newRow("marker at the end")
        << "H#" << MassError::DanglingMarker << "sans caractère : #" << 1;
    QTest::newRow("marker on a marker")
        << "H*#2" << MassError::DanglingMarker << "sans caractère" << 1;
    QTest::newRow("semicolon") << "H;O" << MassError::UnexpectedCharacter
                               << "caractère inattendu : ;" << 1;
    QTest::newRow("subscript character")
        << "H₂O" << MassError::UnexpectedCharacter << "caractère inattendu : ₂" << 1;
    QTest::newRow("charge alone") << "*+" << MassError::NoElement << "aucun symbole" << 0;
    QTest::newRow("bond alone") << "-" << MassError::NoElement << "aucun symbole" << 0;
}

void MolarMassTest::refuses()
{
    QFETCH(QString, formula);
    QFETCH(MassError, error);
    QFETCH(QString, message);
    QFETCH(int, position);
    const cards::MolarMass m = cards::molarMass(formula.toStdString());
    QVERIFY(!m.ok());
    QCOMPARE(int(m.error), int(error));
    QVERIFY2(QString::fromStdString(m.message()).contains(message), m.message().c_str());
    QCOMPARE(int(m.position), position);
    QCOMPARE(m.value, 0.0);
}

void MolarMassTest::bundledFormulas_data()
{
    QTest::addColumn<QString>("formule");
    QTest::addColumn<QString>("masse");
    const auto cards = bundledCards();
    if (cards.empty())
        QSKIP("data/especes.csv is not there");
    QVERIFY(cards.size() >= 90);
    for (const BundledCard &c : cards)
        QTest::newRow(c.nom.toUtf8().constData()) << c.formule << c.masse;
}

// Every bundled formula reads and agrees with its card, or has a stated
// reason not to; and the reading holds up when the formula is taken into
// brackets with a count, or given water of crystallisation.
void MolarMassTest::bundledFormulas()
{
    QFETCH(QString, formule);
    QFETCH(QString, masse);
    const QString nom = QString::fromUtf8(QTest::currentDataTag());
    const cards::MolarMass m = cards::molarMass(formule.toStdString());
    if (kWithoutMass.contains(nom)) {
        QCOMPARE(int(m.error), int(kWithoutMass.value(nom)));
        QVERIFY2(masse.isEmpty(), "a species without a single molar mass has none stored");
        return;
    }
    QVERIFY2(m.ok(), m.message().c_str());
    const auto stored = cards::readMolarMassText(masse.toStdString());
    QVERIFY2(stored, "the stored molar mass reads as a number");
    QVERIFY2(!cards::massesDisagree(*stored, m.value),
             qPrintable(masse + " / " + QString::number(m.value)));

    if (!formule.contains(QLatin1Char(','))) {
        const cards::MolarMass twice = cards::molarMass("(" + formule.toStdString() + ")#3");
        QVERIFY2(twice.ok(), twice.message().c_str());
        for (const auto &[z, n] : m.atoms)
            QCOMPARE(twice.atoms.at(z), 3 * n);
        QCOMPARE(twice.atoms.size(), m.atoms.size());
    }
    const cards::MolarMass hydrate = cards::molarMass(formule.toStdString() + ",2H#2O");
    QVERIFY2(hydrate.ok(), hydrate.message().c_str());
    const cards::MolarMass water = cards::molarMass("H#2O");
    QVERIFY(std::fabs(hydrate.value - (m.value + 2 * water.value)) < 1e-9);
}

// The table: every symbol once, in order of atomic number, each weight where
// its atomic number puts it (a typed weight in the wrong row shows).
void MolarMassTest::elementTable()
{
    std::set<std::string_view> symbols;
    const std::set<int> inversions = {19, 28, 53, 91}; // K, Ni, I, Pa: lighter than the one before
    const std::set<int> withoutWeight = {43, 61, 84, 85, 86, 87, 88, 89};
    double previous = 0;
    for (int z = 1; z <= 118; ++z) {
        const cards::Element *e = cards::elementByNumber(z);
        QVERIFY(e);
        QCOMPARE(e->number, z);
        QVERIFY(symbols.insert(e->symbol).second);
        QCOMPARE(cards::findElement(e->symbol), e);
        const bool weighed = z <= 92 && !withoutWeight.contains(z);
        QCOMPARE(e->weight.has_value(), weighed);
        if (!weighed)
            continue;
        QVERIFY2(*e->weight >= z && *e->weight <= 2.6 * z, e->symbol.data());
        QVERIFY2((*e->weight > previous) != inversions.contains(z), e->symbol.data());
        previous = *e->weight;
    }
    QVERIFY(!cards::elementByNumber(0));
    QVERIFY(!cards::elementByNumber(119));
    QVERIFY(!cards::findElement("Xy"));
    QVERIFY(!cards::findElement("cl"));
}

void MolarMassTest::storedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("reads");
    QTest::addColumn<double>("value");
    QTest::newRow("decimal comma") << "18,015" << true << 18.015;
    QTest::newRow("decimal point") << "18.015" << true << 18.015;
    QTest::newRow("whole number") << "18" << true << 18.0;
    QTest::newRow("spaces around") << "  58,44 " << true << 58.44;
    QTest::newRow("with unit") << "58,44 g/mol" << true << 58.44;
    QTest::newRow("unit without space") << "58,44g/mol" << true << 58.44;
    QTest::newRow("other unit form") << "58,44 g.mol-1" << true << 58.44;
    QTest::newRow("comma first") << ",5" << true << 0.5;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("comma alone") << "," << false << 0.0;
    QTest::newRow("minus alone") << "-" << false << 0.0;
    QTest::newRow("two commas") << "1,5,3" << false << 0.0;
    QTest::newRow("words") << "environ 18" << false << 0.0;
    QTest::newRow("other unit") << "18 kg/mol" << false << 0.0;
    QTest::newRow("miscible") << "miscible" << false << 0.0;
}

void MolarMassTest::storedText()
{
    QFETCH(QString, text);
    QFETCH(bool, reads);
    QFETCH(double, value);
    const auto v = cards::readMolarMassText(text.toStdString());
    QCOMPARE(v.has_value(), reads);
    if (reads)
        QCOMPARE(*v, value);
}

void MolarMassTest::disagreement_data()
{
    QTest::addColumn<double>("stored");
    QTest::addColumn<double>("computed");
    QTest::addColumn<bool>("disagree");
    QTest::newRow("equal") << 18.015 << 18.015 << false;
    QTest::newRow("rounded") << 18.0 << 18.015 << false;
    QTest::newRow("0.5 % above") << 100.5 << 100.0 << false;
    QTest::newRow("0.5 % below") << 99.5 << 100.0 << false;
    QTest::newRow("0.6 % above") << 100.6 << 100.0 << true;
    QTest::newRow("0.6 % below") << 99.4 << 100.0 << true;
    QTest::newRow("anhydrous mass on a hydrate") << 159.60 << 249.68 << true;
    QTest::newRow("negative") << -18.0 << 18.015 << true;
}

void MolarMassTest::disagreement()
{
    QFETCH(double, stored);
    QFETCH(double, computed);
    QFETCH(bool, disagree);
    QCOMPARE(cards::massesDisagree(stored, computed), disagree);
}

void MolarMassTest::format_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("light: three decimals") << 2.016 << "2,016";
    QTest::newRow("ten and more: two") << 249.685 << "249,69";
    QTest::newRow("half up as written") << 55.845 << "55,85";
    QTest::newRow("another half") << 24.305 << "24,31";
    QTest::newRow("trailing zeros kept") << 40.0 << "40,00";
    QTest::newRow("just under ten") << 9.0122 << "9,012";
}

void MolarMassTest::format()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(cards::formatMolarMass(value)), text);
    // What is written reads back within the tolerance of the check.
    const auto back = cards::readMolarMassText(cards::formatMolarMass(value));
    QVERIFY(back && !cards::massesDisagree(*back, value));
}

// Any text made of the markup's pieces reads or fails with a reason and a
// position inside the text, and never with a mass that is not a positive
// number.
void MolarMassTest::garbleNeverBreaks()
{
    const std::vector<std::string> pieces = {"H",  "C",  "O", "Cl",   "Na",    "Xy", "c",    "(",
                                             ")",  "[",  "]", "#",    "*",     "#2", "#1#0", "*2",
                                             "*-", "*+", "2", "5",    ",",     "·",  ".",    "-",
                                             "=",  "+",  " ", "(aq)", "(III)", "é",  "\xff"};
    std::mt19937 random(20261208);
    for (int round = 0; round < 20000; ++round) {
        std::string formula;
        const int length = int(random() % 12);
        for (int k = 0; k < length; ++k)
            formula += pieces[random() % pieces.size()];
        const cards::MolarMass m = cards::molarMass(formula);
        if (m.ok()) {
            QVERIFY2(std::isfinite(m.value) && m.value > 0, formula.c_str());
            QVERIFY2(!m.atoms.empty(), formula.c_str());
        } else {
            QVERIFY2(!m.message().empty(), formula.c_str());
            QVERIFY2(m.position <= formula.size(), formula.c_str());
        }
    }
}

QTEST_GUILESS_MAIN(MolarMassTest)
#include "tst_molarmass.moc"
