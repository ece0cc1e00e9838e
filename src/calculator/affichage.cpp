#include "affichage.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

Affichage::Affichage(QWidget *parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    setUndoRedoEnabled(false);
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void Affichage::setText(const QString &text)
{
    setPlainText(text);
}

void Affichage::end()
{
    moveCursor(QTextCursor::End);
    ensureCursorVisible();
}

void Affichage::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (onKey && onKey(event))
        event->accept();
    else
        event->ignore();
}

void Affichage::inputMethodEvent(QInputMethodEvent *event)
{
    event->ignore();
}

void Affichage::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void Affichage::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void Affichage::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void Affichage::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}

bool Affichage::canInsertFromMimeData(const QMimeData *) const
{
    return false;
}

void Affichage::insertFromMimeData(const QMimeData *) {}
