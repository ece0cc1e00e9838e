#include "cardeditor.h"

#include "carddraw.h"
#include "cardlayout.h"
#include "dialogs.h"
#include "formulaeditor.h"
#include "hazardpictures.h"
#include "localpath.h"
#include "messages.h"
#include "molarmass.h"
#include "picturelabel.h"
#include "quantitykeys.h"
#include "textboxes.h"

#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>

namespace
{

using cardlayout::Control;

using cards::kQuantityMaxLength;
constexpr int kFieldMaxLength = 126;
constexpr int kQuantityHeight = 17;
constexpr int kFocusedQuantityWidth = 99;
const QColor kEditingBack(250, 250, 150);
const QColor kWhite(255, 255, 255);

std::string toUtf8(const QString &s)
{
    return s.toStdString();
}

// Colours for every state, so that a disabled control (a locked card) reads
// as well as an enabled one.
void setColours(QWidget *w, std::optional<QRgb> back, QRgb fore)
{
    QPalette pal = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::WindowText, QColor::fromRgb(fore));
        pal.setColor(group, QPalette::Text, QColor::fromRgb(fore));
        pal.setColor(group, QPalette::ButtonText, QColor::fromRgb(fore));
        if (back) {
            pal.setColor(group, QPalette::Window, QColor::fromRgb(*back));
            pal.setColor(group, QPalette::Base, QColor::fromRgb(*back));
            pal.setColor(group, QPalette::Button, QColor::fromRgb(*back));
        }
    }
    w->setPalette(pal);
    w->setAutoFillBackground(back.has_value());
}

void setBack(QWidget *w, const QColor &colour)
{
    QPalette pal = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, colour);
        pal.setColor(group, QPalette::Window, colour);
    }
    w->setPalette(pal);
}

void place(QWidget *w, const char *name)
{
    const Control &c = cardlayout::control(name);
    w->setObjectName(QString::fromUtf8(name));
    w->setGeometry(cardlayout::rect(c));
    w->setFont(cardlayout::font(c.font));
    setColours(w, c.kind == cardlayout::Kind::Label && !c.opaque ? std::nullopt : c.back, c.fore);
}

QString caption(const char *name)
{
    return QString::fromUtf8(cardlayout::control(name).caption);
}

QLabel *makeLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(caption(name), parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(label, name);
    return label;
}

QLabel *makePicture(QWidget *parent, const char *name)
{
    const Control &c = cardlayout::control(name);
    auto *label = new PictureLabel(parent, QString::fromUtf8(c.caption));
    label->setObjectName(QString::fromUtf8(name));
    label->setGeometry(cardlayout::rect(c));
    return label;
}

QLineEdit *makeBox(QWidget *parent, const char *name, int maxLength)
{
    auto *box = new QLineEdit(parent);
    place(box, name);
    box->setFrame(false);
    box->setMaxLength(maxLength);
    box->setValidator(new Cp1252Validator(box));
    box->setTextMargins(0, 0, 0, 0);
    return box;
}

template <typename Button> Button *makeButton(QWidget *parent, const char *name)
{
    auto *button = new Button(caption(name), parent);
    place(button, name);
    return button;
}

bool checked(const QCheckBox *box)
{
    return box->checkState() == Qt::Checked;
}

// A pair of option buttons exclusive on its own. Qt's automatic exclusivity
// would take every option button under Frame1 into one group, Frame2's pair
// included, so that selecting a pollution option deselected "Inorganique" or
// left both pollution options selected.
QButtonGroup *exclusivePair(QObject *owner, QRadioButton *first, QRadioButton *second)
{
    auto *group = new QButtonGroup(owner);
    for (QRadioButton *option : {first, second}) {
        option->setAutoExclusive(false);
        group->addButton(option);
    }
    group->setExclusive(true);
    return group;
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

CardPanel::CardPanel(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void CardPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), kWhite);
    CardView::Boxes rects;
    CardView::Quantities texts;
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        if (!boxes[k])
            return;
        rects[k] = boxes[k]->geometry();
        texts[k] = boxes[k]->text();
    }
    carddraw::paintUnitMarks(p, rects, texts, width());
}

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

void CardEditor::createControls(QWidget *window)
{
    const Control &frame = cardlayout::control("Frame1");
    Frame1Border = new QFrame(window);
    Frame1Border->setObjectName(QStringLiteral("Frame1Border"));
    Frame1Border->setGeometry(cardlayout::rect(frame));
    Frame1Border->setFrameShape(QFrame::Panel);
    Frame1Border->setFrameShadow(QFrame::Sunken);
    Frame1Border->setLineWidth(cardlayout::kFrame1Border);
    setColours(Frame1Border, frame.back, frame.fore);

    Frame1 = new CardPanel(Frame1Border);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(QRect(QPoint(cardlayout::kFrame1Border, cardlayout::kFrame1Border),
                              cardlayout::kFrame1Inner));
    Frame1->setFont(cardlayout::font(frame.font));
    setColours(Frame1, frame.back, frame.fore);

    Label3 = makeLabel(Frame1, "Label3");
    Text4 = makeBox(Frame1, "Text4", kFieldMaxLength);
    Label2 = makeLabel(Frame1, "Label2");
    formula = new FormulaEditor(Frame1, window, dialogs_);

    Frame2 = new QWidget(Frame1);
    place(Frame2, "Frame2");
    Option1 = makeButton<QRadioButton>(Frame2, "Option1");
    Option2 = makeButton<QRadioButton>(Frame2, "Option2");

    for (int k = 0; k < 4; ++k) {
        const QByteArray name = "Check1(" + QByteArray::number(k) + ")";
        Check1[std::size_t(k)] = makeButton<QCheckBox>(Frame1, name.constData());
    }
    for (int k = 0; k < 4; ++k) {
        const QByteArray name = "Image8(" + QByteArray::number(k) + ")";
        Image8[std::size_t(k)] = makePicture(Frame1, name.constData());
        Image8[std::size_t(k)]->hide();
    }
    Image7 = makePicture(Frame1, "Image7");
    Label1 = makeLabel(Frame1, "Label1");
    Text2 = new AspectBox(Frame1);
    place(Text2, "Text2");
    Text2->setMaxLength(kFieldMaxLength);
    Image1 = makePicture(Frame1, "Image1");
    Image3 = makePicture(Frame1, "Image3");
    Image6 = makePicture(Frame1, "Image6");
    Image4 = makePicture(Frame1, "Image4");
    for (int k = 0; k < cards::kQuantityCount; ++k) {
        const QByteArray label = "Label4(" + QByteArray::number(k) + ")";
        const QByteArray box = "Text3(" + QByteArray::number(k) + ")";
        Label4[std::size_t(k)] = makeLabel(Frame1, label.constData());
        Text3[std::size_t(k)] = makeBox(Frame1, box.constData(), kQuantityMaxLength);
    }
    Image5 = makePicture(Frame1, "Image5");
    Label5 = makeLabel(Frame1, "Label5");
    Option3 = makeButton<QRadioButton>(Frame1, "Option3");
    Option4 = makeButton<QRadioButton>(Frame1, "Option4");
    nature_ = exclusivePair(this, Option1, Option2);
    pollution_ = exclusivePair(this, Option3, Option4);
    for (int k = 0; k < 3; ++k) {
        const QByteArray name = "polu(" + QByteArray::number(k) + ")";
        polu[std::size_t(k)] = makeButton<QCheckBox>(Frame1, name.constData());
    }
    verrou = makePicture(Frame1, "verrou");
    verrou->hide();
    GHS09 = new PictureLabel(Frame1, hazardpictures::kEnvironmentResource);
    GHS09->setObjectName(QStringLiteral("GHS09"));
    GHS09->setGeometry(hazardpictures::kEnvironmentPlace);
    GHS09->hide();
    Frame1->boxes = Text3;

    const QCursor pointer = carddraw::quantityCursor();
    Text2->viewport()->setCursor(pointer);
    Text2->installEventFilter(this);
    for (QLineEdit *box : Text3) {
        box->setCursor(pointer);
        box->installEventFilter(this);
    }
    for (QLabel *label : {Label3, Label2, Label1})
        label->installEventFilter(this);
    for (QLabel *label : Label4)
        label->installEventFilter(this);
    Frame1->installEventFilter(this);
}

void CardEditor::connectControls()
{
    const auto setModifie = [this] { modifie = true; };
    connect(Text4, &QLineEdit::textChanged, this, setModifie);
    connect(Text2, &AspectBox::changed, this, setModifie);
    for (QLineEdit *box : Text3)
        connect(box, &QLineEdit::textChanged, this, setModifie);
    connect(formula, &FormulaEditor::rendered, this, setModifie);
    for (QRadioButton *option : {Option1, Option2}) {
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                modifie = true;
        });
    }
    for (int k = 0; k < 4; ++k)
        connect(Check1[std::size_t(k)], &QCheckBox::stateChanged, this,
                [this, k] { Check1_Click(k); });
    for (QCheckBox *box : polu)
        connect(box, &QCheckBox::stateChanged, this, &CardEditor::polu_Click);
    for (QRadioButton *option : {Option3, Option4})
        connect(option, &QRadioButton::toggled, this, &CardEditor::pollutionOption_Click);
    for (QButtonGroup *group : {nature_, pollution_})
        connect(group, &QButtonGroup::buttonClicked, this,
                [this, group](QAbstractButton *clicked) { optionClicked(group, clicked); });

    // The pictures' style, on a right click anywhere on the card but in a box
    // (whose own menu edits its text). A locked card keeps Frame1 enabled.
    cardMenu = new QMenu(Frame1);
    cardMenu->setObjectName(QStringLiteral("cardMenu"));
    pictogramStyles_ = new QActionGroup(cardMenu);
    const struct {
        const char *name;
        const char *text;
        hazardpictures::Style style;
    } choices[] = {
        {"pictogrammesOrange", "Pictogrammes de danger : carrés orange",
         hazardpictures::Style::Orange},
        {"pictogrammesSGH", "Pictogrammes de danger : losanges SGH (règlement CLP)",
         hazardpictures::Style::Ghs},
    };
    for (const auto &choice : choices) {
        QAction *action = cardMenu->addAction(QString::fromUtf8(choice.text));
        action->setObjectName(QString::fromUtf8(choice.name));
        action->setCheckable(true);
        action->setData(int(choice.style));
        pictogramStyles_->addAction(action);
        const hazardpictures::Style style = choice.style;
        connect(action, &QAction::triggered, this, [this, style] { choosePictogramStyle(style); });
    }
    Frame1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Frame1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { cardMenu->popup(Frame1->mapToGlobal(at)); });

    connect(molarMassBox(), &QLineEdit::textChanged, this, &CardEditor::offerMolarMass);
    connect(formula, &FormulaEditor::rendered, this, &CardEditor::offerMolarMass);
    formula->Text1()->installEventFilter(this);
    // The pointer over the molar mass's label and box is seen, not only over
    // the panel around them.
    molarMassLabel()->setMouseTracking(true);
    molarMassBox()->setMouseTracking(true);
    molarMassBox()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(molarMassBox(), &QWidget::customContextMenuRequested, this, &CardEditor::molarMassMenu);
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
    Image8[std::size_t(k)]->setVisible(checked(Check1[std::size_t(k)]));
    if (Check1[std::size_t(k)]->checkState() != Qt::PartiallyChecked)
        Check1[std::size_t(k)]->setTristate(false);
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

bool CardEditor::quantityKey(int k, QKeyEvent *event)
{
    // Only typed characters are filtered; navigation, editing shortcuts and
    // the focus keys keep their usual meaning.
    const QString typed = event->text();
    if (typed.size() != 1 || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    const QChar c = typed.front();
    if (!c.isPrint() && c != QLatin1Char('\b'))
        return false;
    QLineEdit *box = Text3[std::size_t(k)];
    const QuantityKey key = filterQuantityKey(c, cards::quantityInfo(k).miscible);
    switch (key.action) {
    case QuantityKey::Accept:
        return false;
    case QuantityKey::Insert:
        box->insert(QString(key.character));
        return true;
    case QuantityKey::Miscible:
        box->setText(QString::fromUtf8(cards::kMiscible));
        return true;
    case QuantityKey::Refuse:
        break;
    }
    return true;
}

void CardEditor::quantityFocus(int k, bool in)
{
    QLineEdit *box = Text3[std::size_t(k)];
    if (in) {
        setBack(box, kEditingBack);
        box->resize(kFocusedQuantityWidth, box->height());
        box->setCursor(Qt::IBeamCursor);
        Frame1->update();
        return;
    }
    setBack(box, kWhite);
    box->setCursor(carddraw::quantityCursor());
    const QString text = box->text();
    const bool miscible =
        cards::quantityInfo(k).miscible && text.trimmed() == QString::fromUtf8(cards::kMiscible);
    if (!miscible && !text.isEmpty() && !cards::readsAsSingle(toUtf8(text)))
        box->clear();
    majtext3();
}

bool CardEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (molarMassEvent(watched, event))
        return true;
    const QEvent::Type type = event->type();
    if (watched == Frame1 && type == QEvent::MouseButtonPress) {
        // A click anywhere on a quantity's line (its label, its unit, the
        // space around them, the picture beside them) puts the caret in its
        // box, however narrow the box is.
        const QPoint at = static_cast<QMouseEvent *>(event)->position().toPoint();
        for (QLineEdit *box : Text3) {
            if (at.y() < box->y() || at.y() >= box->y() + box->height() || !box->isEnabled())
                continue;
            box->setFocus(Qt::MouseFocusReason);
            box->end(false);
            return true;
        }
        return false;
    }
    if (type == QEvent::MouseButtonPress) {
        // A click on a label gives the focus to its box.
        QWidget *target = nullptr;
        if (watched == Label3)
            target = Text4;
        else if (watched == Label2)
            target = formula->Text1();
        else if (watched == Label1)
            target = Text2;
        for (std::size_t k = 0; k < Label4.size(); ++k)
            if (watched == Label4[k])
                target = Text3[k];
        if (target && target->isEnabled())
            target->setFocus(Qt::MouseFocusReason);
        return false;
    }
    if (watched == Text2 && (type == QEvent::FocusIn || type == QEvent::FocusOut)) {
        const bool in = type == QEvent::FocusIn;
        setBack(Text2, in ? kEditingBack : kWhite);
        Text2->viewport()->setCursor(in ? QCursor(Qt::IBeamCursor) : carddraw::quantityCursor());
        return false;
    }
    for (int k = 0; k < cards::kQuantityCount; ++k) {
        if (watched != Text3[std::size_t(k)])
            continue;
        if (type == QEvent::KeyPress)
            return quantityKey(k, static_cast<QKeyEvent *>(event));
        if (type == QEvent::FocusIn || type == QEvent::FocusOut)
            quantityFocus(k, type == QEvent::FocusIn);
        return false;
    }
    return QObject::eventFilter(watched, event);
}

void CardEditor::offerMolarMass()
{
    QString offer;
    if (molarMassBox()->text().isEmpty()) {
        const cards::MolarMass m = cards::molarMass(toUtf8(formula->text()));
        if (m.ok())
            offer = QString::fromStdString(cards::formatMolarMass(m.value));
    }
    molarMassBox()->setPlaceholderText(offer);
}

bool CardEditor::fillMolarMass()
{
    QLineEdit *box = molarMassBox();
    const QString offer = box->placeholderText();
    if (!box->isEnabled() || !box->text().isEmpty() || offer.isEmpty())
        return false;
    box->setText(offer);
    return true;
}

void CardEditor::molarMassMenu(const QPoint &at)
{
    QLineEdit *box = molarMassBox();
    QMenu *menu = box->createStandardContextMenu();
    menu->setObjectName(QStringLiteral("molarMassMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QString offer = box->placeholderText();
    if (!offer.isEmpty() && box->text().isEmpty()) {
        QAction *fill = new QAction(
            QStringLiteral("Inscrire la masse molaire de la formule : %1 g/mol").arg(offer), menu);
        fill->setObjectName(QStringLiteral("fillMolarMass"));
        connect(fill, &QAction::triggered, this, [this] { fillMolarMass(); });
        const QList<QAction *> actions = menu->actions();
        menu->insertAction(actions.isEmpty() ? nullptr : actions.front(), fill);
        if (!actions.isEmpty())
            menu->insertSeparator(actions.front());
    }
    menu->popup(box->mapToGlobal(at));
}

QString CardEditor::molarMassNote(bool disagreementOnly) const
{
    const std::string text = toUtf8(formula->text());
    if (cards::isBlank(text))
        return {};
    const cards::MolarMass m = cards::molarMass(text);
    const QString stored = molarMassBox()->text();
    if (stored.trimmed().isEmpty()) {
        // Nothing to offer on a card that cannot be changed.
        if (disagreementOnly || !molarMassBox()->isEnabled())
            return {};
        if (m.ok())
            return QStringLiteral("Masse molaire d'après la formule : %1 g/mol ; la touche "
                                  "Entrée l'inscrit dans la case")
                .arg(QString::fromStdString(cards::formatMolarMass(m.value)));
        return QStringLiteral("Masse molaire non calculée d'après la formule : ") +
               QString::fromStdString(m.message());
    }
    if (!m.ok())
        return {};
    const auto value = cards::readMolarMassText(toUtf8(stored));
    if (!value || !cards::massesDisagree(*value, m.value))
        return {};
    return QStringLiteral("La masse molaire inscrite (%1 g/mol) s'écarte de plus de 0,5 % de "
                          "celle de la formule : %2 g/mol")
        .arg(stored.trimmed(), QString::fromStdString(cards::formatMolarMass(m.value)));
}

void CardEditor::tellMolarMass(bool disagreementOnly)
{
    const QString note = molarMassNote(disagreementOnly);
    if (!note.isEmpty())
        emit infoLine(note);
}

bool CardEditor::molarMassEvent(QObject *watched, QEvent *event)
{
    QLineEdit *box = molarMassBox();
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        return watched == box && (key == Qt::Key_Return || key == Qt::Key_Enter) && fillMolarMass();
    }
    case QEvent::FocusIn:
        if (watched == box)
            tellMolarMass(false);
        return false;
    case QEvent::FocusOut:
        // The box or the formula left: the two are compared.
        if (watched == box || watched == formula->Text1())
            tellMolarMass(true);
        return false;
    case QEvent::MouseMove: {
        // The pointer on the molar mass's line: what the info line would say
        // of it replaces the card panel's own text.
        if (watched != Frame1 && watched != box && watched != molarMassLabel())
            return false;
        const QPoint at = static_cast<QWidget *>(watched)->mapTo(
            Frame1, static_cast<QMouseEvent *>(event)->position().toPoint());
        const QRect row = box->geometry().united(molarMassLabel()->geometry());
        if (at.y() >= row.top() && at.y() <= row.bottom())
            tellMolarMass(false);
        return false;
    }
    default:
        return false;
    }
}
