#pragma once

#include "feuillep.h"
#include "printsource.h"

// The print dialog's view of the main window, as the application gives it.
class WindowSource : public PrintSource
{
public:
    explicit WindowSource(feuilleP &w) : w_(w) {}
    int speciesRowCount() const override { return w_.speciesRowCount(); }
    void showRow(int r) override { w_.showRow(r); }
    CardView currentCard() const override { return w_.currentCardView(); }
    bool askSaveBeforeListing() override { return w_.askSaveBeforeListing(); }

private:
    feuilleP &w_;
};
