#include "cardeditor.h"

#include "formulaeditor.h"
#include "molarmass.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

// The molar mass the formula gives: offered in the empty "Masse molaire" box,
// written there by the user, and set against the mass typed.

void CardEditor::offerMolarMass()
{
    QString offer;
    if (molarMassBox()->text().isEmpty()) {
        const cards::MolarMass m = cards::molarMass(formula->text().toStdString());
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
    const std::string text = formula->text().toStdString();
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
    const auto value = cards::readMolarMassText(stored.toStdString());
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
