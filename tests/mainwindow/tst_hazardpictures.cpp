// The hazard pictograms' two styles, through the real main window: the orange
// squares (the default) and the CLP diamonds with GHS09 for water pollution.
// - On the screen card, the card picture and the listing, each card shows
//   exactly the pictures of its hazards in the chosen style, and GHS09 only in
//   the GHS style when water pollution is set; every other pixel is what the
//   orange style draws, and the orange style draws what it always drew.
// - The choice made in the card panel's context menu is kept for the next
//   window; a settings file that cannot be read or written loses nothing.

#include "carddraw.h"
#include "cardlayout.h"
#include "confimp.h"
#include "hazardpictures.h"
#include "listing.h"
#include "mainwindowfixture.h"
#include "pdftools.h"
#include "printsource.h"
#include "windowprintsource.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>

using namespace fixture;
using hazardpictures::Style;

namespace
{

const QString kOrangeStyle = QStringLiteral("pictogrammesOrange");
const QString kGhsStyle = QStringLiteral("pictogrammesSGH");

bool isRed(QRgb c)
{
    return qRed(c) > 190 && qGreen(c) < 50 && qBlue(c) < 70;
}

bool isOrange(QRgb c)
{
    return std::abs(qRed(c) - 0xf7) < 12 && std::abs(qGreen(c) - 0x94) < 12 &&
           std::abs(qBlue(c) - 0x1d) < 12;
}

int count(const QImage &image, const QRect &area, bool (*test)(QRgb))
{
    int n = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            n += test(image.pixel(x, y));
    return n;
}

// The picture the orange style has always drawn for hazard k: the layout's own.
QString layoutPicture(int k)
{
    const QByteArray name = "Image8(" + QByteArray::number(k) + ')';
    return QString::fromUtf8(cardlayout::control(name.constData()).caption);
}

const std::array<QString, 4> kGhsPictures{
    QStringLiteral(":/pictures/ghs02.svg"), QStringLiteral(":/pictures/ghs05.svg"),
    QStringLiteral(":/pictures/ghs07.svg"), QStringLiteral(":/pictures/ghs06.svg")};
const QString kGhs09 = QStringLiteral(":/pictures/ghs09.svg");

QString expectedPicture(Style style, int k)
{
    return style == Style::Ghs ? kGhsPictures[std::size_t(k)] : layoutPicture(k);
}

// The first pixel where two images differ, or "" when they are the same.
QString firstDifference(const QImage &a, const QImage &b, const QRect &area)
{
    if (a.copy(area) == b.copy(area))
        return {};
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("(%1, %2): %3 for %4")
                    .arg(x)
                    .arg(y)
                    .arg(a.pixel(x, y), 8, 16)
                    .arg(b.pixel(x, y), 8, 16);
    return {};
}

// A card of the generated database: its hazards and pollution targets from
// its number. Air and soil pollution come and go without water, so that
// only water can be what brings GHS09.
cards::carte combination(int hazards, bool water)
{
    std::string flags = "01";
    for (int k = 0; k < 4; ++k)
        flags += (hazards >> k) & 1 ? '1' : '0';
    flags += hazards % 2 ? '1' : '0';
    flags += water ? '1' : '0';
    flags += hazards % 3 == 0 ? '1' : '0';
    flags += '0';
    cards::carte c = card("", "18", flags.c_str());
    c.nom() = "espèce " + flags;
    return c;
}

std::vector<cards::carte> allCombinations()
{
    std::vector<cards::carte> out;
    for (int hazards = 0; hazards < 16; ++hazards)
        for (bool water : {false, true})
            out.push_back(combination(hazards, water));
    return out;
}

// How one card disagrees with the pictures its style asks for, on the screen,
// the card picture and the listing; empty when it does not.
class PictogramCheck
{
public:
    explicit PictogramCheck(Style style) : style_(style), pictograms_(listing::Pictograms::load())
    {
    }

    QStringList check(const CardEditor &e)
    {
        const CardView view = e.view();
        QStringList out;
        if (view.pictogramStyle != style_)
            out << QStringLiteral("the card view says another style");
        // Each hazard set shows its picture, but GHS07 not beside GHS06 (CLP, article 26).
        const cards::Flags set = cards::decodeFlags(e.card().drapeaux());
        for (int k = 0; k < 4; ++k) {
            const bool shown =
                set.hazard(k) == 1 && !(style_ == Style::Ghs && k == 2 && set.hazard(3) == 1);
            if (view.hazards[std::size_t(k)] != shown)
                out << QStringLiteral("hazard %1 shown: %2").arg(k).arg(!shown);
        }
        const bool ghs09 = style_ == Style::Ghs && view.polu[1];
        out << screen(e, view, ghs09) << picture(view, ghs09) << printed(view, ghs09);
        return out;
    }

private:
    // The hazard row and GHS09's place on the panel: white but for the
    // pictures expected, each where the editor lined it up.
    QStringList screen(const CardEditor &e, const CardView &view, bool ghs09)
    {
        QStringList out;
        const QImage shown = e.Frame1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QImage expected(shown.size(), QImage::Format_RGB32);
        expected.fill(Qt::white);
        QPainter p(&expected);
        for (int k = 0; k < 4; ++k) {
            const QLabel *label = e.Image8[std::size_t(k)];
            if (label->isHidden() == view.hazards[std::size_t(k)])
                out << QStringLiteral("screen: Image8(%1) shown %2").arg(k).arg(!label->isHidden());
            if (view.hazards[std::size_t(k)])
                p.drawPixmap(label->pos(),
                             carddraw::picture(expectedPicture(style_, k), label->size()));
        }
        if (e.GHS09->isHidden() == ghs09)
            out << QStringLiteral("screen: GHS09 shown %1").arg(!e.GHS09->isHidden());
        const QRect place = hazardpictures::kEnvironmentPlace;
        if (ghs09)
            p.drawPixmap(place.topLeft(), carddraw::picture(kGhs09, place.size()));
        p.end();
        const QRect row(160, 62, shown.width() - 160, 66);
        for (const QRect &area : {row, place})
            if (const QString d = firstDifference(shown, expected, area); !d.isEmpty())
                out << QStringLiteral("screen at ") + d;
        return out;
    }

    // The whole card picture: what the orange style draws without any
    // pictogram, with the expected pictures at the layout's places.
    QStringList picture(const CardView &view, bool ghs09)
    {
        CardView bare = view;
        bare.hazards = {};
        bare.pictogramStyle = Style::Orange;
        QImage expected = carddraw::creimage(bare);
        QPainter p(&expected);
        for (int k = 0; k < 4; ++k) {
            if (!view.hazards[std::size_t(k)])
                continue;
            const QByteArray name = "Image8(" + QByteArray::number(k) + ')';
            const QRect place = cardlayout::rect(cardlayout::control(name.constData()));
            p.drawPixmap(place.topLeft(),
                         carddraw::picture(expectedPicture(style_, k), place.size()));
        }
        if (ghs09)
            p.drawPixmap(hazardpictures::kEnvironmentPlace.topLeft(),
                         carddraw::picture(kGhs09, hazardpictures::kEnvironmentPlace.size()));
        p.end();
        const QImage image = carddraw::creimage(view);
        if (const QString d = firstDifference(image, expected, image.rect()); !d.isEmpty())
            return {QStringLiteral("picture at ") + d};
        return {};
    }

    // The card block alone on a page: the pictogram row holds the expected
    // pictures side by side from W / 10, and nothing after them.
    QStringList printed(const CardView &view, bool ghs09)
    {
        std::vector<listing::Run> runs;
        const QImage page = printBlock(view, &runs);
        const auto aspect = std::find_if(runs.begin(), runs.end(), [](const listing::Run &r) {
            return r.text == QLatin1String("Organique") || r.text == QLatin1String("Inorganique") ||
                   r.text == QStringLiteral("Aspect ( 1 atm ; 20 °C ) : ");
        });
        if (aspect == runs.end())
            return {QStringLiteral("listing: no line below the pictograms")};
        const double y1 = aspect->y - listing::kPictogramSize - listing::kPictogramGap;

        // The row as it should be: the card printed without hazards in the
        // orange style, the expected pictures drawn over it.
        std::vector<const QImage *> row;
        for (std::size_t k = 0; k < 4; ++k)
            if (view.hazards[k])
                row.push_back(style_ == Style::Ghs ? &ghsImages_[k] : &pictograms_.images[k]);
        if (ghs09)
            row.push_back(&ghs09Image_);
        CardView bare = view;
        bare.hazards = {};
        bare.pictogramStyle = Style::Orange;
        QImage expected = printBlock(bare, nullptr);
        const QRectF band(0, y1, kPage.width(), listing::kPictogramSize);
        QPainter p(&expected);
        double x = kPage.width() / 10.0;
        for (const QImage *image : row) {
            p.drawImage(QRectF(x, y1, listing::kPictogramSize, listing::kPictogramSize), *image);
            x += listing::kPictogramSize + listing::kPictogramGap;
        }
        p.end();
        const QRect area = band.toAlignedRect().intersected(page.rect());
        if (const QString d = firstDifference(page, expected, area); !d.isEmpty())
            return {QStringLiteral("listing at ") + d};
        const int red = count(page, area, isRed);
        const int orange = count(page, area, isOrange);
        if ((style_ == Style::Ghs) != (red > 0) && !row.empty())
            return {QStringLiteral("listing: %1 red pixels").arg(red)};
        if ((style_ == Style::Orange) != (orange > 0) && !row.empty())
            return {QStringLiteral("listing: %1 orange pixels").arg(orange)};
        return {};
    }

    // As wide as an A4 page at 96 dpi, and high enough for one card block.
    static constexpr QSize kPage{794, 560};

    // The card block alone on a page of a 96 dpi printer.
    QImage printBlock(const CardView &view, std::vector<listing::Run> *runs) const
    {
        QImage page(kPage, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        listing::PageWriter out(painter, QSizeF(kPage), [] { return true; });
        out.journal = runs;
        listing::printCardBlock(out, view, pictograms_);
        return page;
    }

    // The printed pictures, rendered here from the files, not from the code
    // under test's choice.
    static QImage printImage(const QString &resource)
    {
        return carddraw::picture(resource, QSize(264, 264)).toImage();
    }

    Style style_;
    listing::Pictograms pictograms_;
    std::array<QImage, 4> ghsImages_{printImage(kGhsPictures[0]), printImage(kGhsPictures[1]),
                                     printImage(kGhsPictures[2]), printImage(kGhsPictures[3])};
    QImage ghs09Image_ = printImage(kGhs09);
};

// A config folder of the test's own, so that the machine's settings play no part.
struct ConfigHome {
    QTemporaryDir dir;
    ConfigHome() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path())); }
    QString file() const
    {
        return dir.filePath(QStringLiteral("cartes-especes/cartes-especes.conf"));
    }
};

// The first page of a real PDF printed by the print dialog from a window on
// `card` alone, at 96 dpi; a null image when it could not be printed.
QImage printedPage(const cards::carte &card, bool database)
{
    Window t({card});
    t.open();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    WindowSource source(*t.w);
    {
        confimp dialog(source, t.dialogs, printer, nullptr);
        (database ? dialog.Option2 : dialog.Option1)->setChecked(true);
        dialog.Command1->click();
        if (dialog.result() != QDialog::Accepted)
            return {};
    }
    if (!database)
        return pdf::render(file, 1, 96).convertToFormat(QImage::Format_RGB32);
    // The listing's pictograms are 66 printer pixels wide: the top left of
    // the page, where its card block stands, at the printer's resolution.
    const int dpi = printer.resolution();
    const QString png = dir.filePath(QStringLiteral("row"));
    pdf::run(QStringLiteral("pdftoppm"),
             {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
              QStringLiteral("-singlefile"), QStringLiteral("-png"), QStringLiteral("-r"),
              QString::number(dpi), QStringLiteral("-x"), QStringLiteral("0"), QStringLiteral("-y"),
              QStringLiteral("0"), QStringLiteral("-W"), QString::number(dpi * 3 / 2),
              QStringLiteral("-H"), QString::number(dpi * 2), file, png});
    return QImage(png + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

QAction *styleAction(const CardEditor &e, const QString &name)
{
    return e.cardMenu->findChild<QAction *>(name);
}

} // namespace

class TestHazardPictures : public QObject
{
    Q_OBJECT
private slots:
    // ctest runs each of these functions on its own (tests/mainwindow/CMakeLists.txt
    // names them): a new one is named there too.
    void initTestCase();
    void pictureLooks_data();
    void pictureLooks();
    void everyCombination_data();
    void everyCombination();
    void bundledDatabase();
    void choiceKeptForTheNextWindow();
    void unreadableSettingsShowOrange_data();
    void unreadableSettingsShowOrange();
    void unwritableSettingsStillShowTheChoice();
    void contextMenuOnTheCard_data();
    void contextMenuOnTheCard();
    void printedPdf_data();
    void printedPdf();

private:
    void checkEveryCard(Window &t, Style style);
    QString bundled_;
};

void TestHazardPictures::initTestCase()
{
    QLocale::setDefault(QLocale::c());
#ifdef CARTES_BUNDLED_DATABASE
    bundled_ = QStringLiteral(CARTES_BUNDLED_DATABASE);
#endif
}

void TestHazardPictures::pictureLooks_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<bool>("diamond");
    for (int k = 0; k < 4; ++k) {
        QTest::addRow("orange %d", k) << layoutPicture(k) << false;
        QTest::addRow("GHS %d", k) << kGhsPictures[std::size_t(k)] << true;
    }
    QTest::newRow("GHS09") << kGhs09 << true;
}

void TestHazardPictures::pictureLooks()
{
    // Drawn large on green, so that what the picture leaves transparent shows.
    QFETCH(QString, resource);
    QFETCH(bool, diamond);
    constexpr int s = 264;
    QImage image(s, s, QImage::Format_RGB32);
    image.fill(qRgb(0, 255, 0));
    QPainter p(&image);
    p.drawPixmap(0, 0, carddraw::picture(resource, QSize(s, s)));
    p.end();
    const auto at = [&image](double x, double y) { return image.pixel(int(x * s), int(y * s)); };
    const QRect all = image.rect();
    const QRect middle(s / 4, s / 4, s / 2, s / 2);
    const int black = count(image, middle, [](QRgb c) { return qGray(c) < 40; });
    QVERIFY2(black > middle.width() * middle.height() / 20, "a black symbol in the middle");
    if (diamond) {
        // A square turned by 45 degrees: its corners are not painted, the
        // middle of each side of the square is its red border's tip, and
        // the symbol stands on white.
        for (QPointF corner : {QPointF(0.03, 0.03), QPointF(0.97, 0.03), QPointF(0.03, 0.97),
                               QPointF(0.97, 0.97), QPointF(0.2, 0.2), QPointF(0.8, 0.8)})
            QCOMPARE(at(corner.x(), corner.y()), qRgb(0, 255, 0));
        for (QPointF tip : {QPointF(0.5, 0.04), QPointF(0.96, 0.5), QPointF(0.5, 0.96),
                            QPointF(0.04, 0.5), QPointF(0.27, 0.27), QPointF(0.73, 0.73)})
            QVERIFY2(isRed(at(tip.x(), tip.y())),
                     qPrintable(QStringLiteral("red at %1, %2").arg(tip.x()).arg(tip.y())));
        QCOMPARE(at(0.5, 0.15), qRgb(255, 255, 255));
        QCOMPARE(count(image, all, isOrange), 0);
    } else {
        QVERIFY(count(image, all, isOrange) > s * s / 3);
        QCOMPARE(count(image, all, isRed), 0);
    }
}

void TestHazardPictures::everyCombination_data()
{
    QTest::addColumn<int>("styleNumber");
    QTest::newRow("orange") << int(Style::Orange);
    QTest::newRow("GHS") << int(Style::Ghs);
}

void TestHazardPictures::everyCombination()
{
    QFETCH(int, styleNumber);
    ConfigHome config;
    Window t(allCombinations());
    checkEveryCard(t, Style(styleNumber));
}

void TestHazardPictures::bundledDatabase()
{
    // In the GHS style: tst_roundtrip holds the orange squares to the
    // bundled cards, and every combination above to what they always were.
    if (bundled_.isEmpty() || !QFile::exists(bundled_))
        QSKIP("the bundled database was not built");
    ConfigHome config;
    Window t({}, false);
    const QString copy = t.path(QString::fromUtf8(cards::kDatabaseFileName));
    QVERIFY(QFile::copy(bundled_, copy));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    checkEveryCard(t, Style::Ghs);
}

void TestHazardPictures::checkEveryCard(Window &t, Style style)
{
    if (style == Style::Ghs)
        QVERIFY(hazardpictures::saveStyle(style));
    t.open();
    t.w->show();
    QCOMPARE(t.editor().pictogramStyle(), style);

    PictogramCheck check(style);
    QStringList failures;
    int waterAndHazards = 0;
    for (int r = 1; r < t.list().rows(); ++r) {
        t.list().setRow(r, true);
        const CardView view = t.editor().view();
        waterAndHazards +=
            view.polu[1] && std::count(view.hazards.begin(), view.hazards.end(), true);
        if (const QStringList d = check.check(t.editor()); !d.isEmpty())
            failures << QStringLiteral("[%1] %2").arg(t.shownName(), d.join(QStringLiteral(", ")));
    }
    QVERIFY2(t.list().rows() > 16, "the database has cards");
    QVERIFY2(waterAndHazards > 0, "some card has hazards and pollutes water");
    QVERIFY2(failures.isEmpty(), qPrintable(QStringLiteral("%1 cards:\n").arg(failures.size()) +
                                            failures.mid(0, 6).join(QLatin1Char('\n'))));
    QVERIFY2(t.dialogs.unexpected.isEmpty(), qPrintable(t.dialogs.unexpected.join('\n')));
}

void TestHazardPictures::choiceKeptForTheNextWindow()
{
    ConfigHome config;
    const cards::carte sample = combination(0b1111, true);
    {
        Window t({sample});
        t.open();
        CardEditor &e = t.editor();
        QCOMPARE(e.pictogramStyle(), Style::Orange);
        QVERIFY(styleAction(e, kOrangeStyle)->isChecked());
        QVERIFY(e.GHS09->isHidden());
        styleAction(e, kGhsStyle)->trigger();
        // At once on the card shown, without a change to the card itself.
        QCOMPARE(e.pictogramStyle(), Style::Ghs);
        QVERIFY(!e.GHS09->isHidden());
        QVERIFY(styleAction(e, kGhsStyle)->isChecked());
        QVERIFY(!styleAction(e, kOrangeStyle)->isChecked());
        // The window's other commands in the same menu are left as they are.
        for (const QAction *action : e.cardMenu->actions())
            QCOMPARE(action->isChecked(), action == styleAction(e, kGhsStyle));
        QVERIFY(!e.modifie);
        QCOMPARE(e.view().pictogramStyle, Style::Ghs);
        QVERIFY(QFile::exists(config.file()));
    }
    {
        Window t({sample});
        t.open();
        CardEditor &e = t.editor();
        QCOMPARE(e.pictogramStyle(), Style::Ghs);
        QVERIFY(styleAction(e, kGhsStyle)->isChecked());
        QVERIFY(!e.GHS09->isHidden());
        // Water pollution unchecked, then checked again.
        e.polu[1]->click();
        QVERIFY(e.GHS09->isHidden());
        e.polu[1]->click();
        QVERIFY(!e.GHS09->isHidden());
        // "non polluant" unchecks the three boxes.
        e.Option3->click();
        QVERIFY(e.GHS09->isHidden());
        styleAction(e, kOrangeStyle)->trigger();
        QVERIFY(t.dialogs.unexpected.isEmpty());
    }
    Window t({sample});
    t.open();
    QCOMPARE(t.editor().pictogramStyle(), Style::Orange);
    QVERIFY(t.editor().GHS09->isHidden());
}

void TestHazardPictures::unreadableSettingsShowOrange_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("another value") << QByteArray("[carte]\npictogrammes=bleu\n");
    QTest::newRow("another key") << QByteArray("[carte]\npictos=sgh\n");
    QTest::newRow("not a settings file") << QByteArray("\x00\xff\x01[[[=\n\x80sgh", 11);
}

void TestHazardPictures::unreadableSettingsShowOrange()
{
    QFETCH(QByteArray, content);
    ConfigHome config;
    QVERIFY(QDir().mkpath(QFileInfo(config.file()).absolutePath()));
    QFile file(config.file());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    Window t({combination(0b0101, true)});
    t.open();
    QCOMPARE(t.editor().pictogramStyle(), Style::Orange);
    QVERIFY(t.editor().GHS09->isHidden());
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

void TestHazardPictures::unwritableSettingsStillShowTheChoice()
{
    // The config folder's place is taken by a file: nothing can be kept.
    ConfigHome config;
    const QString blocker = config.dir.filePath(QStringLiteral("fichier"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker));
    {
        Window t({combination(0b1000, true)});
        t.open();
        t.dialogs.expectMessage(QStringLiteral("Pictogrammes de danger"), Answer::Ok);
        styleAction(t.editor(), kGhsStyle)->trigger();
        QVERIFY(t.dialogs.allAnswered());
        QVERIFY(t.dialogs.unexpected.isEmpty());
        const auto &shown = t.dialogs.shown.back();
        QVERIFY2(shown.text.contains(QStringLiteral("cartes-especes.conf")),
                 qPrintable(shown.text));
        // The window shows the choice all the same, until it closes.
        QCOMPARE(t.editor().pictogramStyle(), Style::Ghs);
        QVERIFY(!t.editor().GHS09->isHidden());
    }
    Window t({combination(0b1000, true)});
    t.open();
    QCOMPARE(t.editor().pictogramStyle(), Style::Orange);
}

void TestHazardPictures::contextMenuOnTheCard_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("locked");
    QTest::newRow("a pictogram") << QStringLiteral("Image8(3)") << false;
    QTest::newRow("a pictogram of a locked card") << QStringLiteral("Image8(3)") << true;
    QTest::newRow("a label of a locked card") << QStringLiteral("Label5") << true;
    QTest::newRow("the panel itself") << QStringLiteral("Frame1") << false;
}

void TestHazardPictures::contextMenuOnTheCard()
{
    QFETCH(QString, where);
    QFETCH(bool, locked);
    ConfigHome config;
    cards::carte c = combination(0b1000, false);
    if (locked)
        c.drapeaux().back() = '1';
    Window t({c});
    t.open();
    t.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.w.get()));
    CardEditor &e = t.editor();
    QCOMPARE(e.locked(), locked);
    QWidget *target =
        where == QLatin1String("Frame1") ? e.Frame1 : e.Frame1->findChild<QWidget *>(where);
    QVERIFY(target);
    QVERIFY(!target->isHidden());
    const QPoint at(2, 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    QTRY_VERIFY(e.cardMenu->isVisible());
    e.cardMenu->close();
}

void TestHazardPictures::printedPdf_data()
{
    QTest::addColumn<int>("styleNumber");
    QTest::addColumn<bool>("database");
    QTest::newRow("card, orange") << int(Style::Orange) << false;
    QTest::newRow("card, GHS") << int(Style::Ghs) << false;
    QTest::newRow("listing, orange") << int(Style::Orange) << true;
    QTest::newRow("listing, GHS") << int(Style::Ghs) << true;
}

void TestHazardPictures::printedPdf()
{
    // The same species printed with its four hazards and water pollution,
    // then with none: what the pictograms add to the page is red in the GHS
    // style (five diamonds) and orange in the orange style (four squares),
    // and nothing of the other style's colour.
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("pdftoppm (poppler-utils) is not installed");
    QFETCH(int, styleNumber);
    QFETCH(bool, database);
    ConfigHome config;
    QVERIFY(hazardpictures::saveStyle(Style(styleNumber)));
    cards::carte all = combination(0b1111, true);
    cards::carte none = combination(0, false);
    none.nom() = all.nom();
    const QImage with = printedPage(all, database);
    const QImage without = printedPage(none, database);
    QVERIFY(!with.isNull() && !without.isNull());
    const int red = count(with, with.rect(), isRed) - count(without, without.rect(), isRed);
    const int orange =
        count(with, with.rect(), isOrange) - count(without, without.rect(), isOrange);
    // A 66-pixel diamond's border alone covers several hundred pixels.
    const int one = 300;
    if (Style(styleNumber) == Style::Ghs) {
        QVERIFY2(red > 5 * one, qPrintable(QString::number(red)));
        QCOMPARE(orange, 0);
    } else {
        QVERIFY2(orange > 4 * one, qPrintable(QString::number(orange)));
        QCOMPARE(red, 0);
    }
}

QTEST_MAIN(TestHazardPictures)
#include "tst_hazardpictures.moc"
