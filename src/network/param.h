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

// The network parameters window "Paramètres": shows the installation's
// addresses and lets the user type the three mail settings (records 3 to 5 of
// PARANET.LST).
class param : public QDialog
{
    Q_OBJECT
public:
    param(const QString &appDir, platform::Dialogs &dialogs, QWidget *parent = nullptr);

    QGroupBox *Frame3 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLabel *Label5 = nullptr;
    QLineEdit *Text5 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QPushButton *Command3 = nullptr; // "Valider"
    QPushButton *Command2 = nullptr; // "Annuler"

private:
    void load();
    void Command3_Click();

    QString appDir_;
    platform::Dialogs &dialogs_;
};
