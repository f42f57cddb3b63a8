#include "editing/MemoryFootprint.h"

#include <string>

#include "model/persistence/ExtensionFile.h"

namespace kelmora {

namespace {

// What the allocator adds to every block it hands out (its header and the rounding to 16 bytes), so
// that the counts do not fall short of the heap a copy takes.
constexpr std::size_t kBlockOverhead = 16;

// Heap bytes of a text: none while it fits the string's own buffer.
std::size_t Heap(const std::string& text) {
    static const std::size_t inlineCapacity = std::string().capacity();
    return text.capacity() > inlineCapacity ? text.capacity() + 1 + kBlockOverhead : 0;
}

std::size_t Heap(const CBand& band) {
    return Heap(band.title);
}

template <typename Item>
std::size_t Block(const std::vector<Item>& items) {
    return items.capacity() > 0 ? items.capacity() * sizeof(Item) + kBlockOverhead : 0;
}

std::size_t Heap(const CPolyline& line) {
    return Block(line.vertices);
}

template <typename Item>
std::size_t Heap(const std::vector<Item>& items);

std::size_t Heap(const CSound& s) {
    std::size_t bytes = Heap(s.powerAverage) + Heap(s.powerMax) + Heap(s.memo) + Heap(s.levelAverageAtPoint) +
                        Heap(s.levelMaxAtPoint);
    // The memos an opening's sources share are counted with every source: an upper bound.
    for (const auto& memo : s.openingMemos)
        if (memo) bytes += sizeof(std::string) + kBlockOverhead + Heap(*memo);
    return bytes;
}

std::size_t Heap(const CWall& w) {
    return Heap(w.tl) + Heap(w.absorptionLeft) + Heap(w.absorptionRight) + Heap(w.memo);
}

std::size_t Heap(const CGroundLine& g) {
    return Heap(g.polyline) + Heap(g.absorptionLeft) + Heap(g.absorptionRight) + Heap(g.walls) + Heap(g.memo);
}

std::size_t Heap(const CRectObstacle& f) {
    return Heap(f.tl) + Heap(f.absorptionLeft) + Heap(f.absorptionRight) + Heap(f.name);
}

std::size_t Heap(const CRoof& r) {
    return Heap(r.face) + Heap(r.memo);
}

std::size_t Heap(const CBuildingWall& w) {
    return Heap(w.polyline) + Heap(w.absorption) + Heap(w.memo);
}

std::size_t Heap(const CWindow& o) {
    return Heap(o.absorption) + Heap(o.tl) + Heap(o.containedOpenings) + Heap(o.memo);
}

std::size_t Heap(const CRoom& r) {
    return Heap(r.meanAbsorption) + Heap(r.outline) + Heap(r.defaultAbsorptionCeiling) +
           Heap(r.defaultAbsorptionFloor) + Heap(r.defaultAbsorptionWall) + Heap(r.defaultTl) +
           Heap(r.openings) + Heap(r.sources) + Heap(r.memo);
}

std::size_t Heap(const CBuilding& b) {
    return Heap(b.roofs) + Heap(b.walls) + Heap(b.rooms) + Heap(b.memo);
}

std::size_t Heap(const CPredictivePoint& p) {
    return Heap(p.label) + Heap(p.resultAverage) + Heap(p.resultMax);
}

template <typename Item>
std::size_t Heap(const std::vector<Item>& items) {
    std::size_t bytes = Block(items);
    for (const Item& item : items)
        bytes += Heap(item);
    return bytes;
}

}  // namespace

std::size_t MemoryBytes(const std::vector<CGroundLine>& lines) {
    return sizeof(lines) + Heap(lines);
}

std::size_t MemoryBytes(const std::vector<CBuilding>& buildings) {
    return sizeof(buildings) + Heap(buildings);
}

std::size_t MemoryBytes(const std::vector<CSound>& sources) {
    return sizeof(sources) + Heap(sources);
}

std::size_t MemoryBytes(const CCalcInfo& calc) {
    return sizeof(calc) + Heap(calc.singlePoint) + Heap(calc.pointList) + Heap(calc.gridPoints) +
           Heap(calc.memo);
}

std::size_t MemoryBytes(const ProjectExtras& extras) {
    return sizeof(extras) + WriteExtensionText(extras).size();
}

}  // namespace kelmora
