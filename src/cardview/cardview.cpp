#include "cardview.h"

#include "carddraw.h"

CardView::Quantities CardView::tableCaptions()
{
    // Made once; every view shares the texts.
    static const Quantities captions = [] {
        Quantities c;
        for (int k = 0; k < cards::kQuantityCount; ++k)
            c[std::size_t(k)] = QString::fromUtf8(cards::quantityInfo(k).caption);
        return c;
    }();
    return captions;
}

CardView cardViewOf(const cards::carte &card, hazardpictures::Style style)
{
    CardView v;
    v.nom = QString::fromStdString(card.nom());
    v.formule = QString::fromStdString(card.formule());
    v.aspect = QString::fromStdString(card.aspect());
    for (int k = 0; k < cards::kQuantityCount; ++k) {
        v.quantites[std::size_t(k)] = QString::fromStdString(card.quantite(k));
        const std::string_view caption = cards::quantityCaption(card, k);
        if (caption != cards::quantityInfo(k).caption)
            v.captions[std::size_t(k)] = QString::fromUtf8(caption);
    }
    const cards::Flags flags = cards::decodeFlags(card.drapeaux());
    v.organique = flags.organique();
    v.inorganique = flags.inorganique();
    std::array<bool, 4> set{};
    for (int k = 0; k < 4; ++k)
        set[std::size_t(k)] = flags.hazard(k) == 1;
    for (int k = 0; k < 4; ++k)
        v.hazards[std::size_t(k)] = hazardpictures::showsHazard(style, k, set);
    for (int k = 0; k < 3; ++k)
        v.polu[std::size_t(k)] = flags.pollution(k) == 1;
    v.risquePollution = v.polu[0] || v.polu[1] || v.polu[2];
    v.nonPolluant = !v.risquePollution;
    v.locked = flags.locked();
    v.pictogramStyle = style;
    carddraw::layQuantityBoxes(v);
    return v;
}
