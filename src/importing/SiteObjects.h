#pragma once
// The model objects an import makes from plain geometry in project coordinates [m]. Each starts as the
// editors' new item of its kind (default spectra, absorption, transmission loss and diffraction), so that
// an imported site behaves as the same site entered by hand.
#include <string>
#include <vector>

#include "importing/FootprintRoofs.h"
#include "model/Band.h"
#include "model/Building.h"
#include "model/GroundLine.h"
#include "model/PredictivePoint.h"
#include "model/Sound.h"

namespace kelmora {

struct BuildingMade {
    CBuilding building;
    bool strips = false;         // some footprint's roof is strips
    double footprintArea = 0.0;  // m²
    double coveredArea = 0.0;    // m², of the roof rectangles
    bool shortEdges = false;     // an edge shorter than 1 m
};

// A building over footprints (each the outer ring and its holes): one closed exterior wall along every
// ring, from the ground to the ground plus the height, and flat roof rectangles at the top covering
// each footprint (FootprintRoofs.h). A roof side inside the footprint, where the roof goes on, does not
// diffract; every side on the footprint's outline does.
BuildingMade BuildingOverFootprints(const std::vector<FootprintRings>& footprints, double groundZ,
                                    double height, std::string memo);

// A ground line along the vertices (their z the ground's elevation).
CGroundLine GroundLineAlong(const std::vector<CVector3D>& vertices);

// A barrier: a ground line along the vertices with one wall over its whole length, `height` high (the
// wall a new wall of the editor gets on a line without walls, then its height).
CGroundLine BarrierAlong(const std::vector<CVector3D>& vertices, double height);

// An outdoor source at the position, with `spectrum` (when given) as its average and its maximum sound
// power, taken as the band editor takes a spectrum from the band library.
CSound SourceAt(const CVector3D& position, const CBand* spectrum, std::string memo);

CPredictivePoint PointAt(const CVector3D& position, std::string label);

}  // namespace kelmora
