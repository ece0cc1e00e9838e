#pragma once

#include "printsource.h"
#include "samplecards.h"

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
