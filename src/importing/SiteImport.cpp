#include "importing/SiteImport.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>

#include "importing/SiteObjects.h"
#include "model/Validation.h"
#include "model/persistence/BandLibrary.h"

namespace kelmora {

namespace {

// Footprints of less area are no footprints [m²].
constexpr double kLeastFootprintArea = 1e-6;
constexpr const char* kTopNotAboveGround = "地盤高に比べて高さが小さすぎるか、大きすぎます";
constexpr const char* kHeightOutOfRange = "地盤高と高さが大きすぎます";

// The number a field holds: its whole text, blanks around it allowed, read in the C locale.
std::optional<double> NumberIn(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    std::size_t b = 0, e = text->size();
    while (b < e && std::isspace(static_cast<unsigned char>((*text)[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>((*text)[e - 1])))
        --e;
    if (b == e) return std::nullopt;
    const std::string trimmed = text->substr(b, e - b);
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size() || errno == ERANGE || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A label of one line.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    return text;
}

std::string CrsDefinition(const SiteCoordinates& c) {
    if (c.epsg > 0) return "EPSG:" + std::to_string(c.epsg);
    return c.definition;
}

std::string CrsDefinition(const SourceCrs& c) {
    if (c.epsg > 0) return "EPSG:" + std::to_string(c.epsg);
    return c.wkt;
}

// The spectra of the band libraries a mapping names, by file and title.
class SpectrumLibraries {
public:
    const CBand* Find(const std::string& library, const std::string& title) {
        const std::map<std::string, CBand>& titles = Load(library);
        const auto it = titles.find(title);
        return it == titles.end() ? nullptr : &it->second;
    }

    const std::map<std::string, CBand>& Load(const std::string& library) {
        auto [it, added] = libraries_.try_emplace(library);
        if (!added) return it->second;
        BandLibraryRead read = ReadBandLibraryFile(library);
        if (read.message) throw ImportError("バンドライブラリを読めません: " + read.message->text);
        for (CBand& band : read.spectra) {
            for (double value : band.third)
                if (!(value >= kSoundPowerLimits.low && value <= kSoundPowerLimits.high))
                    throw ImportError("バンドライブラリ " + library + " のスペクトル " + band.title +
                                      " の値が音響パワーレベルの範囲 (-300〜300 dB) を外れています");
            it->second.try_emplace(band.title, std::move(band));
        }
        return it->second;
    }

private:
    std::map<std::string, std::map<std::string, CBand>> libraries_;
};

// One mapped layer and where its values sit among the requested fields.
struct LayerPlan {
    const LayerMapping* mapping = nullptr;
    int height = -1;
    int ground = -1;
    int label = -1;
    int spectrum = -1;
};

class SiteBuilder {
public:
    SiteBuilder(CVertex2D origin, ImportOutcome& out, SpectrumLibraries& libraries)
        : origin_(origin), out_(out), report_(out.report), libraries_(libraries) {}

    void Add(const SourceFeature& f, const LayerPlan& plan) {
        switch (plan.mapping->kind) {
            case ImportKind::Building:
                Building(f, plan);
                break;
            case ImportKind::GroundLine:
                Lines(f, plan, false);
                break;
            case ImportKind::Barrier:
                Lines(f, plan, true);
                break;
            case ImportKind::Source:
            case ImportKind::Point:
                Points(f, plan);
                break;
            case ImportKind::Skip:
                break;
        }
    }

    // Barriers go after the plain ground lines.
    void Finish() {
        for (CGroundLine& line : barriers_)
            out_.additions.groundLines.push_back(std::move(line));
        barriers_.clear();
    }

private:
    CVector3D Local(const CVector3D& w) const { return {w.x - origin_.x, w.y - origin_.y, w.z}; }

    std::string Name(const SourceFeature& f) const { return f.layer + " " + f.id; }

    void Skip(const SourceFeature& f, const std::string& reason) { report_.Skip(reason, Name(f)); }

    // A value of the feature; none (and why) when it has none. `z` is what "Z" means here.
    std::optional<double> Value(const ValueSource& v, const SourceFeature& f, int field, double z,
                                std::string& why) const {
        switch (v.from) {
            case ValueSource::From::Constant:
                return v.value;
            case ValueSource::From::Field:
                if (const std::optional<double> n = NumberIn(f.values[static_cast<std::size_t>(field)]))
                    return n;
                why = "属性 " + v.field + " が数値ではありません";
                return std::nullopt;
            case ValueSource::From::Thickness:
                if (f.thickness) return *f.thickness;
                why = "厚さがありません";
                return std::nullopt;
            case ValueSource::From::Z:
                return z;
        }
        return std::nullopt;
    }

    std::string Label(const SourceFeature& f, int field) const {
        if (field < 0) return {};
        const std::optional<std::string>& text = f.values[static_cast<std::size_t>(field)];
        return text ? OneLine(*text) : std::string();
    }

    void Building(const SourceFeature& f, const LayerPlan& plan) {
        const LayerMapping& m = *plan.mapping;
        if (f.unmendable) return Skip(f, "自己交差していて直せない形です");
        if (f.polygons.empty()) {
            if (!f.lines.empty()) return Skip(f, "閉じていない線は建物にできません");
            if (!f.points.empty()) return Skip(f, "点は建物にできません");
            return Skip(f, "形がありません");
        }
        std::vector<FootprintRings> footprints;
        double lowest = std::numeric_limits<double>::infinity();
        double highest = -std::numeric_limits<double>::infinity();
        for (const std::vector<std::vector<CVector3D>>& polygon : f.polygons) {
            FootprintRings rings;
            for (const std::vector<CVector3D>& ring : polygon) {
                std::vector<CVertex2D> plan2d;
                for (const CVector3D& w : ring) {
                    const CVector3D p = Local(w);
                    plan2d.push_back({p.x, p.y});
                    lowest = std::min(lowest, p.z);
                    highest = std::max(highest, p.z);
                }
                if (plan2d.size() > 1 && plan2d.front() == plan2d.back()) plan2d.pop_back();
                rings.push_back(std::move(plan2d));
            }
            if (FootprintArea(rings) > kLeastFootprintArea) footprints.push_back(std::move(rings));
        }
        if (footprints.empty()) return Skip(f, "面積のない形です");
        std::string why;
        const std::optional<double> ground = Value(m.ground, f, plan.ground, lowest, why);
        if (!ground) return Skip(f, "地盤高がありません: " + why);
        const std::optional<double> height = Value(m.height, f, plan.height, highest - *ground, why);
        if (!height) return Skip(f, "高さがありません: " + why);
        if (!(*height > 0.0)) return Skip(f, "高さが 0 以下です");
        // A huge ground level swallows the height (or their sum overflows): the walls would have no
        // height, which no editor accepts.
        const double top = *ground + *height;
        if (!std::isfinite(top) || !(top > *ground)) return Skip(f, kTopNotAboveGround);
        std::string memo = Label(f, plan.label);
        if (memo.empty()) memo = Name(f);
        BuildingMade made = BuildingOverFootprints(footprints, *ground, *height, memo);
        for (const CBuildingWall& wall : made.building.walls)
            for (const CVector3D& v : wall.polyline.vertices)
                report_.extent.Add(v.x, v.y);
        ++report_.buildings;
        report_.roofs += static_cast<std::int64_t>(made.building.roofs.size());
        if (made.strips) {
            char text[96];
            std::snprintf(text, sizeof text, ": 屋上 %zu 枚 (面積 %+.1f %%)", made.building.roofs.size(),
                          100.0 * (made.coveredArea / made.footprintArea - 1.0));
            report_.stripBuildings.push_back(Name(f) + text);
        }
        if (f.mended) report_.mendedBuildings.push_back(Name(f));
        if (made.shortEdges) report_.shortEdgeBuildings.push_back(Name(f));
        out_.additions.buildings.push_back(std::move(made.building));
    }

    void Lines(const SourceFeature& f, const LayerPlan& plan, bool barrier) {
        const LayerMapping& m = *plan.mapping;
        if (f.lines.empty()) {
            if (!f.polygons.empty())
                return Skip(f, barrier ? "面は遮音壁にできません" : "面は地表線にできません");
            return Skip(f, barrier ? "点は遮音壁にできません" : "点は地表線にできません");
        }
        std::string why;
        std::optional<double> height;
        if (barrier) {
            height = Value(m.height, f, plan.height, 0.0, why);
            if (!height) return Skip(f, "高さがありません: " + why);
        }
        for (const std::vector<CVector3D>& line : f.lines) {
            std::vector<CVector3D> vertices;
            for (const CVector3D& w : line) {
                CVector3D p = Local(w);
                const std::optional<double> z = Value(m.ground, f, plan.ground, p.z, why);
                if (!z) return Skip(f, (barrier ? "地盤高がありません: " : "標高がありません: ") + why);
                p.z = *z;
                if (vertices.empty() || vertices.back().x != p.x || vertices.back().y != p.y)
                    vertices.push_back(p);
            }
            if (vertices.size() < 2) {
                Skip(f, "長さのない線です");
                continue;
            }
            CGroundLine made = barrier ? BarrierAlong(vertices, *height) : GroundLineAlong(vertices);
            if (barrier) {
                if (const ValidationResult issue = ValidateWall(made.walls.front())) {
                    Skip(f, "遮音壁にできません: " + issue->message);
                    continue;
                }
            }
            for (const CVector3D& v : vertices)
                report_.extent.Add(v.x, v.y);
            ++(barrier ? report_.barriers : report_.groundLines);
            (barrier ? barriers_ : out_.additions.groundLines).push_back(std::move(made));
        }
    }

    void Points(const SourceFeature& f, const LayerPlan& plan) {
        const LayerMapping& m = *plan.mapping;
        const bool source = m.kind == ImportKind::Source;
        if (f.points.empty())
            return Skip(f, f.lines.empty() && f.polygons.empty() ? "形がありません"
                           : source ? "点でない図形は音源にできません"
                                    : "点でない図形は予測点にできません");
        const CBand* spectrum = nullptr;
        if (source && !m.spectrum.library.empty()) {
            const std::string title = m.spectrum.field.empty() ? m.spectrum.title : Label(f, plan.spectrum);
            if (title.empty()) return Skip(f, "スペクトル名がありません");
            spectrum = libraries_.Find(m.spectrum.library, title);
            if (spectrum == nullptr)
                return Skip(f, "スペクトル " + title + " がバンドライブラリにありません");
        }
        for (const CVector3D& w : f.points) {
            const CVector3D p = Local(w);
            std::string why;
            const std::optional<double> ground = Value(m.ground, f, plan.ground, p.z, why);
            if (!ground) {
                Skip(f, "地盤高がありません: " + why);
                continue;
            }
            const std::optional<double> height = Value(m.height, f, plan.height, p.z - *ground, why);
            if (!height) {
                Skip(f, "高さがありません: " + why);
                continue;
            }
            const CVector3D at{p.x, p.y, *ground + *height};
            if (!std::isfinite(at.z)) {
                Skip(f, kHeightOutOfRange);
                continue;
            }
            report_.extent.Add(at.x, at.y);
            if (source) {
                out_.additions.outdoorSources.push_back(SourceAt(at, spectrum, Label(f, plan.label)));
                ++report_.sources;
            } else {
                out_.additions.calcInfo.pointList.push_back(PointAt(at, Label(f, plan.label)));
                ++report_.points;
            }
        }
    }

    CVertex2D origin_;
    ImportOutcome& out_;
    ImportReport& report_;
    SpectrumLibraries& libraries_;
    std::vector<CGroundLine> barriers_;
};

void AddExtent(const SourceFeature& f, PlanExtent& extent) {
    for (const CVector3D& p : f.points)
        extent.Add(p.x, p.y);
    for (const auto& line : f.lines)
        for (const CVector3D& p : line)
            extent.Add(p.x, p.y);
    for (const auto& polygon : f.polygons)
        for (const auto& ring : polygon)
            for (const CVector3D& p : ring)
                extent.Add(p.x, p.y);
}

// The position of `field` among the requested fields, added when new; −1 for no field.
int FieldSlot(std::vector<std::string>& fields, const std::string& field) {
    if (field.empty()) return -1;
    const auto it = std::find(fields.begin(), fields.end(), field);
    if (it != fields.end()) return static_cast<int>(it - fields.begin());
    fields.push_back(field);
    return static_cast<int>(fields.size() - 1);
}

}  // namespace

CVertex2D DefaultOrigin(const PlanExtent& extent) {
    if (extent.empty) return {0.0, 0.0};
    return {10.0 * std::floor(extent.minX / 10.0), 10.0 * std::floor(extent.minY / 10.0)};
}

std::string ProjectCrsOf(const SourceInfo& source, const ImportMapping& mapping, const ImportInto& into) {
    if (into.coordinates && into.coordinates->HasSystem()) {
        const std::string own = CrsDefinition(*into.coordinates);
        if (!mapping.crs.empty()) {
            const SourceCrs wanted = DescribeCrs(mapping.crs);
            if (wanted.epsg != into.coordinates->epsg)
                throw ImportError("マッピングの座標系 (" + wanted.Label() + ") がプロジェクトの座標系 (" +
                                  DescribeCrs(own).Label() + ") と違います");
        }
        return own;
    }
    if (!mapping.crs.empty()) return mapping.crs;
    for (const LayerMapping& layer : mapping.layers) {
        if (layer.kind == ImportKind::Skip) continue;
        const SourceLayer* found = source.Layer(layer.layer);
        if (found != nullptr && found->crs) return CrsDefinition(*found->crs);
    }
    return {};
}

ImportOutcome RunImport(const SourceInfo& source, const ImportMapping& mapping, const ImportInto& into,
                        const ImportProgress& progress) {
    ImportOutcome out;
    ImportReport& report = out.report;
    report.notes = CheckMapping(mapping, source);

    // The project's coordinate system, and the unit of layers without one.
    const std::string crs = ProjectCrsOf(source, mapping, into);
    if (!crs.empty()) {
        const SourceCrs described = DescribeCrs(crs);
        if (described.geographic)
            throw ImportError("座標系 " + described.Label() +
                              " は緯度経度です。プロジェクトの座標系には投影座標系 (m) を選んでください");
        if (std::abs(described.metresPerUnit - 1.0) > 1e-9)
            throw ImportError("座標系 " + described.Label() + " の単位がメートルではありません");
        report.crsLabel = described.Label();
        out.coordinates.epsg = described.epsg;
        if (described.epsg <= 0) out.coordinates.definition = described.wkt;
    }
    const LengthUnit unit = mapping.unit.value_or(source.ProposedUnit());

    // What to read of each layer.
    std::vector<FeatureRequest> requests;
    std::vector<LayerPlan> plans;
    std::int64_t features = 0;
    for (const LayerMapping& layer : mapping.layers) {
        if (layer.kind == ImportKind::Skip) continue;
        const SourceLayer* found = source.Layer(layer.layer);
        if (found == nullptr) continue;
        FeatureRequest request{layer.layer, {}, layer.kind == ImportKind::Building};
        LayerPlan plan{&layer};
        if (layer.height.from == ValueSource::From::Field)
            plan.height = FieldSlot(request.fields, layer.height.field);
        if (layer.ground.from == ValueSource::From::Field)
            plan.ground = FieldSlot(request.fields, layer.ground.field);
        plan.label = FieldSlot(request.fields, layer.label);
        if (layer.kind == ImportKind::Source) plan.spectrum = FieldSlot(request.fields, layer.spectrum.field);
        if (!found->crs) report.drawingUnit = UnitName(unit);
        features += found->features;
        requests.push_back(std::move(request));
        plans.push_back(plan);
    }
    if (features > kMaxImportFeatures)
        throw ImportError("取り込む図形が多すぎます (" + std::to_string(features) + " 件、上限 " +
                          std::to_string(kMaxImportFeatures) +
                          " 件)。取り込むレイヤを絞るか、範囲を切り取ってください");

    // Every sound-power spectrum named once for all features is looked up before reading.
    SpectrumLibraries libraries;
    for (const LayerMapping& layer : mapping.layers) {
        if (layer.kind != ImportKind::Source || layer.spectrum.library.empty() || !source.Layer(layer.layer))
            continue;
        libraries.Load(layer.spectrum.library);
        if (!layer.spectrum.title.empty() &&
            libraries.Find(layer.spectrum.library, layer.spectrum.title) == nullptr)
            throw ImportError("レイヤ " + layer.layer + ": スペクトル " + layer.spectrum.title +
                              " がバンドライブラリ " + layer.spectrum.library + " にありません");
    }

    // The features, in project metres; the origin follows from their extent.
    std::vector<SourceFeature> read;
    PlanExtent world;
    ReadFeatures(
        source, requests, CoordinateTarget{crs, unit},
        [&](SourceFeature&& f) {
            AddExtent(f, world);
            read.push_back(std::move(f));
        },
        progress ? ImportProgress([&](double f) { return progress(0.9 * f); }) : ImportProgress());
    CVertex2D origin = mapping.origin.value_or(DefaultOrigin(world));
    if (into.coordinates) {
        const CVertex2D own{into.coordinates->originX, into.coordinates->originY};
        if (mapping.origin && (mapping.origin->x != own.x || mapping.origin->y != own.y))
            report.notes.push_back("プロジェクトの原点を使いました (マッピングの原点は使いません)");
        origin = own;
    }
    out.coordinates.originX = origin.x;
    out.coordinates.originY = origin.y;
    report.coordinates = out.coordinates;

    std::map<std::string, const LayerPlan*> byLayer;
    for (const LayerPlan& plan : plans)
        byLayer[plan.mapping->layer] = &plan;
    SiteBuilder builder(origin, out, libraries);
    for (std::size_t i = 0; i < read.size(); ++i) {
        builder.Add(read[i], *byLayer.at(read[i].layer));
        if (progress && i % 1000 == 999 && !progress(0.9 + 0.1 * static_cast<double>(i) / read.size()))
            throw ImportCancelled();
    }
    builder.Finish();
    if (report.points > 0 && (into.pointMode == 2 || into.pointMode == 3))
        report.notes.push_back(
            "予測点は点リストに加えました。予測の設定が格子なので、計算するには「複数」を選んでください");
    return out;
}

CNoise WithImported(CNoise model, const CNoise& additions) {
    model.groundLines.insert(model.groundLines.end(), additions.groundLines.begin(),
                             additions.groundLines.end());
    model.buildings.insert(model.buildings.end(), additions.buildings.begin(), additions.buildings.end());
    model.outdoorSources.insert(model.outdoorSources.end(), additions.outdoorSources.begin(),
                                additions.outdoorSources.end());
    const std::vector<CPredictivePoint>& points = additions.calcInfo.pointList;
    if (!points.empty()) {
        std::vector<CPredictivePoint>& list = model.calcInfo.pointList;
        list.insert(list.end(), points.begin(), points.end());
        if (model.calcInfo.mode == 0) model.calcInfo.mode = 1;
    }
    return model;
}

ProjectExtras WithCoordinates(ProjectExtras extras, const SiteCoordinates& coordinates) {
    extras.coordinates = coordinates;
    return extras;
}

}  // namespace kelmora
