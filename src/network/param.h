#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QGroupBox;

namespace platform
{
class Dialogs;
}

namespace network
{
class MailLogin;
}

// The network parameters window "Paramètres": shows the installation's
// addresses and lets the user type the three mail settings (records 3 to 5 of
// PARANET.LST), and the login that a mail server may ask for: the user name
// in the per-user settings, the password in the secret store (or for this
// session only), never in a file.
class param : public QDialog
{
    Q_OBJECT
public:
    param(const QString &appDir, platform::Dialogs &dialogs, QWidget *parent = nullptr);
    // With the mail login to show and change (the session's by default).
    param(const QString &appDir, platform::Dialogs &dialogs, network::MailLogin &login,
          QWidget *parent = nullptr);

    QGroupBox *Frame3 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLabel *Label5 = nullptr;
    QLineEdit *Text5 = nullptr;
    QLabel *Label6 = nullptr;
    QLineEdit *Text6 = nullptr; // user name on the mail server
    QLabel *Label7 = nullptr;
    QLineEdit *Text7 = nullptr; // its password
    QLabel *Label8 = nullptr;   // where the password is kept
    QGroupBox *Frame1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QPushButton *Command3 = nullptr; // "Valider"
    QPushButton *Command2 = nullptr; // "Annuler"

private:
    void load();
    void Command3_Click();

    void loadPassword();

    QString appDir_;
    platform::Dialogs &dialogs_;
    network::MailLogin &login_;
    // The server and user whose password Text7 shows; a password typed by the
    // user is never replaced by the store's late answer.
    QString shownServer_, shownUser_;
    bool passwordTyped_ = false;
    unsigned passwordAsk_ = 0;
};
