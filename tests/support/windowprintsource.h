#pragma once

#include "feuillep.h"
#include "printsource.h"

// The print dialog's view of the main window, as the application gives it.
class WindowSource : public PrintSource
{
public:
    explicit WindowSource(feuilleP &w) : w_(w) {}
    CardView currentCard() const override { return w_.currentCardView(); }
    std::vector<CardView> listedCards() override { return w_.listedCards(); }
    void showLastRow() override { w_.showLastRow(); }
    bool askSaveBeforeListing() override { return w_.askSaveBeforeListing(); }

private:
    feuilleP &w_;
};
