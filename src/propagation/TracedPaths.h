#pragma once
// The propagation paths at one prediction point as the plan draws them and the path table lists them:
// for every path its kind, its nodes in space, the faces it touches by the names the calculation
// breakdown gives them, and its A-weighted levels at the point (calc/PointPaths.h finds them).
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "geometry/Vector.h"
#include "model/Band.h"

namespace kelmora {

// What a path does on its way, by the one thing that marks it most: sound through an opening, then
// reflected (specularly or diffusely, diffracted or not), then diffracted, else direct.
enum class PathKind { Direct, Diffracted, Reflected, ThroughOpening };

// The kind's name as the path table shows it: "直接", "回折", "反射", "開口部".
const char* PathKindName(PathKind kind);

enum class PathNodeRole {
    RoomSource,   // a source in a room (the path then leaves through an opening)
    Source,       // the outdoor source, or the source at the opening patch
    Diffraction,  // a diffraction point on an obstacle's edge
    Reflection,   // a reflection point on a face
    Receiver,     // the prediction point
};

struct PathNodePlace {
    PathNodeRole role = PathNodeRole::Source;
    CVector3D point;  // m
    // False for a diffraction point that the sound passes beside ("交差無し"): its edge corrects the
    // level, but the sound travels straight past it, so it is no corner of the path's line.
    bool onPath = true;
};

enum class PathFaceRole { Diffraction, Reflection };

// A face the path touches, in the order the sound meets it.
struct PathFace {
    PathFaceRole role = PathFaceRole::Reflection;
    std::string name;  // as in the breakdown: "of地表面", "of建物外壁(…)", "ofナイフウェッジ壁(…)", …
    bool passesBeside = false;  // a diffraction the sound passes beside ("交差無し")
};

struct PointPath {
    std::size_t userSource = 0;  // index in UserSources of the model
    PathKind kind = PathKind::Direct;
    int reflections = 0;
    int diffractions = 0;
    // The memo of the opening the sound leaves its room through (building:room:opening); empty for an
    // outdoor source.
    std::string opening;
    std::vector<PathNodePlace> nodes;  // from the source to the receiver
    std::vector<PathFace> faces;
    // The path's level at the point [dB per band] from the user source's average power (through an
    // opening: with the opening's gain), before the time weighting: the breakdown's "【音圧レベル[dB]】".
    CBand level;
    double laeq = kNoSoundLevel;   // dB: its share of the point's LAeqT (time-weighted), overall
    double lamax = kNoSoundLevel;  // dB: its share of the point's LAmax, overall
    double share = 0.0;            // of the LAeqT energy of all paths listed, 0..1
};

// A user source that does not reach the point, and why.
enum class SourceOutcome { Reached, NoPath, BelowGround, TooFar };

struct PointPathsSource {
    std::size_t userSource = 0;
    SourceOutcome outcome = SourceOutcome::NoPath;
};

struct PointPaths {
    CVector3D position;                     // of the prediction point
    bool aboveGround = true;                // false: the point lies underground, and no path is traced
    std::optional<std::size_t> userSource;  // the one user source asked for; none: every one
    std::vector<PointPath> paths;           // in the run's order: by source, then as the search found them
    std::vector<PointPathsSource> sources;  // each user source traced, in UserSources order
    // The point's levels from the sources traced, as a run computes them from their transfers [dB per
    // band, and overall].
    CBand average = CBand::Filled(kNoSoundLevel);
    CBand maximum = CBand::Filled(kNoSoundLevel);
    double laeq = kNoSoundLevel;
    double lamax = kNoSoundLevel;
};

}  // namespace kelmora
