// The help window on the real compiled help, opened from the main window's
// buttons as the user opens it.

#include "helpviewer.h"
#include "helpwindow.h"
#include "mainwindowfixture.h"

#include <QFile>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResult>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>

using namespace fixture;

namespace
{

const QString kHelp = QStringLiteral(CARTES_HELP_QCH);
const QString kSource = QStringLiteral(CARTES_HELP_SOURCE);

// The "|"-separated lines of a list of data/help, comments left out.
QList<QStringList> listLines(const QString &name)
{
    QFile f(QDir(kSource).filePath(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QStringList> out;
    for (const QString &line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        const QString l = line.trimmed();
        if (!l.isEmpty() && !l.startsWith(QLatin1Char('#')))
            out << l.split(QLatin1Char('|'));
    }
    return out;
}

QString pageOf(const QUrl &url)
{
    return url.path().section(QStringLiteral("/doc/"), 1) +
           (url.hasFragment() ? QLatin1Char('#') + url.fragment() : QString());
}

// A main window on three cards whose help buttons open the real help.
struct HelpFixture {
    QTemporaryDir dir;
    QTemporaryDir cache;
    platform::ScriptedDialogs dialogs;
    FakeDialUp dialUp;
    help::HelpViewer viewer;
    std::unique_ptr<feuilleP> w;

    explicit HelpFixture(const QString &compiled = kHelp)
        : viewer(compiled, cache.filePath(QStringLiteral("aide")), dialogs)
    {
        writeDatabase(dir.path(), threeCards());
        w = std::make_unique<feuilleP>(dir.path(), dialogs, dialUp, viewer);
        w->show();
    }
    void click(const char *button) { w->findChild<QPushButton *>(button)->click(); }
    help::HelpWindow *window() const { return viewer.window(); }
    QTextBrowser *page() const { return window()->findChild<QTextBrowser *>("page"); }
    QString shownPage() const { return pageOf(window()->currentPage()); }
};

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void aideShowsTopics();
    void coursShowsFirstPage();
    void f1OpensCourseOnceAsked();
    void indexFindsKeyword_data();
    void indexFindsKeyword();
    void everyKeywordLeadsToItsPage();
    void searchFindsWord_data();
    void searchFindsWord();
    void missingHelp_data();
    void missingHelp();
    void unusableCacheFolder_data();
    void unusableCacheFolder();
    void everyLinkResolves();
    void everyPageInContents();
    void everyCaptureIsThere();
};

void TestHelp::initTestCase()
{
    QVERIFY2(QFileInfo::exists(kHelp), qPrintable(kHelp));
}

void TestHelp::aideShowsTopics()
{
    HelpFixture t;
    t.click("Command7");
    QVERIFY(t.dialogs.shown.isEmpty());
    QVERIFY(t.window());
    QVERIFY(t.window()->isVisible());
    QCOMPARE(t.shownPage(), QStringLiteral("aide/index.html"));
    QVERIFY(t.page()->toPlainText().contains(QStringLiteral("Que voulez-vous faire ?")));
    auto *topics = t.window()->findChild<QTabWidget *>("sujets");
    QCOMPARE(topics->currentWidget(), t.window()->engine().contentWidget());

    // The contents: the help then the course, each with the entries of its
    // contents list at their levels.
    QHelpContentModel *model = t.window()->engine().contentModel();
    QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), 2, 10000);
    const char *folders[] = {"aide", "cours"};
    for (int top = 0; top < 2; ++top) {
        const QModelIndex root = model->index(top, 0);
        QCOMPARE(pageOf(model->contentItemAt(root)->url()),
                 QString::fromLatin1(folders[top]) + QStringLiteral("/index.html"));
        QStringList expected, found;
        for (const QStringList &l : listLines(folders[top] + QStringLiteral("/toc.txt")))
            if (l.value(0) == QLatin1String("1"))
                expected << l.value(1);
        for (int r = 0; r < model->rowCount(root); ++r)
            found << model->contentItemAt(model->index(r, 0, root))->title();
        QCOMPARE(found, expected);
    }
    // A topic of the contents, activated, shows its page.
    QHelpContentWidget *contents = t.window()->engine().contentWidget();
    const QModelIndex calculator =
        contents->indexOf(help::HelpWindow::pageUrl(QStringLiteral("aide/calculatrice.html")));
    QVERIFY(calculator.isValid());
    contents->activated(calculator);
    QCOMPARE(t.shownPage(), QStringLiteral("aide/calculatrice.html"));

    // "&Aide" again, the window still open: back at the home page.
    t.click("Command7");
    QCOMPARE(t.shownPage(), QStringLiteral("aide/index.html"));
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

void TestHelp::coursShowsFirstPage()
{
    HelpFixture t;
    t.click("Command9");
    QVERIFY(t.dialogs.shown.isEmpty());
    QVERIFY(t.window()->isVisible());
    QCOMPARE(t.shownPage(), QStringLiteral("cours/index.html"));
    QCOMPARE(t.page()->documentTitle(),
             QStringLiteral("La carte d'identité d'une espèce chimique – Cours"));
    // Its pictures are drawn: the browser reads an SVG pictogram of the
    // compiled help as a picture.
    QVERIFY(t.window()->showPage(QStringLiteral("cours/pictogrammes.html")));
    const QImage flame = t.page()
                             ->loadResource(QTextDocument::ImageResource,
                                            QUrl(QStringLiteral("../images/ghs02.svg")))
                             .value<QImage>();
    QVERIFY(!flame.isNull());
}

void TestHelp::f1OpensCourseOnceAsked()
{
    HelpFixture t;
    QVERIFY(QTest::qWaitForWindowActive(t.w.get()));
    QTest::keyClick(t.w.get(), Qt::Key_F1);
    QVERIFY(!t.window());

    t.click("Command7");
    QCOMPARE(t.shownPage(), QStringLiteral("aide/index.html"));
    QTest::keyClick(t.w.get(), Qt::Key_F1);
    QCOMPARE(t.shownPage(), QStringLiteral("aide/index.html"));

    t.click("Command9");
    t.window()->showPage(QStringLiteral("aide/calculatrice.html"));
    t.window()->close();
    // From then on F1 opens the course at its first page, from the card's
    // boxes too, and brings the closed window back.
    t.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(t.w.get()));
    t.w->editor()->Text4->setFocus();
    QTest::keyClick(t.w->editor()->Text4, Qt::Key_F1);
    QVERIFY(t.window()->isVisible());
    QCOMPARE(t.shownPage(), QStringLiteral("cours/index.html"));
    QVERIFY(t.dialogs.shown.isEmpty());
}

void TestHelp::indexFindsKeyword_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("page");
    QTest::newRow("file name") << "PARANET"
                               << "aide/parametres.html#enregistrements";
    QTest::newRow("whole keyword") << "administrateur"
                                   << "aide/parametres.html#administrateur";
    QTest::newRow("start of a keyword") << "calculatrice, m"
                                        << "aide/calculatrice.html#options";
    QTest::newRow("accented") << "critère"
                              << "aide/liste-des-especes.html#critere-de-tri";
    QTest::newRow("lower case") << "copier"
                                << "aide/copier-imprimer.html#copier";
}

void TestHelp::indexFindsKeyword()
{
    QFETCH(QString, typed);
    QFETCH(QString, page);
    HelpFixture t;
    t.click("Command7");
    auto *topics = t.window()->findChild<QTabWidget *>("sujets");
    topics->setCurrentIndex(1);
    QHelpIndexModel *model = t.window()->engine().indexModel();
    QTRY_VERIFY_WITH_TIMEOUT(model->rowCount() > 0, 10000);
    auto *filter = t.window()->findChild<QLineEdit *>("motcle");
    filter->setText(typed); // keyClicks types ASCII only
    QTest::keyClick(filter, Qt::Key_Return);
    QCOMPARE(t.shownPage(), page);
}

void TestHelp::everyKeywordLeadsToItsPage()
{
    QTemporaryDir cache;
    help::HelpWindow w(kHelp, cache.path());
    QVERIFY2(w.isReady(), qPrintable(w.error()));
    const QList<QStringList> keywords = listLines(QStringLiteral("aide/keywords.txt"));
    QVERIFY(keywords.size() > 50);
    for (const QStringList &k : keywords) {
        QStringList pages;
        for (const QHelpLink &link : w.engine().documentsForKeyword(k.value(0)))
            pages << pageOf(link.url);
        QVERIFY2(pages.contains(QStringLiteral("aide/") + k.value(1)),
                 qPrintable(k.join(QLatin1Char('|'))));
    }
}

void TestHelp::searchFindsWord_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("page");
    QTest::newRow("file of the administrator") << "PARANET"
                                               << "aide/parametres.html";
    QTest::newRow("companion tool") << "listec"
                                    << "aide/heberger-des-cartes.html";
    QTest::newRow("course word") << "réfraction"
                                 << "cours/indice-de-refraction.html";
    QTest::newRow("two words") << "masse molaire"
                               << "cours/masse-molaire.html";
    QTest::newRow("pictogram") << "pictogramme"
                               << "cours/pictogrammes.html";
}

void TestHelp::searchFindsWord()
{
    QFETCH(QString, words);
    QFETCH(QString, page);
    HelpFixture t;
    t.click("Command7");
    // The help indexes itself for the search once registered.
    QHelpSearchEngine *search = t.window()->engine().searchEngine();
    QSignalSpy started(search, &QHelpSearchEngine::indexingStarted);
    QSignalSpy indexed(search, &QHelpSearchEngine::indexingFinished);
    QTRY_VERIFY_WITH_TIMEOUT(!started.isEmpty() && indexed.size() == started.size(), 20000);

    // Typed in the search tab and sent with Enter, as the user does.
    auto *query = t.window()->findChild<QHelpSearchQueryWidget *>("requete");
    QLineEdit *input = query->findChild<QLineEdit *>();
    QVERIFY(input);
    QSignalSpy found(search, &QHelpSearchEngine::searchingFinished);
    input->setText(words); // keyClicks types ASCII only
    QTest::keyClick(input, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(!found.isEmpty(), 20000);
    QStringList pages;
    for (const QHelpSearchResult &r : search->searchResults(0, search->searchResultCount()))
        pages << pageOf(r.url());
    QVERIFY2(pages.contains(page), qPrintable(pages.join(QLatin1Char(' '))));
}

void TestHelp::missingHelp_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("exists");
    QTest::newRow("aide, no file") << QByteArray("Command7") << "Aide introuvable" << false;
    QTest::newRow("cours, no file") << QByteArray("Command9") << "Cours introuvable" << false;
    QTest::newRow("aide, damaged file") << QByteArray("Command7") << "Aide introuvable" << true;
    QTest::newRow("cours, damaged file") << QByteArray("Command9") << "Cours introuvable" << true;
}

void TestHelp::missingHelp()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, title);
    QFETCH(bool, exists);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("cartes-especes.qch"));
    if (exists) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    HelpFixture t(path);
    t.dialogs.expectMessage(title, Answer::Ok);
    t.click(button.constData());
    QVERIFY(t.dialogs.allAnswered());
    QVERIFY(t.dialogs.unexpected.isEmpty());
    QCOMPARE(t.dialogs.shown.size(), 1);
    QCOMPARE(t.dialogs.shown[0].icon, platform::Dialogs::Icon::Exclamation);
    QVERIFY2(t.dialogs.shown[0].text.contains(QDir::toNativeSeparators(path)),
             qPrintable(t.dialogs.shown[0].text));
    QVERIFY(!t.window() || !t.window()->isVisible());

    // The file put back, the same button opens the help without a message.
    QFile::remove(path);
    QVERIFY(QFile::copy(kHelp, path));
    t.click(button.constData());
    QCOMPARE(t.dialogs.shown.size(), 1);
    QVERIFY(t.window()->isVisible());
}

void TestHelp::unusableCacheFolder_data()
{
    QTest::addColumn<QString>("folder"); // under the temporary folder
    QTest::addColumn<QByteArray>("collection");
    QTest::newRow("folder under a file") << "fichier/aide" << QByteArray();
    QTest::newRow("damaged collection") << "aide" << QByteArray(4096, '\x5a');
    QTest::newRow("collection of nothing") << "aide" << QByteArray("SQLite format 3");
}

// The search index's folder is a cache: when it cannot serve, the help is
// still shown, read with a collection of the moment.
void TestHelp::unusableCacheFolder()
{
    QFETCH(QString, folder);
    QFETCH(QByteArray, collection);
    QTemporaryDir tmp;
    QFile file(tmp.filePath(QStringLiteral("fichier")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString dir = tmp.filePath(folder);
    if (!collection.isEmpty()) {
        QVERIFY(QDir().mkpath(dir));
        QFile qhc(QDir(dir).filePath(QStringLiteral("cartes-especes.qhc")));
        QVERIFY(qhc.open(QIODevice::WriteOnly));
        qhc.write(collection);
    }
    platform::ScriptedDialogs dialogs;
    help::HelpViewer viewer(kHelp, dir, dialogs);
    viewer.showCourse(nullptr);
    QVERIFY(dialogs.shown.isEmpty());
    QVERIFY(viewer.window()->isVisible());
    QCOMPARE(pageOf(viewer.window()->currentPage()), QStringLiteral("cours/index.html"));
    QVERIFY(
        !viewer.window()->engine().documentsForKeyword(QStringLiteral("cartes-outil")).isEmpty());
}

void TestHelp::everyLinkResolves()
{
    QTemporaryDir cache;
    help::HelpWindow w(kHelp, cache.path());
    QVERIFY2(w.isReady(), qPrintable(w.error()));
    QHelpEngine &engine = w.engine();
    const QList<QUrl> files = engine.files(QStringLiteral("fr.lumisque.cartes-especes"), QString());
    QHash<QString, QString> text; // page -> its HTML
    for (const QUrl &f : files)
        if (f.path().endsWith(QLatin1String(".html")))
            text.insert(pageOf(f), QString::fromUtf8(engine.fileData(f)));
    QCOMPARE(text.size(), 31);

    const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
    int checked = 0;
    for (auto it = text.cbegin(); it != text.cend(); ++it) {
        const QUrl base = help::HelpWindow::pageUrl(it.key());
        for (auto m = link.globalMatch(it.value()); m.hasNext();) {
            const QString href = m.next().captured(1);
            const QUrl target = base.resolved(QUrl(href));
            if (target.scheme() != QLatin1String("qthelp"))
                continue; // a web address, a mail address
            QUrl file = target;
            file.setFragment({});
            const QString where = it.key() + QStringLiteral(": ") + href;
            QVERIFY2(!engine.fileData(file).isEmpty(), qPrintable(where));
            if (target.hasFragment()) {
                const QString html = text.value(pageOf(file));
                const QString id = target.fragment();
                QVERIFY2(html.contains(QStringLiteral("id=\"%1\"").arg(id)) ||
                             html.contains(QStringLiteral("name=\"%1\"").arg(id)),
                         qPrintable(where));
            }
            ++checked;
        }
    }
    QVERIFY(checked > 200);
}

void TestHelp::everyPageInContents()
{
    QTemporaryDir cache;
    help::HelpWindow w(kHelp, cache.path());
    QVERIFY2(w.isReady(), qPrintable(w.error()));
    QHelpContentModel *model = w.engine().contentModel();
    QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), 2, 10000);
    QSet<QString> listed;
    std::function<void(const QModelIndex &)> walk = [&](const QModelIndex &at) {
        for (int r = 0; r < model->rowCount(at); ++r) {
            const QModelIndex child = model->index(r, 0, at);
            listed.insert(pageOf(model->contentItemAt(child)->url()));
            walk(child);
        }
    };
    walk({});
    for (const QUrl &f :
         w.engine().files(QStringLiteral("fr.lumisque.cartes-especes"), QString(), "html"))
        QVERIFY2(listed.contains(pageOf(f)), qPrintable(pageOf(f)));
}

void TestHelp::everyCaptureIsThere()
{
    // Each screenshot the help is written around is in the compiled help and
    // shown by at least one page.
    QTemporaryDir cache;
    help::HelpWindow w(kHelp, cache.path());
    QVERIFY2(w.isReady(), qPrintable(w.error()));
    QString allPages;
    for (const QUrl &f :
         w.engine().files(QStringLiteral("fr.lumisque.cartes-especes"), QString(), "html"))
        allPages += QString::fromUtf8(w.engine().fileData(f));
    const QList<QStringList> captures = listLines(QStringLiteral("captures.txt"));
    QVERIFY(captures.size() >= 18);
    for (const QStringList &c : captures) {
        const QString name = c.value(0);
        QImage picture;
        QVERIFY2(picture.loadFromData(w.engine().fileData(
                     help::HelpWindow::pageUrl(QStringLiteral("images/") + name))),
                 qPrintable(name));
        QVERIFY2(picture.width() >= 100 && picture.height() >= 60, qPrintable(name));
        QVERIFY2(allPages.contains(QStringLiteral("../images/") + name), qPrintable(name));
    }
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
