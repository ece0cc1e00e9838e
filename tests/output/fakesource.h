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
    int reads = 0; // the list's cards read
    int validations = 0;
    int questions = 0;
    std::function<void()> onRead; // called when the list's cards are read

    CardView currentCard() const override { return editor; }
    std::vector<CardView> listedCards() override
    {
        ++reads;
        if (onRead)
            onRead();
        return cards;
    }
    void showLastRow() override
    {
        current = int(cards.size());
        editor = cards.back();
        modified = false;
        shownRows << current;
    }
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
