#include "feuillep.h"

#include "carddraw.h"
#include "cardeditor.h"
#include "cardfilecommands.h"
#include "cardlayout.h"
#include "databasewatcher.h"
#include "dialogs.h"
#include "formulaeditor.h"
#include "messages.h"
#include "services.h"
#include "specieslist.h"
#include "statusfile.h"
#include "svgpicture.h"
#include "windowgeometry.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSessionManager>
#include <QShortcut>
#include <QTableView>

#include <unordered_map>

const QString feuilleP::kBackgroundInfo =
    QStringLiteral("Vous pouvez choisir une carte dans le tableau, la modifier, en importer ou en "
                   "créer une nouvelle");
const QString feuilleP::kCopiedMessage =
    QStringLiteral("L'image est copiée: vous pouvez la retrouver depuis toute application Windows "
                   "(coller)");

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

// The buttons stand in two rows above the card and the list; the info line
// right of the second row's end, above the sort criterion.
constexpr int kButtonHeight = 24;
constexpr int kRow1Top = 4;
constexpr int kRow2Top = 30;
constexpr int kButtonsLeft = 16;
constexpr int kButtonsRight = 777;
constexpr int kButtonGap = 4;
const QRect kInfoRect(500, 58, 277, 42);

// The card file a drag brings: a single local file named *.CAR in any case,
// as "&Ouvrir" lists them. Anything else is refused.
QString draggedCardFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QFileInfo file(urls.front().toLocalFile());
    if (file.suffix().compare(QLatin1String("CAR"), Qt::CaseInsensitive) != 0 || !file.isFile())
        return {};
    return file.absoluteFilePath();
}

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

QPushButton *feuilleP::makeButton(const char *name, const QString &caption, const QString &tooltip,
                                  const QString &infoText, const char *icon)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(tooltip);
    // Our own pictures, drawn at the size the style asks for.
    button->setIcon(svgIcon(QStringLiteral(":/pictures/%1.svg").arg(QLatin1String(icon))));
    button->setIconSize(QSize(16, 16));
    button->setAutoDefault(false);
    button->setMouseTracking(true);
    button->installEventFilter(this);
    infoTexts_.insert(button, infoText);
    return button;
}

void feuilleP::createButtons()
{
    Command6 = makeButton("Command6", QStringLiteral("&Nouveau"), QStringLiteral("Nouvelle carte"),
                          QStringLiteral("Créer une nouvelle carte"), "btn-nouveau");
    Command5 = makeButton(
        "Command5", QStringLiteral("&Valider"), QStringLiteral("Conserver les modifications"),
        QStringLiteral("Enregistrer les modifications apportées à une carte"), "btn-valider");
    Command12 =
        makeButton("Command12", QStringLiteral("E&nlever"), QStringLiteral("Retirer cette carte"),
                   QStringLiteral("Retirer la carte éditée actuellement de la base de "
                                  "données"),
                   "btn-enlever");
    Command11 = makeButton("Command11", QStringLiteral("&Enregistrer"),
                           QStringLiteral("Enregistrer la carte éditée dans un fichier"),
                           QStringLiteral("Enregistrer la carte editée dans un fichier "
                                          "indépendant"),
                           "btn-enregistrer");
    Command2 =
        makeButton("Command2", QStringLiteral("&Ouvrir"), QStringLiteral("Ouvrir un fichier carte"),
                   QStringLiteral("Ouvrir un fichier carte pour consulter une carte "
                                  "extérieure à la base de données"),
                   "btn-ouvrir");
    Command4 = makeButton("Command4", QStringLiteral("Co&pier"),
                          QStringLiteral("Placer l'image dans le presse-papiers"),
                          QStringLiteral("Copier pour placer la carte dans le presse- papiers "
                                         "puis coller depuis Word, Paint..."),
                          "btn-copier");
    Command10 = makeButton(
        "Command10", QStringLiteral("&Imprimer"), QStringLiteral("Imprimer la carte"),
        QStringLiteral("Imprimer la carte éditée ou toute la base de données"), "btn-imprimer");
    Command14 =
        makeButton("Command14", QStringLiteral("E&xporter"), QStringLiteral("Publier cette carte"),
                   QStringLiteral("Publier cette carte sur le serveur (pour d'autres "
                                  "utilisateurs)"),
                   "btn-exporter");
    Command13 = makeButton("Command13", QStringLiteral("I&mporter"),
                           QStringLiteral("Télécharger une carte"),
                           QStringLiteral("Télécharger une carte depuis le serveur pour la "
                                          "consulter ou l'ajouter"),
                           "btn-importer");
    Command8 = makeButton("Command8", QStringLiteral("&Calculatrice"),
                          QStringLiteral("Machine à calculer"),
                          QStringLiteral("Activer la machine à calculer"), "btn-calculatrice");
    Command7 = makeButton("Command7", QStringLiteral("&Aide"),
                          QStringLiteral("Aide pour utiliser cette application"),
                          QStringLiteral("Si vous rencontrez une difficulté avec cette "
                                         "application"),
                          "btn-aide");
    Command9 = makeButton(
        "Command9", QStringLiteral("&Voir le cours"), QStringLiteral("Aide théorique"),
        QStringLiteral("Accéder directement à une partie du cours du manuel"), "btn-cours");
    Command1 = makeButton("Command1", QStringLiteral("&Fermer"),
                          QStringLiteral("Quitter cette application"),
                          QStringLiteral("Retrouver le module principal et quitter cette "
                                         "application"),
                          "btn-fermer");

    const auto row = [](std::initializer_list<QPushButton *> buttons, int top) {
        const int n = int(buttons.size());
        const int width = (kButtonsRight - kButtonsLeft - (n - 1) * kButtonGap) / n;
        int left = kButtonsLeft;
        for (QPushButton *b : buttons) {
            b->setGeometry(left, top, width, kButtonHeight);
            left += width + kButtonGap;
        }
    };
    row({Command6, Command5, Command12, Command11, Command2, Command4, Command10}, kRow1Top);
    row({Command14, Command13, Command8, Command7, Command9, Command1}, kRow2Top);

    connect(Command1, &QPushButton::clicked, this, &feuilleP::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &feuilleP::Command2_Click);
    connect(Command4, &QPushButton::clicked, this, &feuilleP::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &feuilleP::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &feuilleP::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &feuilleP::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &feuilleP::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &feuilleP::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &feuilleP::Command10_Click);
    connect(Command11, &QPushButton::clicked, this, &feuilleP::Command11_Click);
    connect(Command12, &QPushButton::clicked, this, &feuilleP::Command12_Click);
    connect(Command13, &QPushButton::clicked, this, &feuilleP::Command13_Click);
    connect(Command14, &QPushButton::clicked, this, &feuilleP::Command14_Click);
}

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

void feuilleP::chargenet()
{
    files_->chargenet();
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
    if (editor_->Command5_Click())
        list_->setCurrentName(editor_->Text4->text());
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

void feuilleP::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    carddraw::paintWindowBackground(p, editor_->Frame1Border->geometry(), list_->MS1->x());
}

void feuilleP::mouseMoveEvent(QMouseEvent *event)
{
    if (!childAt(event->position().toPoint()))
        info->setText(kBackgroundInfo);
    QWidget::mouseMoveEvent(event);
}

bool feuilleP::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        const auto it = infoTexts_.constFind(watched);
        // The copy button leaves the confirmation of a copy in place.
        if (it != infoTexts_.constEnd() && !(watched == Command4 && info->text() == copiedMessage_))
            info->setText(*it);
    }
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (drop->mimeData() && drop->mimeData()->hasUrls()) {
            fileDrag(drop);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void feuilleP::dragEnterEvent(QDragEnterEvent *event)
{
    fileDrag(event);
}

void feuilleP::dragMoveEvent(QDragMoveEvent *event)
{
    fileDrag(event);
}

void feuilleP::dropEvent(QDropEvent *event)
{
    fileDrag(event);
}

void feuilleP::fileDrag(QDropEvent *event)
{
    const QString path = draggedCardFile(event->mimeData());
    // The file is read, never taken: a drop proposed as a move would let the
    // file manager delete the card file once it is dropped.
    if (path.isEmpty() || !(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (event->type() == QEvent::Drop) {
        // Opened once the drop has ended: its questions and messages must not
        // keep the file manager waiting for the drop's answer.
        QMetaObject::invokeMethod(
            this, [this, path] { openCardFile(path); }, Qt::QueuedConnection);
    }
}

std::optional<QRect> feuilleP::fixedFrame() const
{
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    return screen ? fixedWindowFrame(screen->geometry()) : std::nullopt;
}

void feuilleP::applyGeometry()
{
    const auto frame = fixedFrame();
    if (!frame) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        return;
    }
    if (applyingGeometry_)
        return;
    applyingGeometry_ = true;
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    // The window manager's frame is known once the window is shown: the inner
    // area is the 800 x 600 frame less the frame's borders.
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QMargins borders(inner.left() - outer.left(), inner.top() - outer.top(),
                           outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const QRect wanted = frame->marginsRemoved(borders);
    if (!isVisible()) {
        // Changing the flags of a shown window would hide it.
        setWindowFlag(Qt::WindowMaximizeButtonHint, false);
        setFixedSize(wanted.size());
        setGeometry(wanted);
        applyingGeometry_ = false;
        return;
    }
    if (size() != wanted.size())
        setFixedSize(wanted.size());
    // Where the inner area really is, asked of the display: window managers
    // do not all read a requested position the same way (inner area or
    // frame), so the window is moved by the distance still to go, a few times
    // at most in a row.
    const QPoint error = wanted.topLeft() - mapToGlobal(QPoint(0, 0));
    if (error.isNull()) {
        placementTries_ = 0;
        placementRounds_ = 0;
    } else if (placementTries_ < 3) {
        ++placementTries_;
        setGeometry(QRect(geometry().topLeft() + error, wanted.size()));
    } else if (!placementRetry_.isActive() && placementRounds_ < 4) {
        // The position the display reported may have been stale (a move
        // still on its way): look again once things have settled rather than
        // leave the window where it is. A display that never places the
        // window where asked is not asked for ever.
        ++placementRounds_;
        placementRetry_.start();
    }
    applyingGeometry_ = false;
}

bool feuilleP::event(QEvent *event)
{
    const bool result = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::WindowStateChange:
    case QEvent::WindowActivate:
    case QEvent::ScreenChangeInternal:
        // Every attempt to size, move or maximise the window brings it back;
        // the window manager's frame is first known when it activates it.
        if (isVisible())
            applyGeometry();
        break;
    default:
        break;
    }
    return result;
}
