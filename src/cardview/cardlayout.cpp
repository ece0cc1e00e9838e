#include "cardlayout.h"

#include "fields.h"

#include <QtGlobal>

#include <cmath>
#include <cstring>
#include <string>

namespace cardlayout
{

namespace
{

QString installedFamily(const char *face)
{
    if (qstricmp(face, "Times new roman") == 0)
        return QStringLiteral("Liberation Serif");
    // "MS Sans Serif" and "Arial" alike.
    return QStringLiteral("Liberation Sans");
}

} // namespace

QFont font(const char *face, double points, bool bold)
{
    QFont f(installedFamily(face));
    f.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    f.setBold(bold);
    // "MS Sans Serif" runs narrower than Arial, whose metrics Liberation Sans
    // has: condensed a little, the captions keep clear of the boxes beside them.
    if (qstricmp(face, "MS Sans Serif") == 0)
        f.setStretch(94);
    f.setStyleHint(qstricmp(face, "Times new roman") == 0 ? QFont::Serif : QFont::SansSerif);
    return f;
}

QFont dialogFont(int pixels, bool bold)
{
    QFont f(installedFamily("MS Sans Serif"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QFont font(const FontSpec &design)
{
    return font(design.face, design.points, design.bold);
}

namespace
{

// The quantities' lines: each label at the left of the card, its box beside
// it (the editor moves the box to the caption's end), on the table's line.
struct QuantityControls {
    std::vector<std::string> names;
    std::vector<Control> all; // kCard, then Label4(k) and Text3(k) for each k
    QuantityControls()
    {
        all.assign(kCard.begin(), kCard.end());
        names.reserve(2 * cards::kQuantityCount);
        for (int k = 0; k < cards::kQuantityCount; ++k) {
            names.push_back("Label4(" + std::to_string(k) + ')');
            names.push_back("Text3(" + std::to_string(k) + ')');
        }
        for (int k = 0; k < cards::kQuantityCount; ++k) {
            const cards::FieldInfo &q = cards::quantityInfo(k);
            const char *label = names[std::size_t(2 * k)].c_str();
            const char *box = names[std::size_t(2 * k + 1)].c_str();
            // The table's texts are literals: their views end in a null.
            all.push_back({label, Kind::Label, 104, q.cardTop, 161, 17, std::nullopt, rgb(0, 0, 0),
                           kQuantityFont, q.caption.data(), false});
            all.push_back({box, Kind::TextBox, 256, q.cardTop, 177, 24, rgb(255, 255, 255),
                           rgb(0, 0, 0), kQuantityFont, "", true});
        }
    }
};

const QuantityControls &quantityControls()
{
    static const QuantityControls controls;
    return controls;
}

} // namespace

const Control &quantityLabel(int k)
{
    return quantityControls().all[kCard.size() + std::size_t(2 * k)];
}

const Control &quantityBox(int k)
{
    return quantityControls().all[kCard.size() + std::size_t(2 * k + 1)];
}

std::span<const Control> allControls()
{
    return quantityControls().all;
}

const Control &control(const char *name)
{
    for (const Control &c : allControls()) {
        if (std::strcmp(c.name, name) == 0)
            return c;
    }
    qFatal("cardlayout: no control named %s", name);
}

} // namespace cardlayout
