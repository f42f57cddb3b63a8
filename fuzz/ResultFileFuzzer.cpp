// Feeds arbitrary bytes to the result file reader as a map of the example's 10 × 10 grid. Any input
// must either be refused with a map error or give a grid whose map is built with bands that cover the
// surface. Everything else (another exception, a sanitizer report, a time-out, a huge allocation) is a
// finding.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "view/noisemap/NoiseMap.h"
#include "view/noisemap/ResultFile.h"

namespace {

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "result file reader: %s\n", what);
    std::abort();
}

// The grid settings the files are placed with: 10 × 10 divisions over 150 × 90 m, as the example has.
const kelmora::CCalcInfo& ExampleGrid() {
    static const kelmora::CCalcInfo calc = [] {
        kelmora::CCalcInfo c;
        c.mode = kelmora::kHorizontalGridMode;
        for (int i = 0; i <= 10; ++i) {
            for (int j = 0; j <= 10; ++j)
                c.gridPoints.emplace_back(kelmora::CVector3D{15.0 * i, 9.0 * j, 13.2});
        }
        return c;
    }();
    return calc;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelmora;
    LevelGrid grid;
    try {
        const ResultFileData file =
            ParseResultFile(std::string_view(reinterpret_cast<const char*>(data), size));
        grid = PlaceResultFile(file, ExampleGrid());
    } catch (const NoiseMapError&) {
        return 0;
    } catch (...) {
        Finding("an exception other than the map error");
    }
    const NoiseMap map = BuildNoiseMap(grid, EvenClasses(35, 5, 10), EuropeanScheme(), {});
    double bands = 0.0;
    for (const LevelBand& band : map.bands)
        bands += BandArea(band);
    const double surface = SurfaceArea(map.surface);
    if (!(std::fabs(bands - surface) <= 1e-6 * std::max(1.0, std::fabs(surface))))
        Finding("the bands do not cover the surface");
    return 0;
}
