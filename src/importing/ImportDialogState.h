#pragma once
// The state of the import dialog, without a window: the source's layers with the kind each becomes,
// the settings of the selected layer, the unit, origin and coordinate system, the mapping file saved
// and read, and the preview — the import run on the settings as they stand, whose objects the plan
// draws before anything is committed. The dialog only binds its controls to this class.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "importing/ImportMapping.h"
#include "importing/SiteImport.h"
#include "importing/VectorSource.h"

namespace kelmora {

inline constexpr const char* kImportTitle = "インポート";
inline constexpr const char* kImportCaption = "インポート";
inline constexpr const char* kMappingFileFilter = "マッピング (*.json)|*.json|すべてのファイル (*)|*||";
inline constexpr const char* kSaveMappingTitle = "マッピングを保存";
inline constexpr const char* kLoadMappingTitle = "マッピングを読込";
// The files the import reads.
inline constexpr const char* kImportFileFilter =
    "図面・GISファイル (*.dxf *.gpkg *.shp *.geojson *.json *.gml "
    "*.xml)|*.dxf;*.gpkg;*.shp;*.geojson;*.json;*.gml;"
    "*.xml|すべてのファイル (*)|*||";
inline constexpr const char* kChooseImportFileTitle = "インポートする図面・GISファイルを指定してください";
inline constexpr const char* kBandLibraryFilter = "csvファイル(*.csv)|*.csv||";

// "定数", "属性 H", "厚さ", "Z".
std::string ValueChoiceLabel(const ValueSource& value);

class ImportDialogState {
public:
    ImportDialogState(SourceInfo source, ImportInto into);

    const SourceInfo& source() const { return source_; }
    // The mapping as it stands: the layers given a kind, the unit, the coordinate system, the origin.
    ImportMapping Mapping() const;
    // What the source is, for the dialog's head: "DXF, $INSUNITS 4 (mm)", "GPKG, EPSG:6677 …".
    std::string SourceText() const;

    // ---- Layers ----

    struct LayerRow {
        std::string name;
        std::string geometry;  // SourceLayer::GeometryText
        std::string features;  // the count
        std::string kind;      // KindLabel
    };
    int LayerCount() const { return static_cast<int>(source_.layers.size()); }
    LayerRow Row(int layer) const;

    // The layer whose settings the dialog shows (−1: none).
    void SelectLayer(int layer);
    int selectedLayer() const { return selected_; }
    // The selected layer's settings (a layer not imported: kind Skip).
    LayerMapping Selected() const;

    // The kind of the selected layer; its settings become that kind's defaults.
    void SetKind(ImportKind kind);
    // The values the selected layer's kind takes, in the dialog's order; empty when it takes none.
    std::vector<ValueSource> HeightChoices() const;
    std::vector<ValueSource> GroundChoices() const;
    void SetHeight(const ValueSource& value);
    void SetGround(const ValueSource& value);
    // A constant's text: nothing when it is a number not below 0 (heights) or a number (ground); else the
    // message, and the setting is kept as it was.
    std::optional<std::string> SetHeightText(const std::string& text);
    std::optional<std::string> SetGroundText(const std::string& text);
    // The fields of the selected layer that a label or a spectrum name can come from.
    std::vector<std::string> FieldNames() const;
    bool TakesLabel() const;
    bool TakesSpectrum() const;
    void SetLabel(const std::string& field);
    // The band library of the selected layer's sources, read at once: the message when it cannot be read.
    std::optional<std::string> SetLibrary(const std::string& path);
    // The spectrum titles of the selected layer's library (empty without one).
    std::vector<std::string> LibraryTitles() const;
    // The spectrum named by the field, or the one title; both empty: a new source's spectrum.
    void SetSpectrumField(const std::string& field);
    void SetSpectrumTitle(const std::string& title);

    // ---- Coordinates ----

    // The unit of layers without a coordinate system; shown only when a mapped layer has none.
    LengthUnit unit() const { return unit_; }
    void SetUnit(LengthUnit unit);
    bool UnitMatters() const;
    // The coordinate system ("EPSG:n"), and whether it is the project's (then it cannot change).
    const std::string& crs() const { return crs_; }
    bool CrsFixed() const;
    std::optional<std::string> SetCrs(const std::string& text);
    // The origin: the default (the extent's lower-left corner, down to 10 m), the one typed, or the
    // project's (then it cannot change).
    bool OriginIsDefault() const { return !origin_; }
    bool OriginFixed() const { return into_.coordinates.has_value(); }
    // The origin shown: the one set, else the last preview's.
    std::optional<CVertex2D> OriginShown() const;
    void UseDefaultOrigin();
    std::optional<std::string> SetOriginText(const std::string& x, const std::string& y);

    // ---- Mapping files ----

    // Nothing when saved, else the message.
    std::optional<std::string> SaveMapping(const std::string& path) const;
    // Reads a mapping and takes it when it fits the source; else the message, and nothing changes.
    std::optional<std::string> LoadMapping(const std::string& path);

    // ---- Preview ----

    // Runs the import on the settings as they stand when they changed since the last run. False when it
    // cannot be done (previewError() says why).
    bool RefreshPreview(const ImportProgress& progress = {});
    bool PreviewCurrent() const { return previewCurrent_; }
    const std::optional<ImportOutcome>& preview() const { return preview_; }
    const std::string& previewError() const { return previewError_; }
    // The report of the last preview, or its error.
    std::string ReportText() const;
    // The message that refuses OK (nothing when the preview may be committed).
    std::optional<std::string> RefuseOk();

private:
    LayerMapping* SelectedMapping();
    void Choose(ValueSource& setting, const ValueSource& chosen, double& constant);
    // The titles of a library named by a mapping (none when it cannot be read: the preview says why).
    void SetLibraryTitles(const std::string& path);
    void Changed() { previewCurrent_ = false; }

    SourceInfo source_;
    ImportInto into_;
    std::vector<LayerMapping> layers_;  // one per source layer, in its order
    struct Constants {
        double height = 0.0;
        double ground = 0.0;
    };
    std::vector<Constants> constants_;  // per layer, the constants last set
    int selected_ = -1;
    LengthUnit unit_;
    std::string crs_;
    std::optional<CVertex2D> origin_;
    std::map<std::string, std::vector<std::string>> libraryTitles_;  // of the libraries read, by path
    bool previewCurrent_ = false;
    std::optional<ImportOutcome> preview_;
    std::string previewError_;
};

}  // namespace kelmora
