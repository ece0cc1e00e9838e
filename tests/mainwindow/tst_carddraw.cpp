#include "carddraw.h"
#include "cardlayout.h"
#include "svgpicture.h"

#include <QPainter>
#include <QTest>

namespace
{

std::array<QRect, 7> designedBoxes()
{
    std::array<QRect, 7> boxes;
    for (int k = 0; k < 7; ++k)
        boxes[k] = cardlayout::rect(
            cardlayout::control(("Text3(" + QByteArray::number(k) + ')').constData()));
    return boxes;
}

bool isDark(QRgb c)
{
    return qGray(c) < 128;
}

int darkPixels(const QImage &image, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += isDark(image.pixel(x, y));
    return n;
}

bool allWhite(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

} // namespace

class TestCardDraw : public QObject
{
    Q_OBJECT
private slots:
    void fontsInPixels_data();
    void fontsInPixels();
    void gradient_data();
    void gradient();
    void shadowAndHeading();
    void unitMarks_data();
    void unitMarks();
    void unitsFollowTheBoxes();
    void pictures();
    void buttonIcons();
};

void TestCardDraw::fontsInPixels_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<double>("points");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pixels");
    QTest::newRow("default") << "MS Sans Serif" << 8.25 << "Liberation Sans" << 11;
    QTest::newRow("formula") << "Arial" << 12.0 << "Liberation Sans" << 16;
    QTest::newRow("scripts") << "Arial" << 8.0 << "Liberation Sans" << 11;
    QTest::newRow("serif") << "Times new roman" << 10.0 << "Liberation Serif" << 13;
}

void TestCardDraw::fontsInPixels()
{
    QFETCH(QString, face);
    QFETCH(double, points);
    QFETCH(QString, family);
    QFETCH(int, pixels);
    const QFont f = cardlayout::font(face.toLatin1().constData(), points, false);
    QCOMPARE(f.family(), family);
    QCOMPARE(f.pixelSize(), pixels);
}

void TestCardDraw::gradient_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("top") << 0 << QColor(255, 255, 255);
    QTest::newRow("middle, halves to even") << 300 << QColor(228, 228, 218);
    QTest::newRow("bottom") << 600 << QColor(200, 200, 180);
}

void TestCardDraw::gradient()
{
    QFETCH(int, line);
    QFETCH(QColor, colour);
    QCOMPARE(QColor(carddraw::gradientColour(line)), colour);
    QImage image(800, 601, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter p(&image);
    carddraw::paintWindowBackground(p, QRect(16, 56, 465, 489), 500);
    p.end();
    QCOMPARE(image.pixelColor(5, line), colour);
    QCOMPARE(image.pixelColor(799, line), colour);
}

void TestCardDraw::shadowAndHeading()
{
    QImage image(800, 601, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter p(&image);
    carddraw::paintWindowBackground(p, QRect(16, 56, 465, 489), 500);
    // The panel itself, as the window paints it over the shadow.
    p.fillRect(QRect(16, 56, 465, 489), Qt::white);
    p.end();
    const QColor grey(128, 128, 128);
    // Right of the panel: x 481..484 from y 59; below it: y 545..548 from x 19.
    QCOMPARE(image.pixelColor(481, 300), grey);
    QCOMPARE(image.pixelColor(484, 300), grey);
    QCOMPARE(image.pixelColor(485, 300), QColor(carddraw::gradientColour(300)));
    QCOMPARE(image.pixelColor(481, 58), QColor(carddraw::gradientColour(58)));
    QCOMPARE(image.pixelColor(300, 545), grey);
    QCOMPARE(image.pixelColor(300, 548), grey);
    QCOMPARE(image.pixelColor(18, 546), QColor(carddraw::gradientColour(546)));
    QCOMPARE(image.pixelColor(484, 548), grey);

    // The heading: a dark copy with a light one a pixel right of and below it.
    bool dark = false;
    bool light = false;
    for (int y = 100; y < 125; ++y) {
        for (int x = 498; x < 620; ++x) {
            dark = dark || image.pixelColor(x, y) == QColor(128, 128, 0);
            light = light || image.pixelColor(x, y) == QColor(192, 192, 192);
        }
    }
    QVERIFY(dark);
    QVERIFY(light);
}

void TestCardDraw::unitMarks_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("before"); // painted first, "" for none
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("unit");
    QTest::newRow("empty molar mass") << 0 << ""
                                      << "" << true;
    QTest::newRow("volumic mass") << 1 << ""
                                  << "1000" << true;
    QTest::newRow("boiling") << 3 << ""
                             << "100" << true;
    QTest::newRow("melting") << 4 << ""
                             << "0" << true;
    QTest::newRow("miscible") << 6 << ""
                              << "miscible" << false;
    QTest::newRow("Miscible") << 6 << ""
                              << "Miscible" << true;
    QTest::newRow("miscible and a space") << 6 << ""
                                          << "miscible " << true;
    QTest::newRow("number then miscible") << 6 << "12"
                                          << "miscible" << false;
    QTest::newRow("density has no unit") << 2 << ""
                                         << "0,8" << false;
    QTest::newRow("refraction has no unit") << 5 << ""
                                            << "1,33" << false;
}

void TestCardDraw::unitMarks()
{
    QFETCH(int, box);
    QFETCH(QString, before);
    QFETCH(QString, text);
    QFETCH(bool, unit);
    const auto boxes = designedBoxes();
    const QSize size = cardlayout::kFrame1Inner;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    std::array<QString, 7> texts;
    if (!before.isEmpty()) {
        texts[box] = before;
        carddraw::paintUnitMarks(p, boxes, texts, size.width());
    }
    texts[box] = text;
    carddraw::paintUnitMarks(p, boxes, texts, size.width());
    p.end();
    const QRect area(433, boxes[box].top() - 2, size.width() - 433, 19);
    if (unit)
        QVERIFY(darkPixels(image, area) > 10);
    else
        QVERIFY(allWhite(image, area));
}

void TestCardDraw::unitsFollowTheBoxes()
{
    // The editor narrows a box to its text: the unit follows it, and the band
    // erases what stood right of the box before.
    auto boxes = designedBoxes();
    const QSize size = cardlayout::kFrame1Inner;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    boxes[0].setWidth(40);
    carddraw::paintUnitMarks(p, boxes, {}, size.width());
    p.end();
    const int right = boxes[0].left() + 40;
    QVERIFY(darkPixels(image, QRect(right, 196, 50, 17)) > 10);
    QVERIFY(allWhite(image, QRect(right + 60, 194, size.width() - right - 60, 19)));
}

void TestCardDraw::pictures()
{
    const QStringList names{"flamme",  "corrosion",   "croix",         "tete-de-mort", "oeil",
                            "balance", "thermometre", "ampoule",       "becher",       "poubelle",
                            "verrou",  "pointeur",    "cartes-especes"};
    for (const QString &name : names) {
        const QPixmap pixmap =
            carddraw::picture(QStringLiteral(":/pictures/%1.svg").arg(name), QSize(20, 20));
        const QImage image = pixmap.toImage();
        bool drawn = false;
        for (int y = 0; y < image.height() && !drawn; ++y)
            for (int x = 0; x < image.width() && !drawn; ++x)
                drawn = qAlpha(image.pixel(x, y)) > 0;
        QVERIFY2(drawn, qPrintable(name));
    }
    // The hazard pictograms are orange squares, edge to edge.
    const QImage flame =
        carddraw::picture(QStringLiteral(":/pictures/flamme.svg"), QSize(66, 66)).toImage();
    QCOMPARE(flame.pixelColor(4, 4), QColor(0xf7, 0x94, 0x1d));
    QCOMPARE(flame.pixelColor(0, 0).alpha(), 255);
    QCOMPARE(flame.pixelColor(65, 65).alpha(), 255);
    QCOMPARE(carddraw::quantityCursor().hotSpot(), QPoint(2, 29));
}

void TestCardDraw::buttonIcons()
{
    // The buttons' icons are our pictures at the size asked, greyed when the
    // button is disabled, whatever icon plug-ins the computer has.
    for (const char *name : {"btn-valider", "btn-imprimer", "btn-fermer", "exp-expedier"}) {
        const QString resource = QStringLiteral(":/pictures/%1.svg").arg(QLatin1String(name));
        const QIcon icon = svgIcon(resource);
        QVERIFY(!icon.isNull());
        for (int size : {16, 32}) {
            const QImage normal = icon.pixmap(QSize(size, size), 1.0).toImage();
            QCOMPARE(normal.convertToFormat(QImage::Format_ARGB32),
                     svgPicture(resource, QSize(size, size))
                         .toImage()
                         .convertToFormat(QImage::Format_ARGB32));
            const QImage disabled = icon.pixmap(QSize(size, size), 1.0, QIcon::Disabled)
                                        .toImage()
                                        .convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(disabled.size(), normal.size());
            int coloured = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const QColor c = disabled.pixelColor(x, y);
                    coloured += c.alpha() > 0 && c.saturation() > 40 ? 1 : 0;
                }
            QVERIFY2(coloured == 0, name);
        }
        // Painted on a screen of two device pixels per pixel, the icon is drawn
        // at that screen's resolution.
        QImage screen(32, 32, QImage::Format_ARGB32_Premultiplied);
        screen.setDevicePixelRatio(2.0);
        screen.fill(Qt::transparent);
        QPainter p(&screen);
        icon.paint(&p, QRect(0, 0, 16, 16));
        p.end();
        screen.setDevicePixelRatio(1.0);
        QCOMPARE(
            screen.convertToFormat(QImage::Format_ARGB32),
            svgPicture(resource, QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32));
    }
}

QTEST_MAIN(TestCardDraw)
#include "tst_carddraw.moc"
