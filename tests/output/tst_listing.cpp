#include "listing.h"
#include "samplecards.h"

#include <QPainter>
#include <QTest>

#include <optional>

using listing::PageWriter;
using listing::Run;

namespace
{

// A device that measures as a 600 dpi printer; what is drawn off its single
// pixel is simply clipped.
struct Device {
    QImage image{1, 1, QImage::Format_RGB32};
    QPainter painter;
    std::vector<Run> runs;
    int pagesStarted = 0;
    bool pageFails = false;
    PageWriter out;

    explicit Device(QSizeF page = QSizeF(4760, 6779))
        : out(painter, page, [this] {
              ++pagesStarted;
              return !pageFails;
          })
    {
        const int dpm = int(600 / 0.0254 + 0.5);
        image.setDotsPerMeterX(dpm);
        image.setDotsPerMeterY(dpm);
        painter.begin(&image);
        out.journal = &runs;
    }

    std::optional<Run> find(const QString &text, int from = 0) const
    {
        for (std::size_t i = std::size_t(from); i < runs.size(); ++i)
            if (runs[i].text == text)
                return runs[i];
        return std::nullopt;
    }
    int indexOf(const QString &text) const
    {
        for (std::size_t i = 0; i < runs.size(); ++i)
            if (runs[i].text == text)
                return int(i);
        return -1;
    }
};

} // namespace

class TestListing : public QObject
{
    Q_OBJECT
private slots:
    void environment_data();
    void environment();
    void subscriptsAndSuperscripts_data();
    void subscriptsAndSuperscripts();
    void stackedScriptsThenNormal();
    void quantityLines_data();
    void quantityLines();
    void emptyQuantitiesEndAtMiddle();
    void pictogramRowKeepsItsHeight();
    void aspectWrap_data();
    void aspectWrap();
    void longAspectStaysOnThePage();
    void pageRule();
    void emptyListPrintsTitleAlone();
    void failedNewPageStops();
};

void TestListing::environment_data()
{
    QTest::addColumn<bool>("non");
    QTest::addColumn<bool>("risque");
    QTest::addColumn<QString>("polu");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no option") << false << false << "111"
                               << "Environnement : ";
    QTest::newRow("non polluant") << true << false << "000"
                                  << "Environnement : non polluant.";
    QTest::newRow("water only") << false << true << "010"
                                << "Environnement : risque de pollution pour l'eau.";
    QTest::newRow("air and soil") << false << true << "101"
                                  << "Environnement : risque de pollution pour l'air, le sol.";
    QTest::newRow("all three") << false << true << "111"
                               << "Environnement : risque de pollution pour l'air, l'eau, le sol.";
    QTest::newRow("no box") << false << true << "000"
                            << "Environnement : risque de pollution pour.";
}

void TestListing::environment()
{
    QFETCH(bool, non);
    QFETCH(bool, risque);
    QFETCH(QString, polu);
    QFETCH(QString, expected);
    CardView c;
    c.nonPolluant = non;
    c.risquePollution = risque;
    for (int i = 0; i < 3; ++i)
        c.polu[std::size_t(i)] = polu[i] == u'1';
    QCOMPARE(listing::environmentLine(c), expected);
}

void TestListing::subscriptsAndSuperscripts_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("ch");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<int>("dy"); // offset from the line's top
    QTest::addColumn<double>("points");
    QTest::newRow("H of H#2O") << "H#2O"
                               << "H" << 0 << 0 << 14.0;
    QTest::newRow("2 of H#2O") << "H#2O"
                               << "2" << 0 << 41 << 10.0;
    QTest::newRow("O of H#2O") << "H#2O"
                               << "O" << 0 << 0 << 14.0;
    QTest::newRow("+ of NH#4*+") << "NH#4*+"
                                 << "+" << 0 << -11 << 10.0;
    QTest::newRow("second 2 of C#12") << "C#1#2"
                                      << "2" << 0 << 41 << 10.0;
    QTest::newRow("trailing marker") << "O#"
                                     << "O" << 0 << 0 << 14.0;
}

void TestListing::subscriptsAndSuperscripts()
{
    QFETCH(QString, formula);
    QFETCH(QString, ch);
    QFETCH(int, dy);
    QFETCH(double, points);
    Device d;
    d.out.Y = 1000;
    listing::printNameLine(d.out, QStringLiteral("Eau"), formula);
    const auto run = d.find(ch, 1);
    QVERIFY(run);
    QCOMPARE(run->y, 1000.0 + dy);
    QCOMPARE(run->points, points);
    QVERIFY(run->bold);
    QCOMPARE(d.runs.front().text, QStringLiteral("Eau : "));
    QCOMPARE(d.runs.front().x, d.out.W() / 20);
    QCOMPARE(d.out.Y, 1000.0); // the line's top is kept for what follows
}

void TestListing::stackedScriptsThenNormal()
{
    // SO4 2-: the 4 below, "2-" above from where the 4 began, and the next
    // normal character after the wider of the two runs.
    Device d;
    d.out.Y = 500;
    listing::printNameLine(d.out, QStringLiteral("Ion"), QStringLiteral("SO#4*2*-Na"));
    const std::vector<Run> &r = d.runs;
    QCOMPARE(r.size(), std::size_t(8)); // "Ion : " S O 4 2 - N a
    const Run &o = r[2], &four = r[3], &two = r[4], &minus = r[5], &n = r[6];
    QCOMPARE(four.x, o.right);
    QCOMPARE(two.x, four.x);
    QCOMPARE(minus.x, two.right);
    QCOMPARE(four.y, 541.0);
    QCOMPARE(two.y, 489.0);
    QCOMPARE(minus.y, 489.0);
    QCOMPARE(n.x, std::max(four.right, minus.right));
    QCOMPARE(n.y, 500.0);
    QCOMPARE(n.points, 14.0);

    // A subscript run wider than the superscript one sets the next start.
    Device e;
    listing::printNameLine(e.out, QStringLiteral("X"), QStringLiteral("C#1#2*-H"));
    const auto h = e.find(QStringLiteral("H"));
    const auto twelve = e.find(QStringLiteral("2"));
    QVERIFY(h && twelve);
    QCOMPARE(h->x, twelve->right);
}

void TestListing::quantityLines_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("after"); // the runs after the value
    QTest::newRow("molar mass") << 0 << "18" << QStringList{" g.mol", "-1"};
    QTest::newRow("volumic mass") << 1 << "1000" << QStringList{" kg.m", "-3"};
    QTest::newRow("density") << 2 << "1,00" << QStringList{};
    QTest::newRow("boiling") << 3 << "100" << QStringList{" °C"};
    QTest::newRow("index") << 5 << "1,333" << QStringList{};
    QTest::newRow("solubility") << 6 << "36" << QStringList{" g.L", "-1"};
    QTest::newRow("miscible") << 6 << "miscible" << QStringList{};
    QTest::newRow("Miscible is a value") << 6 << "Miscible" << QStringList{" g.L", "-1"};
}

void TestListing::quantityLines()
{
    QFETCH(int, k);
    QFETCH(QString, value);
    QFETCH(QStringList, after);
    CardView c;
    c.quantites[std::size_t(k)] = value;
    Device d;
    d.out.Y = 300;
    listing::printCardBlock(d.out, c, listing::Pictograms{});
    const int i = d.indexOf(value);
    QVERIFY(i > 0);
    const Run &v = d.runs[std::size_t(i)];
    QCOMPARE(v.x, d.out.W() / 2);
    QVERIFY(!v.bold);
    QCOMPARE(v.points, 10.0);
    const Run &label = d.runs[std::size_t(i - 1)];
    QVERIFY(label.bold);
    QCOMPARE(label.y, v.y);
    for (int j = 0; j < after.size(); ++j) {
        const Run &u = d.runs.at(std::size_t(i + 1 + j));
        QCOMPARE(u.text, after[j]);
        QCOMPARE(u.x, d.runs[std::size_t(i + j)].right);
        if (u.text.startsWith(u'-')) {
            QCOMPARE(u.points, 8.0);
            QCOMPARE(u.y, v.y - 13);
        } else {
            QCOMPARE(u.y, v.y);
        }
    }
    // The next line starts under this one: nothing else on it.
    const Run &next = d.runs.at(std::size_t(i + 1 + after.size()));
    QVERIFY(next.y > v.y);
}

void TestListing::emptyQuantitiesEndAtMiddle()
{
    CardView c;
    c.quantites[2] = QStringLiteral("   "); // blanks count as empty
    Device d;
    listing::printCardBlock(d.out, c, listing::Pictograms{});
    const int first = d.indexOf(QStringLiteral("Masse molaire : "));
    QVERIFY(first > 0);
    double lastY = -1;
    for (int k = 0; k < 7; ++k) {
        const Run &label = d.runs.at(std::size_t(first + k));
        QVERIFY2(label.text.endsWith(QStringLiteral(" : ")), qPrintable(label.text));
        QVERIFY(qAbs(label.right - d.out.W() / 2) < 1e-6);
        QVERIFY(label.y > lastY);
        lastY = label.y;
    }
    QVERIFY(d.runs.at(std::size_t(first + 7)).text.startsWith(QStringLiteral("Environnement")));
}

void TestListing::pictogramRowKeepsItsHeight()
{
    const listing::Pictograms pictograms = listing::Pictograms::load();
    CardView none;
    CardView all;
    all.hazards = {true, true, true, true};
    Device a, b;
    listing::printCardBlock(a.out, none, pictograms);
    listing::printCardBlock(b.out, all, pictograms);
    const auto aspectA = a.find(QStringLiteral("Aspect ( 1 atm ; 20 °C ) : "));
    const auto aspectB = b.find(QStringLiteral("Aspect ( 1 atm ; 20 °C ) : "));
    QVERIFY(aspectA && aspectB);
    QCOMPARE(aspectA->y, aspectB->y);
    QCOMPARE(a.out.Y, b.out.Y);
    // Name line, two 10 pt lines, then the row of 66 + 20.
    a.out.setPoints(10);
    a.out.setBold(true);
    QCOMPARE(aspectA->y, 2 * a.out.textHeight() + 86);
}

void TestListing::aspectWrap_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("width");
    QTest::addColumn<QStringList>("lines");
    // One unit per character.
    QTest::newRow("fits") << "liquide" << 10.0 << 10.0 << QStringList{"liquide"};
    QTest::newRow("empty") << "" << 10.0 << 10.0 << QStringList{""};
    QTest::newRow("break at space")
        << "aaa bbb ccc" << 8.0 << 8.0 << QStringList{"aaa bbb ", "ccc"};
    QTest::newRow("own line breaks") << "ab\r\ncd" << 10.0 << 10.0 << QStringList{"ab", "cd"};
    QTest::newRow("word cut") << "abcdefghij" << 4.0 << 4.0 << QStringList{"abcd", "efgh", "ij"};
    QTest::newRow("narrow first line")
        << "abcdef gh" << 3.0 << 10.0 << QStringList{"", "abcdef gh"};
}

void TestListing::aspectWrap()
{
    QFETCH(QString, text);
    QFETCH(double, first);
    QFETCH(double, width);
    QFETCH(QStringList, lines);
    QCOMPARE(
        listing::wrapAspect(text, first, width, [](const QString &s) { return double(s.size()); }),
        lines);
}

void TestListing::longAspectStaysOnThePage()
{
    CardView c;
    c.aspect = QString(QStringLiteral("cristaux incolores ")).repeated(6).trimmed();
    Device d;
    listing::printCardBlock(d.out, c, listing::Pictograms{});
    const int label = d.indexOf(QStringLiteral("Aspect ( 1 atm ; 20 °C ) : "));
    const Run &first = d.runs.at(std::size_t(label + 1));
    const Run &second = d.runs.at(std::size_t(label + 2));
    // Broken after a space, the second line under the first.
    QVERIFY(first.text.endsWith(u' '));
    QCOMPARE(first.text + second.text, c.aspect);
    QCOMPARE(second.x, first.x);
    QVERIFY(second.y > first.y);
    QVERIFY(first.right <= d.out.W() - d.out.W() / 10);
}

void TestListing::pageRule()
{
    // A page that holds three blocks: a footer after every third card, page
    // numbers from 1, the title on the first page only.
    std::vector<CardView> cards;
    for (int i = 0; i < 7; ++i)
        cards.push_back(sampleCard(i * 2)); // same block height
    Device probe;
    listing::printCardBlock(probe.out, cards[0], listing::Pictograms{});
    const double block = probe.out.Y;
    probe.out.setPoints(24);
    probe.out.setBold(true);
    const double title = 2 * probe.out.textHeight();
    // Three blocks after the title fit, the fourth does not.
    const double H = std::floor((title + 3.5 * block) / 0.95);
    const double top = H / 20;
    const double W = 4760;
    QVERIFY(top + title + 4 * block > H);
    QVERIFY(top + title + 3 * block <= H);

    Device d(QSizeF(W, H));
    QList<int> progress;
    QVERIFY(listing::printListing(d.out, cards, listing::Pictograms{}, [&](int done, int total) {
        QCOMPARE(total, 7);
        progress << done;
    }));
    QCOMPARE(progress, (QList<int>{1, 2, 3, 4, 5, 6, 7}));

    QStringList footers;
    QList<int> footerPages;
    for (const Run &r : d.runs) {
        if (!r.text.startsWith(QStringLiteral("Lumisque")))
            continue;
        footers << r.text;
        footerPages << r.page;
        QCOMPARE(r.points, 8.0);
        QVERIFY(qAbs((r.x + r.right) / 2 - W / 2) < 1e-6);
    }
    // Pages of blocks 1-3 and 4-5: after the new page a block starts at H/20
    // and the block test also counts from there.
    QVERIFY(footers.size() >= 3);
    for (int i = 0; i < footers.size(); ++i) {
        QCOMPARE(footers[i], listing::footerText(i + 1));
        QCOMPARE(footerPages[i], i + 1);
    }
    QCOMPARE(d.pagesStarted, footers.size() - 1);
    const auto firstTitle = d.find(listing::kTitle);
    QVERIFY(firstTitle);
    QCOMPARE(firstTitle->y, top);
    QCOMPARE(firstTitle->points, 24.0);
    QVERIFY(!d.find(listing::kTitle, 1));
    // The first block of page 2 starts at H/20.
    for (const Run &r : d.runs)
        if (r.page == 2) {
            QCOMPARE(r.y, top);
            break;
        }
    // Footer's top: the page's bottom less a 10 pt line.
    d.out.setPoints(10);
    d.out.setBold(false);
    QCOMPARE(d.find(listing::footerText(1))->y, H - d.out.textHeight());
}

void TestListing::emptyListPrintsTitleAlone()
{
    Device d;
    QVERIFY(listing::printListing(d.out, {}, listing::Pictograms{}));
    QCOMPARE(d.runs.size(), std::size_t(1));
    QCOMPARE(d.runs[0].text, listing::kTitle);
    QVERIFY(qAbs((d.runs[0].x + d.runs[0].right) / 2 - d.out.W() / 2) < 1e-6);
    QCOMPARE(d.pagesStarted, 0);
}

void TestListing::failedNewPageStops()
{
    std::vector<CardView> cards;
    for (int i = 0; i < 40; ++i)
        cards.push_back(sampleCard(i));
    Device d;
    d.pageFails = true;
    int printed = 0;
    QVERIFY(!listing::printListing(d.out, cards, listing::Pictograms{},
                                   [&](int done, int) { printed = done; }));
    QCOMPARE(d.pagesStarted, 1);
    QVERIFY(printed < 40);
}

QTEST_MAIN(TestListing)
#include "tst_listing.moc"
