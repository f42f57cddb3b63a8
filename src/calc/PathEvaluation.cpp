#include "calc/PathEvaluation.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "acoustics/AirAbsorption.h"
#include "acoustics/Formulas.h"
#include "calc/BreakdownLines.h"
#include "calc/TextOutput.h"
#include "geometry/Plane.h"
#include "geometry/VectorOps.h"
#include "propagation/DiffractionCorrection.h"
#include "propagation/DiffuseReflection.h"
#include "propagation/FaceEdges.h"
#include "propagation/PathNode.h"
#include "propagation/PathSearch.h"
#include "propagation/PathsInsideBuildings.h"
#include "propagation/ReflectionCorrection.h"
#include "propagation/WorkCounters.h"

namespace kelmora {
namespace {

// A spectrum of representation `kind` with every band at `value`.
CBand Uniform(int kind, double value) {
    CBand band;
    band.kind = kind;
    band.fill(value);
    return band;
}

// to += add, band by band (bands of another representation are read at the band's frequency).
void AddPerBand(CBand& to, const CBand& add) {
    if (to.kind != add.kind) {
        to.addLevels(add);
        return;
    }
    for (int i = 0; i < to.bandCount(); ++i)
        to.value(i) += add.value(i);
}

// Value of band b of representation `kind` read from `spectrum`.
double BandValue(const CBand& spectrum, int kind, int b) {
    return spectrum.kind == kind ? spectrum.value(b) : spectrum.levelAt(bandFrequency(kind, b));
}

BreakdownFace FaceForBreakdown(const CRectObstacle& face) {
    return {face.name,
            FaceCorners(face),
            {face.diffracts[0] != 0, face.diffracts[1] != 0, face.diffracts[2] != 0, face.diffracts[3] != 0}};
}

// The correction sums and distances of one path, as its nodes are evaluated.
struct PathSums {
    explicit PathSums(int kind)
        : diffraction(Uniform(kind, 0.0)), reflection(Uniform(kind, 0.0)), absorption(Uniform(kind, 0.0)) {}

    CBand diffraction;              // diffraction corrections, transmission included
    CBand reflection;               // specular and diffuse reflection corrections
    CBand absorption;               // absorption at the reflecting faces
    double pathLength = 0.0;        // m, travelled, with the detours over crossed diffraction points
    double straightDistance = 0.0;  // m, straight from node to node
};

// The scene faces of one pair prepared for the edge searches of its diffraction corrections on first
// use, so that the paths of the pair share their half-planes and the edge points of the same segment;
// and the single diffraction corrections already made, which paths sharing a leg ask for again.
class CPairFaces {
public:
    CPairFaces(const CSearchScene& searched, int kind, CorrectionBands bands)
        : searched_(searched), kind_(kind), bands_(bands), prepared_(searched.faces().size()) {}

    const CEdgeFace& operator[](FaceIndex f) {
        std::unique_ptr<CEdgeFace>& p = prepared_[static_cast<std::size_t>(f)];
        if (!p) p = std::make_unique<CEdgeFace>(searched_, f);
        return *p;
    }

    // SingleDiffractionCorrection over face f of the segment s–r, made once for each face and segment
    // (to the bit): paths that share a leg ask for it again.
    const std::optional<CBand>& Single(FaceIndex f, const CVector3D& s, const CVector3D& r) {
        for (const CSingle& made : singles_) {
            if (made.face == f && SameBits(made.s, s) && SameBits(made.r, r)) return made.correction;
        }
        singles_.push_back({f, s, r, SingleDiffractionCorrection((*this)[f], s, r, kind_, bands_)});
        return singles_.back().correction;
    }

    // SpecularReflectionCorrection of face f from the mirrored incoming point to the outgoing point, made
    // once for each face and pair of points (to the bit): paths that share a reflection ask for it again.
    const std::optional<CBand>& Specular(FaceIndex f, const CVector3D& mirrored, const CVector3D& outgoing) {
        for (const CSingle& made : speculars_) {
            if (made.face == f && SameBits(made.s, mirrored) && SameBits(made.r, outgoing))
                return made.correction;
        }
        speculars_.push_back({f, mirrored, outgoing,
                              SpecularReflectionCorrection((*this)[f], mirrored, outgoing, kind_, bands_)});
        return speculars_.back().correction;
    }

    // The absorption correction 10·log10(1 − α) in every band of the source's representation of one
    // side's absorption spectrum `alpha` (a side of a scene face), made once per side.
    const CBand& AbsorptionOf(const CBand& alpha) {
        for (const CAbsorption& made : absorptions_) {
            if (made.alpha == &alpha) return made.correction;
        }
        CBand correction = Uniform(kind_, 0.0);
        for (int b = 0; b < correction.bandCount(); ++b)
            correction.value(b) = AbsorptionCorrection(BandValue(alpha, kind_, b));
        absorptions_.push_back({&alpha, std::move(correction)});
        return absorptions_.back().correction;
    }

    CorrectionBands bands() const { return bands_; }

private:
    struct CSingle {
        FaceIndex face;
        CVector3D s;
        CVector3D r;
        std::optional<CBand> correction;
    };
    struct CAbsorption {
        const CBand* alpha;
        CBand correction;
    };
    static bool SameBits(const CVector3D& a, const CVector3D& b) {
        return std::bit_cast<std::uint64_t>(a.x) == std::bit_cast<std::uint64_t>(b.x) &&
               std::bit_cast<std::uint64_t>(a.y) == std::bit_cast<std::uint64_t>(b.y) &&
               std::bit_cast<std::uint64_t>(a.z) == std::bit_cast<std::uint64_t>(b.z);
    }

    const CSearchScene& searched_;  // its face frames and diffraction points
    int kind_;
    CorrectionBands bands_;
    std::vector<std::unique_ptr<CEdgeFace>> prepared_;
    std::vector<CSingle> singles_;
    std::vector<CSingle> speculars_;  // s: the mirrored incoming point, r: the outgoing point
    std::vector<CAbsorption> absorptions_;
};

// Everything the evaluation of one pair's paths reads.
struct PairContext {
    std::span<const CRectObstacle> scene;
    const CSound& source;
    double temperature;
    double humidity;
    int kind;  // the representation of the source's spectra
    CBreakdownWriter& w;
    CPairFaces& faces;
};

// The points of the leg arriving at node i ≥ 1.
struct Leg {
    CVector3D start;  // node i−1
    CVector3D x;      // first diffraction point, or the start
    CVector3D y;      // second diffraction point, or x
    CVector3D end;    // node i
};

Leg LegOf(const CPropagationPath& path, std::size_t i) {
    const CPathRInfo& node = path[i];
    Leg leg;
    leg.start = path[i - 1].point;
    leg.x = node.crossX == kNoDiffraction ? leg.start : node.pointX;
    leg.y = node.crossY == kNoDiffraction ? leg.x : node.pointY;
    leg.end = node.point;
    return leg;
}

// The distance travelled along the leg over its crossed diffraction points only.
double TravelledLength(const CPathRInfo& node, const Leg& leg) {
    CVector3D from = leg.start;
    double length = 0.0;
    if (node.crossX == kPassesOver) {
        length += Distance(from, node.pointX);
        from = node.pointX;
    }
    if (node.crossY == kPassesOver) {
        length += Distance(from, node.pointY);
        from = node.pointY;
    }
    return length + Distance(from, leg.end);
}

// Adds the leg's distances. After a diffuse reflection at the previous node the diffuse transfer
// already holds the distance up to the last crossed diffraction point, so only the rest is travelled.
void CountDistances(const PairContext& c, const CPropagationPath& path, std::size_t i, const Leg& leg,
                    PathSums& sums) {
    const CPathRInfo& node = path[i];
    const CPathRInfo& previous = path[i - 1];
    if (previous.face != kNoFace && IsDiffuseTowards(c.scene[previous.face], leg.end)) {
        if (node.crossY == kPassesOver) {
            sums.pathLength += Distance(leg.y, leg.end);
        } else if (node.crossX == kPassesOver) {
            sums.pathLength += Distance(leg.x, leg.end);
        }
    } else {
        sums.pathLength += TravelledLength(node, leg);
    }
    sums.straightDistance += Distance(leg.start, leg.end);
}

void EvaluateDiffraction(const PairContext& c, const CPathRInfo& node, const Leg& leg, PathSums& sums) {
    if (node.diffractorX == kNoFace) return;
    ++WorkCounters().diffractionCorrections;
    const CRectObstacle& faceX = c.scene[node.diffractorX];
    if (node.diffractorY == kNoFace) {
        const CBand correction =
            c.faces.Single(node.diffractorX, leg.start, leg.end).value_or(Uniform(c.kind, kNoSoundLevel));
        WriteSingleDiffraction(c.w, FaceForBreakdown(faceX), leg.start, leg.end, node.pointX,
                               node.crossX == kPassesOver, correction);
        AddPerBand(sums.diffraction, correction);
        return;
    }
    const CRectObstacle& faceY = c.scene[node.diffractorY];
    const CBand correction = DoubleDiffractionCorrection(c.faces[node.diffractorX], leg.start, leg.end,
                                                         c.faces[node.diffractorY], c.kind, c.faces.bands())
                                 .value_or(Uniform(c.kind, kNoSoundLevel));
    WriteDoubleDiffraction(c.w, FaceForBreakdown(faceX), FaceForBreakdown(faceY), leg.start, leg.end,
                           node.pointX, node.crossX == kPassesOver, node.pointY, node.crossY == kPassesOver,
                           correction);
    AddPerBand(sums.diffraction, correction);
}

void EvaluateSpecularReflection(const PairContext& c, const CPropagationPath& path, std::size_t i,
                                const CVector3D& incoming, const CVector3D& mirrored, PathSums& sums) {
    const CPathRInfo& node = path[i];
    const CRectObstacle& face = c.scene[node.face];
    const CFaceCorners corners = FaceCorners(face);
    const CVector3D outgoing = OutgoingPoint(path, i);
    SpecularOutcome outcome = SpecularOutcome::NearFace;
    std::optional<CBand> correction;
    if (DistancePointPlane(mirrored, corners[0], corners[1], corners[2]) > kNearFaceDistance) {
        correction = c.faces.Specular(node.face, mirrored, outgoing);
        outcome = correction ? SpecularOutcome::Corrected : SpecularOutcome::NoCorrection;
    }
    WriteSpecularReflection(c.w, FaceForBreakdown(face), incoming, outgoing, node.point,
                            node.reflectState == kOnFace, outcome, correction ? *correction : CBand());
    if (correction) AddPerBand(sums.reflection, *correction);
}

void EvaluateDiffuseReflection(const PairContext& c, const CPropagationPath& path, std::size_t i,
                               const Leg& leg, PathSums& sums) {
    const CPathRInfo& node = path[i];
    const CRectObstacle& face = c.scene[node.face];
    const CVector3D outgoing = OutgoingPoint(path, i);
    // The reflecting face, the leg's own diffractors and the face the leg starts from are no obstacles
    // of the transfer's legs.
    const std::array<FaceIndex, 4> ignored = {node.face, node.diffractorX, node.diffractorY,
                                              path[i - 1].face};
    const std::optional<CBand> correction =
        DiffuseReflectionCorrection(face, c.source.q, leg.start, outgoing, c.scene, ignored, c.kind);
    WriteDiffuseReflection(c.w, FaceForBreakdown(face), leg.start, outgoing,
                           correction ? &*correction : nullptr);
    if (correction) AddPerBand(sums.reflection, *correction);
}

// The absorption of the side the sound arrives from: the face side away from the mirrored incoming
// point (the left side when the incoming point lies on the plane).
void EvaluateAbsorption(const PairContext& c, const CRectObstacle& face, const CVector3D& mirrored,
                        PathSums& sums) {
    const CBand& correction = c.faces.AbsorptionOf(AbsorptionTowards(face, mirrored).other);
    WriteAbsorption(c.w, correction);
    AddPerBand(sums.absorption, correction);
}

// The leg arriving at node i and the reflection at node i.
void EvaluateNode(const PairContext& c, const CPropagationPath& path, std::size_t i, PathSums& sums) {
    const CPathRInfo& node = path[i];
    const Leg leg = LegOf(path, i);
    if (node.face == kNoFace) {
        CountDistances(c, path, i, leg, sums);
        EvaluateDiffraction(c, node, leg, sums);
        return;
    }
    const CRectObstacle& face = c.scene[node.face];
    const CFaceCorners corners = FaceCorners(face);
    const CVector3D incoming = IncomingPoint(path, i);
    const CVector3D mirrored = MirrorPoint(incoming, corners[0], corners[1], corners[2]);
    if (IsDiffuseTowards(face, leg.x)) {
        // The diffuse transfer holds the distance attenuation and the diffractions of this leg.
        EvaluateDiffuseReflection(c, path, i, leg, sums);
    } else {
        CountDistances(c, path, i, leg, sums);
        EvaluateDiffraction(c, node, leg, sums);
        EvaluateSpecularReflection(c, path, i, incoming, mirrored, sums);
    }
    EvaluateAbsorption(c, face, mirrored, sums);
}

// The source-independent part of one path's level: its corrections, spreading and air absorption.
struct PathTerms {
    explicit PathTerms(int kind) : sums(kind) {}

    PathSums sums;
    bool travelled = false;
    double spreading = 0.0;
    CBand air;
};

// Evaluates the nodes of a path and its distances, writing their breakdown lines.
PathTerms EvaluatePath(const PairContext& c, const CPropagationPath& path) {
    ++WorkCounters().pathsEvaluated;
    PathTerms terms(c.kind);
    PathSums& sums = terms.sums;
    for (std::size_t i = 1; i < path.size(); ++i)
        EvaluateNode(c, path, i, sums);
    // A source at the point itself travels no distance: neither spreading nor air absorption.
    terms.travelled = sums.pathLength > 0.0;
    if (terms.travelled) {
        terms.spreading = PointSpreadingTerm(sums.straightDistance, c.source.q);
        terms.air = AirAbsorptionInBands(sums.pathLength, c.temperature, c.humidity, c.kind);
        WritePathDistances(c.w, sums.pathLength, sums.straightDistance, terms.spreading, c.temperature,
                           c.humidity, terms.air);
    }
    return terms;
}

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool SameBits(const CVector3D& a, const CVector3D& b) {
    return SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z);
}

}  // namespace

bool CPairAttenuation::Fits(const CSound& source, const CVector3D& point, const CBreakdownWriter& w) const {
    return filled_ && SameBits(position_, source.position) && SameBits(point_, point) &&
           SameBits(q_, source.q) && kind_ == source.powerAverage.kind && level_ == w.level() &&
           writesFile_ == w.writesFile();
}

void EvaluatePairPaths(std::span<const CRectObstacle> scene, std::span<const CBuilding> buildings,
                       double temperature, double humidity, int maxReflections, const CSound& source,
                       const CVector3D& point, const CBreakdownWriter& w, CPairAttenuation& attenuation,
                       bool keepNodes) {
    CPairAttenuation& a = attenuation;
    a.filled_ = false;
    a.paths_.clear();
    // A search over many reflections may take long: the cancel is tested within it too.
    const CSearchScene searched(scene, [&w] { w.ThrowIfCancelled(); });
    const std::vector<CPropagationPath> paths = DropPathsInsideBuildings(
        FindPropagationPaths(source.position, point, searched, maxReflections), buildings);

    // The lines of a path stand two levels deeper than the source (ComputeSourceAtPoint's paths, then
    // the path's heading); they are composed apart and written after the path's heading.
    CTextBuffer lines;
    CBreakdownWriter capture(w.writesFile() ? &lines : nullptr, w.job());
    capture.ChangeLevel(w.level() + 2);
    // The corrections are summed band by band in the source's representation; their overall value and
    // other representation are only shown in the breakdown.
    CPairFaces faces(searched, source.powerAverage.kind,
                     w.writesFile() ? CorrectionBands::kAllRepresentations : CorrectionBands::kKindOnly);
    const PairContext c{scene, source, temperature, humidity, source.powerAverage.kind, capture, faces};
    for (const CPropagationPath& path : paths) {
        lines.clear();
        PathTerms terms = EvaluatePath(c, path);
        a.paths_.push_back({terms.travelled, terms.spreading, std::move(terms.air),
                            std::move(terms.sums.diffraction), std::move(terms.sums.reflection),
                            std::move(terms.sums.absorption), lines.bytes(),
                            keepNodes ? path : CPropagationPath()});
    }
    a.position_ = source.position;
    a.point_ = point;
    a.q_ = source.q;
    a.kind_ = source.powerAverage.kind;
    a.level_ = w.level();
    a.writesFile_ = w.writesFile();
    a.filled_ = true;
}

bool SumPairPaths(const CPairAttenuation& attenuation, const CSound& source, CBreakdownWriter& w,
                  SourceLevels& levels) {
    if (attenuation.paths_.empty()) {
        WriteNoPath(w);
        return false;
    }
    const int kind = source.powerAverage.kind;
    CBand sum = Uniform(kind, kNoSoundLevel);
    w.ChangeLevel(1);
    const int pathCount = static_cast<int>(attenuation.paths_.size());
    CBand level;  // one path's level, its storage reused from path to path
    for (int k = 0; k < pathCount; ++k) {
        const CPairAttenuation::CPath& path = attenuation.paths_[static_cast<std::size_t>(k)];
        WritePathHeading(w, k + 1, pathCount);
        if (!path.breakdown.empty()) w.AppendEncoded(path.breakdown);
        level = source.powerAverage;
        if (path.travelled) {
            for (int b = 0; b < level.bandCount(); ++b)
                level.value(b) += path.spreading;
            AddPerBand(level, path.air);
        }
        AddPerBand(level, path.diffraction);
        AddPerBand(level, path.reflection);
        AddPerBand(level, path.absorption);
        sum.addEnergy(level);
        // The maximum level of a path is shown in the breakdown only.
        WritePathLevels(w, level, w.writesFile() ? MaximumLevel(source, level) : level);
    }
    levels.maximum = MaximumLevel(source, sum);
    levels.average = std::move(sum);
    WriteSourceLevels(w, levels.average, levels.maximum);
    return true;
}

CBand MaximumLevel(const CSound& source, const CBand& level) {
    CBand attenuation = level;
    for (int i = 0; i < attenuation.bandCount(); ++i)
        attenuation.value(i) -= source.powerAverage.value(i);
    CBand maximum = source.powerMax;
    AddPerBand(maximum, attenuation);
    return maximum;
}

double CPairAttenuation::AttenuationInBand(const CPath& path, int b) {
    const double level = path.travelled ? path.spreading + path.air.value(b) : 0.0;
    return ((level + path.diffraction.value(b)) + path.reflection.value(b)) + path.absorption.value(b);
}

CBand CPairAttenuation::PathAttenuation(std::size_t k) const {
    CBand attenuation = Uniform(kind_, 0.0);
    for (int b = 0; b < attenuation.bandCount(); ++b)
        attenuation.value(b) = AttenuationInBand(paths_[k], b);
    return attenuation;
}

bool AccumulateTransfer(const CPairAttenuation& attenuation, const CBand* gain, std::span<double> energy) {
    const int bands = std::min(bandCount(attenuation.kind_), static_cast<int>(energy.size()));
    for (const CPairAttenuation::CPath& path : attenuation.paths_) {
        for (int b = 0; b < bands; ++b) {
            double level = CPairAttenuation::AttenuationInBand(path, b);
            if (gain != nullptr) level += gain->value(b);
            energy[static_cast<std::size_t>(b)] += std::pow(10.0, level / 10.0);
        }
    }
    return !attenuation.paths_.empty();
}

bool ComputeSourceAtPoint(std::span<const CRectObstacle> scene, std::span<const CBuilding> buildings,
                          double temperature, double humidity, int maxReflections, const CSound& source,
                          const CVector3D& point, CBreakdownWriter& w, SourceLevels& levels) {
    CPairAttenuation attenuation;
    EvaluatePairPaths(scene, buildings, temperature, humidity, maxReflections, source, point, w, attenuation);
    return SumPairPaths(attenuation, source, w, levels);
}

bool ComputeSourceAtPoint(std::span<const CRectObstacle> scene, std::span<const CBuilding> buildings,
                          double temperature, double humidity, int maxReflections, CSound& source,
                          const CVector3D& point, CBreakdownWriter& w) {
    SourceLevels levels;
    const bool reached = ComputeSourceAtPoint(scene, buildings, temperature, humidity, maxReflections,
                                              std::as_const(source), point, w, levels);
    source.levelAverageAtPoint = std::move(levels.average);
    source.levelMaxAtPoint = std::move(levels.maximum);
    return reached;
}

}  // namespace kelmora
