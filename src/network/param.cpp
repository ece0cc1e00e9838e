#include "param.h"

#include "cardlayout.h"
#include "cp1252validator.h"
#include "dialogs.h"
#include "paranet.h"
#include "recordfile.h"
#include "secretstore.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using platform::Dialogs;

namespace
{

QLineEdit *makeBox(QWidget *parent, int x, int y)
{
    auto *box = new QLineEdit(parent);
    box->setGeometry(x, y, 265, 21);
    box->setValidator(new Cp1252Validator(cards::kMaxTextLength, box));
    return box;
}

} // namespace

param::param(const QString &appDir, Dialogs &dialogs, QWidget *parent)
    : param(appDir, dialogs, network::MailLogin::forThisSession(), parent)
{
}

param::param(const QString &appDir, Dialogs &dialogs, network::MailLogin &login, QWidget *parent)
    : QDialog(parent), appDir_(appDir), dialogs_(dialogs), login_(login)
{
    // The login rows extend the mail frame downwards; what lies below it moves
    // down by as much.
    constexpr int kLogin = 78;
    setObjectName(QStringLiteral("param"));
    setWindowTitle(QStringLiteral("Paramètres"));
    setFont(cardlayout::dialogFont());
    setFixedSize(481, 409 + kLogin);

    Frame3 = new QGroupBox(QStringLiteral("Courrier électronique ( à saisir )"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setGeometry(8, 8, 465, 113 + kLogin);
    Label3 = new QLabel(QStringLiteral("Votre nom / établissement:"), Frame3);
    Label3->setGeometry(10, 22, 175, 21);
    Text3 = makeBox(Frame3, 190, 22);
    Label4 = new QLabel(QStringLiteral("Adresse électronique:"), Frame3);
    Label4->setGeometry(10, 50, 175, 21);
    Text4 = makeBox(Frame3, 190, 50);
    Label5 = new QLabel(QStringLiteral("Serveur courrier sortant (SMTP):"), Frame3);
    Label5->setGeometry(10, 78, 175, 21);
    Text5 = makeBox(Frame3, 190, 78);
    // The port after the name chooses how the link is protected.
    Text5->setPlaceholderText(
        QStringLiteral("serveur, serveur:587 (STARTTLS) ou serveur:465 (TLS)"));
    Text5->setToolTip(QStringLiteral(
        "Le port, après le nom du serveur, choisit la protection de la liaison :\n"
        "serveur ou serveur:25 : en clair, chiffrée (STARTTLS) si le serveur le propose ;\n"
        "serveur:587 : chiffrement STARTTLS exigé ;\n"
        "serveur:465 : chiffrée (TLS) dès le début."));
    Label5->setToolTip(Text5->toolTip());
    Label6 = new QLabel(QStringLiteral("Utilisateur (si le serveur le demande):"), Frame3);
    Label6->setGeometry(10, 106, 175, 21);
    Label6->setWordWrap(true);
    Text6 = new QLineEdit(Frame3);
    Text6->setGeometry(190, 106, 265, 21);
    Label7 = new QLabel(QStringLiteral("Mot de passe:"), Frame3);
    Label7->setGeometry(10, 134, 175, 21);
    Text7 = new QLineEdit(Frame3);
    Text7->setGeometry(190, 134, 265, 21);
    Text7->setEchoMode(QLineEdit::Password);
    Label8 = new QLabel(Frame3);
    Label8->setGeometry(10, 160, 445, 21);
    Label8->setWordWrap(true);
    QFont note = font();
    note.setItalic(true);
    Label8->setFont(note);

    Frame1 = new QGroupBox(QStringLiteral("Adresses ( pour information )"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(8, 128 + kLogin, 465, 233);
    Text1 = new QPlainTextEdit(Frame1);
    Text1->setGeometry(10, 20, 445, 203);
    Text1->setReadOnly(true);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    Command3 = new QPushButton(QStringLiteral("Valider"), this);
    Command3->setGeometry(136, 370 + kLogin, 97, 29);
    Command3->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("Annuler"), this);
    Command2->setGeometry(248, 370 + kLogin, 97, 29);

    Label3->setObjectName(QStringLiteral("Label3"));
    Label4->setObjectName(QStringLiteral("Label4"));
    Label5->setObjectName(QStringLiteral("Label5"));
    Text1->setObjectName(QStringLiteral("Text1"));
    Text3->setObjectName(QStringLiteral("Text3"));
    Text4->setObjectName(QStringLiteral("Text4"));
    Text5->setObjectName(QStringLiteral("Text5"));
    Label6->setObjectName(QStringLiteral("Label6"));
    Text6->setObjectName(QStringLiteral("Text6"));
    Label7->setObjectName(QStringLiteral("Label7"));
    Text7->setObjectName(QStringLiteral("Text7"));
    Label8->setObjectName(QStringLiteral("Label8"));
    Command2->setObjectName(QStringLiteral("Command2"));
    Command3->setObjectName(QStringLiteral("Command3"));

    connect(Command3, &QPushButton::clicked, this, &param::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &param::reject);
    connect(Text7, &QLineEdit::textEdited, this, [this] { passwordTyped_ = true; });

    load();
}

void param::load()
{
    const network::ParametersRead read = network::readParameters(appDir_);
    const network::Parameters &p = read.parameters;
    static const struct {
        int record;
        const char *caption;
    } shown[] = {
        {network::kAccueil, "Adresse de la page d'accueil:"},
        {network::kRecherche, "Adresse de la page de recherche:"},
        {network::kDestination, "Destination des cartes des espèces chimiques:"},
        {network::kCartes, "Adresse des cartes à télécharger:"},
        {network::kProcedures, "Adresse du fichier de procédures de mise à jour en ligne:"},
    };
    QString text;
    for (const auto &s : shown)
        text += QString::fromUtf8(s.caption) + QLatin1Char('\n') + p.record(s.record) +
                QStringLiteral("\n\n");
    Text1->setPlainText(text);
    Text3->setText(p.record(network::kNomAuteur));
    Text4->setText(p.record(network::kAdresse));
    Text5->setText(p.record(network::kServeurSmtp));
    Text6->setText(login_.userName());
    loadPassword();
    if (!read.ok)
        dialogs_.message(this, Dialogs::Icon::Critical,
                         QStringLiteral("Lecture impossible sur disque"),
                         QStringLiteral("Erreur de lecture sur le disque: disque non valide."));
}

void param::loadPassword()
{
    shownServer_ = Text5->text();
    shownUser_ = Text6->text();
    Text7->clear();
    Label8->clear();
    if (shownUser_.isEmpty())
        return;
    login_.password(
        shownServer_, shownUser_, this,
        [this, ask = ++passwordAsk_](std::optional<QString> password,
                                     network::MailLogin::Source source) {
            if (ask != passwordAsk_ || passwordTyped_)
                return;
            using Source = network::MailLogin::Source;
            if (password)
                Text7->setText(*password);
            switch (source) {
            case Source::Store:
                Label8->setText(QStringLiteral("Mot de passe gardé dans le trousseau de clés."));
                break;
            case Source::Session:
                Label8->setText(QStringLiteral("Mot de passe gardé pour cette session."));
                break;
            case Source::NoStore:
                Label8->setText(QStringLiteral("Aucun trousseau de clés ne répond : le mot de "
                                               "passe sera gardé pour cette session seulement."));
                break;
            case Source::None:
                break;
            }
        });
}

void param::Command3_Click()
{
    const bool written =
        network::writeMailParameters(appDir_, Text3->text(), Text4->text(), Text5->text()) &&
        login_.setUserName(Text6->text().trimmed());
    if (!written) {
        dialogs_.message(
            this, Dialogs::Icon::Critical, QStringLiteral("Ecriture impossible sur disque"),
            QStringLiteral(
                "Impossible d'écrire les paramètres: disque non valide pour l'écriture."));
        return;
    }
    // The password belongs to the server and user typed now: kept under them
    // when it was typed or when they changed. The store answers after the
    // window is gone; the session holds the password from now on.
    const QString server = Text5->text();
    const QString user = Text6->text().trimmed();
    ++passwordAsk_;
    if (!user.isEmpty() &&
        (passwordTyped_ || network::MailLogin::key(server, user) !=
                               network::MailLogin::key(shownServer_, shownUser_)))
        login_.setPassword(server, user, Text7->text(), this, [](bool) {});
    accept();
}
