#include "feuillep.h"

#include "cardeditor.h"
#include "cardfilecommands.h"
#include "cardlayout.h"
#include "catalogue.h"
#include "databasewatcher.h"
#include "dialogs.h"
#include "localpath.h"
#include "messages.h"
#include "services.h"
#include "specieslist.h"
#include "statusfile.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSessionManager>
#include <QShortcut>
#include <QStandardPaths>
#include <QTableView>

#include <unordered_map>

const QString feuilleP::kBackgroundInfo =
    QStringLiteral("Vous pouvez choisir une carte dans le tableau, la modifier, en importer ou en "
                   "créer une nouvelle");
const QString feuilleP::kCopiedMessage = QStringLiteral(
    "L'image est copiée: vous pouvez la retrouver depuis toute application (coller)");

namespace
{

const QString kTitle = QStringLiteral("Cartes d'identité des espèces chimiques");
const QString kListInfo = QStringLiteral(
    "Sélectionner un nom dans la liste pour consulter la carte d'identité de l'espèce chimique");
const QString kFrameInfo =
    QStringLiteral("Vous pouvez compléter ou modifier tous les champs de cette carte");
const QString kSearchInfo = QStringLiteral(
    "Taper une partie du nom ou de la formule (eau, h2o, Fe2+...) pour réduire la liste ; Échap "
    "pour la revoir entière");

// The info line stands right of the second row of buttons, above the sort
// criterion.
const QRect kInfoRect(500, 58, 277, 42);

} // namespace

feuilleP::feuilleP(const QString &appDir, platform::Dialogs &dialogs, platform::DialUp &dialUp,
                   platform::HelpViewer &help, QWidget *parent)
    : QWidget(parent), appDir_(appDir), dialogs_(dialogs), dialUp_(dialUp), help_(help)
{
    // The database is read and the list sorted on another thread while the
    // controls are built; majtab takes the result.
    auto firstListing = SpeciesList::readFirstListing(appDir_);

    setWindowTitle(kTitle);
    setObjectName(QStringLiteral("feuilleP"));
    setFont(cardlayout::font(cardlayout::kDefaultFont));
    setMouseTracking(true);
    resize(cardlayout::kWindowArea.size());

    createButtons();
    info = new QLabel(this);
    info->setObjectName(QStringLiteral("info"));
    info->setGeometry(kInfoRect);
    info->setWordWrap(true);
    info->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    info->setTextFormat(Qt::PlainText);

    list_ = new SpeciesList(this, appDir_);
    list_->setFirstListing(std::move(firstListing));
    editor_ = new CardEditor(this, appDir_, dialogs_, {Command5, Command12});
    files_ = std::make_unique<CardFileCommands>(*editor_, appDir_, dialogs_, this);

    // The card's picture from the card's context menu, above its other
    // choices: copied as "Co&pier" does, or saved in a file.
    QMenu *cardMenu = editor_->cardMenu;
    QAction *before = cardMenu->actions().value(0);
    auto *copier = new QAction(QStringLiteral("Copier"), cardMenu);
    copier->setObjectName(QStringLiteral("copierImage"));
    connect(copier, &QAction::triggered, this, &feuilleP::Command4_Click);
    auto *enregistrer = new QAction(QStringLiteral("Enregistrer l'image…"), cardMenu);
    enregistrer->setObjectName(QStringLiteral("enregistrerImage"));
    connect(enregistrer, &QAction::triggered, this, [this] {
        if (windows_.savePicture)
            windows_.savePicture();
    });
    cardMenu->insertActions(before, {copier, enregistrer});
    cardMenu->insertSeparator(before);

    // The species list's context menu: the whole database published.
    auto *listMenu = new QMenu(list_->MS1);
    listMenu->setObjectName(QStringLiteral("menuListe"));
    QAction *publier = listMenu->addAction(QStringLiteral("Publier la base en site web…"));
    publier->setObjectName(QStringLiteral("publierSite"));
    connect(publier, &QAction::triggered, this, &feuilleP::publishSite);
    list_->MS1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_->MS1, &QWidget::customContextMenuRequested, this,
            [this, listMenu](const QPoint &pos) {
                listMenu->popup(list_->MS1->viewport()->mapToGlobal(pos));
            });

    list_->MS1->viewport()->installEventFilter(this);
    editor_->Frame1->installEventFilter(this);
    infoTexts_.insert(list_->MS1->viewport(), kListInfo);
    infoTexts_.insert(editor_->Frame1, kFrameInfo);
    list_->recherche->setMouseTracking(true);
    list_->recherche->installEventFilter(this);
    infoTexts_.insert(list_->recherche, kSearchInfo);

    connect(list_, &SpeciesList::cellEntry, this, &feuilleP::MS1_EnterCell);
    connect(list_, &SpeciesList::criterionPicked, this, &feuilleP::Combo1_Click);
    connect(list_, &SpeciesList::hasSpecies, Command12, &QPushButton::setEnabled);
    connect(editor_, &CardEditor::validated, this,
            [this](const cards::Saved &saved) { majtab(&saved.image); });
    connect(editor_, &CardEditor::removed, this, &feuilleP::afterRemoval);
    connect(editor_, &CardEditor::infoLine, info, &QLabel::setText);

    // F1 opens the course once "&Voir le cours" has been used.
    courseKey_ = new QShortcut(QKeySequence(Qt::Key_F1), this);
    courseKey_->setContext(Qt::ApplicationShortcut);
    courseKey_->setEnabled(false);
    connect(courseKey_, &QShortcut::activated, this, [this] { help_.showCourse(this); });

    // Start-up, in order.
    listDownloaded_ = false;
    writeModuleStatus(appDir_, QStringLiteral("OUI"));
    editor_->modifie = false;
    list_->fillCombo1();
    editor_->layoutQuantityBoxes();
    list_->setColumns();
    editor_->modifie = false;
    majtab();
    placementRetry_.setSingleShot(true);
    placementRetry_.setInterval(250);
    connect(&placementRetry_, &QTimer::timeout, this, [this] {
        placementTries_ = 0;
        applyGeometry();
    });
    applyGeometry();
    info->setText(kBackgroundInfo);
    copiedMessage_ = kCopiedMessage;
    if (list_->rows() >= 2) {
        list_->setRow(1, false);
        showCurrentRow();
    }
    // Changes made to the database by other programs reach the list.
    new DatabaseWatcher(appDir_, *list_, *editor_, this);

    // Files dragged onto the window: its text boxes would take a file's name
    // as text, so their file drags come to the window too.
    setAcceptDrops(true);
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *child : children) {
        if (child->acceptDrops())
            child->installEventFilter(this);
    }
}

feuilleP::~feuilleP() = default;

void feuilleP::majtab(const cards::RecordFile *image)
{
    // The list keeps what could be read from a damaged database and says so.
    if (!list_->majtab(image))
        dialogs_.message(this, platform::Dialogs::Icon::Critical, messages::kLectureTitle,
                         messages::kLectureText);
}

void feuilleP::showCurrentRow()
{
    if (list_->row() >= 1)
        editor_->affichecarte(list_->currentName());
}

void feuilleP::MS1_EnterCell()
{
    // A row entered while the question of another entry is open waits for
    // the answer: that entry shows the row current then.
    if (enteringCell_)
        return;
    enteringCell_ = true;
    const bool goOn = editor_->enregistrer();
    enteringCell_ = false;
    if (goOn)
        showCurrentRow();
}

void feuilleP::Combo1_Click()
{
    if (!editor_->enregistrer())
        return;
    majtab();
    showCurrentRow();
}

void feuilleP::afterRemoval(const cards::Saved &saved)
{
    majtab(&saved.image);
    if (list_->rows() >= 2) {
        list_->setRow(1, false);
        showCurrentRow();
    }
}

cards::carte feuilleP::currentCard() const
{
    return editor_->card();
}

CardView feuilleP::currentCardView() const
{
    return editor_->view();
}

void feuilleP::repaintCard()
{
    editor_->Frame1->update();
}

int feuilleP::speciesRowCount() const
{
    return list_->rows() - 1;
}

void feuilleP::showRow(int r)
{
    list_->setRow(r, false);
    showCurrentRow();
}

std::vector<CardView> feuilleP::listedCards()
{
    const cards::CardsResult read = editor_->database().cards();
    if (read.error != cards::IoError::None)
        dialogs_.message(this, platform::Dialogs::Icon::Critical, messages::kLectureTitle,
                         messages::kLectureText);
    // A name held by several slots is the card of the first, as when shown.
    std::unordered_map<std::string, const cards::carte *> byName;
    for (const cards::carte &card : read.cards)
        byName.try_emplace(card.nom(), &card);
    std::vector<CardView> views;
    views.reserve(std::size_t(speciesRowCount()));
    for (int r = 1; r <= speciesRowCount(); ++r) {
        const auto it = byName.find(list_->text(r, 0).toStdString());
        if (it != byName.end())
            views.push_back(cardViewOf(*it->second, editor_->pictogramStyle()));
    }
    return views;
}

void feuilleP::showLastRow()
{
    showRow(speciesRowCount());
}

bool feuilleP::askSaveBeforeListing()
{
    return editor_->enregistrer();
}

void feuilleP::publishSite()
{
    // The card being edited goes into the catalogue once saved.
    if (!editor_->enregistrer())
        return;
    platform::Dialogs::FileRequest request;
    request.title = QStringLiteral("Publier la base en site web : dossier du catalogue");
    request.folder = true;
    request.initialName = siteFolder_.isEmpty()
                              ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                              : siteFolder_;
    const std::optional<QString> folder = dialogs_.fileName(this, request);
    if (!folder)
        return;
    siteFolder_ = *folder;
    const cards::CardsResult read = cards::Database::inDirectory(platform::toPath(appDir_)).cards();
    if (read.error != cards::IoError::None) {
        dialogs_.message(this, platform::Dialogs::Icon::Critical, messages::kLectureTitle,
                         messages::kLectureText);
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const site::Published published =
        site::writeCatalogue(read.cards, *folder, editor_->pictogramStyle());
    QGuiApplication::restoreOverrideCursor();
    info->setText(published.message);
    if (!published.ok)
        dialogs_.message(this, platform::Dialogs::Icon::Critical,
                         QStringLiteral("Publication impossible"), published.message);
}

bool feuilleP::chargenet()
{
    return files_->chargenet();
}

void feuilleP::openCardFile(const QString &path)
{
    files_->open(QFileInfo(path).absoluteFilePath());
}

void feuilleP::Command1_Click()
{
    close();
}

void feuilleP::Command2_Click()
{
    files_->Command2_Click();
}

void feuilleP::Command4_Click()
{
    if (windows_.copy)
        windows_.copy();
    info->setText(copiedMessage_);
    repaintCard();
}

void feuilleP::Command5_Click()
{
    // The list shows the card just written as current, a new or renamed card
    // too. (When "&Valider" runs for a row the user entered, that row stays.)
    if (!editor_->Command5_Click())
        return;
    list_->setCurrentName(editor_->Text4->text());
    // A search that leaves the card out would hide it as if it were lost.
    if (list_->showCurrent())
        info->setText(QStringLiteral("La recherche est effacée : la carte validée, « %1 », est "
                                     "dans la liste.")
                          .arg(editor_->Text4->text()));
}

void feuilleP::Command6_Click()
{
    editor_->Command6_Click();
}

void feuilleP::Command7_Click()
{
    help_.showHelp(this);
}

void feuilleP::Command8_Click()
{
    if (windows_.calculator)
        windows_.calculator();
}

void feuilleP::Command9_Click()
{
    courseKey_->setEnabled(true);
    help_.showCourse(this);
}

void feuilleP::Command10_Click()
{
    if (windows_.print)
        windows_.print();
}

void feuilleP::Command11_Click()
{
    files_->Command11_Click();
}

void feuilleP::Command12_Click()
{
    editor_->Command12_Click();
}

void feuilleP::Command13_Click()
{
    if (windows_.download)
        windows_.download();
}

void feuilleP::Command14_Click()
{
    if (windows_.publish)
        windows_.publish();
}

bool feuilleP::queryUnload()
{
    // A card that could not be saved does not stop the closing: the last
    // question lets the user stay.
    if (editor_->modifie && editor_->askEnregistrer())
        editor_->Command5_Click();
    if (dialUp_.estconnecte() &&
        dialogs_.message(this, platform::Dialogs::Icon::Question, messages::kSortieTitle,
                         messages::kSortieText,
                         platform::Dialogs::Buttons::YesNo) == platform::Dialogs::Answer::Yes)
        dialUp_.hangup();
    return dialogs_.message(this, platform::Dialogs::Icon::Question, messages::kFermerTitle,
                            messages::kFermerText,
                            platform::Dialogs::Buttons::OkCancel) == platform::Dialogs::Answer::Ok;
}

void feuilleP::unload()
{
    unloaded_ = true;
    writeModuleStatus(appDir_, QStringLiteral("NON"));
    emit unloaded();
}

void feuilleP::closeEvent(QCloseEvent *event)
{
    if (unloaded_) {
        event->accept();
        return;
    }
    // A second request while the questions are open is the same closing.
    if (closing_) {
        event->ignore();
        return;
    }
    closing_ = true;
    const bool close = queryUnload();
    closing_ = false;
    if (!close) {
        event->ignore();
        return;
    }
    unload();
    event->accept();
}

void feuilleP::commitData(QSessionManager &manager)
{
    if (unloaded_ || closing_)
        return;
    if (manager.allowsInteraction()) {
        closing_ = true;
        const bool close = queryUnload();
        closing_ = false;
        manager.release();
        if (!close) {
            manager.cancel();
            return;
        }
    }
    unload();
}
