// Bringing a site in: a GeoPackage of 1,000 buildings (most rectangles, some L-shaped, some round tanks
// whose roofs are strips) listed and imported into project objects; and a DXF drawing of a million
// points listed (its DXF layer names found by reading it through), the bound on the time a file far too
// large for an import takes before it is refused.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "importing/SiteImport.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

fs::path Scratch(const char* name) {
    const fs::path path =
        fs::temp_directory_path() / ("kelmora-bench-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(path);
    return path;
}

// 1,000 buildings on a 40 × 25 lattice of 60 m in plane zone IX: 800 rectangles, 150 L-shapes and 50
// tanks of 24 sides, with a height field.
fs::path ThousandBuildings() {
    const fs::path path = Scratch("buildings.gpkg");
    GDALAllRegister();
    GDALDataset* ds =
        GetGDALDriverManager()->GetDriverByName("GPKG")->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    OGRSpatialReference srs;
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    srs.importFromEPSG(6677);
    OGRLayer* layer = ds->CreateLayer("buildings", &srs, wkbPolygon, nullptr);
    OGRFieldDefn height("height", OFTReal);
    if (layer->CreateField(&height) != OGRERR_NONE) throw std::runtime_error("field");
    ds->StartTransaction();
    for (int i = 0; i < 1000; ++i) {
        const double x0 = -12000.0 + 60.0 * (i % 40), y0 = 35000.0 + 60.0 * (i / 40);
        OGRLinearRing ring;
        if (i % 20 == 19) {
            for (int k = 0; k <= 24; ++k)
                ring.addPoint(x0 + 20 + 15 * std::cos(k * M_PI / 12), y0 + 20 + 15 * std::sin(k * M_PI / 12));
        } else if (i % 20 >= 16) {
            const double pts[][2] = {{0, 0}, {40, 0}, {40, 15}, {15, 15}, {15, 40}, {0, 40}, {0, 0}};
            for (const auto& p : pts)
                ring.addPoint(x0 + p[0], y0 + p[1]);
        } else {
            const double pts[][2] = {{0, 0}, {45, 0}, {45, 25}, {0, 25}, {0, 0}};
            for (const auto& p : pts)
                ring.addPoint(x0 + p[0], y0 + p[1]);
        }
        OGRPolygon polygon;
        polygon.addRing(&ring);
        OGRFeature* f = OGRFeature::CreateFeature(layer->GetLayerDefn());
        f->SetGeometry(&polygon);
        f->SetField("height", 6.0 + i % 10);
        if (layer->CreateFeature(f) != OGRERR_NONE) throw std::runtime_error("feature");
        OGRFeature::DestroyFeature(f);
    }
    ds->CommitTransaction();
    GDALClose(GDALDataset::ToHandle(ds));
    return path;
}

void BM_ImportThousandBuildings(benchmark::State& state) {
    const fs::path path = ThousandBuildings();
    ImportMapping mapping;
    LayerMapping buildings = DefaultLayerMapping("buildings", ImportKind::Building);
    buildings.height = ValueSource::OfField("height");
    mapping.layers = {buildings};
    std::size_t roofs = 0, strips = 0;
    for (auto _ : state) {
        const SourceInfo source = ListSource(path);
        const ImportOutcome out = RunImport(source, mapping, {});
        const CNoise model = WithImported({}, out.additions);
        benchmark::DoNotOptimize(model.buildings.data());
        roofs = static_cast<std::size_t>(out.report.roofs);
        strips = out.report.stripBuildings.size();
    }
    state.counters["buildings"] = 1000;
    state.counters["roofs"] = static_cast<double>(roofs);
    state.counters["strip_buildings"] = static_cast<double>(strips);
    fs::remove(path);
}
BENCHMARK(BM_ImportThousandBuildings)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ListMillionPointDxf(benchmark::State& state) {
    const fs::path path = Scratch("points.dxf");
    {
        std::ofstream out(path, std::ios::binary);
        out << "0\nSECTION\n2\nHEADER\n9\n$INSUNITS\n70\n4\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
        char entity[160];
        for (int i = 0; i < 1'000'000; ++i) {
            const int n =
                std::snprintf(entity, sizeof entity, "0\nPOINT\n5\n%X\n8\nP%d\n10\n%d.0\n20\n%d.0\n30\n0.0\n",
                              0x100 + i, i % 4, i % 1000 * 1000, i / 1000 * 1000);
            out.write(entity, n);
        }
        out << "0\nENDSEC\n0\nEOF\n";
    }
    std::int64_t features = 0;
    for (auto _ : state) {
        const SourceInfo source = ListSource(path);
        features = 0;
        for (const SourceLayer& layer : source.layers)
            features += layer.features;
    }
    state.counters["features"] = static_cast<double>(features);
    state.counters["MB"] = static_cast<double>(fs::file_size(path)) / 1e6;
    fs::remove(path);
}
BENCHMARK(BM_ListMillionPointDxf)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace kelmora

BENCHMARK_MAIN();
