#include "cardeditor.h"

#include "dialogs.h"
#include "formulaeditor.h"
#include "hazardpictures.h"
#include "localpath.h"
#include "messages.h"
#include "picturelabel.h"
#include "textboxes.h"

#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

// The editor's card and its commands: showing a card, the flags on the
// controls, the lock, "&Valider", "&Nouveau", "E&nlever". Its controls are
// made and their events handled in cardeditorcontrols.cpp; the molar mass
// the formula gives in cardeditormolarmass.cpp.

namespace
{

using cards::kQuantityMaxLength;
constexpr int kQuantityHeight = 17;

std::string toUtf8(const QString &s)
{
    return s.toStdString();
}

bool checked(const QCheckBox *box)
{
    return box->checkState() == Qt::Checked;
}

// A flag digit as a check box value: 1 checked, 2 greyed, anything else unchecked.
void setCheckValue(QCheckBox *box, int digit)
{
    if (digit == 2) {
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
    } else {
        box->setCheckState(digit == 1 ? Qt::Checked : Qt::Unchecked);
        box->setTristate(false);
    }
}

} // namespace

CardEditor::CardEditor(QWidget *window, const QString &appDir, platform::Dialogs &dialogs,
                       Buttons buttons)
    : QObject(window), buttons(buttons), appDir_(appDir), dialogs_(dialogs), window_(window)
{
    createControls(window);
    connectControls();
    setPictogramStyle(hazardpictures::loadStyle());
}

CardEditor::~CardEditor() = default;

cards::Database CardEditor::database() const
{
    return cards::Database::inDirectory(platform::toPath(appDir_));
}

void CardEditor::setPictogramStyle(hazardpictures::Style style)
{
    pictogramStyle_ = style;
    for (int k = 0; k < 4; ++k) {
        static_cast<PictureLabel *>(Image8[std::size_t(k)])
            ->setResource(hazardpictures::hazardResource(style, k));
    }
    // Only the two choices: the window puts other commands in the same menu.
    for (QAction *action : pictogramStyles_->actions())
        action->setChecked(action->data().toInt() == int(style));
    showEnvironmentPicture();
    showHazardPictures();
}

void CardEditor::showEnvironmentPicture()
{
    GHS09->setVisible(hazardpictures::showsEnvironment(pictogramStyle_, checked(polu[1])));
}

void CardEditor::choosePictogramStyle(hazardpictures::Style style)
{
    setPictogramStyle(style);
    // The card shows the choice at once; only keeping it may fail.
    if (!hazardpictures::saveStyle(style))
        dialogs_.message(window_, platform::Dialogs::Icon::Exclamation,
                         QStringLiteral("Pictogrammes de danger"),
                         QStringLiteral("Ce choix vaut jusqu'à la fermeture du programme : il "
                                        "n'a pas pu être enregistré dans le fichier\n") +
                             QDir::toNativeSeparators(hazardpictures::settingsFile()));
}

void CardEditor::layoutQuantityBoxes()
{
    for (std::size_t k = 0; k < Text3.size(); ++k) {
        QLabel *label = Label4[k];
        const int width =
            QFontMetrics(label->font()).horizontalAdvance(label->text() + QLatin1Char(' '));
        label->resize(width, label->height());
        QLineEdit *box = Text3[k];
        box->setFrame(false);
        box->clear();
        box->setMaxLength(kQuantityMaxLength);
        box->setGeometry(label->x() + width, box->y(), box->width(), kQuantityHeight);
    }
}

void CardEditor::majtext3()
{
    // A caption that depends on the boiling point (the density's, relative
    // to air for a gas) follows it, and its box follows the caption's end.
    const std::string boiling = toUtf8(Text3[cards::quantityIndex(cards::kEbullition)]->text());
    for (std::size_t k = 0; k < Text3.size(); ++k) {
        if (cards::quantityInfo(int(k)).gasCaption.empty())
            continue;
        QLabel *label = Label4[k];
        label->setText(QString::fromUtf8(cards::quantityCaption(int(k), boiling)));
        const QFontMetrics metrics(Text3[k]->font());
        const int width = metrics.horizontalAdvance(label->text() + QLatin1Char(' '));
        label->resize(width, label->height());
        Text3[k]->move(label->x() + width, Text3[k]->y());
    }
    for (QLineEdit *box : Text3)
        box->resize(QFontMetrics(box->font()).horizontalAdvance(box->text()) + 8, box->height());
    Frame1->update();
}

void CardEditor::setPair(QButtonGroup *group, bool first, bool second)
{
    // An exclusive group can neither deselect its option nor hold two: the
    // pair is set with the exclusivity lifted. A stored card that says both
    // is shown so, and written back as it was.
    const QList<QAbstractButton *> options = group->buttons();
    group->setExclusive(false);
    options[0]->setChecked(first);
    options[1]->setChecked(second);
    group->setExclusive(true);
}

void CardEditor::optionClicked(QButtonGroup *group, QAbstractButton *clicked)
{
    // A click selects the option clicked alone, also when both were selected.
    const QList<QAbstractButton *> options = group->buttons();
    bool alone = clicked->isChecked();
    for (QAbstractButton *option : options)
        alone = alone && (option == clicked || !option->isChecked());
    if (alone)
        return;
    group->setExclusive(false);
    for (QAbstractButton *option : options)
        option->setChecked(option == clicked);
    group->setExclusive(true);
}

void CardEditor::showPollutionOption()
{
    const bool any = std::any_of(polu.begin(), polu.end(), checked);
    (any ? Option4 : Option3)->setChecked(true);
}

void CardEditor::applyFlags(const cards::Flags &flags)
{
    setPair(nature_, flags.organique(), flags.inorganique());
    for (int k = 0; k < 4; ++k)
        setCheckValue(Check1[std::size_t(k)], flags.hazard(k));
    // The option follows the three boxes once they are all set: what is
    // shown depends on this card's flags only, not on the card shown before.
    settingPollution_ = true;
    for (int k = 0; k < 3; ++k)
        setCheckValue(polu[std::size_t(k)], flags.pollution(k));
    settingPollution_ = false;
    showPollutionOption();
}

void CardEditor::setEditing(bool enabled)
{
    // The controls of Frame1 that take input; the pictures keep their colours.
    for (QWidget *w : std::initializer_list<QWidget *>{Text4, Text2, Option1, Option2, Option3,
                                                       Option4, formula->Picture2()})
        w->setEnabled(enabled);
    for (QWidget *w : Check1)
        w->setEnabled(enabled);
    for (QWidget *w : Text3)
        w->setEnabled(enabled);
    for (QWidget *w : polu)
        w->setEnabled(enabled);
}

void CardEditor::setUnlocked(bool unlocked, bool validable)
{
    verrou->setVisible(!unlocked);
    buttons.Command5->setEnabled(validable);
    buttons.Command12->setEnabled(unlocked);
    formula->setEditable(unlocked);
    setEditing(unlocked);
}

bool CardEditor::locked() const
{
    return !verrou->isHidden();
}

void CardEditor::fillTexts(const cards::carte &card)
{
    Text4->setText(QString::fromStdString(card.nom()));
    formula->setText(QString::fromStdString(card.formule()));
    Text2->setText(QString::fromStdString(card.aspect()));
    for (std::size_t k = 0; k < Text3.size(); ++k) {
        // A stored quantity longer than one may type is kept whole: a text
        // box cuts what it is given at its limit, and the next "&Valider"
        // would write the cut text.
        const QString text = QString::fromStdString(card.quantite(int(k)));
        Text3[k]->setMaxLength(std::max(kQuantityMaxLength, int(text.size())));
        Text3[k]->setText(text);
    }
}

void CardEditor::affichecarte(const QString &nom)
{
    const cards::ShowResult shown = database().showCompletingFlags(toUtf8(nom), numcarte);
    if (shown.completedNine)
        dialogs_.beep();
    if (shown.message == cards::DbMessage::LectureImpossible) {
        // The editor keeps its card whole: a card made of two cards' fields
        // would be written over the old card's slot by the next "&Valider".
        dialogs_.message(window_, platform::Dialogs::Icon::Critical, messages::kLectureTitle,
                         messages::kLectureText);
        return;
    }
    if (!shown.found)
        return;
    fillTexts(shown.card);
    const cards::Flags flags = cards::decodeFlags(shown.card.drapeaux());
    applyFlags(flags);
    setUnlocked(!flags.locked(), !flags.locked());
    if (!Option4->isChecked())
        Option3->setChecked(true);
    numcarte = shown.slot;
    storedName_ = shown.card.nom();
    majtext3();
    modifie = false;
    formula->hideEditing();
    tellMolarMass(true);
}

void CardEditor::showLoadedCard(const cards::carte &card, LockRule rule)
{
    fillTexts(card);
    const cards::Flags flags = cards::decodeFlags(card.drapeaux());
    applyFlags(flags);
    const bool unlocked = !flags.locked();
    setUnlocked(unlocked, unlocked || rule == LockRule::Open);
    if (!Option4->isChecked())
        Option3->setChecked(true);
    numcarte = -1;
    majtext3();
    modifie = true;
    tellMolarMass(true);
}

cards::carte CardEditor::card() const
{
    cards::carte c;
    c.nom() = toUtf8(Text4->text());
    c.formule() = toUtf8(formula->text());
    std::array<bool, 4> hazards{};
    for (std::size_t k = 0; k < 4; ++k)
        hazards[k] = checked(Check1[k]);
    std::array<bool, 3> pollution{};
    for (std::size_t k = 0; k < 3; ++k)
        pollution[k] = checked(polu[k]);
    c.drapeaux() = cards::encodeFlags(Option1->isChecked(), Option2->isChecked(), hazards,
                                      pollution, locked());
    c.aspect() = toUtf8(Text2->text());
    for (std::size_t k = 0; k < Text3.size(); ++k)
        c.quantite(int(k)) = toUtf8(Text3[k]->text());
    return c;
}

CardView CardEditor::view() const
{
    CardView v = cardViewOf(card(), pictogramStyle_);
    v.nonPolluant = Option3->isChecked();
    v.risquePollution = Option4->isChecked();
    return v;
}

void CardEditor::showWriteError(cards::IoError error)
{
    dialogs_.message(window_, platform::Dialogs::Icon::Critical, messages::kEcritureTitle,
                     error == cards::IoError::Locked ? messages::kOccupeText
                                                     : messages::kEcritureText);
}

std::optional<std::string> CardEditor::storedCard() const
{
    if (numcarte < 0)
        return std::nullopt;
    return storedName_;
}

bool CardEditor::Command5_Click()
{
    const std::string nom = toUtf8(Text4->text());
    if (cards::isBlank(nom)) {
        dialogs_.message(window_, platform::Dialogs::Icon::Critical, messages::kAjoutTitle,
                         messages::kSansNom);
        reponseNOM = false;
        return false;
    }
    const cards::Database db = database();
    const cards::CheckResult check = db.checkName(nom, numcarte, storedCard());
    if (check.message != cards::DbMessage::None) {
        // A name that could not be checked is not written: the card might
        // take the name of another one.
        showWriteError();
        reponseNOM = false;
        return false;
    }
    reponseNOM = check.reponseNOM;
    if (!reponseNOM) {
        dialogs_.message(window_, platform::Dialogs::Icon::Critical, messages::kAjoutTitle,
                         messages::kNomPris);
        return false;
    }
    cards::Saved saved;
    const cards::WriteResult written = db.write(card(), numcarte, storedCard(), &saved);
    if (written.nameTaken) {
        // Another program gave the name to one of its cards since the check.
        dialogs_.message(window_, platform::Dialogs::Icon::Critical, messages::kAjoutTitle,
                         messages::kNomPris);
        reponseNOM = false;
        return false;
    }
    if (written.message != cards::DbMessage::None) {
        // A card that was not written is not saved: the command that asked
        // for it must not go on as if it were.
        showWriteError(written.error);
        reponseNOM = false;
        return false;
    }
    storedName_ = nom;
    // A new card is in the database now: the next "&Valider" rewrites it, and
    // "E&nlever" removes it, instead of refusing it as a second card of the
    // same name (its later edits could then never be saved).
    numcarte = written.slot;
    modifie = false;
    emit validated(saved);
    return true;
}

bool CardEditor::askEnregistrer()
{
    return dialogs_.message(window_, platform::Dialogs::Icon::Question, messages::kEnregistrerTitle,
                            messages::kEnregistrerText,
                            platform::Dialogs::Buttons::YesNo) == platform::Dialogs::Answer::Yes;
}

bool CardEditor::enregistrer()
{
    if (!modifie)
        return true;
    if (askEnregistrer())
        return Command5_Click();
    return true;
}

bool CardEditor::Command6_Click()
{
    if (!enregistrer())
        return false;
    setUnlocked(true, true);
    numcarte = -1;
    formula->setText(QString());
    Text2->setText(QString());
    for (QLineEdit *box : Text3) {
        box->clear();
        box->setMaxLength(kQuantityMaxLength);
    }
    Text4->clear();
    for (QCheckBox *box : Check1)
        setCheckValue(box, 0);
    // The boxes first: unchecking them must not choose "non polluant".
    settingPollution_ = true;
    for (QCheckBox *box : polu)
        setCheckValue(box, 0);
    settingPollution_ = false;
    setPair(nature_, false, false);
    setPair(pollution_, false, false);
    majtext3();
    modifie = false;
    return true;
}

void CardEditor::Command12_Click()
{
    if (numcarte == -1) {
        dialogs_.message(window_, platform::Dialogs::Icon::Exclamation,
                         messages::kEnleverImpossibleTitle, messages::kEnleverImpossibleText);
        return;
    }
    const QString question = QStringLiteral("Voulez-vous vraiment effacer ") + Text4->text() +
                             QStringLiteral("\nde la base de données?");
    if (dialogs_.message(window_, platform::Dialogs::Icon::Question, messages::kEnleverTitle,
                         question,
                         platform::Dialogs::Buttons::YesNo) != platform::Dialogs::Answer::Yes)
        return;
    cards::Saved saved;
    if (database().remove(numcarte, storedCard(), &saved) != cards::DbMessage::None) {
        // Nothing was removed: the card stays in the editor as it is.
        showWriteError();
        return;
    }
    modifie = false;
    emit removed(saved);
}

void CardEditor::Check1_Click(int k)
{
    modifie = true;
    if (Check1[std::size_t(k)]->checkState() != Qt::PartiallyChecked)
        Check1[std::size_t(k)]->setTristate(false);
    showHazardPictures();
}

void CardEditor::showHazardPictures()
{
    std::array<bool, 4> set{};
    for (std::size_t k = 0; k < set.size(); ++k)
        set[k] = checked(Check1[k]);
    for (std::size_t k = 0; k < set.size(); ++k)
        Image8[k]->setVisible(hazardpictures::showsHazard(pictogramStyle_, int(k), set));
    lineUpHazards();
}

void CardEditor::lineUpHazards()
{
    // The pictures shown stand side by side from the panel's right edge, the
    // last hazard rightmost.
    int n = 0;
    for (int k = 3; k >= 0; --k) {
        QLabel *picture = Image8[std::size_t(k)];
        if (picture->isHidden())
            continue;
        ++n;
        picture->move(Frame1->width() - n * (picture->width() + 8), picture->y());
    }
}

void CardEditor::polu_Click()
{
    modifie = true;
    showEnvironmentPicture();
    for (QCheckBox *box : polu) {
        if (box->checkState() != Qt::PartiallyChecked)
            box->setTristate(false);
    }
    if (!settingPollution_)
        showPollutionOption();
}

void CardEditor::pollutionOption_Click(bool selected)
{
    if (!selected)
        return;
    modifie = true;
    if (Option3->isChecked() && !settingPollution_) {
        settingPollution_ = true;
        for (QCheckBox *box : polu)
            box->setCheckState(Qt::Unchecked);
        settingPollution_ = false;
    }
}
