#pragma once
// CNoise: the site model of a project — terrain, buildings, outdoor sources, prediction points and
// the calculation conditions. The prediction run works on it; the model itself knows nothing of
// threads or files.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/Building.h"
#include "model/CalcInfo.h"
#include "model/GroundLine.h"
#include "model/Sound.h"
#include "model/persistence/Archive.h"

namespace kelmora {

class CNoise {
public:
    CNoise() = default;
    virtual ~CNoise() = default;
    CNoise(const CNoise&) = default;
    CNoise& operator=(const CNoise&) = default;
    CNoise(CNoise&&) = default;
    CNoise& operator=(CNoise&&) = default;

    // The site model record of the project file; openingSources is not stored.
    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CNoise&, const CNoise&) = default;

    std::vector<CGroundLine> groundLines;
    std::vector<CBuilding> buildings;
    std::vector<CSound> outdoorSources;
    CCalcInfo calcInfo;
    double targetTime = 3600.0;        // s, the time T of the equivalent level LAeqT
    double effectiveDistance = 250.0;  // m, sources farther from a point are skipped
    double temperature = 20.0;         // °C
    double humidity = 60.0;            // % relative humidity
    std::int32_t maxReflections = 2;

    // Run only: the sources made at the building openings for the current run.
    std::vector<CSound> openingSources;
};

}  // namespace kelmora
