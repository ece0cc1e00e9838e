#include "exporter.h"

#include "carddraw.h"
#include "cardlayout.h"
#include "cp1252validator.h"
#include "dialogs.h"
#include "param.h"
#include "secretstore.h"
#include "smtpdialogue.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolButton>

using platform::Dialogs;

namespace
{

bool blank(const QString &s)
{
    return cards::isBlank(s.toStdString());
}

// The buttons' captions: the window paints them (see paintEvent).
struct Caption {
    int x;
    int y;
    const char *text;
};
constexpr Caption kCaptions[] = {
    {100, 264, "Annuler"},
    {226, 264, "Paramètres"},
    {369, 264, "Expédier"},
};

// Where the picture buttons begin on the window: the band under the comment.
constexpr int kBandTop = 170;

QToolButton *pictureButton(QWidget *parent, const char *name, const QString &picture,
                           const QRect &geometry, const QString &tip)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoRaise(true);
    const QSize size = geometry.size() - QSize(8, 8);
    button->setIcon(QIcon(carddraw::picture(picture, size)));
    button->setIconSize(size);
    button->setToolTip(tip);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

QString failureAdvice(network::SmtpFailure kind)
{
    using network::SmtpFailure;
    switch (kind) {
    case SmtpFailure::Unreachable:
        return QStringLiteral("Le serveur de courrier est injoignable : vérifier son nom dans les "
                              "paramètres et la connexion au réseau.");
    case SmtpFailure::Certificate:
        return QStringLiteral("Le certificat du serveur de courrier est refusé : la liaison n'est "
                              "pas sûre, rien n'a été envoyé.");
    case SmtpFailure::Tls:
        return QStringLiteral("La liaison chiffrée avec le serveur de courrier n'a pas pu "
                              "s'établir : rien n'a été envoyé.");
    case SmtpFailure::LoginNeeded:
        return QStringLiteral("Le serveur de courrier demande une identification : indiquer "
                              "l'utilisateur et le mot de passe dans les paramètres.");
    case SmtpFailure::LoginRefused:
        return QStringLiteral("Identification refusée par le serveur de courrier : vérifier "
                              "l'utilisateur et le mot de passe dans les paramètres.");
    case SmtpFailure::Refused:
        return QStringLiteral("Le serveur de courrier a refusé le message.");
    case SmtpFailure::Interrupted:
        return QStringLiteral("La liaison avec le serveur de courrier a été interrompue.");
    case SmtpFailure::Parameters:
        break;
    }
    return QStringLiteral("Vérifier les paramètres de connexion");
}

bool checkPublishable(const QString &nom, Dialogs &dialogs, QWidget *parent)
{
    if (!blank(nom))
        return true;
    dialogs.message(parent, Dialogs::Icon::Critical, QStringLiteral("Emission impossible"),
                    QStringLiteral("Cette espèce chimique doit avoir un nom !"));
    return false;
}

Exporter::Exporter(const cards::carte &card, const QString &appDir, Dialogs &dialogs,
                   QWidget *parent)
    : Exporter(card, appDir, dialogs, network::MailLogin::forThisSession(), parent)
{
}

Exporter::Exporter(const cards::carte &card, const QString &appDir, Dialogs &dialogs,
                   network::MailLogin &login, QWidget *parent)
    : QDialog(parent), card_(card), appDir_(appDir), dialogs_(dialogs), login_(login)
{
    setObjectName(QStringLiteral("Exporter"));
    setWindowTitle(QStringLiteral("Publier cette carte sur le serveur"));
    const QFont font = cardlayout::dialogFont();
    setFont(font);
    setFixedSize(520, 290);

    Label2 = new QLabel(QStringLiteral("Espèce chimique:"), this);
    Label2->setGeometry(16, 20, 110, 17);
    Label4 = new QLabel(this);
    Label4->setGeometry(130, 20, 374, 17);
    QFont bold = font;
    bold.setBold(true);
    Label4->setFont(bold);
    Label3 = new QLabel(QStringLiteral("Auteur:"), this);
    Label3->setGeometry(16, 48, 110, 17);
    Label5 = new QLabel(this);
    Label5->setGeometry(130, 48, 374, 17);
    Label5->setCursor(Qt::PointingHandCursor);
    Label5->setToolTip(QStringLiteral("Modifier les paramètres"));
    Label5->installEventFilter(this);
    Text1 = new QLineEdit(this);
    Text1->setGeometry(16, 84, 488, 24);
    Text1->setPlaceholderText(QStringLiteral("Commentaire"));
    Text1->setValidator(new Cp1252Validator(Text1));
    Label1 = new QLabel(this);
    Label1->setGeometry(16, 128, 488, 17);
    Label1->setAlignment(Qt::AlignCenter);

    Image1 = pictureButton(this, "Image1", QStringLiteral(":/pictures/exp-annuler.svg"),
                           QRect(86, 186, 72, 72), QStringLiteral("Annuler"));
    Image3 = pictureButton(this, "Image3", QStringLiteral(":/pictures/exp-parametres.svg"),
                           QRect(222, 186, 72, 72), QStringLiteral("Paramètres"));
    Image2 = pictureButton(this, "Image2", QStringLiteral(":/pictures/exp-expedier.svg"),
                           QRect(359, 186, 72, 72), QStringLiteral("Expédier la carte"));

    Label1->setObjectName(QStringLiteral("Label1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4->setObjectName(QStringLiteral("Label4"));
    Label5->setObjectName(QStringLiteral("Label5"));
    Text1->setObjectName(QStringLiteral("Text1"));

    Winsock1 = new network::SmtpDialogue(this);
    connect(Winsock1, &network::SmtpDialogue::status, Label1, &QLabel::setText);
    connect(Winsock1, &network::SmtpDialogue::succeeded, this, &Exporter::onSucceeded);
    connect(Winsock1, &network::SmtpDialogue::failed, this, &Exporter::onFailed);
    connect(Image1, &QToolButton::clicked, this, &Exporter::Image1_Click);
    connect(Image2, &QToolButton::clicked, this, &Exporter::Image2_Click);
    connect(Image3, &QToolButton::clicked, this, &Exporter::Image3_Click);

    load();
}

Exporter::~Exporter()
{
    Winsock1->abort();
}

void Exporter::setTimeout(int ms)
{
    Winsock1->setTimeout(ms);
}

bool Exporter::sending() const
{
    return askingPassword_ || Winsock1->running();
}

void Exporter::load()
{
    const network::ParametersRead read = network::readParameters(appDir_);
    parameters_ = read.parameters;
    Label4->setText(QString::fromStdString(card_.nom()));
    // The author and the address in brackets; nothing for what is not set.
    const QString author = parameters_.record(network::kNomAuteur).trimmed();
    const QString address = parameters_.record(network::kAdresse).trimmed();
    Label5->setText(address.isEmpty()
                        ? author
                        : author + (author.isEmpty() ? QString() : QStringLiteral(" ")) +
                              QStringLiteral("( ") + address + QStringLiteral(" )"));
    if (!read.ok) {
        loadFailed_ = true;
        dialogs_.message(parentWidget(), Dialogs::Icon::Critical,
                         QStringLiteral("Lecture impossible"),
                         QStringLiteral("Lecture imposible sur le disque."));
        if (isVisible())
            QTimer::singleShot(0, this, &Exporter::reject);
    }
}

void Exporter::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (loadFailed_)
        QTimer::singleShot(0, this, &Exporter::reject);
}

void Exporter::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // A dark band under the picture buttons, so that their white captions read.
    QLinearGradient band(0, kBandTop, 0, height());
    band.setColorAt(0, QColor(40, 70, 110));
    band.setColorAt(1, QColor(10, 25, 50));
    p.fillRect(QRect(0, kBandTop, width(), height() - kBandTop), band);

    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    const int ascent = QFontMetrics(bold).ascent();
    // Each caption twice: black, then white 2 pixels up and left, for a shadow.
    for (const auto &[colour, shift] : {std::pair{QColor(Qt::black), 0}, {QColor(Qt::white), 2}}) {
        p.setPen(colour);
        for (const Caption &c : kCaptions)
            p.drawText(c.x - shift, c.y - shift + ascent, QString::fromUtf8(c.text));
    }
}

bool Exporter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label5 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Image3_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Exporter::Image1_Click()
{
    reject();
}

void Exporter::reject()
{
    stopSending();
    QDialog::reject();
}

void Exporter::closeEvent(QCloseEvent *event)
{
    stopSending();
    QDialog::closeEvent(event);
}

void Exporter::stopSending()
{
    const bool wasSending = sending();
    ++passwordAsk_;
    askingPassword_ = false;
    Winsock1->abort();
    if (wasSending) {
        setSending(false);
        Label1->setText(QStringLiteral("Expédition annulée"));
    }
}

void Exporter::Image3_Click()
{
    // The parameters may not change under a dialogue that uses them.
    if (sending())
        return;
    param window(appDir_, dialogs_, login_, this);
    window.exec();
    load();
    update();
}

void Exporter::Image2_Click()
{
    if (sending())
        return;
    const QString server = parameters_.record(network::kServeurSmtp);
    if (blank(server)) {
        dialogs_.message(
            this, Dialogs::Icon::Exclamation, QStringLiteral("Paramètre incorrect"),
            QStringLiteral("Il faut indiquer le serveur de courrier sortant (SMTP) pour envoyer "
                           "une carte.\nCliquer sur « paramètres » pour le saisir et consulter "
                           "l'aide si nécessaire."));
        return;
    }
    const QString user = login_.userName();
    setSending(true);
    Label1->setToolTip(QString());
    if (user.isEmpty()) {
        send(server, QString(), QString());
        return;
    }
    // The password comes from the session or the secret store, which answers
    // later; the window stays alive meanwhile and "Annuler" drops the answer.
    askingPassword_ = true;
    Label1->setText(QStringLiteral("Lecture du mot de passe"));
    login_.password(server, user, this,
                    [this, server, user, ask = ++passwordAsk_](std::optional<QString> password,
                                                               network::MailLogin::Source) {
                        if (ask != passwordAsk_)
                            return;
                        askingPassword_ = false;
                        if (password) {
                            send(server, user, *password);
                            return;
                        }
                        setSending(false);
                        Label1->clear();
                        dialogs_.message(
                            this, Dialogs::Icon::Exclamation,
                            QStringLiteral("Mot de passe manquant"),
                            QStringLiteral("Il faut indiquer le mot de passe de « %1 » pour "
                                           "envoyer une carte.\nCliquer sur « paramètres » "
                                           "pour le saisir.")
                                .arg(user));
                    });
}

void Exporter::send(const QString &server, const QString &user, const QString &password)
{
    network::Publication publication;
    publication.card = card_;
    publication.author = parameters_.record(network::kNomAuteur);
    publication.sender = parameters_.record(network::kAdresse);
    publication.recipient = parameters_.record(network::kDestination);
    publication.comment = Text1->text();
    Winsock1->start(server, publication, {user, password});
}

void Exporter::setSending(bool on)
{
    Image2->setEnabled(!on);
    Image3->setEnabled(!on);
    Label5->setEnabled(!on);
}

void Exporter::onSucceeded()
{
    setSending(false);
    dialogs_.message(this, Dialogs::Icon::Information, QStringLiteral("Transmission OK"),
                     QStringLiteral("Votre carte sera publiée prochainement.\n"
                                    "Merci pour votre contribution."));
    accept();
}

void Exporter::onFailed(network::SmtpFailure kind, const QString &why)
{
    setSending(false);
    // The dialogue is over: the status line says so before the message shows,
    // on its one line; a long server reply is cut there and read in full in
    // the tooltip.
    const QString status = QStringLiteral("Échec de l'expédition : ") + why;
    Label1->setText(Label1->fontMetrics().elidedText(status, Qt::ElideRight, Label1->width()));
    Label1->setToolTip(status);
    dialogs_.message(this, Dialogs::Icon::Critical, QStringLiteral("Erreur transmission"),
                     QStringLiteral("Erreur lors de l'exportation de cette carte.\n") +
                         failureAdvice(kind));
}
