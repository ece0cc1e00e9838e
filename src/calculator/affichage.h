#pragma once

#include <QPlainTextEdit>

#include <functional>

class QKeyEvent;

// The calculator's display z1: it shows the expression being typed, a result
// or a message, wrapped over its lines so that a message longer than one line
// is read whole, from its first character. It keeps a caret at the end, but
// every key typed in it goes to `onKey` (the calculator's keyboard rules)
// instead of editing the text, and nothing can be pasted or dropped into it.
class Affichage : public QPlainTextEdit
{
public:
    explicit Affichage(QWidget *parent);

    // Returns true when the key was used; an unused key goes on to the window.
    std::function<bool(QKeyEvent *)> onKey;

    QString text() const { return toPlainText(); }
    void setText(const QString &text);
    int cursorPosition() const { return textCursor().position(); }
    // The caret to the end of the text, scrolled into view.
    void end();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
};
