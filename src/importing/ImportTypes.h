#pragma once
// Plain types shared by the steps of bringing a site in from drawings and GIS layers: the length unit of
// a drawing, a plan extent, the progress callback of a long read, and the error that refuses an import.
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelmora {

// An import that cannot be done: an unreadable file, a mapping that does not fit the source, an
// unknown coordinate system, coordinates that are no numbers, too many features. what() is the message
// shown to the user (Japanese); nothing has been changed when it is thrown.
class ImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown when the user cancels a long read through the progress callback.
class ImportCancelled : public std::runtime_error {
public:
    ImportCancelled() : std::runtime_error("取り込みを中止しました") {}
};

// Told the fraction done (0..1) now and then during a long read; returns false to cancel it.
using ImportProgress = std::function<bool(double fraction)>;

// The unit of a drawing's coordinates. GIS layers carry theirs in their coordinate system.
enum class LengthUnit { Millimetre, Centimetre, Metre };

// How many of the unit make a metre: 1000, 100, 1.
double UnitsPerMetre(LengthUnit unit);
// "mm", "cm", "m".
const char* UnitName(LengthUnit unit);
std::optional<LengthUnit> UnitFromName(std::string_view name);
// The unit a DXF drawing declares with $INSUNITS (4 mm, 5 cm, 6 m); none for the others.
std::optional<LengthUnit> UnitOfInsUnits(int code);
// What $INSUNITS says, for the listing: "4 (mm)", "1 (インチ)", "0 (単位なし)".
std::string InsUnitsText(int code);

// A plan rectangle [m or the source's units] that grows with the points added to it.
struct PlanExtent {
    double minX = 0.0;
    double minY = 0.0;
    double maxX = 0.0;
    double maxY = 0.0;
    bool empty = true;

    void Add(double x, double y);
    void Add(const PlanExtent& other);
    double Width() const { return empty ? 0.0 : maxX - minX; }
    double Height() const { return empty ? 0.0 : maxY - minY; }

    friend bool operator==(const PlanExtent&, const PlanExtent&) = default;
};

// Limits that keep an import within bounded time and memory. A site of a plant holds tens of buildings
// and hundreds of sources; a file with more features in the layers chosen is refused before it is read
// (clip the layers to the site first).
inline constexpr std::int64_t kMaxImportFeatures = 100000;
inline constexpr std::int64_t kMaxImportVertices = 5000000;

}  // namespace kelmora
