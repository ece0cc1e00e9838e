#pragma once

#include <QObject>
#include <QString>

class QLineEdit;
class QWidget;
class QCheckBox;
class QLabel;

namespace platform
{
class Dialogs;
}

// The formula field of the card editor: the markup text box Text1, its
// rendering Picture2 with the caret marker posi, and the script-mode panel
// Picture1 (opte "Exposant", opti "Indice"). Picture2 is created as a child of
// `frame1` at its designed place; Picture1 as a child of `window`.
class FormulaEditor : public QObject
{
    Q_OBJECT
public:
    FormulaEditor(QWidget *frame1, QWidget *window, platform::Dialogs &dialogs);
    ~FormulaEditor() override;

    QString text() const;                // the markup (Text1)
    void setText(const QString &markup); // a new formula: normal mode, caret at 0, rendered
    void setEditable(bool enabled);      // Text1 enabled (locked cards: false)
    void hideEditing();                  // hides posi and Picture1 (after a card is shown)

    QLineEdit *Text1() const;
    QWidget *Picture2() const;
    QWidget *Picture1() const;

signals:
    // Every rendering: the card editor sets its modified flag.
    void rendered();
    // Characters typed or pasted were replaced (script digits and signs by
    // the formula's markers) or left out: the note says which.
    void adjusted(const QString &note);

private:
    class Impl;
    Impl *d;
};
