#pragma once

#include "cardview.h"

#include <vector>

// What the print dialog needs from the main window: the editor's card, the
// cards of the species list and the editor's "Enregistrer ?" question. The
// main window implements it; tests use a fake.
class PrintSource
{
public:
    virtual ~PrintSource();

    // The card the editor shows now, as the card picture draws it.
    virtual CardView currentCard() const = 0;

    // Every card of the species list, in the list's order (the sort
    // criterion's), as it shows in the user's pictogram style: the database
    // read once, each card as stored. Empty when the list is.
    virtual std::vector<CardView> listedCards() = 0;

    // After the listing: the list's last row current and its card shown in
    // the editor, as after a row change.
    virtual void showLastRow() = 0;

    // Before a database listing: when the editor's card was modified, ask
    // "Enregistrer ?" (Yes/No, question icon, the editor's usual text) and run
    // "&Valider" on Yes. Returns false when the listing must not start (Yes,
    // and the name was refused); true otherwise (not modified, No, or
    // validated).
    virtual bool askSaveBeforeListing() = 0;
};
