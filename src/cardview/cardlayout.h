#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <optional>
#include <span>
#include <vector>

// The design of the card panel and of the main window, written once: the
// widgets are placed from it, and the card picture and the printing read it.
namespace cardlayout
{

struct FontSpec {
    const char *face; // designed face: "MS Sans Serif", "Arial", "Times new roman"
    double points;
    bool bold;
};

inline constexpr FontSpec kDefaultFont{"MS Sans Serif", 8.25, false};
inline constexpr FontSpec kQuantityFont{"MS Sans Serif", 9.75, false};
inline constexpr FontSpec kNameFont{"MS Sans Serif", 12, true};

// The installed font for a designed face, sized in pixels (points x 96 / 72)
// so that the card looks the same at every screen resolution.
QFont font(const FontSpec &design);
QFont font(const char *face, double points, bool bold);

// The dialogs' "MS Sans Serif" 8 pt at `pixels`, mapped as the card's faces
// but not condensed: the dialogs' controls are laid out for its full width.
QFont dialogFont(int pixels = 11, bool bold = false);

enum class Kind { Label, TextBox, Picture, Frame, Option, Check, Image };

struct Control {
    const char *name; // design name, e.g. "Label4(0)", "Text3(0)"
    Kind kind;
    int left, top, width, height;
    std::optional<QRgb> back; // none: transparent, or the system window colour
    QRgb fore;
    FontSpec font;
    const char *caption;
    bool opaque; // labels: paints its background
};

constexpr QRgb rgb(int r, int g, int b)
{
    return 0xff000000u | (unsigned(r) << 16) | (unsigned(g) << 8) | unsigned(b);
}

// Children of Frame1, in Frame1 pixels.
inline constexpr std::array<Control, 34> kCard{{
    {"Label3", Kind::Label, 0, 0, 65, 25, rgb(255, 255, 128), rgb(0, 0, 128), kDefaultFont,
     "  Nom:", true},
    {"Text4", Kind::TextBox, 64, 0, 401, 21, rgb(255, 255, 128), rgb(0, 0, 128), kNameFont, "",
     true},
    {"Label2", Kind::Label, 0, 21, 49, 33, rgb(0, 0, 192), rgb(247, 247, 225), kDefaultFont,
     "  Formule:", true},
    {"Picture2",
     Kind::Picture,
     48,
     21,
     321,
     33,
     rgb(0, 0, 192),
     rgb(255, 255, 192),
     {"Arial", 12, false},
     "",
     true},
    {"Frame2", Kind::Frame, 368, 21, 113, 33, rgb(0, 192, 0), rgb(0, 0, 0), kDefaultFont, "", true},
    {"Option1", Kind::Option, 8, 0, 81, 17, rgb(0, 192, 0), rgb(0, 0, 0), kDefaultFont, "Organique",
     true},
    {"Option2", Kind::Option, 8, 16, 81, 17, rgb(0, 192, 0), rgb(0, 0, 0), kDefaultFont,
     "Inorganique", true},
    {"Check1(0)", Kind::Check, 24, 64, 129, 17, rgb(255, 255, 255), rgb(0, 0, 0), kDefaultFont,
     "Inflammable", true},
    {"Check1(1)", Kind::Check, 24, 80, 129, 17, rgb(255, 255, 255), rgb(0, 0, 0), kDefaultFont,
     "Corrosive", true},
    {"Check1(2)", Kind::Check, 24, 96, 129, 17, rgb(255, 255, 255), rgb(0, 0, 0), kDefaultFont,
     "Nocive ou irritante", true},
    {"Check1(3)", Kind::Check, 24, 112, 129, 17, rgb(255, 255, 255), rgb(0, 0, 0), kDefaultFont,
     "Toxique", true},
    {"Image8(0)", Kind::Image, 168, 62, 66, 66, std::nullopt, 0, kDefaultFont,
     ":/pictures/flamme.svg", false},
    {"Image8(1)", Kind::Image, 240, 62, 66, 66, std::nullopt, 0, kDefaultFont,
     ":/pictures/corrosion.svg", false},
    {"Image8(2)", Kind::Image, 312, 62, 66, 66, std::nullopt, 0, kDefaultFont,
     ":/pictures/croix.svg", false},
    {"Image8(3)", Kind::Image, 384, 62, 66, 66, std::nullopt, 0, kDefaultFont,
     ":/pictures/tete-de-mort.svg", false},
    {"Image7", Kind::Image, 40, 144, 32, 24, std::nullopt, 0, kDefaultFont, ":/pictures/oeil.svg",
     false},
    {"Label1", Kind::Label, 104, 144, 121, 17, std::nullopt, rgb(0, 0, 0), kDefaultFont,
     "Aspect ( 1 atm ; 20 °C ) :", false},
    {"Text2", Kind::TextBox, 224, 144, 225, 45, rgb(255, 255, 255), rgb(0, 0, 0), kDefaultFont, "",
     true},
    {"Image1", Kind::Image, 32, 200, 46, 22, std::nullopt, 0, kDefaultFont,
     ":/pictures/balance.svg", false},
    {"Image3", Kind::Image, 36, 272, 31, 31, std::nullopt, 0, kDefaultFont,
     ":/pictures/thermometre.svg", false},
    {"Image6", Kind::Image, 36, 312, 26, 27, std::nullopt, 0, kDefaultFont,
     ":/pictures/ampoule.svg", false},
    {"Image4", Kind::Image, 32, 344, 30, 32, std::nullopt, 0, kDefaultFont, ":/pictures/becher.svg",
     false},
    {"Image5", Kind::Image, 36, 400, 32, 32, std::nullopt, 0, kDefaultFont,
     ":/pictures/poubelle.svg", false},
    {"Label5", Kind::Label, 104, 400, 105, 17, std::nullopt, rgb(0, 0, 0), kQuantityFont,
     "Environnement :", false},
    {"Option3", Kind::Option, 208, 400, 113, 17, std::nullopt, rgb(0, 0, 0), kQuantityFont,
     "non polluant", true},
    {"Option4", Kind::Option, 208, 424, 177, 17, std::nullopt, rgb(0, 0, 0), kQuantityFont,
     "risque de pollution pour:", true},
    {"polu(0)", Kind::Check, 376, 424, 49, 17, rgb(255, 255, 255), rgb(0, 0, 0), kQuantityFont,
     "l'air", true},
    {"polu(1)", Kind::Check, 376, 440, 65, 17, rgb(255, 255, 255), rgb(0, 0, 0), kQuantityFont,
     "l'eau", true},
    {"polu(2)", Kind::Check, 376, 456, 57, 17, rgb(255, 255, 255), rgb(0, 0, 0), kQuantityFont,
     "le sol", true},
    {"verrou", Kind::Image, 8, 464, 16, 16, std::nullopt, 0, kDefaultFont, ":/pictures/verrou.svg",
     false},
    // Option1 and Option2 stand inside Frame2; their positions above are Frame2's.
    {"Picture1", Kind::Picture, 152, 112, 101, 63, rgb(192, 192, 192), rgb(0, 0, 0), kDefaultFont,
     "", true},
    {"opte", Kind::Check, 16, 8, 65, 25, rgb(192, 192, 192), rgb(0, 0, 0), kDefaultFont, "Exposant",
     true},
    {"opti", Kind::Check, 16, 32, 57, 25, rgb(192, 192, 192), rgb(0, 0, 0), kDefaultFont, "Indice",
     true},
    {"Frame1", Kind::Picture, 16, 56, 465, 489, rgb(255, 255, 255), rgb(0, 0, 0), kDefaultFont, "",
     true},
}};
// Picture1 (window pixels), opte/opti (Picture1 pixels) and Frame1 (window
// pixels) are not children of Frame1; they are listed here to keep the whole
// design in one table. The quantities' lines come from the card's field table.

// The label Label4(k) and the box Text3(k) of quantity k: one line of the
// card, at the height the field table gives it, its caption the table's.
const Control &quantityLabel(int k);
const Control &quantityBox(int k);

// Every control of the card panel: kCard, then the quantities' labels and boxes.
std::span<const Control> allControls();

// The control named `name`; aborts on a name not in the table (a typo).
const Control &control(const char *name);

// Frame1's drawing area: the panel less its 2-pixel sunken border; the card
// picture has this size.
inline constexpr int kFrame1Border = 2;
inline constexpr QSize kFrame1Inner{465 - 2 * kFrame1Border, 489 - 2 * kFrame1Border};

// The control's rectangle (Left, Top, Width, Height).
inline constexpr QRect rect(const Control &c)
{
    return QRect(c.left, c.top, c.width, c.height);
}

// Elements of the main window (window pixels).
inline constexpr QRect kWindowArea{0, 0, 789, 545};
inline constexpr QRgb kWindowBack = rgb(224, 224, 224);
inline constexpr QRect kMS1{500, 136, 277, 409};
inline constexpr QRect kCombo1{624, 104, 153, 21};

} // namespace cardlayout
