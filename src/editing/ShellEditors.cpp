// The editors of a building's shell: the building itself (its memo and the buttons to its parts), a
// roof rectangle and an exterior wall.
#include "editing/CurrentItems.h"
#include "editing/EditorKinds.h"

namespace kelmora {

namespace {

// ---- Building ("建物情報編集", modal) ----

std::vector<EditorField> BuildingFields() {
    return {
        MemoRow("メモ "),
        SubListRow(1023, "屋上編集...", kRoofListMode),
        SubListRow(1024, "外壁編集...", kExteriorWallListMode),
        SubListRow(1025, "室編集...", kRoomListMode),
    };
}

class BuildingEditor : public ChainEditor {
public:
    BuildingEditor(EditTransaction& tx, int mode) : ChainEditor(tx, mode, BuildingFields(), {}) {}

protected:
    CBuilding* Building() { return CurrentBuilding(transaction().workingCopy(), transaction().edit()); }

    void Load() override {
        if (const CBuilding* building = Building()) form().SetText(kMemoFieldId, building->memo);
    }

    ValidationResult Store() override {
        if (CBuilding* building = Building()) building->memo = form().Text(kMemoFieldId);
        return std::nullopt;
    }
};

// ---- Roof ("屋上情報編集 … 平面の左側は辺Aから辺Bに回した右ネジ方向") ----

constexpr int kWedgeTypeId = 1047;
constexpr int kDiffractAId = 1060;
constexpr int kDiffractBId = 1050;
constexpr int kDiffractCId = 1052;
constexpr int kDiffractDId = 1054;
constexpr int kTlId = 1011;
constexpr int kLeftAbsorptionId = 1012;
constexpr int kRightAbsorptionId = 1013;
constexpr int kRoofDiffuseLeftId = 1014;
constexpr int kRoofDiffuseRightId = 1017;
constexpr int kSideDiffraction[4] = {kDiffractAId, kDiffractBId, kDiffractCId, kDiffractDId};

std::vector<EditorField> RoofFields() {
    constexpr const char* kEdges = "各辺の回折有無 … 辺Bの開始点は(X2,Y2,Z1)";
    constexpr const char* kReflection = "反射面";
    std::vector<EditorField> fields = RectEntryRows();
    const auto edge = [&](int id, const char* label, const char* name) {
        return EditorField{.controlId = id,
                           .kind = FieldKind::kChoice,
                           .label = label,
                           .name = name,
                           .choices = kDiffractionChoices,
                           .group = kEdges};
    };
    const std::vector<EditorField> rest{
        {.controlId = kWedgeTypeId,
         .kind = FieldKind::kChoice,
         .label = "回折ウェッジ種類",
         .name = "wedgeType",
         .choices = {"ナイフウェッジ", "直角ウェッジ"}},
        edge(kDiffractAId, "辺A", "diffractA"),
        edge(kDiffractBId, "辺B", "diffractB"),
        edge(kDiffractCId, "辺C", "diffractC"),
        edge(kDiffractDId, "辺D", "diffractD"),
        SpectrumRow(kTlId, "TL...", "tl", BandSpectrum::kTransmissionLoss),
        SpectrumRow(kLeftAbsorptionId, "左側吸音率...", "absorptionLeft", BandSpectrum::kLeftAbsorption),
        SpectrumRow(kRightAbsorptionId, "右側吸音率...", "absorptionRight", BandSpectrum::kRightAbsorption),
        {.controlId = kRoofDiffuseLeftId,
         .kind = FieldKind::kRadios,
         .label = "左側",
         .name = "diffuseLeft",
         .choices = kReflectionChoices,
         .choiceIds = {1014, 1015},
         .group = kReflection},
        {.controlId = kRoofDiffuseRightId,
         .kind = FieldKind::kRadios,
         .label = "右側",
         .name = "diffuseRight",
         .choices = kReflectionChoices,
         .choiceIds = {1017, 1018},
         .group = kReflection},
        MemoRow(),
    };
    fields.insert(fields.end(), rest.begin(), rest.end());
    return fields;
}

class RoofEditor : public ChainEditor {
public:
    RoofEditor(EditTransaction& tx, int mode)
        : ChainEditor(tx, mode, RoofFields(), {.apply = true, .cascade = true}) {}

protected:
    CRoof* Roof() { return CurrentRoof(transaction().workingCopy(), transaction().edit()); }

    void Load() override {
        const CRoof* roof = Roof();
        if (roof == nullptr) return;
        EditorForm& f = form();
        const CRectObstacle& face = roof->face;
        LoadRectEntry(f, RectEntryFromRect(face.rect));
        f.SetValue(kWedgeTypeId, face.wedgeType);
        for (int side = 0; side < 4; ++side)
            f.SetValue(kSideDiffraction[side], face.diffracts[side]);
        f.SetSpectrum(kTlId, face.tl);
        f.SetSpectrum(kLeftAbsorptionId, face.absorptionLeft);
        f.SetSpectrum(kRightAbsorptionId, face.absorptionRight);
        f.SetValue(kRoofDiffuseLeftId, face.diffuseLeft);
        f.SetValue(kRoofDiffuseRightId, face.diffuseRight);
        f.SetText(kMemoFieldId, roof->memo);
    }

    ValidationResult Store() override {
        const EditorForm& f = form();
        const RectEntry entry = ReadRectEntry(f);
        return StoreChecked(
            Roof(),
            [&](CRoof& roof) {
                CRectObstacle& face = roof.face;
                face.rect = CanonicalRoofRect(entry);
                face.wedgeType = f.Value(kWedgeTypeId);
                for (int side = 0; side < 4; ++side)
                    face.diffracts[side] = f.Value(kSideDiffraction[side]);
                face.tl = f.Spectrum(kTlId);
                face.absorptionLeft = f.Spectrum(kLeftAbsorptionId);
                face.absorptionRight = f.Spectrum(kRightAbsorptionId);
                face.diffuseLeft = f.Value(kRoofDiffuseLeftId);
                face.diffuseRight = f.Value(kRoofDiffuseRightId);
                roof.memo = f.Text(kMemoFieldId);
            },
            [&](const CRoof&) { return ValidateRectEntry(entry); });
    }

    EditorReply Action(int controlId) override {
        if (controlId == kCopyZ1ToZ3Id) return CopyZ1ToZ3(form());
        return {};
    }
};

// ---- Exterior wall ("建物外壁情報編集") ----

constexpr int kClosedId = 1026;
constexpr int kTopZId = 1039;
constexpr int kBottomZId = 1027;
constexpr int kDiffractTopId = 1036;
constexpr int kDiffractBottomId = 1037;
constexpr int kDiffractStartId = 1038;
constexpr int kDiffractEndId = 1040;
constexpr int kAbsorptionId = 1025;
constexpr int kDiffuseId = 1028;

std::vector<EditorField> ExteriorWallFields() {
    static const std::vector<const char*> kNoneOrSome{"無し", "有り"};
    // The lateral edges of a closed wall always diffract: their choices only matter for an open one.
    constexpr EnableRule kWhileOpen{kClosedId, 0};
    const auto diffraction = [&](int id, const char* label, const char* name, EnableRule rule) {
        return EditorField{.controlId = id,
                           .kind = FieldKind::kChoice,
                           .label = label,
                           .name = name,
                           .choices = kNoneOrSome,
                           .enabledWhen = rule};
    };
    return {
        {.controlId = kPlanEntryXId, .label = "X:", .name = "vertexX", .unit = "m"},
        {.controlId = kPlanEntryYId, .label = "Y:", .name = "vertexY", .unit = "m"},
        NoteRow("マウス左クリックで点を追加できます"),
        NoteRow(kCornerSnapNote),
        NoteRow(kEdgeSnapNote),
        {.controlId = kClosedId, .kind = FieldKind::kFlag, .label = "閉じた図形", .name = "closed"},
        {.controlId = kTopZId, .label = "上辺Z座標[m]", .name = "topZ", .unit = "m"},
        {.controlId = kBottomZId, .label = "下辺Z座標[m]", .name = "bottomZ", .unit = "m"},
        diffraction(kDiffractTopId, "上辺回折", "diffractTop", {}),
        diffraction(kDiffractBottomId, "下辺回折", "diffractBottom", {}),
        diffraction(kDiffractStartId, "始点側側方回折", "diffractStart", kWhileOpen),
        diffraction(kDiffractEndId, "終点側側方回折", "diffractEnd", kWhileOpen),
        SpectrumRow(kAbsorptionId, "吸音率...", "absorption", BandSpectrum::kAbsorption),
        {.controlId = kDiffuseId,
         .kind = FieldKind::kRadios,
         .label = "反射タイプ",
         .name = "diffuse",
         .choices = kReflectionChoices,
         .choiceIds = {1028, 1029}},
        MemoRow(),
    };
}

class ExteriorWallEditor : public ChainEditor {
public:
    ExteriorWallEditor(EditTransaction& tx, int mode)
        : ChainEditor(tx, mode, ExteriorWallFields(), {.cascade = true},
                      VertexListSpec{{"　　　　　　X　　　　　　", "　　　　　　Y　　　　　　"},
                                     kPlanEntryXId,
                                     kPlanEntryYId,
                                     0}) {}

protected:
    CBuildingWall* Wall() { return CurrentExteriorWall(transaction().workingCopy(), transaction().edit()); }

    void Load() override {
        const CBuildingWall* wall = Wall();
        if (wall == nullptr) return;
        EditorForm& f = form();
        f.SetValue(kClosedId, wall->closed);
        f.SetNumber(kTopZId, wall->topZ);
        f.SetNumber(kBottomZId, wall->bottomZ);
        f.SetValue(kDiffractTopId, wall->diffractTop);
        f.SetValue(kDiffractBottomId, wall->diffractBottom);
        f.SetValue(kDiffractStartId, wall->diffractStart);
        f.SetValue(kDiffractEndId, wall->diffractEnd);
        f.SetSpectrum(kAbsorptionId, wall->absorption);
        f.SetValue(kDiffuseId, wall->diffuse);
        f.SetText(kMemoFieldId, wall->memo);
    }

    ValidationResult Store() override {
        const EditorForm& f = form();
        return StoreChecked(
            Wall(),
            [&](CBuildingWall& wall) {
                wall.closed = f.Value(kClosedId);
                wall.topZ = f.Number(kTopZId);
                wall.bottomZ = f.Number(kBottomZId);
                wall.diffractTop = f.Value(kDiffractTopId);
                wall.diffractBottom = f.Value(kDiffractBottomId);
                // A closed wall has no free ends: both lateral edges diffract, whatever the choices show.
                wall.diffractStart = wall.closed != 0 ? 1 : f.Value(kDiffractStartId);
                wall.diffractEnd = wall.closed != 0 ? 1 : f.Value(kDiffractEndId);
                wall.absorption = f.Spectrum(kAbsorptionId);
                wall.diffuse = f.Value(kDiffuseId);
                wall.memo = f.Text(kMemoFieldId);
            },
            [](const CBuildingWall& wall) { return ValidateBuildingWall(wall); });
    }

    // "閉じた図形" changes the wall at once, so the plan shows it closed or open while it is edited.
    EditorReply FlagChanged(int controlId) override {
        EditorReply reply;
        if (controlId != kClosedId) return reply;
        if (CBuildingWall* wall = Wall()) {
            wall->closed = form().Value(kClosedId);
            reply.hints = {4};
        }
        return reply;
    }

    std::vector<CVector3D>* EditedVertices() override {
        CBuildingWall* wall = Wall();
        return wall ? &wall->polyline.vertices : nullptr;
    }
};

}  // namespace

std::unique_ptr<ChainEditor> MakeBuildingEditor(EditTransaction& transaction, int editMode) {
    return std::make_unique<BuildingEditor>(transaction, editMode);
}

std::unique_ptr<ChainEditor> MakeRoofEditor(EditTransaction& transaction, int editMode) {
    return std::make_unique<RoofEditor>(transaction, editMode);
}

std::unique_ptr<ChainEditor> MakeExteriorWallEditor(EditTransaction& transaction, int editMode) {
    return std::make_unique<ExteriorWallEditor>(transaction, editMode);
}

}  // namespace kelmora
