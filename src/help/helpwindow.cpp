#include "helpwindow.h"

#include "helpbrowser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace help
{

namespace
{

const QString kNamespace = QStringLiteral("fr.lumisque.cartes-especes");
const QString kHelpHome = QStringLiteral("aide/index.html");
const QString kCourseHome = QStringLiteral("cours/index.html");

} // namespace

QUrl HelpWindow::pageUrl(const QString &page)
{
    return QUrl(QStringLiteral("qthelp://%1/doc/%2").arg(kNamespace, page));
}

HelpWindow::HelpWindow(const QString &compiledHelp, const QString &collectionDir, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    // The topics view's own words (search, index) in French.
    if (translator_.load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qt_help"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator_);

    setObjectName(QStringLiteral("aide"));
    setWindowTitle(QStringLiteral("Aide – Cartes d'identité des espèces chimiques"));
    // Wide enough for the screenshots of the whole main window (800 pixels)
    // beside the contents, where the screen allows.
    QSize size(1120, 760);
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() * 0.95);
    resize(size);

    // The collection is a cache: where the given folder cannot hold it (no
    // right to write, a damaged collection), the help is read with one in a
    // temporary folder, rebuilt on each opening of the window.
    const auto setup = [this](const QString &dir) {
        delete engine_;
        engine_ = new QHelpEngine(QDir(dir).filePath(QStringLiteral("cartes-especes.qhc")), this);
        // The collection is ours to write (registration, search index); the
        // engine otherwise opens it read-only.
        engine_->setReadOnly(false);
        return QDir().mkpath(dir) && QFileInfo(dir).isWritable() && engine_->setupData();
    };
    const QString help = QFileInfo(compiledHelp).absoluteFilePath();
    if (!setup(collectionDir) && (!fallback_.isValid() || !setup(fallback_.path()))) {
        error_ = QStringLiteral("Aucun dossier ne peut recevoir l'index de l'aide (%1).")
                     .arg(engine_->error());
    } else if (QHelpEngineCore::namespaceName(help) != kNamespace) {
        error_ = QStringLiteral("Le fichier %1 n'est pas l'aide de cette application ou est "
                                "illisible.")
                     .arg(QDir::toNativeSeparators(help));
    } else {
        // The collection remembers where the help was; after an update or a
        // move of the program, it is registered again from where it is now.
        if (engine_->documentationFileName(kNamespace) != help) {
            engine_->unregisterDocumentation(kNamespace);
            if (!engine_->registerDocumentation(help))
                error_ = QStringLiteral("Le fichier %1 ne peut pas être lu (%2).")
                             .arg(QDir::toNativeSeparators(help), engine_->error());
        }
        ready_ = error_.isEmpty();
    }
    buildControls();
}

void HelpWindow::buildControls()
{
    browser_ = new HelpBrowser(*engine_, this);
    browser_->setObjectName(QStringLiteral("page"));

    topics_ = new QTabWidget(this);
    topics_->setObjectName(QStringLiteral("sujets"));

    QHelpContentWidget *contents = engine_->contentWidget();
    contents->setObjectName(QStringLiteral("sommaire"));
    // The help's and the course's topics in view, once the contents are read.
    connect(engine_->contentModel(), &QHelpContentModel::contentsCreated, contents,
            [contents] { contents->expandToDepth(0); });
    topics_->addTab(contents, QStringLiteral("Sommaire"));
    connect(contents, &QHelpContentWidget::linkActivated, browser_,
            [this](const QUrl &url) { browser_->setSource(url); });

    auto *indexPage = new QWidget(topics_);
    auto *indexLayout = new QVBoxLayout(indexPage);
    auto *indexLabel = new QLabel(QStringLiteral("&Mot à rechercher :"), indexPage);
    indexFilter_ = new QLineEdit(indexPage);
    indexFilter_->setObjectName(QStringLiteral("motcle"));
    indexLabel->setBuddy(indexFilter_);
    QHelpIndexWidget *index = engine_->indexWidget();
    index->setObjectName(QStringLiteral("index"));
    indexLayout->addWidget(indexLabel);
    indexLayout->addWidget(indexFilter_);
    indexLayout->addWidget(index);
    topics_->addTab(indexPage, QStringLiteral("Index"));
    connect(indexFilter_, &QLineEdit::textChanged, index,
            [index](const QString &text) { index->filterIndices(text); });
    connect(indexFilter_, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
    connect(index, &QHelpIndexWidget::documentActivated, browser_,
            [this](const QHelpLink &link, const QString &) { browser_->setSource(link.url); });
    // A keyword of several pages: the first one, as the contents order gives.
    connect(index, &QHelpIndexWidget::documentsActivated, browser_,
            [this](const QList<QHelpLink> &links, const QString &) {
                if (!links.isEmpty())
                    browser_->setSource(links.first().url);
            });

    QHelpSearchEngine *search = engine_->searchEngine();
    auto *searchPage = new QWidget(topics_);
    auto *searchLayout = new QVBoxLayout(searchPage);
    QHelpSearchQueryWidget *query = search->queryWidget();
    query->setObjectName(QStringLiteral("requete"));
    QHelpSearchResultWidget *results = search->resultWidget();
    results->setObjectName(QStringLiteral("resultats"));
    searchLayout->addWidget(query);
    searchLayout->addWidget(results, 1);
    topics_->addTab(searchPage, QStringLiteral("Recherche"));
    connect(query, &QHelpSearchQueryWidget::search, search,
            [search, query] { search->search(query->searchInput()); });
    connect(results, &QHelpSearchResultWidget::requestShowLink, browser_,
            [this](const QUrl &url) { browser_->setSource(url); });

    auto *back = new QPushButton(QStringLiteral("&Précédent"), this);
    back->setObjectName(QStringLiteral("precedent"));
    back->setEnabled(false);
    auto *forward = new QPushButton(QStringLiteral("&Suivant"), this);
    forward->setObjectName(QStringLiteral("suivant"));
    forward->setEnabled(false);
    auto *helpHome = new QPushButton(QStringLiteral("&Aide"), this);
    helpHome->setObjectName(QStringLiteral("accueilAide"));
    auto *courseHome = new QPushButton(QStringLiteral("&Cours"), this);
    courseHome->setObjectName(QStringLiteral("accueilCours"));
    auto *close = new QPushButton(QStringLiteral("&Fermer"), this);
    close->setObjectName(QStringLiteral("fermer"));
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
    connect(helpHome, &QPushButton::clicked, this, [this] { showPage(kHelpHome); });
    connect(courseHome, &QPushButton::clicked, this, [this] { showPage(kCourseHome); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {back, forward, helpHome, courseHome})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto *splitter = new QSplitter(this);
    splitter->addWidget(topics_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({280, width() - 280});

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
}

bool HelpWindow::showPage(const QString &page)
{
    if (!ready_)
        return false;
    const QUrl url = pageUrl(page);
    QUrl file = url;
    file.setFragment({});
    if (engine_->fileData(file).isEmpty())
        return false;
    browser_->setSource(url);
    raiseWindow();
    return true;
}

bool HelpWindow::showTopics()
{
    if (!showPage(kHelpHome))
        return false;
    topics_->setCurrentIndex(0);
    engine_->contentWidget()->setFocus();
    return true;
}

bool HelpWindow::showCourse()
{
    if (!showPage(kCourseHome))
        return false;
    // The course's own part of the contents, opened.
    QHelpContentWidget *contents = engine_->contentWidget();
    const QModelIndex at = contents->indexOf(pageUrl(kCourseHome));
    if (at.isValid()) {
        contents->expand(at);
        contents->setCurrentIndex(at);
    }
    topics_->setCurrentIndex(0);
    browser_->setFocus();
    return true;
}

QUrl HelpWindow::currentPage() const
{
    return browser_->source();
}

void HelpWindow::raiseWindow()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

} // namespace help
