#pragma once

#include "carte.h"
#include "paranet.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QToolButton;

namespace platform
{
class Dialogs;
}

namespace network
{
class MailLogin;
class SmtpDialogue;
enum class SmtpFailure;
} // namespace network

// The main window's name check before publishing (Command14): a name made of
// spaces only gives "Emission impossible". True when the card may be published.
bool checkPublishable(const QString &nom, platform::Dialogs &dialogs, QWidget *parent);

// The second line of "Erreur transmission": what failed, and what to do.
QString failureAdvice(network::SmtpFailure kind);

// The publishing window "Publier cette carte sur le serveur": sends the card
// with a comment by mail to the collecting address of the parameters.
class Exporter : public QDialog
{
    Q_OBJECT
public:
    // `card` holds the editor's texts, drapeaux built from the editor.
    Exporter(const cards::carte &card, const QString &appDir, platform::Dialogs &dialogs,
             QWidget *parent = nullptr);
    // With the mail login to use (the session's by default).
    Exporter(const cards::carte &card, const QString &appDir, platform::Dialogs &dialogs,
             network::MailLogin &login, QWidget *parent = nullptr);
    ~Exporter() override;

    // Longest wait for each server reply (30 s by default).
    void setTimeout(int ms);
    // The parameters file could not be read: the window closes as soon as it is shown.
    bool loadFailed() const { return loadFailed_; }
    bool sending() const;

    QLabel *Label2 = nullptr;      // "Espèce chimique:"
    QLabel *Label4 = nullptr;      // the card's name
    QLabel *Label3 = nullptr;      // "Auteur:"
    QLabel *Label5 = nullptr;      // author ( address ); a click opens the parameters
    QLineEdit *Text1 = nullptr;    // comment
    QLabel *Label1 = nullptr;      // status of the dialogue
    QToolButton *Image1 = nullptr; // "Annuler"
    QToolButton *Image3 = nullptr; // "Paramètres"
    QToolButton *Image2 = nullptr; // "Expédier"

    void Image1_Click();
    void Image2_Click();
    void Image3_Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    void reject() override;

private:
    void load();
    void onSucceeded();
    void onFailed(network::SmtpFailure kind, const QString &why);
    void send(const QString &server, const QString &user, const QString &password);
    void setSending(bool on);
    // Abandons a dialogue in progress; the status line says it was cancelled.
    void stopSending();

    cards::carte card_;
    QString appDir_;
    platform::Dialogs &dialogs_;
    network::Parameters parameters_;
    network::MailLogin &login_;
    bool loadFailed_ = false;
    // Counts the password questions, so that the answer to one the user
    // cancelled is dropped; askingPassword_ while one is open.
    unsigned passwordAsk_ = 0;
    bool askingPassword_ = false;
    network::SmtpDialogue *Winsock1 = nullptr;
};
