#pragma once

#include "cardview.h"

// What the print dialog needs from the main window: the species list, the
// editor's card and the editor's "Enregistrer ?" question. The main window
// implements it; tests use a fake.
class PrintSource
{
public:
    virtual ~PrintSource();

    // Species rows of the list MS1, the header row not counted (0 when the
    // list is empty). Rows are numbered from 1, in the list's sort order.
    virtual int speciesRowCount() const = 0;

    // Make row r (1 <= r <= speciesRowCount()) the list's current row and show
    // its card in the editor, as a row change does, but without asking
    // "Enregistrer ?": the listing asks once, before it starts.
    virtual void showRow(int r) = 0;

    // The card the editor shows now, as the card picture and the listing read it.
    virtual CardView currentCard() const = 0;

    // Before a database listing replaces the editor's card: when the card was
    // modified, ask "Enregistrer ?" (Yes/No, question icon, the editor's usual
    // text) and run "&Valider" on Yes. Returns false when the listing must not
    // start (Yes, and the name was refused); true otherwise (not modified, No,
    // or validated).
    virtual bool askSaveBeforeListing() = 0;
};
