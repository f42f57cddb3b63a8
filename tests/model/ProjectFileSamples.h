#pragma once
// A whole project for the file and JSON tests: three windows and the sample site model.
#include <cstdint>
#include <string>
#include <vector>

#include "SiteModelSamples.h"
#include "model/persistence/ProjectFile.h"

namespace kelmora::testing {

inline ProjectDocument SampleDocument() {
    ProjectDocument doc;
    doc.formatVersion = 7;  // kept as read
    doc.viewRecords.resize(3);
    ViewRecord& first = doc.viewRecords[0];
    first.info.frameRect = {-4, 12, 812, 600};
    first.viewData.imagePath = "C:\\現場\\敷地図.jpg";
    first.viewData.imageHeight = 1654.0;
    first.viewData.imageWidth = 2339.0;
    first.viewData.calibration.origin = {12.5, 1654.0};
    first.viewData.calibration.axisX = {23.39, 0.0};
    first.viewData.calibration.axisY = {0.0, -23.39};
    first.viewData.zoom.magnification = 0.731;
    doc.viewRecords[1].info.frameRect = {30, 30, 530, 430};
    doc.viewRecords[2].viewData.zoom.axisZ = {0.5, -0.25};
    doc.model = SampleModel();
    return doc;
}

// The bytes with `count` written over the int32 at `offset`.
inline std::vector<std::uint8_t> WithInt32At(std::vector<std::uint8_t> bytes, std::size_t offset,
                                             std::int32_t count) {
    const auto* b = reinterpret_cast<const std::uint8_t*>(&count);
    std::copy(b, b + 4, bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return bytes;
}

}  // namespace kelmora::testing
