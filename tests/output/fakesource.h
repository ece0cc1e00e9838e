#pragma once

#include "printsource.h"

#include "dialogs.h"

#include <QList>
#include <QStringList>

#include <vector>

// The main window as the print dialog sees it: a list of cards, a current
// row, and the editor's "Enregistrer ?" with a scripted outcome of "&Valider".
class FakeSource : public PrintSource
{
public:
    std::vector<CardView> cards;
    int current = 0; // 0: the editor's card is not a list row
    CardView editor; // the card shown now
    bool modified = false;
    bool nameRefused = false; // "&Valider" refuses the name
    platform::Dialogs *dialogs = nullptr;
    QList<int> shownRows;
    int validations = 0;
    int questions = 0;
    std::function<void(int)> onShow; // called at each row shown

    int speciesRowCount() const override { return int(cards.size()); }
    void showRow(int r) override
    {
        current = r;
        editor = cards.at(std::size_t(r - 1));
        modified = false;
        shownRows << r;
        if (onShow)
            onShow(r);
    }
    CardView currentCard() const override { return editor; }
    bool askSaveBeforeListing() override
    {
        if (!modified)
            return true;
        ++questions;
        const auto answer = dialogs->message(
            nullptr, platform::Dialogs::Icon::Question, QStringLiteral("Enregistrer ?"),
            QStringLiteral("Cette carte a été modifiée.\r\nEnregistrer les modifications."),
            platform::Dialogs::Buttons::YesNo);
        if (answer != platform::Dialogs::Answer::Yes)
            return true;
        ++validations;
        if (nameRefused)
            return false;
        modified = false;
        return true;
    }
};

// A card as the editor shows it, every field filled.
inline CardView sampleCard(int i)
{
    static const QStringList formulas{QStringLiteral("H#2O"),        QStringLiteral("C#2H#5OH"),
                                      QStringLiteral("SO#4*2*-"),    QStringLiteral("NaCl"),
                                      QStringLiteral("C#6H#1#2O#6"), QStringLiteral("NH#4*+")};
    CardView c;
    c.nom = QStringLiteral("Espèce %1").arg(i, 4, 10, QLatin1Char('0'));
    c.formule = formulas.at(i % formulas.size());
    c.aspect = i % 3 == 0 ? QStringLiteral("liquide incolore, odeur piquante")
                          : QStringLiteral("solide blanc");
    c.quantites = {QStringLiteral("%1,02").arg(10 + i % 90),
                   QStringLiteral("1000"),
                   QStringLiteral("1,00"),
                   QStringLiteral("100"),
                   QStringLiteral("0"),
                   QStringLiteral("1,333"),
                   i % 4 == 0 ? QStringLiteral("miscible") : QStringLiteral("36")};
    c.organique = i % 2 == 0;
    c.inorganique = !c.organique;
    c.hazards = {i % 2 == 0, i % 3 == 0, i % 5 == 0, i % 7 == 0};
    c.nonPolluant = i % 2 == 0;
    c.risquePollution = !c.nonPolluant;
    c.polu = {i % 3 == 0, true, false};
    return c;
}
