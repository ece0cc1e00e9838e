#include "feuillep.h"

#include "carddraw.h"
#include "cardeditor.h"
#include "specieslist.h"
#include "svgpicture.h"
#include "windowgeometry.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTableView>

// The main window as a window: its buttons, its background and info line,
// the card files dropped on it, and its fixed place on the screen.

namespace
{

// The buttons stand in two rows above the card and the list.
constexpr int kButtonHeight = 24;
constexpr int kRow1Top = 4;
constexpr int kRow2Top = 30;
constexpr int kButtonsLeft = 16;
constexpr int kButtonsRight = 777;
constexpr int kButtonGap = 4;

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
