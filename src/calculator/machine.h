#pragma once

#include "keypad.h"

#include <QColor>
#include <QDialog>

class Affichage;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace platform
{
class Dialogs;
}

// The calculator window "Machine à calculer". Its keys build an expression
// shown in the display z1; EXE evaluates it. The main window owns `memoire`,
// which outlives each opening; everything else starts afresh.
class Machine : public QDialog
{
    Q_OBJECT
public:
    Machine(platform::Dialogs &dialogs, double &memoire, QWidget *parent = nullptr);

    const calculator::Keypad &keypad() const { return keypad_; }

    Affichage *z1 = nullptr;
    QWidget *Picture1 = nullptr; // the panel holding the two frames
    QGroupBox *Frame2 = nullptr; // "Angles"
    QGroupBox *Frame3 = nullptr; // "Affichage"
    QRadioButton *angle[2] = {}; // 0 "Degrés", 1 "Radians"
    QRadioButton *C[2] = {};     // 0 "Scientifique", 1 "Standard"

    QPushButton *invsin = nullptr, *bsin = nullptr, *Command5 = nullptr, *Command1 = nullptr,
                *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr;
    QPushButton *invcos = nullptr, *Bcos = nullptr, *racine = nullptr, *btcarre = nullptr,
                *puissance = nullptr, *Blog = nullptr, *B10x = nullptr;
    QPushButton *Btoncommande3 = nullptr, *Btan = nullptr, *Bpo = nullptr, *bpf = nullptr,
                *pi = nullptr, *Bln = nullptr, *Bexp = nullptr;
    QPushButton *pico = nullptr, *nano = nullptr, *micro = nullptr, *mil = nullptr;
    QPushButton *tera = nullptr, *giga = nullptr, *mega = nullptr, *kilo = nullptr;
    QPushButton *B0 = nullptr, *B1 = nullptr, *B2 = nullptr, *B3 = nullptr, *B4 = nullptr,
                *B5 = nullptr, *B6 = nullptr, *B7 = nullptr, *B8 = nullptr, *B9 = nullptr;
    QPushButton *Bpoint = nullptr, *BtoEXP = nullptr;
    QPushButton *EFFACE = nullptr, *RAZ = nullptr, *multip = nullptr, *div = nullptr,
                *plus = nullptr, *moins = nullptr, *ANS = nullptr, *EXE = nullptr;

    // The window's background: gradient and outlines, in client coordinates.
    static void drawBackground(QPainter &painter);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createKeys();
    QPushButton *key(const char *name, const QString &caption, const QString &tooltip, int x, int y,
                     QColor colour);
    bool Form_KeyPress(QKeyEvent *event);
    void montre();
    void EXE_Click();
    void tellHint();

    platform::Dialogs &dialogs_;
    calculator::Keypad keypad_;
};
