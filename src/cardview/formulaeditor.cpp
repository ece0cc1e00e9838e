#include "formulaeditor.h"

#include "carddraw.h"
#include "cardlayout.h"
#include "cp1252.h"
#include "cp1252validator.h"
#include "dialogs.h"
#include "formulamarkup.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <optional>

namespace
{

using formula::Level;

// Picture2: draws the last rendering; a click asks for the caret there.
class FormulaDisplay : public QWidget
{
public:
    explicit FormulaDisplay(QWidget *parent) : QWidget(parent)
    {
        setFocusPolicy(Qt::TabFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void show(const formula::Layout &layout)
    {
        layout_ = layout;
        update();
    }

    std::function<void(int x)> clicked;
    std::function<void(Qt::FocusReason)> focused;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        carddraw::paintFormulaLayout(p, layout_, size());
    }
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::LeftButton && clicked)
            clicked(qRound(e->position().x()));
    }
    void focusInEvent(QFocusEvent *e) override
    {
        if (focused)
            focused(e->reason());
    }

public:
    using QWidget::focusNextPrevChild;

private:
    formula::Layout layout_;
};

// Picture1: the grey panel of the script-mode boxes, with its bevel.
class ScriptPanel : public QWidget
{
public:
    explicit ScriptPanel(QWidget *parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        // The panel is 101 x 63 whatever size it was given.
        if (size() != QSize(101, 63))
            resize(101, 63);
        QPainter p(this);
        p.fillRect(rect(), QColor::fromRgb(*cardlayout::control("Picture1").back));
        carddraw::paintBevel(p);
    }
};

QRect designRect(const char *name)
{
    return cardlayout::rect(cardlayout::control(name));
}

// The caret marker posi, 12 x 26, placed 10 pixels left of where the caret
// stands. It is a one-pixel line in that very column with two ticks on its
// right, like "[": nothing of it lies left of the caret, so it never falls
// on the character before it, however narrow (a raised minus sign is three
// pixels long), and that character keeps the gap its font gives it.
QPixmap caretMarker()
{
    constexpr int kLine = 10;
    QImage image(12, 26, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        const QColor orange(255, 159, 26);
        p.fillRect(kLine, 0, 1, 26, orange);
        p.fillRect(kLine + 1, 0, 1, 2, orange);
        p.fillRect(kLine + 1, 24, 1, 2, orange);
    }
    return QPixmap::fromImage(image);
}

} // namespace

class FormulaEditor::Impl : public QObject
{
public:
    Impl(FormulaEditor *q, QWidget *frame1, QWidget *window, platform::Dialogs &dialogs);

    bool eventFilter(QObject *watched, QEvent *event) override;

    void render();
    Level mode() const
    {
        return opti->isChecked()   ? Level::Subscript
               : opte->isChecked() ? Level::Superscript
                                   : Level::Normal;
    }
    // The program sets the boxes: their click handlers must not react.
    void showMode(Level level);
    // The user (a box or Up/Down) sets a box: the mode is then the user's.
    void chooseBox(QCheckBox *box, bool checked);
    void boxClicked(QCheckBox *box);

    bool keyPress(QKeyEvent *e);
    void typeText(const QString &text);
    void setMarkup(const QString &text, int caret);
    void beginEditing();
    void endEditing();

    FormulaEditor *q;
    platform::Dialogs &dialogs;
    QWidget *window;
    QPointer<QLineEdit> text1;
    QPointer<FormulaDisplay> picture2;
    QLabel *posi;
    QPointer<ScriptPanel> picture1;
    QCheckBox *opte;
    QCheckBox *opti;

    int sourcemode = 0; // 0 mode follows the text, 2 chosen by the user
    bool demandeclic = false;
    int xclic = 0;
    bool rendering = false;
    bool leavingBackwards = false; // Text1 is losing the focus to Shift+Tab
    // The formula as last shown, while it is wider than the display.
    std::optional<QString> wideFormula;
    // The last formula that fitted the display, and its caret: an edit that
    // does not fit is taken back to it.
    QString fitting;
    int fittingCaret = 0;
    bool refused = false; // the last rendering took an edit back
};

FormulaEditor::Impl::Impl(FormulaEditor *q, QWidget *frame1, QWidget *window,
                          platform::Dialogs &dialogs)
    : QObject(q), q(q), dialogs(dialogs), window(window)
{
    // Text1 lies under Picture2: it takes the keys, Picture2 shows them.
    text1 = new QLineEdit(frame1);
    text1->setObjectName(QStringLiteral("Text1"));
    text1->setGeometry(designRect("Picture2"));
    text1->setFrame(false);
    text1->setContextMenuPolicy(Qt::NoContextMenu);
    text1->setAcceptDrops(false);
    text1->setFocusPolicy(Qt::StrongFocus);
    text1->installEventFilter(this);

    picture2 = new FormulaDisplay(frame1);
    picture2->setObjectName(QStringLiteral("Picture2"));
    picture2->setGeometry(designRect("Picture2"));
    picture2->raise();
    picture2->clicked = [this](int x) {
        if (!text1->isEnabled())
            return;
        demandeclic = true;
        xclic = x - 6;
        sourcemode = 0;
        text1->setFocus(Qt::MouseFocusReason);
        render();
    };
    picture2->focused = [this](Qt::FocusReason reason) {
        // Shift+Tab out of Text1 goes on past Picture2, not back into Text1.
        if (reason == Qt::BacktabFocusReason && leavingBackwards) {
            picture2->focusNextPrevChild(false);
            return;
        }
        if (!text1->isEnabled()) {
            picture2->focusNextPrevChild(reason != Qt::BacktabFocusReason);
            return;
        }
        demandeclic = true;
        xclic = -6;
        sourcemode = 0;
        text1->setFocus(Qt::OtherFocusReason);
        render();
    };
    QWidget::setTabOrder(picture2, text1);
    // Text1's focus-out flag lasts for one focus change.
    connect(qApp, &QApplication::focusChanged, this, [this] { leavingBackwards = false; });

    posi = new QLabel(picture2);
    posi->setObjectName(QStringLiteral("posi"));
    posi->setAttribute(Qt::WA_TransparentForMouseEvents);
    posi->setPixmap(caretMarker());
    posi->resize(12, 26);
    posi->hide();

    picture1 = new ScriptPanel(window);
    picture1->setObjectName(QStringLiteral("Picture1"));
    picture1->setGeometry(designRect("Picture1"));
    picture1->setAutoFillBackground(false);
    picture1->hide();
    const auto makeBox = [this](const char *name) {
        const cardlayout::Control &c = cardlayout::control(name);
        auto *box = new QCheckBox(QString::fromUtf8(c.caption), picture1);
        box->setObjectName(QString::fromUtf8(name));
        box->setFont(cardlayout::font(c.font));
        // As designed, widened when the style's box and caption need more,
        // up to the panel's bevel.
        QRect r = cardlayout::rect(c);
        r.setWidth(std::clamp(box->sizeHint().width(), r.width(), 97 - r.left()));
        box->setGeometry(r);
        // The boxes never take the focus from Text1, so that clicking them
        // does not end the editing that shows them.
        box->setFocusPolicy(Qt::NoFocus);
        QPalette pal = box->palette();
        pal.setColor(QPalette::Window, QColor::fromRgb(*c.back));
        pal.setColor(QPalette::WindowText, QColor::fromRgb(c.fore));
        box->setPalette(pal);
        connect(box, &QCheckBox::clicked, this, [this, box] { boxClicked(box); });
        return box;
    };
    opte = makeBox("opte");
    opti = makeBox("opti");
}

void FormulaEditor::Impl::showMode(Level level)
{
    const int saved = sourcemode;
    sourcemode = 1;
    opti->setChecked(level == Level::Subscript);
    opte->setChecked(level == Level::Superscript);
    sourcemode = saved;
}

void FormulaEditor::Impl::chooseBox(QCheckBox *box, bool checked)
{
    if (box->isChecked() == checked)
        return;
    box->setChecked(checked);
    if (sourcemode != 1) {
        sourcemode = 2;
        if (checked)
            (box == opte ? opti : opte)->setChecked(false);
    }
}

void FormulaEditor::Impl::boxClicked(QCheckBox *box)
{
    // The click has toggled the box: a box checked takes its mode, a second
    // click returns to normal mode; the two stay exclusive.
    if (box->isChecked())
        (box == opte ? opti : opte)->setChecked(false);
    sourcemode = 2;
    if (!text1->hasFocus())
        text1->setFocus(Qt::OtherFocusReason);
    render();
}

void FormulaEditor::Impl::setMarkup(const QString &text, int caret)
{
    text1->setText(text);
    text1->setCursorPosition(std::clamp(caret, 0, int(text.size())));
}

void FormulaEditor::Impl::render()
{
    if (rendering)
        return;
    rendering = true;
    emit q->rendered();

    QString markup = text1->text();
    formula::Layout layout;
    refused = false;
    for (;;) {
        if (formula::reorder(markup))
            setMarkup(markup, markup.size());
        layout = formula::layout(markup, carddraw::formulaMetrics(), picture2->size());
        // A stored formula wider than the display (another program's card) is
        // kept whole and drawn clipped: cutting it would write the cut text back
        // on the next "&Valider". Only what the user adds to it is refused.
        if (!layout.overflow || (wideFormula && markup.size() <= wideFormula->size()))
            break;
        dialogs.message(window, platform::Dialogs::Icon::Critical,
                        QStringLiteral("Dépassement de capacité"),
                        QStringLiteral("Il n'y a pas assez de place pour cette expression"));
        const int caret = text1->cursorPosition();
        refused = true;
        if (wideFormula) {
            markup = *wideFormula;
            setMarkup(markup, std::min(caret - 1, int(markup.size())));
            continue;
        }
        // The character that did not fit is refused, wherever it was typed;
        // the formula stays whole.
        markup = fitting;
        setMarkup(markup, fittingCaret);
    }
    if (layout.overflow) {
        wideFormula = markup;
    } else {
        wideFormula.reset();
        fitting = markup;
        fittingCaret = text1->cursorPosition();
    }

    if (demandeclic) {
        demandeclic = false;
        text1->setCursorPosition(formula::caretForClick(layout, markup, xclic));
    }
    const int caret = text1->cursorPosition();
    if (const auto mark = formula::caretMark(layout, markup, caret)) {
        int top = layout.y0 - 5;
        if (mark->levelAtCaret) {
            if (sourcemode != 2)
                showMode(*mark->levelAtCaret);
            top = formula::caretTop(layout, mode());
        }
        posi->move(mark->left, top);
    }
    picture2->show(layout);
    rendering = false;
}

void FormulaEditor::Impl::typeText(const QString &text)
{
    // Subscript and superscript digits and signs become the formula's own,
    // the other characters their stored form; what has none is left out.
    StorableText told;
    for (const char32_t c : text.toUcs4()) {
        if (c == U'#' || c == U'*' || c == U'\r' || c == U'\n') {
            dialogs.beep();
            continue;
        }
        if (c < 32 || c == 127)
            continue;
        const QString typed = QString::fromUcs4(&c, 1);
        Level level = mode();
        QChar ch;
        if (const auto script = scriptCharacter(c)) {
            ch = script->first;
            level = script->second ? Level::Superscript : Level::Subscript;
            told.tell(typed, ch + (script->second ? QStringLiteral(" en exposant")
                                                  : QStringLiteral(" en indice")));
        } else {
            const QString stored = storedForm(c);
            if (stored.size() != 1) {
                dialogs.beep();
                told.tell(typed, {});
                continue;
            }
            if (stored != typed)
                told.tell(typed, stored);
            ch = stored.front();
        }
        // Text1 shows no selection (the Tab key's select-all is dropped):
        // a character goes in at the caret.
        text1->deselect();
        const int caret = text1->cursorPosition();
        const formula::Edit edit = formula::typeCharacter(text1->text(), caret, caret, ch, level);
        setMarkup(edit.text, edit.caret);
        render();
        // A character that did not fit: the rest would not either.
        if (refused)
            break;
    }
    if (told.changed())
        emit q->adjusted(told.note());
}

bool FormulaEditor::Impl::keyPress(QKeyEvent *e)
{
    const int key = e->key();
    const Qt::KeyboardModifiers held =
        e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return false; // the focus moves on
    if (e->matches(QKeySequence::Paste)) {
        // Pasted text is typed character by character, with the same refusals.
        typeText(
            QApplication::clipboard()->text().remove(QLatin1Char('\r')).remove(QLatin1Char('\n')));
        return true;
    }

    text1->deselect();
    const QString text = text1->text();
    const int caret = text1->cursorPosition();
    switch (key) {
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Delete:
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (held)
            return true; // cancelled, as is every key with Shift, Ctrl or Alt
        if (key != Qt::Key_Up && key != Qt::Key_Down)
            sourcemode = 0;
        switch (key) {
        case Qt::Key_Home:
            text1->setCursorPosition(0);
            break;
        case Qt::Key_End:
            text1->setCursorPosition(text.size());
            break;
        case Qt::Key_Left:
            text1->setCursorPosition(formula::stepLeft(text, caret));
            break;
        case Qt::Key_Right:
            text1->setCursorPosition(formula::stepRight(text, caret));
            break;
        case Qt::Key_Delete: {
            const formula::Edit edit = formula::deleteForward(text, caret);
            setMarkup(edit.text, edit.caret);
            break;
        }
        case Qt::Key_Down:
            // Normal becomes subscript, superscript becomes normal; the
            // caret stays where it is.
            if (!opte->isChecked())
                chooseBox(opti, true);
            else
                chooseBox(opte, false);
            break;
        case Qt::Key_Up:
            if (!opti->isChecked())
                chooseBox(opte, true);
            else
                chooseBox(opti, false);
            break;
        }
        render();
        return true;
    case Qt::Key_Backspace:
        if (!(held & (Qt::ControlModifier | Qt::AltModifier))) {
            const formula::Edit edit = formula::backspace(text, caret);
            setMarkup(edit.text, edit.caret);
            render();
        }
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        dialogs.beep();
        return true;
    default:
        break;
    }
    // Character keys: Shift still types; Ctrl and Alt combinations give no
    // character here.
    if (!(held & (Qt::ControlModifier | Qt::AltModifier)) ||
        (held & Qt::ControlModifier && held & Qt::AltModifier)) {
        if (!e->text().isEmpty())
            typeText(e->text());
    }
    return true;
}

void FormulaEditor::Impl::beginEditing()
{
    picture1->raise();
    picture1->show();
    posi->show();
    render();
}

void FormulaEditor::Impl::endEditing()
{
    posi->hide();
    picture1->hide();
}

bool FormulaEditor::Impl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != text1)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return keyPress(static_cast<QKeyEvent *>(event));
    case QEvent::InputMethod: {
        auto *im = static_cast<QInputMethodEvent *>(event);
        if (!im->commitString().isEmpty())
            typeText(im->commitString());
        return true;
    }
    case QEvent::FocusIn: {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // Coming back from another window (a message box) is not a new
        // editing; but a click that activated the window is.
        const bool windowBack =
            reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
        if (!windowBack || !picture1->isVisible())
            beginEditing();
        return false;
    }
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        leavingBackwards = reason == Qt::BacktabFocusReason;
        const QWidget *now = QApplication::focusWidget();
        if (now != opte && now != opti)
            endEditing();
        return false;
    }
    default:
        return false;
    }
}

FormulaEditor::FormulaEditor(QWidget *frame1, QWidget *window, platform::Dialogs &dialogs)
    : QObject(frame1), d(new Impl(this, frame1, window, dialogs))
{
}

FormulaEditor::~FormulaEditor()
{
    // The widgets live in the card panel and the window; they go with the
    // editor, whose handlers they call.
    d->text1->removeEventFilter(d);
    d->picture2->clicked = nullptr;
    d->picture2->focused = nullptr;
    delete d->picture1.data();
    delete d->picture2.data();
    delete d->text1.data();
}

QString FormulaEditor::text() const
{
    return d->text1->text();
}

void FormulaEditor::setText(const QString &markup)
{
    // A new formula ("&Nouveau", a card shown or opened): the script mode of
    // the previous editing does not carry over; it is normal until the user
    // or the text at the caret chooses another.
    d->sourcemode = 0;
    d->showMode(Level::Normal);
    d->wideFormula = markup;
    d->setMarkup(markup, 0);
    d->render();
}

void FormulaEditor::setEditable(bool enabled)
{
    d->text1->setEnabled(enabled);
}

void FormulaEditor::hideEditing()
{
    d->endEditing();
}

QLineEdit *FormulaEditor::Text1() const
{
    return d->text1;
}
QWidget *FormulaEditor::Picture2() const
{
    return d->picture2;
}
QWidget *FormulaEditor::Picture1() const
{
    return d->picture1;
}
