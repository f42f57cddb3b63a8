#pragma once
// CSound: one noise source — an outdoor source, a source inside a room, or (during a run) a source
// made at a building opening. It carries two A-weighted sound power spectra: the average one
// (LAeq-based, or per-event LAE-based for impulsive noise) and the maximum one.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/persistence/Archive.h"

namespace kelmora {

// Values of CSound::noiseType, in the order of the editors' drop-down list.
inline constexpr std::int32_t kSteadyNoise = 0;       // 定常騒音
inline constexpr std::int32_t kFluctuatingNoise = 1;  // 変動騒音
inline constexpr std::int32_t kImpulsiveNoise = 2;    // 衝撃騒音

// The item of the editors' noise type list ("定常騒音(ＬpA)", ...); empty for an unknown value.
const char* NoiseTypeEditorItem(std::int32_t noiseType);
// The short word used in lists and the calculation breakdown ("定常騒音", ...); empty for an unknown value.
const char* NoiseTypeShortName(std::int32_t noiseType);

class CSound {
public:
    CSound() = default;
    virtual ~CSound() = default;
    CSound(const CSound&) = default;
    CSound& operator=(const CSound&) = default;
    CSound(CSound&&) = default;
    CSound& operator=(CSound&&) = default;

    // Stores position, q, noiseType, duration, eventsPerHour, powerAverage, powerMax and memo;
    // the run-only fields are not part of the file.
    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CSound&, const CSound&) = default;

    // Smallest number of bytes a source occupies in a file.
    static constexpr std::size_t kMinArchiveBytes = 24 + 8 + 4 + 8 + 8 + 2 * kMinBandBytes + kMinStringBytes;

    CVector3D position;                        // m, Z is an absolute elevation
    double q = 2.0;                            // directivity factor Q
    std::int32_t noiseType = kSteadyNoise;     // 0 steady, 1 fluctuating, 2 impulsive
    double duration = 3600.0;                  // s, duration of one event
    double eventsPerHour = 10.0;               // 1/h
    CBand powerAverage = CBand::Filled(30.0);  // dB, A-weighted sound power (LAeq, or LAE per event)
    CBand powerMax = CBand::Filled(30.0);      // dB, A-weighted maximum sound power
    std::string memo;

    // Run only (never stored): set for the sources made at building openings, and the levels that
    // arrive at the prediction point being computed, summed over every path.
    std::int32_t isOpeningSource = 0;
    CVector3D openingNormal;  // outward unit normal of the opening
    CBand levelAverageAtPoint;
    CBand levelMaxAtPoint;
    // For a source made at an opening: the memos of its building, room and opening, shared by every
    // source of that opening instead of copied into each; the breakdown joins them as the source's memo.
    std::array<std::shared_ptr<const std::string>, 3> openingMemos;
};

}  // namespace kelmora
