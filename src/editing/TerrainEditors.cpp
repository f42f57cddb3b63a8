// The editors of the terrain: a ground line with its vertices and ground absorption, and a wall or
// slope shoulder along it.
#include "editing/CurrentItems.h"
#include "editing/EditorKinds.h"

namespace kelmora {

namespace {

// ---- Ground line ("地表線情報編集") ----

constexpr int kVertexXId = 1006;
constexpr int kVertexYId = 1014;
constexpr int kVertexZId = 1022;
constexpr int kGroundLeftId = 1012;
constexpr int kGroundRightId = 1013;
constexpr int kWallsButtonId = 1030;

std::vector<EditorField> GroundLineFields() {
    return {
        {.controlId = kVertexXId,
         .label = "X :",
         .name = "vertexX",
         .unit = "m",
         .limits = kGroundVertexPlanLimits},
        {.controlId = kVertexYId,
         .label = "Y :",
         .name = "vertexY",
         .unit = "m",
         .limits = kGroundVertexPlanLimits},
        {.controlId = kVertexZId,
         .label = "Z :",
         .name = "vertexZ",
         .unit = "m",
         .limits = kGroundVertexHeightLimits},
        NoteRow("マウス左クリックで点を追加できます"),
        SpectrumRow(kGroundLeftId, "左側吸音率...", "absorptionLeft", BandSpectrum::kLeftGroundAbsorption),
        SpectrumRow(kGroundRightId, "右側吸音率...", "absorptionRight", BandSpectrum::kRightGroundAbsorption),
        MemoRow(),
        SubListRow(kWallsButtonId, "壁・法肩...", kWallListMode),
    };
}

class GroundLineEditor : public ChainEditor {
public:
    GroundLineEditor(EditTransaction& tx, int mode)
        : ChainEditor(tx, mode, GroundLineFields(), {},
                      VertexListSpec{{"　　　　X　　　　", "　　　　Y　　　　", "　　　　Z　　　　"},
                                     kVertexXId,
                                     kVertexYId,
                                     kVertexZId}) {}

protected:
    CGroundLine* Line() { return CurrentGroundLine(transaction().workingCopy(), transaction().edit()); }

    void Load() override {
        const CGroundLine* line = Line();
        if (line == nullptr) return;
        form().SetSpectrum(kGroundLeftId, line->absorptionLeft);
        form().SetSpectrum(kGroundRightId, line->absorptionRight);
        form().SetText(kMemoFieldId, line->memo);
    }

    void Fill(CGroundLine& line) const {
        line.absorptionLeft = form().Spectrum(kGroundLeftId);
        line.absorptionRight = form().Spectrum(kGroundRightId);
        line.memo = form().Text(kMemoFieldId);
    }

    ValidationResult Store() override {
        return StoreChecked(
            Line(), [&](CGroundLine& line) { Fill(line); },
            [](const CGroundLine& line) { return ValidateGroundLine(line); });
    }

    // "壁・法肩..." needs only the vertices: the walls' ranges are checked when the line is accepted.
    ValidationResult StoreBeforeSubList() override {
        return StoreChecked(
            Line(), [&](CGroundLine& line) { Fill(line); },
            [](const CGroundLine& line) { return ValidateGroundLineVertexCount(line); });
    }

    std::vector<CVector3D>* EditedVertices() override {
        CGroundLine* line = Line();
        return line ? &line->polyline.vertices : nullptr;
    }
};

// ---- Wall or slope shoulder ("壁・法肩の編集　＜左右は地表線矢印方向に対してです(左↑右)＞") ----

constexpr int kTypeId = 1031;
constexpr int kRangeStartId = 1010;
constexpr int kRangeEndId = 1018;
constexpr int kDiffractTopId = 1041;
constexpr int kDiffractBottomId = 1043;
constexpr int kDiffractStartId = 1042;
constexpr int kDiffractEndId = 1044;
constexpr int kHeightId = 1055;
constexpr int kOffsetHorizontalId = 1036;
constexpr int kOffsetVerticalId = 1038;
constexpr int kSlopeSideId = 1008;
constexpr int kSlopeHorizontalId = 1051;
constexpr int kSlopeVerticalId = 1052;
constexpr int kTlId = 1011;
constexpr int kLeftAbsorptionId = 1012;
constexpr int kRightAbsorptionId = 1013;
constexpr int kDiffuseLeftId = 1014;
constexpr int kDiffuseRightId = 1016;

std::vector<EditorField> WallFields() {
    constexpr const char* kRange = "範囲　…　地表線開始点からの長さ[m]";
    constexpr const char* kDiffraction = "回折";
    constexpr const char* kSlope = "法面情報";
    constexpr const char* kReflection = "反射面";
    // The slope group is enabled only while the wall is a slope shoulder.
    constexpr EnableRule kWhileShoulder{kTypeId, kSlopeShoulder};
    const auto diffraction = [&](int id, const char* label, const char* name) {
        return EditorField{.controlId = id,
                           .kind = FieldKind::kChoice,
                           .label = label,
                           .name = name,
                           .choices = kDiffractionChoices,
                           .group = kDiffraction};
    };
    return {
        {.controlId = kTypeId,
         .kind = FieldKind::kChoice,
         .label = "属性",
         .name = "type",
         .choices = {"ナイフウェッジ遮音壁", "直角ウェッジ遮音壁", "法肩"}},
        {.controlId = kRangeStartId,
         .label = "始点",
         .name = "rangeStart",
         .unit = "m",
         .limits = kWallRangeLimits,
         .group = kRange},
        {.controlId = kRangeEndId,
         .label = "~",
         .name = "rangeEnd",
         .unit = "m",
         .limits = kWallRangeLimits,
         .group = kRange},
        NoteRow("始点はマウス左クリック、終点はマウス右クリックで指定できます", kRange),
        diffraction(kDiffractTopId, "上辺", "diffractTop"),
        diffraction(kDiffractBottomId, "下辺", "diffractBottom"),
        diffraction(kDiffractStartId, "始点側", "diffractStart"),
        diffraction(kDiffractEndId, "終点側", "diffractEnd"),
        {.controlId = kHeightId,
         .label = "壁の高さ[m]",
         .name = "height",
         .unit = "m",
         .limits = kWallHeightLimits},
        {.controlId = kOffsetHorizontalId,
         .label = "地表線相対水平距離[m]",
         .name = "offsetHorizontal",
         .unit = "m",
         .limits = kWallOffsetHorizontalLimits,
         .hint = "…矢印左側+, 右側-(左↑右)"},
        {.controlId = kOffsetVerticalId,
         .label = "地表線相対鉛直距離[m]",
         .name = "offsetVertical",
         .unit = "m",
         .limits = kWallOffsetVerticalLimits,
         .hint = "…地面と下端の隙間:0以上"},
        {.controlId = kSlopeSideId,
         .kind = FieldKind::kRadios,
         .label = "",
         .name = "slopeSide",
         .choices = {"左側", "右側"},
         .choiceIds = {1008, 1009},
         .enabledWhen = kWhileShoulder,
         .group = kSlope},
        {.controlId = kSlopeHorizontalId,
         .label = "法肩から法尻までの水平距離[m]",
         .name = "slopeHorizontal",
         .unit = "m",
         .limits = kSlopeDistanceLimits,
         .enabledWhen = kWhileShoulder,
         .group = kSlope},
        {.controlId = kSlopeVerticalId,
         .label = "鉛直距離[m]",
         .name = "slopeVertical",
         .unit = "m",
         .limits = kSlopeDistanceLimits,
         .enabledWhen = kWhileShoulder,
         .group = kSlope},
        SpectrumRow(kTlId, "TL...", "tl", BandSpectrum::kTransmissionLoss),
        SpectrumRow(kLeftAbsorptionId, "左側吸音率...", "absorptionLeft", BandSpectrum::kLeftAbsorption),
        SpectrumRow(kRightAbsorptionId, "右側吸音率...", "absorptionRight", BandSpectrum::kRightAbsorption),
        {.controlId = kDiffuseLeftId,
         .kind = FieldKind::kRadios,
         .label = "左側",
         .name = "diffuseLeft",
         .choices = kReflectionChoices,
         .choiceIds = {1014, 1015},
         .group = kReflection},
        {.controlId = kDiffuseRightId,
         .kind = FieldKind::kRadios,
         .label = "右側",
         .name = "diffuseRight",
         .choices = kReflectionChoices,
         .choiceIds = {1016, 1017},
         .group = kReflection},
        MemoRow(),
    };
}

class WallEditor : public ChainEditor {
public:
    WallEditor(EditTransaction& tx, int mode)
        : ChainEditor(tx, mode, WallFields(), {.apply = true, .cascade = true}) {}

protected:
    CWall* Wall() { return CurrentWall(transaction().workingCopy(), transaction().edit()); }

    void Load() override {
        const CWall* wall = Wall();
        if (wall == nullptr) return;
        EditorForm& f = form();
        f.SetValue(kTypeId, wall->type);
        f.SetNumber(kRangeStartId, wall->rangeStart);
        f.SetNumber(kRangeEndId, wall->rangeEnd);
        f.SetValue(kDiffractTopId, wall->diffractTop);
        f.SetValue(kDiffractBottomId, wall->diffractBottom);
        f.SetValue(kDiffractStartId, wall->diffractStart);
        f.SetValue(kDiffractEndId, wall->diffractEnd);
        f.SetNumber(kHeightId, wall->height);
        f.SetNumber(kOffsetHorizontalId, wall->offsetHorizontal);
        f.SetNumber(kOffsetVerticalId, wall->offsetVertical);
        f.SetValue(kSlopeSideId, wall->slopeSide);
        f.SetNumber(kSlopeHorizontalId, wall->slopeHorizontal);
        f.SetNumber(kSlopeVerticalId, wall->slopeVertical);
        f.SetSpectrum(kTlId, wall->tl);
        f.SetSpectrum(kLeftAbsorptionId, wall->absorptionLeft);
        f.SetSpectrum(kRightAbsorptionId, wall->absorptionRight);
        f.SetValue(kDiffuseLeftId, wall->diffuseLeft);
        f.SetValue(kDiffuseRightId, wall->diffuseRight);
        f.SetText(kMemoFieldId, wall->memo);
    }

    ValidationResult Store() override {
        const EditorForm& f = form();
        return StoreChecked(
            Wall(),
            [&](CWall& wall) {
                wall.type = f.Value(kTypeId);
                wall.rangeStart = f.Number(kRangeStartId);
                wall.rangeEnd = f.Number(kRangeEndId);
                wall.diffractTop = f.Value(kDiffractTopId);
                wall.diffractBottom = f.Value(kDiffractBottomId);
                wall.diffractStart = f.Value(kDiffractStartId);
                wall.diffractEnd = f.Value(kDiffractEndId);
                wall.height = f.Number(kHeightId);
                wall.offsetHorizontal = f.Number(kOffsetHorizontalId);
                wall.offsetVertical = f.Number(kOffsetVerticalId);
                wall.slopeSide = f.Value(kSlopeSideId);
                wall.slopeHorizontal = f.Number(kSlopeHorizontalId);
                wall.slopeVertical = f.Number(kSlopeVerticalId);
                wall.tl = f.Spectrum(kTlId);
                wall.absorptionLeft = f.Spectrum(kLeftAbsorptionId);
                wall.absorptionRight = f.Spectrum(kRightAbsorptionId);
                wall.diffuseLeft = f.Value(kDiffuseLeftId);
                wall.diffuseRight = f.Value(kDiffuseRightId);
                wall.memo = f.Text(kMemoFieldId);
            },
            [](const CWall& wall) { return ValidateWall(wall); });
    }
};

}  // namespace

std::unique_ptr<ChainEditor> MakeGroundLineEditor(EditTransaction& transaction, int editMode) {
    return std::make_unique<GroundLineEditor>(transaction, editMode);
}

std::unique_ptr<ChainEditor> MakeWallEditor(EditTransaction& transaction, int editMode) {
    return std::make_unique<WallEditor>(transaction, editMode);
}

}  // namespace kelmora
