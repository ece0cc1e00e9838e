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

#include <algorithm>
#include <iterator>

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
    // Two rows of buttons, left to right in each: the order they take the
    // focus in.
    struct Button {
        int row;
        QPushButton *feuilleP::*control;
        void (feuilleP::*click)();
        const char *name;
        const char *caption;
        const char *tooltip;
        const char *info;
        const char *icon;
    };
    static const Button buttons[] = {
        {0, &feuilleP::Command6, &feuilleP::Command6_Click, "Command6", "&Nouveau",
         "Nouvelle carte", "Créer une nouvelle carte", "btn-nouveau"},
        {0, &feuilleP::Command5, &feuilleP::Command5_Click, "Command5", "&Valider",
         "Conserver les modifications", "Enregistrer les modifications apportées à une carte",
         "btn-valider"},
        {0, &feuilleP::Command12, &feuilleP::Command12_Click, "Command12", "E&nlever",
         "Retirer cette carte", "Retirer la carte éditée actuellement de la base de données",
         "btn-enlever"},
        {0, &feuilleP::Command11, &feuilleP::Command11_Click, "Command11", "&Enregistrer",
         "Enregistrer la carte éditée dans un fichier",
         "Enregistrer la carte editée dans un fichier indépendant", "btn-enregistrer"},
        {0, &feuilleP::Command2, &feuilleP::Command2_Click, "Command2", "&Ouvrir",
         "Ouvrir un fichier carte",
         "Ouvrir un fichier carte pour consulter une carte extérieure à la base de données",
         "btn-ouvrir"},
        {0, &feuilleP::Command4, &feuilleP::Command4_Click, "Command4", "Co&pier",
         "Placer l'image dans le presse-papiers",
         "Copier pour placer la carte dans le presse- papiers puis coller depuis Word, Paint...",
         "btn-copier"},
        {0, &feuilleP::Command10, &feuilleP::Command10_Click, "Command10", "&Imprimer",
         "Imprimer la carte", "Imprimer la carte éditée ou toute la base de données",
         "btn-imprimer"},
        {1, &feuilleP::Command14, &feuilleP::Command14_Click, "Command14", "E&xporter",
         "Publier cette carte", "Publier cette carte sur le serveur (pour d'autres utilisateurs)",
         "btn-exporter"},
        {1, &feuilleP::Command13, &feuilleP::Command13_Click, "Command13", "I&mporter",
         "Télécharger une carte",
         "Télécharger une carte depuis le serveur pour la consulter ou l'ajouter", "btn-importer"},
        {1, &feuilleP::Command8, &feuilleP::Command8_Click, "Command8", "&Calculatrice",
         "Machine à calculer", "Activer la machine à calculer", "btn-calculatrice"},
        {1, &feuilleP::Command7, &feuilleP::Command7_Click, "Command7", "&Aide",
         "Aide pour utiliser cette application",
         "Si vous rencontrez une difficulté avec cette application", "btn-aide"},
        {1, &feuilleP::Command9, &feuilleP::Command9_Click, "Command9", "&Voir le cours",
         "Aide théorique", "Accéder directement à une partie du cours du manuel", "btn-cours"},
        {1, &feuilleP::Command1, &feuilleP::Command1_Click, "Command1", "&Fermer",
         "Quitter cette application", "Retrouver le module principal et quitter cette application",
         "btn-fermer"},
    };
    for (const int row : {0, 1}) {
        const int n = int(std::count_if(std::begin(buttons), std::end(buttons),
                                        [row](const Button &b) { return b.row == row; }));
        const int width = (kButtonsRight - kButtonsLeft - (n - 1) * kButtonGap) / n;
        int left = kButtonsLeft;
        for (const Button &b : buttons) {
            if (b.row != row)
                continue;
            QPushButton *button =
                makeButton(b.name, QString::fromUtf8(b.caption), QString::fromUtf8(b.tooltip),
                           QString::fromUtf8(b.info), b.icon);
            button->setGeometry(left, row == 0 ? kRow1Top : kRow2Top, width, kButtonHeight);
            left += width + kButtonGap;
            this->*b.control = button;
            connect(button, &QPushButton::clicked, this, b.click);
        }
    }
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
