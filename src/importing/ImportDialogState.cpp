#include "importing/ImportDialogState.h"

#include <exception>

#include "editing/FieldParser.h"
#include "model/persistence/BandLibrary.h"

namespace kelmora {

namespace {

bool TakesHeight(ImportKind kind) {
    return kind == ImportKind::Building || kind == ImportKind::Barrier || kind == ImportKind::Source ||
           kind == ImportKind::Point;
}

bool SameChoice(const ValueSource& a, const ValueSource& b) {
    return a.from == b.from && (a.from != ValueSource::From::Field || a.field == b.field);
}

}  // namespace

std::string ValueChoiceLabel(const ValueSource& value) {
    if (value.from == ValueSource::From::Field) return "属性 " + value.field;
    return FromLabel(value.from);
}

ImportDialogState::ImportDialogState(SourceInfo source, ImportInto into)
    : source_(std::move(source)), into_(std::move(into)), unit_(source_.ProposedUnit()) {
    for (const SourceLayer& layer : source_.layers)
        layers_.push_back(DefaultLayerMapping(layer.name, ImportKind::Skip));
    constants_.resize(layers_.size());
    if (into_.coordinates && into_.coordinates->HasSystem())
        crs_ = into_.coordinates->epsg > 0 ? "EPSG:" + std::to_string(into_.coordinates->epsg) : "";
    if (!source_.layers.empty()) selected_ = 0;
}

ImportMapping ImportDialogState::Mapping() const {
    ImportMapping m;
    if (UnitMatters() || source_.dxf) m.unit = unit_;
    if (!CrsFixed()) m.crs = crs_;
    if (!OriginFixed()) m.origin = origin_;
    for (const LayerMapping& layer : layers_)
        if (layer.kind != ImportKind::Skip) m.layers.push_back(layer);
    return m;
}

std::string ImportDialogState::SourceText() const {
    std::string text = source_.driver;
    if (source_.dxf)
        text += source_.insUnits ? ", $INSUNITS " + InsUnitsText(*source_.insUnits) : ", $INSUNITS なし";
    for (const SourceLayer& layer : source_.layers) {
        if (layer.crs) {
            text += ", " + layer.crs->Label();
            break;
        }
    }
    return text;
}

ImportDialogState::LayerRow ImportDialogState::Row(int layer) const {
    const SourceLayer& s = source_.layers.at(static_cast<std::size_t>(layer));
    return {s.name, s.GeometryText(), std::to_string(s.features),
            KindLabel(layers_.at(static_cast<std::size_t>(layer)).kind)};
}

void ImportDialogState::SelectLayer(int layer) {
    selected_ = layer >= 0 && layer < LayerCount() ? layer : -1;
}

LayerMapping ImportDialogState::Selected() const {
    if (selected_ < 0) return {};
    return layers_[static_cast<std::size_t>(selected_)];
}

LayerMapping* ImportDialogState::SelectedMapping() {
    return selected_ < 0 ? nullptr : &layers_[static_cast<std::size_t>(selected_)];
}

void ImportDialogState::SetKind(ImportKind kind) {
    LayerMapping* m = SelectedMapping();
    if (m == nullptr || m->kind == kind) return;
    *m = DefaultLayerMapping(m->layer, kind);
    constants_[static_cast<std::size_t>(selected_)] = {m->height.value, m->ground.value};
    Changed();
}

std::vector<ValueSource> ImportDialogState::HeightChoices() const {
    const LayerMapping m = Selected();
    if (!TakesHeight(m.kind)) return {};
    std::vector<ValueSource> choices{ValueSource::Constant(0.0)};
    for (const std::string& field : FieldNames())
        choices.push_back(ValueSource::OfField(field));
    const bool building = m.kind == ImportKind::Building;
    if ((building || m.kind == ImportKind::Barrier) && source_.dxf && source_.thicknessReadable)
        choices.push_back(ValueSource::OfThickness());
    if (m.kind != ImportKind::Barrier) choices.push_back(ValueSource::OfZ());
    return choices;
}

std::vector<ValueSource> ImportDialogState::GroundChoices() const {
    if (Selected().kind == ImportKind::Skip) return {};
    std::vector<ValueSource> choices{ValueSource::Constant(0.0)};
    for (const std::string& field : FieldNames())
        choices.push_back(ValueSource::OfField(field));
    choices.push_back(ValueSource::OfZ());
    return choices;
}

void ImportDialogState::SetHeight(const ValueSource& value) {
    LayerMapping* m = SelectedMapping();
    if (m == nullptr || SameChoice(m->height, value)) return;
    Choose(m->height, value, constants_[static_cast<std::size_t>(selected_)].height);
}

void ImportDialogState::SetGround(const ValueSource& value) {
    LayerMapping* m = SelectedMapping();
    if (m == nullptr || SameChoice(m->ground, value)) return;
    Choose(m->ground, value, constants_[static_cast<std::size_t>(selected_)].ground);
}

void ImportDialogState::Choose(ValueSource& setting, const ValueSource& chosen, double& constant) {
    // The constant last typed comes back when the value is a constant again.
    if (setting.from == ValueSource::From::Constant) constant = setting.value;
    setting = chosen;
    if (chosen.from == ValueSource::From::Constant) setting.value = constant;
    Changed();
}

std::optional<std::string> ImportDialogState::SetHeightText(const std::string& text) {
    LayerMapping* m = SelectedMapping();
    if (m == nullptr || m->height.from != ValueSource::From::Constant) return std::nullopt;
    const std::optional<double> value = ParseFieldNumber(text);
    if (!value || *value < 0.0) return std::string("高さは 0 以上の数値にしてください");
    if (m->height.value != *value) {
        m->height.value = *value;
        Changed();
    }
    return std::nullopt;
}

std::optional<std::string> ImportDialogState::SetGroundText(const std::string& text) {
    LayerMapping* m = SelectedMapping();
    if (m == nullptr || m->ground.from != ValueSource::From::Constant) return std::nullopt;
    const std::optional<double> value = ParseFieldNumber(text);
    if (!value) return std::string(kNotANumberMessage);
    if (m->ground.value != *value) {
        m->ground.value = *value;
        Changed();
    }
    return std::nullopt;
}

std::vector<std::string> ImportDialogState::FieldNames() const {
    std::vector<std::string> names;
    if (selected_ < 0) return names;
    for (const SourceField& f : source_.layers[static_cast<std::size_t>(selected_)].fields)
        names.push_back(f.name);
    return names;
}

bool ImportDialogState::TakesLabel() const {
    const ImportKind kind = Selected().kind;
    return kind == ImportKind::Building || kind == ImportKind::Source || kind == ImportKind::Point;
}

bool ImportDialogState::TakesSpectrum() const {
    return Selected().kind == ImportKind::Source;
}

void ImportDialogState::SetLabel(const std::string& field) {
    LayerMapping* m = SelectedMapping();
    if (m == nullptr || m->label == field) return;
    m->label = field;
    Changed();
}

std::optional<std::string> ImportDialogState::SetLibrary(const std::string& path) {
    LayerMapping* m = SelectedMapping();
    if (m == nullptr) return std::nullopt;
    if (!path.empty() && !libraryTitles_.contains(path)) {
        const BandLibraryRead read = ReadBandLibraryFile(path);
        if (read.message) return read.message->text;
        std::vector<std::string>& titles = libraryTitles_[path];
        for (const CBand& band : read.spectra)
            titles.push_back(band.title);
    }
    if (m->spectrum.library == path) return std::nullopt;
    m->spectrum.library = path;
    if (path.empty()) {
        m->spectrum = {};
    } else if (m->spectrum.field.empty() && m->spectrum.title.empty()) {
        // A new library: the spectra named by the first field that holds text, else its first title.
        const std::vector<std::string> fields = FieldNames();
        if (!fields.empty())
            m->spectrum.field = source_.dxf ? "BlockName" : fields.front();
        else if (!libraryTitles_[path].empty())
            m->spectrum.title = libraryTitles_[path].front();
    }
    Changed();
    return std::nullopt;
}

std::vector<std::string> ImportDialogState::LibraryTitles() const {
    const auto it = libraryTitles_.find(Selected().spectrum.library);
    return it == libraryTitles_.end() ? std::vector<std::string>{} : it->second;
}

void ImportDialogState::SetSpectrumField(const std::string& field) {
    LayerMapping* m = SelectedMapping();
    if (m == nullptr || (m->spectrum.field == field && m->spectrum.title.empty())) return;
    m->spectrum.field = field;
    m->spectrum.title.clear();
    Changed();
}

void ImportDialogState::SetSpectrumTitle(const std::string& title) {
    LayerMapping* m = SelectedMapping();
    if (m == nullptr || (m->spectrum.title == title && m->spectrum.field.empty())) return;
    m->spectrum.title = title;
    m->spectrum.field.clear();
    Changed();
}

void ImportDialogState::SetUnit(LengthUnit unit) {
    if (unit_ == unit) return;
    unit_ = unit;
    Changed();
}

bool ImportDialogState::UnitMatters() const {
    for (std::size_t i = 0; i < layers_.size(); ++i)
        if (layers_[i].kind != ImportKind::Skip && !source_.layers[i].crs) return true;
    return false;
}

bool ImportDialogState::CrsFixed() const {
    return into_.coordinates && into_.coordinates->HasSystem();
}

std::optional<std::string> ImportDialogState::SetCrs(const std::string& text) {
    if (CrsFixed() || text == crs_) return std::nullopt;
    if (!text.empty()) {
        try {
            const SourceCrs crs = DescribeCrs(text);
            if (crs.geographic)
                return "座標系 " + crs.Label() + " は緯度経度です。投影座標系 (m) を選んでください";
        } catch (const ImportError& e) {
            return std::string(e.what());
        }
    }
    crs_ = text;
    Changed();
    return std::nullopt;
}

std::optional<CVertex2D> ImportDialogState::OriginShown() const {
    if (into_.coordinates) return CVertex2D{into_.coordinates->originX, into_.coordinates->originY};
    if (origin_) return origin_;
    if (preview_) return CVertex2D{preview_->coordinates.originX, preview_->coordinates.originY};
    return std::nullopt;
}

void ImportDialogState::UseDefaultOrigin() {
    if (!origin_) return;
    origin_.reset();
    Changed();
}

std::optional<std::string> ImportDialogState::SetOriginText(const std::string& x, const std::string& y) {
    if (OriginFixed()) return std::nullopt;
    const std::optional<double> ox = ParseFieldNumber(x);
    const std::optional<double> oy = ParseFieldNumber(y);
    if (!ox || !oy) return std::string(kNotANumberMessage);
    const CVertex2D origin{*ox, *oy};
    if (origin_ && *origin_ == origin) return std::nullopt;
    origin_ = origin;
    Changed();
    return std::nullopt;
}

std::optional<std::string> ImportDialogState::SaveMapping(const std::string& path) const {
    try {
        WriteMappingFile(path, Mapping());
    } catch (const ImportError& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

std::optional<std::string> ImportDialogState::LoadMapping(const std::string& path) {
    ImportMapping loaded;
    try {
        loaded = ReadMappingFile(path);
        CheckMapping(loaded, source_);
    } catch (const ImportError& e) {
        return std::string(e.what());
    }
    for (LayerMapping& layer : layers_) {
        const LayerMapping* given = loaded.Layer(layer.layer);
        layer = given != nullptr ? *given : DefaultLayerMapping(layer.layer, ImportKind::Skip);
        if (!layer.spectrum.library.empty()) SetLibraryTitles(layer.spectrum.library);
    }
    if (loaded.unit) unit_ = *loaded.unit;
    if (!CrsFixed()) crs_ = loaded.crs;
    if (!OriginFixed()) origin_ = loaded.origin;
    Changed();
    return std::nullopt;
}

void ImportDialogState::SetLibraryTitles(const std::string& path) {
    if (libraryTitles_.contains(path)) return;
    const BandLibraryRead read = ReadBandLibraryFile(path);
    std::vector<std::string>& titles = libraryTitles_[path];
    for (const CBand& band : read.spectra)
        titles.push_back(band.title);
}

bool ImportDialogState::RefreshPreview(const ImportProgress& progress) {
    if (previewCurrent_) return preview_.has_value();
    preview_.reset();
    previewError_.clear();
    try {
        preview_ = RunImport(source_, Mapping(), into_, progress);
    } catch (const ImportCancelled& e) {
        previewError_ = e.what();
        return false;
    } catch (const ImportError& e) {
        previewError_ = e.what();
    } catch (const std::exception& e) {
        previewError_ = e.what();
    }
    previewCurrent_ = true;
    return preview_.has_value();
}

std::string ImportDialogState::ReportText() const {
    if (!previewError_.empty()) return previewError_;
    if (!preview_) return {};
    return ImportReportText(preview_->report);
}

std::optional<std::string> ImportDialogState::RefuseOk() {
    if (!RefreshPreview())
        return previewError_.empty() ? std::string("取り込みを中止しました") : previewError_;
    if (preview_->report.MadeCount() == 0)
        return std::string("取り込むものがありません。レイヤの種類を選んでください");
    return std::nullopt;
}

}  // namespace kelmora
