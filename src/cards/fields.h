#pragma once

#include <iterator>
#include <optional>
#include <string_view>

namespace cards
{

struct carte;

// Field numbers: a field's record within its card, in storage order (1-based,
// as in the database's record layout). No field has a tag in storage: its
// position is its identity.
enum Field : int {
    kNom = 1,
    kFormule,
    kDrapeaux,
    kAspect,
    kMasseMolaire,
    kMasseVolumique,
    kDensite,
    kEbullition,
    kFusion,
    kIndice,
    kSolubilite,
};

// What one field of a card is, everywhere the card goes: stored, exported,
// shown on the card, sorted in the list, printed, sent by mail. The fields
// from kMasseMolaire on are the card's quantities: numbers kept as typed,
// shown in the boxes Text3(k), k counted from the first quantity.
struct FieldInfo {
    Field field;
    std::string_view column; // its column in the CSV form of a database
    std::string_view label;  // its French name, with its unit, for the companion tool
    int mailLine;            // its line in the body of a published card (1 = first)

    // The quantities' own; empty (or 0) for the other fields.
    std::string_view caption;      // on the card, left of its box (Label4(k))
    std::string_view gasCaption;   // the caption for a species whose boiling point is below 20 °C
    std::string_view printCaption; // in the printed listing, before the value
    std::string_view sortEntry;    // the sort criterion (Combo1) that orders the list by it
    std::string_view sortHeader;   // the list's column header when sorted by it
    std::string_view unit;         // after the value, on the card and in the listing
    std::string_view exponent;     // raised after the unit ("-1")
    int cardTop;                   // the top of its line on the card, card panel pixels
    bool miscible = false;         // may hold the word "miscible" in place of a number
};

// The one word a quantity may hold instead of a number, where its row allows it;
// no unit follows it.
inline constexpr std::string_view kMiscible = "miscible";

// The card, field by field, in storage order.
inline constexpr FieldInfo kFields[] = {
    {kNom, "nom", "Nom", 1, "", "", "", "", "", "", "", 0, false},
    {kFormule, "formule", "Formule", 2, "", "", "", "", "", "", "", 0, false},
    {kDrapeaux, "drapeaux", "Drapeaux", 3, "", "", "", "", "", "", "", 0, false},
    {kAspect, "aspect", "Aspect (1 atm ; 20 °C)", 4, "", "", "", "", "", "", "", 0, false},
    {kMasseMolaire, "massemolaire", "Masse molaire (g/mol)", 5, "Masse molaire :", "",
     "Masse molaire : ", "Masse molaire ( g/mol )", "M (g/mol)", "g.mol", "-1", 196, false},
    {kMasseVolumique, "massevolumique", "Masse volumique (kg/m³)", 6,
     "Masse volumique ( 1 atm ; 20 °C ) :", "", "Masse volumique : ", "Masse volumique ( kg/m³ )",
     "µ (kg/m³)", "kg.m", "-3", 216, false},
    {kDensite, "densite", "Densité", 7, "Densité par rapport à l'eau :",
     "Densité par rapport à l'air :", "Densité : ", "Densité", "Densité", "", "", 236, false},
    {kEbullition, "ebullition", "Température d'ébullition (°C)", 8,
     "Température d'ébullition :", "", "Température d'ébullition : ", "Température d'ébullition",
     "T.éb. (°C)", "°C", "", 268, false},
    {kFusion, "fusion", "Température de fusion (°C)", 9, "Température de fusion :", "",
     "Température de fusion : ", "Température de fusion", "T.fus. (°C)", "°C", "", 288, false},
    {kIndice, "indice", "Indice de réfraction", 10, "Indice de réfraction :", "",
     "Indice de réfraction : ", "Indice de réfraction", "Indice", "", "", 320, false},
    {kSolubilite, "solubilite", "Solubilité dans l'eau (g/L)", 11, "Solubilité dans l'eau :", "",
     "Solubilité dans l'eau : ", "Solubilité ( g/L )", "Solubilité", "g.L", "-1", 352, true},
};

inline constexpr int kFieldCount = int(std::size(kFields));
inline constexpr int kFirstQuantity = kMasseMolaire;
inline constexpr int kQuantityCount = kFieldCount - kFirstQuantity + 1;

// The editor lets one type this many characters in a quantity box.
inline constexpr int kQuantityMaxLength = 100;

constexpr const FieldInfo &fieldInfo(int field)
{
    return kFields[field - 1];
}
// Quantity k (0 = the first quantity), the editor's Text3(k).
constexpr const FieldInfo &quantityInfo(int k)
{
    return kFields[kFirstQuantity - 1 + k];
}
constexpr int quantityIndex(Field field)
{
    return field - kFirstQuantity;
}

// The caption of quantity k on this card: the gas caption when the field has
// one and the card's boiling point reads as a number below 20 °C.
std::string_view quantityCaption(const carte &card, int k);
// The same from the boiling point's text alone.
std::string_view quantityCaption(int k, std::string_view boilingPoint);

// The value of a quantity typed with a decimal comma: optional minus sign,
// digits with at most one comma, surrounding spaces ignored ("2,5", " -3 ",
// ",5", "12,"). Nothing for anything else ("", "1.5", "miscible").
std::optional<double> readDecimalComma(std::string_view text);

// A quantity box keeps its text on leaving only when it reads as a number
// that single precision can hold.
bool readsAsSingle(std::string_view text);

} // namespace cards
