#pragma once
// CPredictivePoint: a receiver point of the prediction with its results. The results are filled by a
// run and never stored; the run keeps its own context (breakdown file, indentation, job) elsewhere.
#include <cstddef>
#include <string>

#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/persistence/Archive.h"

namespace kelmora {

class CPredictivePoint {
public:
    CPredictivePoint() = default;
    explicit CPredictivePoint(const CVector3D& at) : position(at) {}
    virtual ~CPredictivePoint() = default;
    CPredictivePoint(const CPredictivePoint&) = default;
    CPredictivePoint& operator=(const CPredictivePoint&) = default;
    CPredictivePoint(CPredictivePoint&&) = default;
    CPredictivePoint& operator=(CPredictivePoint&&) = default;

    // Stores position and label only.
    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CPredictivePoint&, const CPredictivePoint&) = default;

    static constexpr std::size_t kMinArchiveBytes = kVector3DBytes + kMinStringBytes;

    CVector3D position;  // m, Z is an absolute elevation (not a height above ground)
    std::string label;   // free text kept with the point
    // Per-band LAeq,T; its overall level is the point's LAeqT. No sound until a run computes it.
    CBand resultAverage = CBand::Filled(kNoSoundLevel);
    // Per-band maximum level; its overall level is the point's LAmax.
    CBand resultMax = CBand::Filled(kNoSoundLevel);
};

}  // namespace kelmora
