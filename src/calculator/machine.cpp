#include "machine.h"

#include "affichage.h"
#include "cardlayout.h"
#include "dialogs.h"
#include "evaluator.h"
#include "svgpicture.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolTip>

#include <cmath>
#include <string>

namespace
{

const QColor kDigit(255, 224, 192);
const QColor kPrefix(255, 255, 192);
const QColor kOperator(0, 128, 128);
const QColor kTrigonometry(192, 255, 255);
const QColor kInverse(128, 255, 255);
const QColor kErase(255, 128, 128);
const QColor kGrey(192, 192, 192);

// Keys of the three upper rows are narrower towards the middle; below, the
// prefix keys are narrow and the others 33 pixels wide.
int keyWidth(int x, int y)
{
    if (y < 290) {
        switch (x) {
        case 16:
            return 57;
        case 120:
        case 152:
        case 184:
            return 25;
        default:
            return 33;
        }
    }
    return x < 80 ? 25 : 33;
}

QIcon picture(const QString &name, QSize size, qreal ratio)
{
    return QIcon(svgPicture(QStringLiteral(":/calculator/%1.svg").arg(name), size, ratio));
}

} // namespace

Machine::Machine(platform::Dialogs &dialogs, double &memoire, QWidget *parent)
    : QDialog(parent), dialogs_(dialogs), keypad_(memoire)
{
    setWindowTitle(QStringLiteral("Machine à calculer"));
    setFixedSize(301, 430);
    setFont(cardlayout::dialogFont());

    z1 = new Affichage(this);
    z1->onKey = [this](QKeyEvent *event) { return Form_KeyPress(event); };
    z1->setObjectName(QStringLiteral("z1"));
    z1->setGeometry(16, 16, 273, 89);
    z1->setFont(cardlayout::dialogFont(16));
    QPalette palette = z1->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, QColor(0, 255, 0));
    z1->setPalette(palette);

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(16, 120, 273, 65);
    Picture1->setAutoFillBackground(true);

    Frame2 = new QGroupBox(QStringLiteral("Angles"), Picture1);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(8, 0, 121, 57);
    angle[1] = new QRadioButton(QStringLiteral("Radians"), Frame2);
    angle[1]->setGeometry(8, 16, 105, 17);
    angle[0] = new QRadioButton(QStringLiteral("Degrés"), Frame2);
    angle[0]->setGeometry(8, 32, 105, 17);
    angle[0]->setChecked(true);

    Frame3 = new QGroupBox(QStringLiteral("Affichage"), Picture1);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setGeometry(136, 0, 129, 57);
    C[0] = new QRadioButton(QStringLiteral("Scientifique"), Frame3);
    C[0]->setGeometry(8, 16, 113, 17);
    C[1] = new QRadioButton(QStringLiteral("Standard"), Frame3);
    C[1]->setGeometry(8, 32, 113, 17);
    C[1]->setChecked(true);

    for (int i = 0; i < 2; ++i) {
        angle[i]->setObjectName(QStringLiteral("angle%1").arg(i));
        C[i]->setObjectName(QStringLiteral("C%1").arg(i));
        connect(angle[i], &QRadioButton::clicked, this, [this, i] {
            keypad_.chooseAngle(i == 1 ? calculator::kRadians : calculator::kDegrees);
            montre();
        });
        connect(C[i], &QRadioButton::clicked, this, [this, i] {
            keypad_.chooseFormat(i == 0 ? calculator::Format::Scientific
                                        : calculator::Format::Standard);
            montre();
        });
    }

    createKeys();
    z1->setFocus();
}

QPushButton *Machine::key(const char *name, const QString &caption, const QString &tooltip, int x,
                          int y, QColor colour)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, y, keyWidth(x, y), y == 192 ? 25 : 24);
    button->setAutoDefault(false);
    if (!tooltip.isEmpty())
        button->setToolTip(tooltip);
    if (colour.isValid()) {
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, colour);
        if (colour == kOperator)
            palette.setColor(QPalette::ButtonText, Qt::white); // legible on the dark keys
        button->setPalette(palette);
    }
    const std::string control(name);
    if (control == "EXE") {
        connect(button, &QPushButton::clicked, this, &Machine::EXE_Click);
    } else {
        connect(button, &QPushButton::clicked, this, [this, control] {
            keypad_.press(control);
            if (!keypad_.hint().empty())
                dialogs_.beep();
            montre();
            tellHint();
        });
    }
    return button;
}

void Machine::createKeys()
{
    const QColor none;
    invsin = key("invsin", "INV S&IN", "Inverse sinus", 16, 192, kInverse);
    bsin = key("bsin", "&SIN", "Sinus", 80, 192, kTrigonometry);
    Command5 = key("Command5", "1/x", "Inverse", 120, 192, none);
    Command1 = key("Command1", "M+", "Ajouter à la méoire", 152, 192, none);
    Command2 = key("Command2", "M-", "Soustraire à la mémoire", 184, 192, none);
    Command3 = key("Command3", "RM", "Rappel mémoire", 216, 192, none);
    Command4 = key("Command4", "CM", "Effacer la mémoire", 256, 192, none);

    invcos = key("invcos", "INV C&OS", "Inverse cosinus", 16, 224, kInverse);
    Bcos = key("Bcos", "&COS", "Cosinus", 80, 224, kTrigonometry);
    racine = key("racine", "√", "Racine carré", 120, 224, kOperator);
    btcarre = key("btcarre", "", "", 152, 224, kGrey);
    puissance = key("puissance", "", "", 184, 224, kGrey);
    Blog = key("Blog", "&Log", "", 216, 224, kOperator);
    B10x = key("B10x", "", "", 256, 224, kGrey);

    Btoncommande3 = key("Btoncommande3", "INV T&AN", "Inverse tangente", 16, 256, kInverse);
    Btan = key("Btan", "&TAN", "Tangente", 80, 256, kTrigonometry);
    Bpo = key("Bpo", "(", "", 120, 256, kOperator);
    bpf = key("bpf", ")", "", 152, 256, kOperator);
    pi = key("pi", "π", "3.1415927", 184, 256, kGrey);
    Bln = key("Bln", "l&n", "", 216, 256, kOperator);
    Bexp = key("Bexp", "", "", 256, 256, kGrey);

    pico = key("pico", "p", "pico", 16, 296, kPrefix);
    nano = key("nano", "n", "nano", 16, 328, kPrefix);
    micro = key("micro", "µ", "micro", 16, 360, kPrefix);
    mil = key("mil", "m", "milli", 16, 392, kPrefix);
    tera = key("tera", "T", "Téra", 48, 296, kPrefix);
    giga = key("giga", "G", "Giga", 48, 328, kPrefix);
    mega = key("mega", "M", "Méga", 48, 360, kPrefix);
    kilo = key("kilo", "k", "kilo", 48, 392, kPrefix);

    B7 = key("B7", "7", "", 88, 296, kDigit);
    B8 = key("B8", "8", "", 128, 296, kDigit);
    B9 = key("B9", "9", "", 168, 296, kDigit);
    B4 = key("B4", "4", "", 88, 328, kDigit);
    B5 = key("B5", "5", "", 128, 328, kDigit);
    B6 = key("B6", "6", "", 168, 328, kDigit);
    B1 = key("B1", "1", "", 88, 360, kDigit);
    B2 = key("B2", "2", "", 128, 360, kDigit);
    B3 = key("B3", "3", "", 168, 360, kDigit);
    B0 = key("B0", "0", "", 88, 392, kDigit);
    Bpoint = key("Bpoint", ".", "", 128, 392, kDigit);
    BtoEXP = key("BtoEXP", "EXP", "x 10ª", 168, 392, kPrefix);

    EFFACE = key("EFFACE", "←", "Effacer dernier caractère", 216, 296, kErase);
    RAZ = key("RAZ", "AC", "Tout effacer", 256, 296, kErase);
    multip = key("multip", "x", "", 216, 328, kOperator);
    div = key("div", "÷", "", 256, 328, kOperator);
    plus = key("plus", "+", "", 216, 360, kOperator);
    moins = key("moins", "-", "", 256, 360, kOperator);
    ANS = key("ANS", "ANS", "Dernière réponse", 216, 392, kGrey);
    EXE = key("EXE", "EXE", "Calculer", 256, 392, kGrey);

    const qreal ratio = devicePixelRatioF();
    const struct {
        QPushButton *button;
        const char *name;
    } pictures[] = {{btcarre, "calc-square"},
                    {puissance, "calc-power"},
                    {B10x, "calc-ten-power"},
                    {Bexp, "calc-exp"}};
    for (const auto &p : pictures) {
        const QSize size(22, 18);
        p.button->setIcon(picture(QString::fromLatin1(p.name), size, ratio));
        p.button->setIconSize(size);
    }
}

void Machine::montre()
{
    const QString text = QString::fromStdString(keypad_.display());
    if (z1->text() != text)
        z1->setText(text);
    z1->setFocus();
    z1->end();
    z1->viewport()->repaint();
}

void Machine::EXE_Click()
{
    z1->setText(QString::fromStdString(std::string(calculator::kPatience)));
    z1->setFocus();
    z1->end();
    z1->viewport()->repaint();
    const bool failed = keypad_.exe();
    if (failed || !keypad_.hint().empty())
        dialogs_.beep();
    montre();
    tellHint();
}

void Machine::tellHint()
{
    // What the keyboard refused, said under the display for a moment.
    const QString hint = QString::fromStdString(keypad_.hint());
    z1->setToolTip(hint);
    if (hint.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(z1->mapToGlobal(QPoint(0, z1->height())), hint, z1);
}

bool Machine::Form_KeyPress(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        EXE_Click();
        return true;
    }
    if (event->key() == Qt::Key_Backspace) {
        keypad_.effacer();
        montre();
        return true;
    }
    const QString text = event->text();
    if (text.size() != 1 || !text[0].isPrint())
        return false;
    keypad_.keyPress(text[0].unicode());
    if (!keypad_.hint().empty())
        dialogs_.beep();
    montre();
    tellHint();
    return true;
}

void Machine::keyPressEvent(QKeyEvent *event)
{
    // Every key reaches the calculator's keyboard rules, whatever has the
    // focus; Escape does not close the window.
    if (Form_KeyPress(event))
        event->accept();
    else
        event->ignore();
}

void Machine::drawBackground(QPainter &painter)
{
    for (int x = 0; x <= 301; ++x) {
        const int g = static_cast<int>(std::nearbyint(200 - x / 2.0));
        painter.setPen(QColor(g, g + 50, g + 50));
        painter.drawLine(x, 0, x, 430);
    }
    painter.setPen(Qt::white);
    painter.drawRect(1, 1, 298, 427);
    painter.setPen(Qt::black);
    painter.drawLine(1, 1, 299, 1);
    painter.drawLine(1, 1, 1, 427);
    painter.setPen(Qt::white);
    painter.drawRect(82, 290, 124, 131);
    painter.setPen(QColor(0, 128, 128));
    painter.drawRect(81, 289, 124, 131);
}

void Machine::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawBackground(painter);
}
