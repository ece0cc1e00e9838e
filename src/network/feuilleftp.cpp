#include "feuilleftp.h"

#include "carddraw.h"
#include "cardlayout.h"
#include "dialogs.h"
#include "localpath.h"
#include "param.h"
#include "paranet.h"
#include "transfer.h"

#include "cardfile.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

using platform::Dialogs;

namespace
{

// Replaces the file whole, or leaves it as it was.
bool writeWhole(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// A card's address as the list gives it: absolute, or relative to the list's
// own address. A catalogue written on a USB stick cannot know the address it
// will be served at, so its list names its cards relative to itself. No
// address stays none.
QString cardAddress(const QString &listUrl, const std::string &entry)
{
    const QString address = QString::fromStdString(entry).trimmed();
    if (address.isEmpty())
        return address;
    return QUrl(listUrl.trimmed()).resolved(QUrl(address)).toString(QUrl::FullyEncoded);
}

} // namespace

feuilleFTP::feuilleFTP(const QString &appDir, bool &listDownloaded, std::function<bool()> chargenet,
                       Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), appDir_(appDir), listDownloaded_(listDownloaded),
      chargenet_(std::move(chargenet)), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("feuilleFTP"));
    setWindowTitle(QStringLiteral("Télécharger des cartes"));
    setFont(cardlayout::dialogFont());
    setFixedSize(500, 290);

    Label2 = new QLabel(QStringLiteral("Liste:"), this);
    Label2->setGeometry(16, 12, 200, 17);
    List1 = new QListWidget(this);
    List1->setGeometry(16, 30, 200, 220);
    Label1 = new QLabel(QStringLiteral("Description de la carte:"), this);
    Label1->setGeometry(232, 12, 252, 17);
    Text1 = new QPlainTextEdit(this);
    Text1->setGeometry(232, 30, 252, 120);
    Text1->setReadOnly(true);
    Command1 = new QPushButton(QStringLiteral("Visualiser"), this);
    Command1->setGeometry(232, 216, 80, 27);
    Command2 = new QPushButton(QStringLiteral("Annuler"), this);
    Command2->setGeometry(318, 216, 80, 27);
    Command3 = new QPushButton(QStringLiteral("Paramètres"), this);
    Command3->setGeometry(404, 216, 80, 27);
    Image1 = new QLabel(this);
    Image1->setGeometry(232, 162, 44, 44);
    Image1->setPixmap(carddraw::picture(QStringLiteral(":/pictures/btn-importer.svg"), {40, 40}));
    Image2 = new QLabel(this);
    Image2->setGeometry(440, 162, 44, 44);
    Image2->setPixmap(carddraw::picture(QStringLiteral(":/pictures/cartes-especes.svg"), {40, 40}));
    Labet = new QLabel(QStringLiteral("Télécharger un fichier"), this);
    Labet->setGeometry(16, 262, 468, 17);

    Label1->setObjectName(QStringLiteral("Label1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    List1->setObjectName(QStringLiteral("List1"));
    Text1->setObjectName(QStringLiteral("Text1"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2->setObjectName(QStringLiteral("Command2"));
    Command3->setObjectName(QStringLiteral("Command3"));
    Labet->setObjectName(QStringLiteral("Labet"));
    Image1->setObjectName(QStringLiteral("Image1"));
    Image2->setObjectName(QStringLiteral("Image2"));

    Inet1 = new network::UrlTransfer(this);
    Inet1->setObjectName(QStringLiteral("Inet1"));
    connect(Inet1, &network::UrlTransfer::state, Labet, &QLabel::setText);
    connect(Inet1, &network::UrlTransfer::done, this, &feuilleFTP::onDone);
    connect(Inet1, &network::UrlTransfer::failed, this, &feuilleFTP::onFailed);

    connect(List1, &QListWidget::currentRowChanged, this, &feuilleFTP::List1_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, [this] {
        List1_Click();
        Command1_Click();
    });
    connect(Command1, &QPushButton::clicked, this, &feuilleFTP::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &feuilleFTP::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &feuilleFTP::Command3_Click);

    listUrl_ = network::readParameters(appDir_).parameters.record(network::kCartes);
}

feuilleFTP::~feuilleFTP()
{
    Inet1->cancel();
}

void feuilleFTP::setTransferTimeout(int ms)
{
    Inet1->setTimeout(ms);
}

void feuilleFTP::setTransferDeadline(int ms)
{
    Inet1->setDeadline(ms);
}

bool feuilleFTP::transferring() const
{
    return fetching_ != Fetching::Nothing;
}

void feuilleFTP::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (activated_)
        return;
    activated_ = true;
    // Once the window is on screen, so that the messages have it behind them.
    QTimer::singleShot(0, this, &feuilleFTP::activate);
}

void feuilleFTP::activate()
{
    cancelled_ = false;
    if (!listDownloaded_) {
        Labet->setText(QStringLiteral("Téléchargement de la liste"));
        cartesnet();
    } else {
        Labet->clear();
        dresseliste();
    }
}

void feuilleFTP::cartesnet()
{
    Command3->setEnabled(false);
    fetching_ = Fetching::List;
    Inet1->start(listUrl_, kMaxListBytes);
}

void feuilleFTP::dresseliste(bool tellMissing)
{
    List1->clear();
    entries_.clear();
    Text1->clear();
    cardUrl_.clear();
    const QString path = QDir(appDir_).filePath(QString::fromLatin1(cards::kListFileName));
    cards::DownloadList list = cards::readDownloadList(platform::toPath(path));
    if (!list.valid) {
        if (tellMissing)
            dialogs_.message(this, Dialogs::Icon::Critical,
                             QStringLiteral("Visualisation impossible"),
                             QStringLiteral("Pas de liste téléchargée"));
        listDownloaded_ = false;
        return;
    }
    entries_ = std::move(list.entries);
    for (const cards::ListEntry &entry : entries_)
        List1->addItem(QString::fromStdString(entry.nom));
    if (!entries_.empty())
        List1->setCurrentRow(0);
}

void feuilleFTP::List1_Click()
{
    const int i = List1->currentRow();
    if (i < 0 || i >= static_cast<int>(entries_.size()))
        return;
    const cards::ListEntry &entry = entries_[static_cast<std::size_t>(i)];
    Text1->setPlainText(QStringLiteral("Espèce: ") + QString::fromStdString(entry.nom) +
                        QStringLiteral("\nAuteur: ") + QString::fromStdString(entry.auteur) +
                        QStringLiteral("\nCommentaire: ") +
                        QString::fromStdString(entry.commentaire));
    cardUrl_ = cardAddress(listUrl_, entry.url);
}

void feuilleFTP::Command1_Click()
{
    if (fetching_ != Fetching::Nothing)
        return;
    if (List1->currentRow() < 0) {
        impossible(QStringLiteral("Aucune carte n'est choisie dans la liste."));
        return;
    }
    Command1->setEnabled(false);
    Command3->setEnabled(false);
    fetching_ = Fetching::Card;
    Inet1->start(cardUrl_, kMaxCardBytes);
}

void feuilleFTP::onDone(const QByteArray &bytes)
{
    const Fetching what = fetching_;
    fetching_ = Fetching::Nothing;
    if (what == Fetching::List) {
        Command3->setEnabled(true);
        const QString path = QDir(appDir_).filePath(QString::fromLatin1(cards::kListFileName));
        if (!writeWhole(path, bytes)) {
            impossible(QStringLiteral("La liste reçue ne peut pas être enregistrée dans le "
                                      "dossier de l'application (%1).")
                           .arg(QDir::toNativeSeparators(path)));
        } else {
            listDownloaded_ = true;
        }
        dresseliste();
    } else if (what == Fetching::Card) {
        const QString path = QDir(appDir_).filePath(QString::fromLatin1(cards::kTempoCarFileName));
        if (!writeWhole(path, bytes)) {
            Command1->setEnabled(true);
            Command3->setEnabled(true);
            impossible(QStringLiteral("La carte reçue ne peut pas être enregistrée dans le "
                                      "dossier de l'application (%1).")
                           .arg(QDir::toNativeSeparators(path)));
            return;
        }
        if (cancelled_)
            return;
        // A card the main window could not take (it said why) leaves the
        // window open on the list, for another card.
        if (chargenet_ && !chargenet_()) {
            Command1->setEnabled(true);
            Command3->setEnabled(true);
            return;
        }
        accept();
    }
}

void feuilleFTP::onFailed(const QString &why)
{
    const Fetching what = fetching_;
    fetching_ = Fetching::Nothing;
    Command1->setEnabled(true);
    Command3->setEnabled(true);
    impossible(why);
    // The list already on disk, if any, is still worth showing; its absence
    // is no second message.
    if (what == Fetching::List)
        dresseliste(false);
}

void feuilleFTP::impossible(const QString &why)
{
    dialogs_.message(this, Dialogs::Icon::Critical, QStringLiteral("Téléchargement impossible"),
                     why);
}

void feuilleFTP::Command2_Click()
{
    reject();
}

void feuilleFTP::reject()
{
    cancelled_ = true;
    Inet1->cancel();
    fetching_ = Fetching::Nothing;
    QDialog::reject();
}

void feuilleFTP::Command3_Click()
{
    if (fetching_ != Fetching::Nothing)
        return;
    param window(appDir_, dialogs_, this);
    window.exec();
}
