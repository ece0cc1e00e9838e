#pragma once

#include <QRect>
#include <QString>

#include <array>
#include <optional>

// Which pictures stand for the four hazards on the card, the copied picture
// and the printouts: the orange squares the card was designed with (the
// default), or the red-bordered diamonds of the CLP regulation taught today,
// which add the environment pictogram when the species pollutes water.
namespace hazardpictures
{

enum class Style { Orange, Ghs };

// The picture of hazard k: 0 "Inflammable", 1 "Corrosive", 2 "Nocive ou
// irritante", 3 "Toxique". Orange: the layout's Image8(k); GHS: GHS02,
// GHS05, GHS07, GHS06. An index outside 0..3 gives an empty name.
QString hazardResource(Style style, int k);

// Whether the picture of hazard k shows, `set` being the hazards the card
// has: each one its picture, but in the GHS style the exclamation mark
// (GHS07) does not appear beside the skull (GHS06), as the CLP regulation
// (article 26) orders.
bool showsHazard(Style style, int k, const std::array<bool, 4> &set);

// GHS09, hazardous to the aquatic environment. Air and soil have no CLP
// pictogram, so only water pollution brings it, and only in the GHS style.
inline const QString kEnvironmentResource = QStringLiteral(":/pictures/ghs09.svg");
bool showsEnvironment(Style style, bool waterPollution);

// GHS09 on the card panel and its picture, in Frame1 pixels: under
// "Environnement :", left of the pollution options. The hazard row has no room
// for a fifth 66-pixel picture beside four hazards, and below the pollution
// sentence of the card picture (whose bottom is near y = 425) only 59 rows are
// left above the frame, hence a smaller picture than the hazards'.
inline constexpr QRect kEnvironmentPlace{128, 427, 54, 54};

// The style kept between sessions, in the user's settings file; the orange
// squares when nothing (or something unreadable) is kept there.
Style loadStyle();
// A style by the name the settings file and the companion tool use for it:
// "orange" or "sgh".
std::optional<Style> styleNamed(const QString &name);
// False when the settings file could not be written.
bool saveStyle(Style style);
// $XDG_CONFIG_HOME/cartes-especes/cartes-especes.conf (~/.config when unset).
QString settingsFile();

} // namespace hazardpictures
