#pragma once
// Building-opening sources: the sound of the sources inside a room carried to the outside through the
// room's openings that radiate outdoors.
//
// Each such opening is cut into patches of at most 1 m × 1 m, and every pair (patch, room source)
// becomes one source placed 0.2 m outside the patch. Its power follows the room-acoustics chain:
// sound power in the room → sound pressure at the opening (direct field plus reverberant field through
// the room constant R) → minus the opening's transmission loss → plus 10·log10 of the patch area.
#include <optional>
#include <string>
#include <vector>

#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/Building.h"
#include "model/Noise.h"
#include "model/Room.h"
#include "model/Sound.h"

namespace kelmora {

// One cell of an opening's patch grid.
struct OpeningPatch {
    const CWindow* opening = nullptr;  // the opening the cell lies in (the outer one or a contained one)
    double area = 0.0;                 // m²
    CVector3D centre;                  // m
};

// The patches of an opening: first those of its contained openings (recursively, in stored order),
// then, when the opening radiates outdoors, its own cells of at most 1 m along side A (outer loop) and
// 1 m along side B (inner loop), leaving out the cells whose centre lies in one of its contained
// openings. The patches point into `opening`, which must outlive them.
std::vector<OpeningPatch> OpeningPatches(const CWindow& opening);

// The number of patches OpeningPatches makes of the opening, counted without making them (the cells
// that contained openings take are counted too).
double OpeningPatchCount(const CWindow& opening);

// The most sources one opening of a room may make, its patches times the room's sources: a run over
// a larger opening is refused rather than let it take all memory.
inline constexpr double kMaxSourcesPerOpening = 100000.0;

// The first opening (of a room with sources) that would make more than kMaxSourcesPerOpening sources,
// as the text that refuses the run naming the opening; none when every opening is within the bound.
std::optional<std::string> FindOversizedOpening(const std::vector<CBuilding>& buildings);

// The room's total inner surface S [m²]: computed from its shape when computeFromShape is 1, else the
// entered surfaceArea.
double RoomSurfaceArea(const CRoom& room);

// The room's mean absorption coefficient per band: the entered one, or — computed from the shape —
// the absorption area of ceiling, floor and walls (less the openings in each) and of the openings,
// divided by the surface area. A shape without an outline absorbs nothing.
CBand RoomMeanAbsorption(const CRoom& room);

// The absorption area [m²] per band of an opening: its absorption times its area less that of its
// contained openings, plus the absorption areas of the contained openings.
CBand OpeningAbsorptionArea(const CWindow& opening);

// The room constant R = ᾱ·S / (1 − ᾱ) [m²] per band of the mean absorption ᾱ.
CBand RoomConstant(const CBand& meanAbsorption, double surfaceArea);

// The unit normal of the opening's face turned to point out of the room, away from the source at
// `sourcePosition`. A wall opening of a room with an outline points away from the outline (the side of
// the probe 0.5 m in front of the opening's centre that lies outside in plan); a horizontal opening, or
// any opening of a room without an outline, points away from the side of the source.
CVector3D OpeningOutwardNormal(const CRoom& room, const CWindow& opening, const CVector3D& sourcePosition);

// The source that `roomSource` makes at `patch`: a copy of the room source placed 0.2 m along the
// outward normal `n` from the patch centre, with the Q of the patch's opening and both power spectra
// turned into Lw − TL + C + 10·log10(patch area), where TL is the opening's transmission loss and
// C = 10·log10(Q·cos θ / (4π r²) + 1/R) the room term at the patch (Q of the room source, r and θ from
// the room source to the new position; C = 0 where it cannot be formed: R = 0, r = 0 or a bracket
// that is not > 0). TL and R are read at each band's frequency.
CSound OpeningSource(const CSound& roomSource, const OpeningPatch& patch, const CVector3D& n,
                     const CBand& roomConstant);

// What OpeningSource adds to each band of a spectrum of representation `kind`: −TL + C +
// 10·log10(patch area), a term of the geometry alone. The opening source's spectra are the room
// source's plus this gain, so the sound it carries to a point is the room source's power times
// 10^(gain/10) times the transfer of its paths.
CBand OpeningGain(const CSound& roomSource, const OpeningPatch& patch, const CVector3D& n,
                  const CBand& roomConstant, int kind);

// Where an opening source comes from: its room source, numbered over the room sources of every
// building and room in stored order (from 0), and its gain in the kind of the room source's average
// power.
struct OpeningOrigin {
    int roomSource = 0;
    CBand gain;
};

// The origins of OpeningSourcesOf(buildings), one per source in the same order.
std::vector<OpeningOrigin> OpeningOriginsOf(const std::vector<CBuilding>& buildings);

// The memo of an opening source: the non-empty ones of the three memos joined with ":".
std::string OpeningSourceMemo(const std::string& buildingMemo, const std::string& roomMemo,
                              const std::string& openingMemo);
// The memo a source shows in the breakdown: for a source made at an opening its three memos joined
// (OpeningSourceMemo), composed here rather than kept in every source; else the source's own memo.
std::string SourceMemo(const CSound& source);

// The opening sources of every building, room with sources and top-level opening, in stored order:
// patch by patch, and for each patch every room source in turn. Each source keeps its own memo empty
// and shares the memos of its building, room and opening (SourceMemo).
std::vector<CSound> OpeningSourcesOf(const std::vector<CBuilding>& buildings);

// Replaces the model's openingSources with those of its buildings.
void BuildOpeningSources(CNoise& noise);

}  // namespace kelmora
