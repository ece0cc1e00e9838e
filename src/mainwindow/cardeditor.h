#pragma once

#include "cardview.h"
#include "carte.h"
#include "database.h"

#include <QObject>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>
#include <string>

class AspectBox;
class FormulaEditor;
class QAbstractButton;
class QActionGroup;
class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

namespace platform
{
class Dialogs;
}

// Frame1, the card panel's drawing area: white, with the unit marks right of
// the quantity boxes.
class CardPanel : public QWidget
{
    Q_OBJECT
public:
    explicit CardPanel(QWidget *parent);
    std::array<QLineEdit *, cards::kQuantityCount> boxes{};

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The card editor: the controls of the card panel, the card they hold and the
// state the whole window relies on (numcarte, modifie, reponseNOM).
class CardEditor : public QObject
{
    Q_OBJECT
public:
    // The window's buttons that the lock enables and disables.
    struct Buttons {
        QPushButton *Command5 = nullptr;  // "&Valider"
        QPushButton *Command12 = nullptr; // "E&nlever"
    };

    CardEditor(QWidget *window, const QString &appDir, platform::Dialogs &dialogs, Buttons buttons);
    ~CardEditor() override;

    // How a card read from a card file applies its lock.
    enum class LockRule {
        Open,     // a locked card can still be validated
        Download, // a locked card cannot
    };

    // Start-up: each quantity label as wide as its caption and a space, its
    // box right after it, borderless, empty, at most 100 characters.
    void layoutQuantityBoxes();

    // Shows the database card named `nom` (the list's current name).
    void affichecarte(const QString &nom);
    // The density label, the quantity boxes' widths, and the card redrawn.
    void majtext3();

    // "&Valider": returns reponseNOM, true when the card was written.
    bool Command5_Click();
    // "&Nouveau": false when it stopped because the modified card could not
    // be saved.
    bool Command6_Click();
    // "E&nlever".
    void Command12_Click();

    // "Enregistrer ?" before the editor's card is replaced: asked when the card
    // was modified; Yes runs "&Valider". False when the card could not be
    // saved and the pending action must not happen.
    bool enregistrer();
    // The question alone: true on Yes.
    bool askEnregistrer();

    // Card files: the texts read, then (when the whole card was read) the
    // flags, the lock, the pollution option, numcarte -1, majtext3, modifie.
    void fillTexts(const cards::carte &card);
    void showLoadedCard(const cards::carte &card, LockRule rule);

    // The card as it would be written, drapeaux built from the controls.
    cards::carte card() const;
    // What the card picture and the printing read: the view of card(), with
    // the pollution option as the screen shows it (a card being edited may
    // have "risque de pollution pour:" chosen with no box checked yet, or
    // neither option).
    CardView view() const;
    bool locked() const;

    // The hazard pictures shown: orange squares or CLP diamonds (with GHS09
    // when the species pollutes water). Read from the user's settings at
    // start; chosen from the card panel's context menu, which keeps it there.
    hazardpictures::Style pictogramStyle() const { return pictogramStyle_; }
    void setPictogramStyle(hazardpictures::Style style);

    cards::Database database() const;

    int numcarte = 0;
    bool modifie = false;
    bool reponseNOM = true;

    // The controls, under their design names.
    QFrame *Frame1Border = nullptr;
    CardPanel *Frame1 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLabel *Label2 = nullptr;
    FormulaEditor *formula = nullptr; // Text1, Picture2, posi, Picture1
    QWidget *Frame2 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    std::array<QCheckBox *, 4> Check1{};
    std::array<QLabel *, 4> Image8{};
    QLabel *Image7 = nullptr;
    QLabel *Label1 = nullptr;
    AspectBox *Text2 = nullptr;
    QLabel *Image1 = nullptr;
    std::array<QLabel *, cards::kQuantityCount> Label4{};
    std::array<QLineEdit *, cards::kQuantityCount> Text3{};
    QLabel *Image3 = nullptr;
    QLabel *Image6 = nullptr;
    QLabel *Image4 = nullptr;
    QLabel *Image5 = nullptr;
    QLabel *Label5 = nullptr;
    QRadioButton *Option3 = nullptr;
    QRadioButton *Option4 = nullptr;
    std::array<QCheckBox *, 3> polu{};
    QLabel *verrou = nullptr;
    QLabel *GHS09 = nullptr;   // the environment pictogram, GHS style only
    QMenu *cardMenu = nullptr; // the card panel's context menu
    Buttons buttons;

signals:
    // A card was written: the list is refilled from what the write left.
    void validated(const cards::Saved &saved);
    // The card was removed: the list is refilled from what the removal left
    // and shows its first card.
    void removed(const cards::Saved &saved);
    // A text for the window's info line: the molar mass the formula gives,
    // offered for an empty "Masse molaire" box or set against the one typed.
    void infoLine(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls(QWidget *window);
    void connectControls();
    void applyFlags(const cards::Flags &flags);
    void setUnlocked(bool unlocked, bool validable);
    void setEditing(bool enabled);
    void setPair(QButtonGroup *group, bool first, bool second);
    void optionClicked(QButtonGroup *group, QAbstractButton *clicked);
    void showPollutionOption();
    // The hazards' pictures as the style shows the boxes checked, lined up.
    void showHazardPictures();
    void lineUpHazards();
    void showEnvironmentPicture();
    void choosePictogramStyle(hazardpictures::Style style);
    void Check1_Click(int k);
    void polu_Click();
    void pollutionOption_Click(bool selected);
    bool quantityKey(int k, QKeyEvent *event);
    void quantityFocus(int k, bool in);
    void showWriteError(cards::IoError error = cards::IoError::None);
    // The molar mass from the formula: shown in the empty box as a
    // placeholder, written there only by the user (Enter, or the box's menu).
    void offerMolarMass();
    bool fillMolarMass();
    void molarMassMenu(const QPoint &at);
    // What the info line says of the molar mass: the offer or why there is
    // none (empty box), or the gap (both given and more than 0.5 % apart).
    QString molarMassNote(bool disagreementOnly) const;
    QLineEdit *molarMassBox() const { return Text3[cards::quantityIndex(cards::kMasseMolaire)]; }
    QLabel *molarMassLabel() const { return Label4[cards::quantityIndex(cards::kMasseMolaire)]; }
    void tellMolarMass(bool disagreementOnly);
    bool molarMassEvent(QObject *watched, QEvent *event);
    // The stored name of the card in slot numcarte, as shown or written: the
    // database finds the card by it if another program has moved it.
    std::optional<std::string> storedCard() const;

    QString appDir_;
    platform::Dialogs &dialogs_;
    QWidget *window_;
    // Option1/Option2 and Option3/Option4: two pairs, each exclusive on its
    // own whatever widget holds the buttons.
    QButtonGroup *nature_ = nullptr;
    QButtonGroup *pollution_ = nullptr;
    // The pollution boxes are being set together (a card shown, "non
    // polluant" chosen): their events do not choose the option one by one.
    bool settingPollution_ = false;
    std::string storedName_; // the name in slot numcarte when shown or written
    hazardpictures::Style pictogramStyle_ = hazardpictures::Style::Orange;
    QActionGroup *pictogramStyles_ = nullptr; // the two choices of cardMenu
};
