#pragma once

#include "downloadlist.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace platform
{
class Dialogs;
}

namespace network
{
class UrlTransfer;
}

// The download window "Télécharger des cartes": fetches the list of offered
// cards (LISTEC.ZYP), shows it, and fetches the chosen card into TEMPO.CAR in
// the application directory, then calls `chargenet` so that the main window
// loads it; the window closes once it has (`chargenet` true).
class feuilleFTP : public QDialog
{
    Q_OBJECT
public:
    // `listDownloaded` is the application's list-download flag for this run.
    feuilleFTP(const QString &appDir, bool &listDownloaded, std::function<bool()> chargenet,
               platform::Dialogs &dialogs, QWidget *parent = nullptr);
    ~feuilleFTP() override;

    // Longest time without data for each transfer (30 s by default).
    void setTransferTimeout(int ms);
    // Longest time for a whole transfer (5 min by default).
    void setTransferDeadline(int ms);
    bool transferring() const;

    static constexpr qint64 kMaxListBytes = 1024 * 1024;
    static constexpr qint64 kMaxCardBytes = 64 * 1024;

    QLabel *Label2 = nullptr; // "Liste:"
    QListWidget *List1 = nullptr;
    QLabel *Label1 = nullptr; // "Description de la carte:"
    QPlainTextEdit *Text1 = nullptr;
    QPushButton *Command1 = nullptr; // "Visualiser"
    QPushButton *Command2 = nullptr; // "Annuler"
    QPushButton *Command3 = nullptr; // "Paramètres"
    QLabel *Labet = nullptr;         // transfer status
    QLabel *Image1 = nullptr;
    QLabel *Image2 = nullptr;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

protected:
    void showEvent(QShowEvent *event) override;

public slots:
    void reject() override;

private:
    enum class Fetching { Nothing, List, Card };

    void activate();
    void cartesnet();
    // The list on disk in List1; without one, "Visualisation impossible" when
    // `tellMissing`.
    void dresseliste(bool tellMissing = true);
    void List1_Click();
    void onDone(const QByteArray &bytes);
    void onFailed(const QString &why);
    void impossible(const QString &why);

    QString appDir_;
    bool &listDownloaded_;
    std::function<bool()> chargenet_;
    platform::Dialogs &dialogs_;
    network::UrlTransfer *Inet1 = nullptr;
    std::vector<cards::ListEntry> entries_; // the entries shown in List1
    QString listUrl_;
    QString cardUrl_;
    bool cancelled_ = false;
    bool activated_ = false;
    Fetching fetching_ = Fetching::Nothing;
};
