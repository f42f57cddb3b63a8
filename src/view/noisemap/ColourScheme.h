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
    std::string id;    // as the command line names it
    std::string name;  // as the legend and menus name it
    std::vector<std::optional<Rgb>> classColours;
};

// The European strategic-noise-map scheme: nothing below 35 dB, then ten 5 dB classes from dark green
// through yellow and orange to red, purple and dark blue at 80 dB and above.
const ColourScheme& EuropeanScheme();
// The classic eleven-class scheme, every class coloured from light green below 35 dB.
const ColourScheme& ClassicScheme();
// The scheme of a command-line id ("eu", "classic"); null for any other.
const ColourScheme* SchemeById(const std::string& id);

// A diverging scheme for difference maps with `classCount` classes: blues for the quieter classes
// (darkest for the lowest), reds for the louder, lightest next to the middle.
ColourScheme DivergingScheme(std::size_t classCount);

// "#RRGGBB".
std::string HexColour(const Rgb& colour);

}  // namespace kelmora
