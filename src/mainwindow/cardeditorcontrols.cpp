#include "cardeditor.h"

#include "carddraw.h"
#include "cardlayout.h"
#include "formulaeditor.h"
#include "hazardpictures.h"
#include "picturelabel.h"
#include "quantitykeys.h"
#include "textboxes.h"

#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>

#include <vector>

// The card editor's controls, placed from the card layout, and the events of
// the card panel: keys and focus of the quantity boxes, clicks on the card.

namespace
{

using cardlayout::Control;
using cards::kQuantityMaxLength;
constexpr int kFocusedQuantityWidth = 99;
const QColor kEditingBack(250, 250, 150);
const QColor kWhite(255, 255, 255);

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
    Text4 = makeBox(Frame1, "Text4", cards::kMaxTextLength);
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
    Text2->setMaxLength(cards::kMaxTextLength);
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
    // What a box took in otherwise than it was typed or pasted is told.
    const auto tell = [this](const QString &note) { emit infoLine(note); };
    std::vector<QLineEdit *> lines(Text3.begin(), Text3.end());
    lines.push_back(Text4);
    for (QLineEdit *box : lines)
        if (const auto *validator = qobject_cast<const Cp1252Validator *>(box->validator()))
            connect(validator, &Cp1252Validator::adjusted, this, tell);
    connect(Text2, &AspectBox::adjusted, this, tell);
    connect(formula, &FormulaEditor::adjusted, this, tell);
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
    if (!miscible && !text.isEmpty() && !cards::readsAsSingle(text.toStdString()))
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
