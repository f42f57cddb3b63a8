#include "propagation/DiffractionCorrection.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <type_traits>
#include <utility>

#include "acoustics/BandTransmission.h"
#include "acoustics/Formulas.h"
#include "propagation/Diffraction.h"
#include "propagation/FaceEdges.h"

namespace kelmora {
namespace {

// The bands of a spectrum that a computation fills: every band of the representation, or one band only
// (the others stay at 0 dB).
struct CBandRange {
    int kind = 2;
    int first = 0;
    int end = 0;  // one past the last band
};

CBandRange AllBands(int kind) {
    return {kind, 0, bandCount(kind)};
}

// A spectrum of the given representation with every value at `value`.
CBand Spectrum(int kind, double value) {
    CBand b;
    b.kind = kind;
    b.fill(value);
    return b;
}

double Energy(double level) {
    return std::pow(10.0, level / 10.0);
}

// The energy share of a side that passes no sound, met often enough (a failed side term) to be made once.
const double kNoSoundEnergy = Energy(kNoSoundLevel);

bool AreAdjacent(int a, int b) {
    return NextSide(a) == b || NextSide(b) == a;
}

// The corrections being combined are spectra over a range of bands, or — for the ranking of obstacles at
// one frequency — the plain value of one band; these give each its bands the same way.
double ValueInBand(const CBand& correction, int i) {
    return correction.value(i);
}
double ValueInBand(double correction, int) {
    return correction;
}
void SetBand(CBand& correction, int i, double value) {
    correction.value(i) = value;
}
void SetBand(double& correction, int, double value) {
    correction = value;
}
template <typename Value>
Value Uniform(const CBandRange& bands, double value) {
    if constexpr (std::is_same_v<Value, CBand>) {
        return Spectrum(bands.kind, value);
    } else {
        return value;
    }
}

// Energy share of a side term in band i; a side whose correction failed passes no sound (−100 dB).
template <typename Value>
double TermEnergy(const std::optional<Value>& term, int i) {
    if (!term) return kNoSoundEnergy;
    const double level = ValueInBand(*term, i);
    return level == kNoSoundLevel ? kNoSoundEnergy : Energy(level);
}

// An obstacle never makes the sound louder than it would be without it.
template <typename Value>
void LimitToNoGain(Value& correction, const CBandRange& bands) {
    for (int i = bands.first; i < bands.end; ++i)
        SetBand(correction, i, std::min(ValueInBand(correction, i), 0.0));
}

// Combines the corrections of a face's diffracting sides into the correction of the face, by the
// shares of energy that pass each edge: two adjacent edges bound a quadrant, two opposite edges a strip
// (its far edge taken as the half-plane beyond it), three or four edges a finite face.
//   term(k):   the correction over side k alone;
//   beyond(k): the correction over the half-plane beyond side k (the far edge of a strip).
// The corrections are spectra (CBand) or one band's value (double, `bands` holding that band only).
// Empty when the face has a single diffracting side whose term failed, or when the combined energy is
// not positive in some band. The result is at most 0 dB in every band.
template <typename Value, typename Term, typename Beyond>
std::optional<Value> CombineSides(const std::array<std::int32_t, kSideCount>& diffracts,
                                  const CBandRange& bands, Term term, Beyond beyond) {
    std::array<int, kSideCount> sides{};
    int n = 0;
    for (int k = 0; k < kSideCount; ++k) {
        if (diffracts[k] != 0) sides[n++] = k;
    }
    if (n == 0) return Uniform<Value>(bands, kNoSoundLevel);
    if (n == 1) {
        std::optional<Value> single = term(sides[0]);
        if (single) LimitToNoGain(*single, bands);
        return single;
    }

    // The terms in the places of the formulas: d[0], d[1] for two sides; for three sides d[0] is the side
    // opposite the one that does not diffract and d[1], d[2] its neighbours; for four sides A, B, C, D.
    SideLayout layout = SideLayout::kFourSides;
    std::array<std::optional<Value>, kSideCount> d;
    if (n == 2) {
        layout = AreAdjacent(sides[0], sides[1]) ? SideLayout::kQuadrant : SideLayout::kStrip;
        d[0] = term(sides[0]);
        d[1] = layout == SideLayout::kQuadrant ? term(sides[1]) : beyond(sides[1]);
    } else if (n == 3) {
        int open = 0;
        while (diffracts[open] != 0)
            ++open;
        layout = SideLayout::kThreeSides;
        d[0] = term(OppositeSide(open));
        d[1] = term(NextSide(open));
        d[2] = term(PreviousSide(open));
    } else {
        for (int k = 0; k < kSideCount; ++k)
            d[k] = term(k);
    }

    Value combined = Uniform<Value>(bands, 0.0);
    const int used = layout == SideLayout::kFourSides ? 4 : layout == SideLayout::kThreeSides ? 3 : 2;
    for (int i = bands.first; i < bands.end; ++i) {
        std::array<double, kSideCount> shares{};
        for (int k = 0; k < used; ++k)
            shares[k] = TermEnergy(d[k], i);
        const std::optional<double> level = CombinedSideLevel(layout, shares);
        if (!level) return std::nullopt;
        SetBand(combined, i, *level);
    }
    return combined;
}

// The wedge chart of one edge in every band, without refreshing the other representations.
std::optional<CBand> EdgeCorrectionBands(const CEdgeFace& face, const CVector3D& s, const CVector3D& r,
                                         int side, const CBandRange& bands) {
    const std::optional<CEdgePoint> e = EdgeDiffractionPoint(face, s, r, side);
    if (!e) return std::nullopt;
    const double delta = PathDifference(s, r, e->edge, e->crossing);
    CBand correction = Spectrum(bands.kind, 0.0);
    for (int i = bands.first; i < bands.end; ++i)
        correction.value(i) =
            WedgeDiffractionCorrection(face.face().wedgeType, bandFrequency(bands.kind, i), delta);
    return correction;
}

// The correction over one face in the given bands, before the other representations are refreshed.
std::optional<CBand> SingleDiffractionBands(const CEdgeFace& prepared, const CVector3D& s, const CVector3D& r,
                                            const CBandRange& bands) {
    const CRectObstacle& face = prepared.face();
    std::optional<CBand> correction = CombineSides<CBand>(
        face.diffracts, bands, [&](int k) { return EdgeCorrectionBands(prepared, s, r, k, bands); },
        [&](int k) {
            const CRectObstacle beyond = FaceBeyondEdge(face, k);
            return EdgeCorrectionBands(CEdgeFace(beyond), s, r, 0, bands);
        });
    if (!correction) return std::nullopt;
    if (!face.tl.allEqual(0.0) && !ApplyTransmission(*correction, face.tl)) return std::nullopt;
    return correction;
}

std::optional<CBand> DoubleEdgeBands(CSegmentEdges& xEdges, int sideX, CSegmentEdges& yEdges, int sideY,
                                     int kind) {
    const CEdgeFace& x = xEdges.face();
    const CEdgeFace& y = yEdges.face();
    const CRectObstacle& xFace = x.face();
    const CRectObstacle& yFace = y.face();
    if (xFace.wedgeType < 0 || yFace.wedgeType < 0) return std::nullopt;
    if (DiffractingSideCount(xFace) == 0 || DiffractingSideCount(yFace) == 0) return std::nullopt;
    const int wedge = xFace.wedgeType == kKnifeEdgeWedge && yFace.wedgeType == kKnifeEdgeWedge
                          ? kKnifeEdgeWedge
                          : kRightAngleWedge;
    const std::optional<CDoubleEdgePoints> p = DoubleEdgePoints(xEdges, sideX, yEdges, sideY);
    if (!p) return std::nullopt;
    CSegmentEdges& first = p->xFirst ? xEdges : yEdges;
    CSegmentEdges& second = p->xFirst ? yEdges : xEdges;
    const std::optional<CDoublePathDifferences> delta =
        DoublePathDifferences(first, p->first, p->second, second);
    if (!delta) return std::nullopt;

    // The dominant edge, plus the other edge as seen from it.
    const double dominant = std::max(delta->first, delta->second);
    const double other = delta->second <= delta->first ? delta->secondFromFirst : delta->firstFromSecond;
    CBand correction = Spectrum(kind, 0.0);
    for (int i = 0; i < correction.bandCount(); ++i) {
        const double f = bandFrequency(kind, i);
        correction.value(i) =
            WedgeDiffractionCorrection(wedge, f, dominant) + WedgeDiffractionCorrection(wedge, f, other);
    }
    return correction;
}

// A face of a double diffraction and the half-planes beyond its sides, each prepared once with what the
// segment S–R asks of its sides, for the combinations over every side of the other face.
class CFaceAndBeyond {
public:
    CFaceAndBeyond(const CEdgeFace& face, const CVector3D& s, const CVector3D& r)
        : s_(s), r_(r), face_(face), own_(face, s, r) {}
    CFaceAndBeyond(const CFaceAndBeyond&) = delete;
    CFaceAndBeyond& operator=(const CFaceAndBeyond&) = delete;

    const CRectObstacle& face() const { return face_.face(); }
    CSegmentEdges& Own() { return own_; }
    // The half-plane beyond `side` (FaceBeyondEdge), whose only diffracting side is side 0.
    CSegmentEdges& Beyond(int side) {
        std::unique_ptr<CBeyond>& b = beyond_[static_cast<std::size_t>(side)];
        if (!b) b = std::make_unique<CBeyond>(FaceBeyondEdge(face_.face(), side), s_, r_);
        return b->edges;
    }

private:
    struct CBeyond {
        CBeyond(CRectObstacle beyond, const CVector3D& s, const CVector3D& r)
            : face(std::move(beyond)), prepared(face), edges(prepared, s, r) {}
        CRectObstacle face;
        CEdgeFace prepared;
        CSegmentEdges edges;
    };
    CVector3D s_;
    CVector3D r_;
    const CEdgeFace& face_;
    CSegmentEdges own_;
    std::array<std::unique_ptr<CBeyond>, kSideCount> beyond_;
};

}  // namespace

std::optional<double> CombinedSideLevel(SideLayout layout, const std::array<double, kSideCount>& d) {
    double e = 0.0;
    switch (layout) {
        case SideLayout::kQuadrant:
            e = d[0] + (1.0 - d[0]) * d[1];
            break;
        case SideLayout::kStrip:
            e = 1.0 - std::abs(d[0] - d[1]);
            break;
        case SideLayout::kThreeSides:
            e = d[0] + (1.0 - d[0]) * (d[1] + d[2]);
            break;
        case SideLayout::kFourSides:
            e = d[0] + d[2] + (1.0 - d[0] - d[2]) * (d[1] + d[3]);
            break;
    }
    if (!(e > 0.0)) return std::nullopt;
    // When the sound passes several edges in their bright zone, the shares can add up to more than the
    // whole: an obstacle never makes the sound louder than it would be without it.
    return std::min(10.0 * std::log10(e), 0.0);
}

std::optional<CBand> SingleEdgeCorrection(const CRectObstacle& face, const CVector3D& s, const CVector3D& r,
                                          int side, int kind) {
    std::optional<CBand> correction = EdgeCorrectionBands(CEdgeFace(face), s, r, side, AllBands(kind));
    if (correction) correction->syncRepresentations();
    return correction;
}

std::optional<CBand> SingleDiffractionCorrection(const CEdgeFace& face, const CVector3D& s,
                                                 const CVector3D& r, int kind, CorrectionBands bands) {
    std::optional<CBand> correction = SingleDiffractionBands(face, s, r, AllBands(kind));
    if (correction && bands == CorrectionBands::kAllRepresentations) correction->syncRepresentations();
    return correction;
}

std::optional<CBand> SingleDiffractionCorrection(const CRectObstacle& face, const CVector3D& s,
                                                 const CVector3D& r, int kind) {
    return SingleDiffractionCorrection(CEdgeFace(face), s, r, kind, CorrectionBands::kAllRepresentations);
}

std::optional<double> SingleDiffractionBand(const CEdgeFace& face, const CVector3D& s, const CVector3D& r,
                                            int band) {
    // Every term of the combinations lies in (0, 1] and a transmission loss only adds energy, so no band
    // fails on its own: the correction fails as a whole (an edge point not found) or not at all, and one
    // band computed alone has the full spectrum's value and failure. It is computed here by the steps of
    // SingleDiffractionBands on the band's value alone.
    const CRectObstacle& prepared = face.face();
    const double frequency = bandFrequency(2, band);
    const auto edge = [&](const CEdgeFace& e, int side) -> std::optional<double> {
        const std::optional<CEdgePoint> p = EdgeDiffractionPoint(e, s, r, side);
        if (!p) return std::nullopt;
        return WedgeDiffractionCorrection(e.face().wedgeType, frequency,
                                          PathDifference(s, r, p->edge, p->crossing));
    };
    std::optional<double> level = CombineSides<double>(
        prepared.diffracts, {2, band, band + 1}, [&](int k) { return edge(face, k); },
        [&](int k) {
            const CRectObstacle beyond = FaceBeyondEdge(prepared, k);
            return edge(CEdgeFace(beyond), 0);
        });
    if (!level) return std::nullopt;
    // The transmission of ApplyTransmission in this band.
    if (!prepared.tl.allEqual(0.0)) {
        const double loss = prepared.tl.levelAt(frequency);
        if (loss > 0.0) level = TransmissionCombination(*level, loss);
    }
    return level;
}

std::optional<CBand> DoubleEdgeCorrection(const CRectObstacle& x, const CVector3D& s, const CVector3D& r,
                                          int sideX, const CRectObstacle& y, int sideY, int kind) {
    const CEdgeFace preparedX(x);
    const CEdgeFace preparedY(y);
    CSegmentEdges xEdges(preparedX, s, r);
    CSegmentEdges yEdges(preparedY, s, r);
    std::optional<CBand> correction = DoubleEdgeBands(xEdges, sideX, yEdges, sideY, kind);
    if (correction) correction->syncRepresentations();
    return correction;
}

std::optional<CBand> DoubleDiffractionCorrection(const CEdgeFace& x, const CVector3D& s, const CVector3D& r,
                                                 const CEdgeFace& y, int kind, CorrectionBands bands) {
    // Every side of x (and half-plane beyond one) is combined with every side of y (and half-plane
    // beyond one): each is prepared once for the segment.
    CFaceAndBeyond xSides(x, s, r);
    CFaceAndBeyond ySides(y, s, r);
    // The term of one side of x (or of the half-plane beyond it): the sides of y combined over it.
    const auto overY = [&](CSegmentEdges& xEdges, int sideX) {
        return CombineSides<CBand>(
            y.face().diffracts, AllBands(kind),
            [&](int j) { return DoubleEdgeBands(xEdges, sideX, ySides.Own(), j, kind); },
            [&](int j) { return DoubleEdgeBands(xEdges, sideX, ySides.Beyond(j), 0, kind); });
    };
    std::optional<CBand> correction = CombineSides<CBand>(
        x.face().diffracts, AllBands(kind), [&](int i) { return overY(xSides.Own(), i); },
        [&](int i) { return overY(xSides.Beyond(i), 0); });
    if (!correction) return std::nullopt;
    const CBand& xLoss = x.face().tl;
    const CBand& yLoss = y.face().tl;
    if (!xLoss.allEqual(0.0) && !yLoss.allEqual(0.0) && !ApplyTransmission(*correction, xLoss, yLoss))
        return std::nullopt;
    if (bands == CorrectionBands::kAllRepresentations) correction->syncRepresentations();
    return correction;
}

std::optional<CBand> DoubleDiffractionCorrection(const CRectObstacle& x, const CVector3D& s,
                                                 const CVector3D& r, const CRectObstacle& y, int kind) {
    return DoubleDiffractionCorrection(CEdgeFace(x), s, r, CEdgeFace(y), kind,
                                       CorrectionBands::kAllRepresentations);
}

}  // namespace kelmora
