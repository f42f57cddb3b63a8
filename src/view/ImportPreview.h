#pragma once
// The preview of an import over the plan: the objects an import would add, drawn in one colour of
// their own over what the plan shows, before anything is committed — building outlines with their
// roof rectangles, ground lines, barriers, sources and prediction points.
#include "model/Noise.h"
#include "model/ViewRecord.h"
#include "view/DisplayList.h"

namespace kelmora {

inline constexpr Rgb kImportPreviewColour{230, 110, 0};

// The primitives of the objects `additions` holds (its prediction points in calcInfo.pointList).
DisplayLayer DrawImportPreview(const CNoise& additions, const CKelmoraViewData& view);

}  // namespace kelmora
