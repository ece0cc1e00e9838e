#include "carddraw.h"
#include "cardlayout.h"
#include "cardpicture.h"
#include "database.h"
#include "pdftools.h"
#include "picturecompare.h"
#include "picturefile.h"
#include "samplecards.h"

#include "scripteddialogs.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUrl>

Q_DECLARE_METATYPE(CardView)

using picturefile::Format;
using picturefile::Kind;
using platform::Dialogs;
using platform::ScriptedDialogs;

namespace
{

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

CardView ethanol()
{
    CardView c = sampleCard(0);
    c.nom = QStringLiteral("Ethanol");
    c.formule = QStringLiteral("C#2H#5OH");
    c.hazards = {true, false, true, false};
    return c;
}

} // namespace

class TestPictureFile : public QObject
{
    Q_OBJECT
private slots:
    void formatOf_data();
    void formatOf();
    void pngIsTheCopiedPicture_data();
    void pngIsTheCopiedPicture();
    void largerPngIsDrawnLarger_data();
    void largerPngIsDrawnLarger();
    void svgHoldsTextAndVectors();
    void pdfHoldsTextAndVectors();
    void vectorPicturesShowEveryText_data();
    void vectorPicturesShowEveryText();
    void saveAs_data();
    void saveAs();
    void refusedWriteKeepsTheOldFile_data();
    void refusedWriteKeepsTheOldFile();
};

void TestPictureFile::formatOf_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("known");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("scale");
    QTest::newRow("png") << "/d/Eau.png" << true << int(Kind::Png) << 1;
    QTest::newRow("PNG") << "/d/Eau.PNG" << true << int(Kind::Png) << 1;
    QTest::newRow("twice") << "/d/Eau@2x.png" << true << int(Kind::Png) << 2;
    QTest::newRow("four times, any case") << "/d/eau@4X.Png" << true << int(Kind::Png) << 4;
    QTest::newRow("three times is plain") << "/d/Eau@3x.png" << true << int(Kind::Png) << 1;
    QTest::newRow("svg") << "/d/Eau.svg" << true << int(Kind::Svg) << 1;
    QTest::newRow("pdf") << "/d/Eau.PDF" << true << int(Kind::Pdf) << 1;
    QTest::newRow("jpeg") << "/d/Eau.jpg" << false << 0 << 0;
    QTest::newRow("no extension") << "/d/Eau" << false << 0 << 0;
    QTest::newRow("png inside") << "/d/Eau.png.txt" << false << 0 << 0;
    QTest::newRow("folder named .png") << "/d.png/Eau" << false << 0 << 0;
}

void TestPictureFile::formatOf()
{
    QFETCH(QString, name);
    QFETCH(bool, known);
    QFETCH(int, kind);
    QFETCH(int, scale);
    const std::optional<Format> format = picturefile::formatOf(name);
    QCOMPARE(format.has_value(), known);
    if (known)
        QCOMPARE(*format, (Format{Kind(kind), scale}));
}

void TestPictureFile::pngIsTheCopiedPicture_data()
{
    QTest::addColumn<CardView>("card");
    QTest::newRow("water") << water();
    QTest::newRow("ethanol, two hazards") << ethanol();
    for (int i : {3, 7, 10})
        QTest::newRow(qPrintable(QStringLiteral("sample %1").arg(i))) << sampleCard(i);
}

void TestPictureFile::pngIsTheCopiedPicture()
{
    // The PNG file at 1x is what "Co&pier" puts on the clipboard, pixel for pixel.
    QFETCH(CardView, card);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("carte.png"));
    QVERIFY(picturefile::writeCardPicture(card, file));
    QClipboard *clipboard = QGuiApplication::clipboard();
    copyCardPicture(card, clipboard);
    const QImage copied = clipboard->image().convertToFormat(QImage::Format_RGB32);
    const QImage saved = QImage(file, "PNG").convertToFormat(QImage::Format_RGB32);
    QCOMPARE(saved.size(), cardlayout::kFrame1Inner);
    QCOMPARE(saved, copied);
}

void TestPictureFile::largerPngIsDrawnLarger_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("2x") << 2;
    QTest::newRow("4x") << 4;
}

void TestPictureFile::largerPngIsDrawnLarger()
{
    // Twice or four times the size, drawn at that size: brought back to the
    // screen's size it shows the picture's things at the picture's places,
    // and its pictures are sharper than an enlargement (more distinct
    // colours in a pictogram than the picture has pixels to give).
    QFETCH(int, scale);
    const CardView card = ethanol();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Ethanol@%1x.png").arg(scale));
    QVERIFY(picturefile::writeCardPicture(card, file));
    const QImage saved = QImage(file, "PNG").convertToFormat(QImage::Format_RGB32);
    const QImage picture = carddraw::creimage(card);
    QCOMPARE(saved.size(), picture.size() * scale);
    const QImage back =
        saved.scaled(picture.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QStringList differences = picturecompare::differences(back, picture);
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join(u'\n')));
    // An enlargement would repeat each pixel scale x scale times.
    const QImage enlarged = picture.scaled(saved.size());
    QVERIFY(saved != enlarged);
    const QRect flame = cardlayout::rect(cardlayout::control("Image8(0)"));
    const QRect big(flame.topLeft() * scale, flame.size() * scale);
    int blocks = 0;
    int uniform = 0;
    for (int y = big.top(); y + scale <= big.bottom(); y += scale)
        for (int x = big.left(); x + scale <= big.right(); x += scale) {
            ++blocks;
            bool same = true;
            for (int dy = 0; dy < scale && same; ++dy)
                for (int dx = 0; dx < scale && same; ++dx)
                    same = saved.pixel(x + dx, y + dy) == saved.pixel(x, y);
            uniform += same;
        }
    QVERIFY2(uniform < blocks, "the pictogram is an enlargement");
}

void TestPictureFile::svgHoldsTextAndVectors()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Ethanol.svg"));
    QVERIFY(picturefile::writeCardPicture(ethanol(), file));
    const QString svg = QString::fromUtf8(readAll(file));
    QVERIFY(svg.startsWith(QStringLiteral("<?xml")));
    QVERIFY(svg.contains(QStringLiteral("<svg")));
    // The name as a text, not as shapes; pictures as paths, not embedded images.
    QVERIFY(svg.contains(QStringLiteral(">Ethanol</text>")));
    QVERIFY(svg.contains(QStringLiteral("<path")));
    QVERIFY(!svg.contains(QStringLiteral("<image")));
    QVERIFY(svg.contains(QStringLiteral("viewBox=\"0 0 461 485\"")));
}

void TestPictureFile::pdfHoldsTextAndVectors()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Ethanol.pdf"));
    const CardView card = ethanol();
    QVERIFY(picturefile::writeCardPicture(card, file));
    QCOMPARE(pdf::pages(file), 1);
    QString text = pdf::text(file, 1);
    text.remove(u' ');
    for (const char *t : {"Ethanol", "C2H5OH", "Organique", "10,02"})
        QVERIFY2(text.contains(QLatin1String(t)), t);
    QCOMPARE(pdf::images(file).uses, 0);
    // One page of the card's size, showing the card.
    const QImage page = pdf::render(file, 1, 96).convertToFormat(QImage::Format_RGB32);
    const QImage picture = carddraw::creimage(card);
    QVERIFY2(qAbs(page.width() - picture.width()) <= 1 &&
                 qAbs(page.height() - picture.height()) <= 1,
             qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));
    const QStringList differences = picturecompare::differences(page.copy(picture.rect()), picture);
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join(u'\n')));
}

void TestPictureFile::vectorPicturesShowEveryText_data()
{
    QTest::addColumn<QString>("renderer");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("slack"); // pixels a glyph may stand off the PNG's
    // The browser places a subscript a pixel nearer the glyph before it.
    for (const auto &[renderer, slack] :
         {std::pair{"rsvg-convert", 2}, {"chromium", 4}, {"pdftoppm", 2}})
        for (int scale : {1, 2})
            QTest::addRow("%s, %dx", renderer, scale) << renderer << scale << slack;
}

void TestPictureFile::vectorPicturesShowEveryText()
{
    // Every text of every bundled card, drawn from the SVG by librsvg and by
    // a browser and from the PDF by poppler, shows whole where the PNG of the
    // same size shows it.
    QFETCH(QString, renderer);
    QFETCH(int, scale);
    QFETCH(int, slack);
    if (QStandardPaths::findExecutable(renderer).isEmpty())
        QFAIL(qPrintable(renderer + QStringLiteral(" is not installed (scripts/install-deps.sh)")));
    const cards::CardsResult bundled =
        cards::Database(std::filesystem::path(CARTES_BUNDLED_DATABASE)).cards();
    QVERIFY(bundled.error == cards::IoError::None && bundled.cards.size() > 50);
    QTemporaryDir dir;
    const QSize size = cardlayout::kFrame1Inner;
    const QString suffix = renderer == u"pdftoppm" ? QStringLiteral("pdf") : QStringLiteral("svg");
    std::vector<QImage> drawn;
    // librsvg and poppler draw one file each, side by side, to their output.
    std::vector<std::unique_ptr<QProcess>> running;
    const std::size_t side = 2 * std::size_t(QThread::idealThreadCount());
    const auto collect = [&](std::size_t i) {
        running[i]->waitForFinished(60000);
        drawn.push_back(QImage::fromData(running[i]->readAllStandardOutput()));
    };
    for (std::size_t i = 0; i < bundled.cards.size(); ++i) {
        const QString vector = dir.filePath(QStringLiteral("%1.%2").arg(i).arg(suffix));
        QVERIFY(picturefile::writeCardPicture(cardViewOf(bundled.cards[i]), vector));
        if (renderer == u"chromium")
            continue;
        running.push_back(std::make_unique<QProcess>());
        running.back()->start(
            renderer, suffix == u"svg"
                          ? QStringList{"-z", QString::number(scale), vector}
                          : QStringList{"-singlefile", "-r", QString::number(96 * scale), vector});
        if (i >= side)
            collect(i - side);
    }
    for (std::size_t i = drawn.size(); i < running.size(); ++i)
        collect(i);
    // The browser draws twenty cards a page, five to a row.
    for (std::size_t first = 0; renderer == u"chromium" && first < bundled.cards.size();
         first += 20) {
        QString page = QStringLiteral("<body style='margin:0'>");
        for (std::size_t i = first; i < std::min(first + 20, bundled.cards.size()); ++i)
            page += QStringLiteral("<img src='%1.svg' style='position:absolute;left:%2px;"
                                   "top:%3px'>")
                        .arg(i)
                        .arg(size.width() * ((i - first) % 5))
                        .arg(size.height() * ((i - first) / 5));
        QFile html(dir.filePath(QStringLiteral("cards.html")));
        QVERIFY(html.open(QIODevice::WriteOnly) && html.write(page.toUtf8()) > 0);
        html.close();
        const QString shot = dir.filePath(QStringLiteral("cards%1.png").arg(first));
        QProcess browser;
        browser.start(
            renderer,
            {"--headless=new", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
             "--force-device-scale-factor=" + QString::number(scale),
             QStringLiteral("--window-size=%1,%2").arg(size.width() * 5).arg(size.height() * 4),
             "--screenshot=" + shot, QUrl::fromLocalFile(html.fileName()).toString()});
        QVERIFY(browser.waitForFinished(60000));
        const QImage all(shot);
        for (std::size_t i = first; i < std::min(first + 20, bundled.cards.size()); ++i)
            drawn.push_back(all.copy(QRect(
                QPoint(size.width() * int((i - first) % 5), size.height() * int((i - first) / 5)) *
                    scale,
                size * scale)));
    }
    QStringList failures;
    for (std::size_t i = 0; i < bundled.cards.size(); ++i) {
        const CardView card = cardViewOf(bundled.cards[i]);
        const QImage picture =
            QImage::fromData(picturefile::cardPictureBytes(card, {picturefile::Kind::Png, scale}))
                .convertToFormat(QImage::Format_RGB32);
        if (drawn[i].isNull())
            failures << card.nom + QStringLiteral(": not drawn");
        for (const QString &d : picturecompare::textDifferences(
                 drawn[i].convertToFormat(QImage::Format_RGB32).copy(picture.rect()), picture, card,
                 scale, slack))
            failures << card.nom + QStringLiteral(": ") + d;
    }
    QVERIFY2(failures.isEmpty(), qPrintable(QStringLiteral("%1 texts:\n").arg(failures.size()) +
                                            failures.mid(0, 8).join(u'\n')));
}

void TestPictureFile::saveAs_data()
{
    QTest::addColumn<QString>("existing");    // a file already there ("": none)
    QTest::addColumn<QStringList>("answers"); // file names ("" = cancel), "oui"/"non"
                                              // to "Ecraser", "?" an unknown format
    QTest::addColumn<QString>("written");     // the file written ("": none)
    QTest::newRow("png") << "" << QStringList{"a.png"} << "a.png";
    QTest::newRow("pdf") << "" << QStringList{"a.pdf"} << "a.pdf";
    QTest::newRow("cancelled") << "" << QStringList{""} << "";
    QTest::newRow("jpeg, then svg") << "" << QStringList{"a.jpg", "?", "a.svg"} << "a.svg";
    QTest::newRow("replace") << "a.png" << QStringList{"a.png", "oui"} << "a.png";
    QTest::newRow("keep, another name")
        << "a.png" << QStringList{"a.png", "non", "b@2x.png"} << "b@2x.png";
    QTest::newRow("keep, then cancel") << "a.png" << QStringList{"a.png", "non", ""} << "";
}

void TestPictureFile::saveAs()
{
    QFETCH(QString, existing);
    QFETCH(QStringList, answers);
    QFETCH(QString, written);
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    const QByteArray old("ancien contenu");
    if (!existing.isEmpty()) {
        QFile f(dir.filePath(existing));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    for (const QString &a : answers) {
        if (a == QLatin1String("oui") || a == QLatin1String("non"))
            dialogs.expectMessage(QStringLiteral("Ecraser le fichier existant ?"),
                                  a == QLatin1String("oui") ? Dialogs::Answer::Yes
                                                            : Dialogs::Answer::No);
        else if (a == QLatin1String("?"))
            dialogs.expectMessage(QStringLiteral("Format inconnu"), Dialogs::Answer::Ok);
        else
            dialogs.expectFile(a.isEmpty() ? std::nullopt : std::optional(dir.filePath(a)));
    }
    const CardView card = ethanol();
    const QString result = saveCardPictureAs(card, dialogs, nullptr, dir.path());
    QVERIFY2(dialogs.unexpected.isEmpty(), qPrintable(dialogs.unexpected.join(u'|')));
    QVERIFY(dialogs.allAnswered());
    const Dialogs::FileRequest &first = dialogs.shown.first().request;
    QCOMPARE(first.initialName, dir.filePath(QStringLiteral("Ethanol.png")));
    QVERIFY(first.save);
    QCOMPARE(result, written.isEmpty() ? QString() : dir.filePath(written));

    QStringList expectedFiles;
    if (!existing.isEmpty())
        expectedFiles << existing;
    if (!written.isEmpty() && written != existing)
        expectedFiles << written;
    expectedFiles.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name), expectedFiles);
    if (!existing.isEmpty() && existing != written)
        QCOMPARE(readAll(dir.filePath(existing)), old);
    if (!written.isEmpty())
        QCOMPARE(readAll(dir.filePath(written)),
                 picturefile::cardPictureBytes(card, *picturefile::formatOf(written)));
}

void TestPictureFile::refusedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("readOnlyFolder"); // else the name is a folder's
    QTest::newRow("read-only folder") << true;
    QTest::newRow("a folder of that name") << false;
}

void TestPictureFile::refusedWriteKeepsTheOldFile()
{
    // The picture cannot be written: the French message, what was there
    // kept as it was, nothing beside it.
    QFETCH(bool, readOnlyFolder);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("Eau.png"));
    if (readOnlyFolder) {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("ancien contenu");
        f.close();
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        if (QFile(dir.filePath(QStringLiteral("essai"))).open(QIODevice::WriteOnly)) {
            QFile::setPermissions(dir.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("running with rights that ignore permissions");
        }
    } else {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Eau.png")));
    }
    ScriptedDialogs dialogs;
    dialogs.expectFile(target);
    dialogs.expectMessage(QStringLiteral("Ecraser le fichier existant ?"), Dialogs::Answer::Yes);
    dialogs.expectMessage(QStringLiteral("Ecriture impossible"), Dialogs::Answer::Ok);
    QCOMPARE(saveCardPictureAs(water(), dialogs, nullptr, dir.path()), QString());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(dialogs.unexpected.isEmpty(), qPrintable(dialogs.unexpected.join(u'|')));
    QVERIFY(dialogs.allAnswered());
    QVERIFY(dialogs.shown.last().text.contains(QStringLiteral("n'a pas pu être écrit")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("Eau.png")});
    if (readOnlyFolder)
        QCOMPARE(readAll(target), QByteArray("ancien contenu"));
    else
        QVERIFY(QFileInfo(target).isDir() && QDir(target).isEmpty());
}

QTEST_MAIN(TestPictureFile)
#include "tst_picturefile.moc"
