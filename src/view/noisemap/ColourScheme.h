#pragma once
// Colour schemes of noise maps as data: one colour per level class, lowest class first; a class without
// a colour is not filled (the plan shows through).
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "view/DisplayList.h"

namespace kelmora {

struct ColourScheme {
    std::string id;    // as the command line and the map settings name it
    std::string name;  // as the legend and menus name it
    std::vector<std::optional<Rgb>> classColours;
};

// The standard scheme: nothing below the lowest limit, then ten classes from pale green through yellow,
// orange and red to purple and dark violet, whose lightness (CIE L*) falls steadily from the quietest
// class to the loudest, so that a grey copy still reads from light (quiet) to dark (loud).
const ColourScheme& StandardScheme();
// The European strategic-noise-map scheme: nothing below 35 dB, then ten 5 dB classes from dark green
// through yellow and orange to red, purple and dark blue at 80 dB and above.
const ColourScheme& EuropeanScheme();
// The classic eleven-class scheme, every class coloured from light green below 35 dB.
const ColourScheme& ClassicScheme();
// The scheme of an id ("standard", "eu", "classic"); null for any other.
const ColourScheme* SchemeById(const std::string& id);

// The colour of the neutral class of a difference map ("no change").
inline constexpr Rgb kNoChangeGrey{208, 208, 208};

// The scheme of a difference map with `classesEachSide` classes below and above its neutral class:
// blues below, the neutral grey, reds above (2·classesEachSide + 1 colours). The two sides mirror
// each other: the k-th class below and the k-th above are equally light, lightest next to the neutral
// class, darkest at the open ends.
ColourScheme DivergingScheme(std::size_t classesEachSide);

// CIE L* of an sRGB colour (0 black … 100 white).
double Lightness(const Rgb& colour);

// "#RRGGBB".
std::string HexColour(const Rgb& colour);

}  // namespace kelmora
