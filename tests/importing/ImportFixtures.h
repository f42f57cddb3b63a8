#pragma once
// Source files for the import tests, made by the tests themselves: DXF drawings written from the
// format's reference (group code / value lines), GeoPackages written with GDAL's own writer, CityGML
// written from the schema. Each test works in a scratch folder of its own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "geometry/Vector.h"

namespace kelmora::testing {

// <temp>/kelmora-import-<test>-<pid>, removed at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("kelmora-import-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// An ASCII DXF drawing: a header with $INSUNITS, then entities, each with a handle of its own.
class DxfDrawing {
public:
    explicit DxfDrawing(std::optional<int> insUnits = std::nullopt) {
        Pair(0, "SECTION");
        Pair(2, "HEADER");
        Pair(9, "$ACADVER");
        Pair(1, "AC1015");
        if (insUnits) {
            Pair(9, "$INSUNITS");
            Pair(70, std::to_string(*insUnits));
        }
        Pair(0, "ENDSEC");
        Pair(0, "SECTION");
        Pair(2, "BLOCKS");
        Pair(0, "BLOCK");
        Pair(8, "0");
        Pair(2, "PUMP");
        Pair(70, "0");
        Number(10, 0.0);
        Number(20, 0.0);
        Number(30, 0.0);
        Pair(0, "ENDBLK");
        Pair(8, "0");
        Pair(0, "ENDSEC");
        Pair(0, "SECTION");
        Pair(2, "ENTITIES");
    }

    // A light-weight polyline (plan vertices), closed or open, with a thickness and an elevation.
    DxfDrawing& Polyline(const std::string& layer, const std::vector<CVertex2D>& points, bool closed,
                         double thickness = 0.0, double elevation = 0.0) {
        Entity("LWPOLYLINE", layer);
        if (thickness != 0.0) Number(39, thickness);
        if (elevation != 0.0) Number(38, elevation);
        Pair(90, std::to_string(points.size()));
        Pair(70, closed ? "1" : "0");
        for (const CVertex2D& p : points) {
            Number(10, p.x);
            Number(20, p.y);
        }
        return *this;
    }

    // A 3-D polyline.
    DxfDrawing& Polyline3D(const std::string& layer, const std::vector<CVector3D>& points) {
        Entity("POLYLINE", layer);
        Pair(66, "1");
        Pair(70, "8");
        Number(10, 0.0);
        Number(20, 0.0);
        Number(30, 0.0);
        for (const CVector3D& p : points) {
            Entity("VERTEX", layer);
            Number(10, p.x);
            Number(20, p.y);
            Number(30, p.z);
            Pair(70, "32");
        }
        Entity("SEQEND", layer);
        return *this;
    }

    DxfDrawing& Line(const std::string& layer, const CVector3D& a, const CVector3D& b,
                     double thickness = 0.0) {
        Entity("LINE", layer);
        if (thickness != 0.0) Number(39, thickness);
        Number(10, a.x);
        Number(20, a.y);
        Number(30, a.z);
        Number(11, b.x);
        Number(21, b.y);
        Number(31, b.z);
        return *this;
    }

    DxfDrawing& Point(const std::string& layer, const CVector3D& p) {
        Entity("POINT", layer);
        Number(10, p.x);
        Number(20, p.y);
        Number(30, p.z);
        return *this;
    }

    DxfDrawing& Text(const std::string& layer, const CVector3D& p, const std::string& text) {
        Entity("TEXT", layer);
        Number(10, p.x);
        Number(20, p.y);
        Number(30, p.z);
        Number(40, 2.5);
        Pair(1, text);
        return *this;
    }

    // A reference of the block PUMP.
    DxfDrawing& Insert(const std::string& layer, const CVector3D& p) {
        Entity("INSERT", layer);
        Pair(2, "PUMP");
        Number(10, p.x);
        Number(20, p.y);
        Number(30, p.z);
        return *this;
    }

    // A raw value line, for damaged drawings.
    DxfDrawing& Raw(const std::string& lines) {
        text_ += lines;
        return *this;
    }

    std::string Contents() const { return text_ + "  0\nENDSEC\n  0\nEOF\n"; }
    void Save(const std::filesystem::path& path) const { WriteText(path, Contents()); }

private:
    void Pair(int code, const std::string& value) { text_ += std::to_string(code) + "\n" + value + "\n"; }
    void Number(int code, double value) {
        char text[64];
        std::snprintf(text, sizeof text, "%.6f", value);
        Pair(code, text);
    }
    void Entity(const char* type, const std::string& layer) {
        Pair(0, type);
        char handle[16];
        std::snprintf(handle, sizeof handle, "%X", nextHandle_++);
        Pair(5, handle);
        Pair(8, layer);
    }

    std::string text_;
    int nextHandle_ = 0x100;
};

// A GeoPackage written with GDAL's own writer.
class GeoPackage {
public:
    GeoPackage(const std::filesystem::path& path) {
        GDALAllRegister();
        GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
        dataset_ = driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
        EXPECT_NE(dataset_, nullptr);
    }
    ~GeoPackage() { Close(); }

    void Close() {
        if (dataset_ != nullptr) GDALClose(GDALDataset::ToHandle(dataset_));
        dataset_ = nullptr;
    }

    // A layer in EPSG:`epsg` (0: none) with the fields given as (name, type).
    OGRLayer* Layer(const char* name, int epsg, OGRwkbGeometryType type,
                    const std::vector<std::pair<const char*, OGRFieldType>>& fields) {
        OGRSpatialReference srs;
        srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        if (epsg > 0) srs.importFromEPSG(epsg);
        OGRLayer* layer = dataset_->CreateLayer(name, epsg > 0 ? &srs : nullptr, type, nullptr);
        for (const auto& [field, fieldType] : fields) {
            OGRFieldDefn definition(field, fieldType);
            layer->CreateField(&definition);
        }
        return layer;
    }

    // A feature from WKT with field values given as text.
    static void Add(OGRLayer* layer, const char* wkt,
                    const std::vector<std::pair<const char*, std::string>>& values) {
        OGRFeature* f = OGRFeature::CreateFeature(layer->GetLayerDefn());
        OGRGeometry* geometry = nullptr;
        OGRGeometryFactory::createFromWkt(wkt, nullptr, &geometry);
        f->SetGeometryDirectly(geometry);
        for (const auto& [field, value] : values)
            f->SetField(field, value.c_str());
        EXPECT_EQ(layer->CreateFeature(f), OGRERR_NONE);
        OGRFeature::DestroyFeature(f);
    }

    GDALDataset& dataset() { return *dataset_; }

private:
    GDALDataset* dataset_ = nullptr;
};

// A rectangle's WKT polygon.
inline std::string RectangleWkt(double x0, double y0, double x1, double y1) {
    char text[256];
    std::snprintf(text, sizeof text, "POLYGON ((%.3f %.3f,%.3f %.3f,%.3f %.3f,%.3f %.3f,%.3f %.3f))", x0, y0,
                  x1, y0, x1, y1, x0, y1, x0, y0);
    return text;
}

}  // namespace kelmora::testing
