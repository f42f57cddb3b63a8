// The editors of a room (its outline, storey, surfaces and the buttons to its openings and sources) and
// of an opening in a room or in another opening.
#include "editing/CurrentItems.h"
#include "editing/EditorKinds.h"
#include "editing/FieldParser.h"
#include "geometry/RectGeometry.h"

namespace kelmora {

namespace {

// ---- Room ("室情報編集") ----

constexpr int kCeilingZId = 1039;
constexpr int kFloorZId = 1027;
constexpr int kComputeFromShapeId = 1043;
constexpr int kSurfaceAreaId = 1040;
constexpr int kMeanAbsorptionId = 1053;
constexpr int kCeilingAbsorptionId = 1047;
constexpr int kFloorAbsorptionId = 1048;
constexpr int kWallAbsorptionId = 1049;
constexpr int kDefaultTlId = 1011;

std::vector<EditorField> RoomFields() {
    // The entered area and mean absorption count only while they are not computed from the shape.
    constexpr EnableRule kWhileEntered{kComputeFromShapeId, 0};
    return {
        {.controlId = kPlanEntryXId, .label = "X:", .name = "vertexX", .unit = "m"},
        {.controlId = kPlanEntryYId, .label = "Y:", .name = "vertexY", .unit = "m"},
        NoteRow("マウス左クリックで点を追加できます"),
        NoteRow(kCornerSnapNote),
        NoteRow(kEdgeSnapNote),
        {.controlId = kCeilingZId, .label = "天井Z座標[m]", .name = "ceilingZ", .unit = "m"},
        {.controlId = kFloorZId, .label = "床面Z座標[m]", .name = "floorZ", .unit = "m"},
        {.controlId = kComputeFromShapeId,
         .kind = FieldKind::kFlag,
         .label = "形状や開口部情報から計算する",
         .name = "computeFromShape"},
        {.controlId = kSurfaceAreaId,
         .label = "表面積[m^2]",
         .name = "surfaceArea",
         .unit = "m2",
         .limits = kRoomSurfaceAreaLimits,
         .enabledWhen = kWhileEntered},
        {.controlId = kMeanAbsorptionId,
         .kind = FieldKind::kSpectrum,
         .label = "平均吸音率...",
         .name = "meanAbsorption",
         .spectrum = BandSpectrum::kRoomMeanAbsorption,
         .enabledWhen = kWhileEntered},
        SpectrumRow(kCeilingAbsorptionId, "天井吸音率...", "defaultAbsorptionCeiling",
                    BandSpectrum::kRoomCeilingAbsorption),
        SpectrumRow(kFloorAbsorptionId, "床吸音率...", "defaultAbsorptionFloor",
                    BandSpectrum::kRoomFloorAbsorption),
        SpectrumRow(kWallAbsorptionId, "壁吸音率...", "defaultAbsorptionWall",
                    BandSpectrum::kRoomWallAbsorption),
        SpectrumRow(kDefaultTlId, "音響透過損失...", "defaultTl", BandSpectrum::kRoomDefaultTransmissionLoss),
        MemoRow(),
        SubListRow(1051, "壁など開口部情報...", kOpeningListMode),
        SubListRow(1052, "室内音源情報...", kRoomSourceListMode),
    };
}

class RoomEditor : public ChainEditor {
public:
    RoomEditor(EditTransaction& tx, int mode)
        : ChainEditor(tx, mode, RoomFields(), {.cascade = true},
                      VertexListSpec{{"　　　　　　X　　　　　　", "　　　　　　Y　　　　　　"},
                                     kPlanEntryXId,
                                     kPlanEntryYId,
                                     0}) {}

protected:
    CRoom* Room() { return CurrentRoom(transaction().workingCopy(), transaction().edit()); }

    void Load() override {
        const CRoom* room = Room();
        if (room == nullptr) return;
        EditorForm& f = form();
        f.SetNumber(kCeilingZId, room->ceilingZ);
        f.SetNumber(kFloorZId, room->floorZ);
        f.SetValue(kComputeFromShapeId, room->computeFromShape);
        f.SetNumber(kSurfaceAreaId, room->surfaceArea);
        f.SetSpectrum(kMeanAbsorptionId, room->meanAbsorption);
        f.SetSpectrum(kCeilingAbsorptionId, room->defaultAbsorptionCeiling);
        f.SetSpectrum(kFloorAbsorptionId, room->defaultAbsorptionFloor);
        f.SetSpectrum(kWallAbsorptionId, room->defaultAbsorptionWall);
        f.SetSpectrum(kDefaultTlId, room->defaultTl);
        f.SetText(kMemoFieldId, room->memo);
    }

    ValidationResult Store() override {
        const EditorForm& f = form();
        return StoreChecked(
            Room(),
            [&](CRoom& room) {
                room.ceilingZ = f.Number(kCeilingZId);
                room.floorZ = f.Number(kFloorZId);
                room.computeFromShape = f.Value(kComputeFromShapeId);
                room.surfaceArea = f.Number(kSurfaceAreaId);
                room.meanAbsorption = f.Spectrum(kMeanAbsorptionId);
                room.defaultAbsorptionCeiling = f.Spectrum(kCeilingAbsorptionId);
                room.defaultAbsorptionFloor = f.Spectrum(kFloorAbsorptionId);
                room.defaultAbsorptionWall = f.Spectrum(kWallAbsorptionId);
                room.defaultTl = f.Spectrum(kDefaultTlId);
                room.memo = f.Text(kMemoFieldId);
            },
            [](const CRoom& room) { return ValidateRoom(room); });
    }

    std::vector<CVector3D>* EditedVertices() override {
        CRoom* room = Room();
        return room ? &room->outline.vertices : nullptr;
    }
};

// ---- Opening ("壁など開口部情報編集") ----

constexpr int kAreaFromRectId = 1043;
constexpr int kAreaId = 1040;
constexpr int kOpeningTlId = 1011;
constexpr int kOpeningAbsorptionId = 1025;
constexpr int kBelongsToId = 1050;
constexpr int kHeightsFromSurfaceId = 1009;
constexpr int kOutdoorSourceId = 1052;
constexpr int kOpeningQId = 1019;

std::vector<EditorField> OpeningFields() {
    std::vector<EditorField> fields = RectEntryRows();
    const std::vector<EditorField> rest{
        {.controlId = kAreaFromRectId,
         .kind = FieldKind::kFlag,
         .label = "矩形から表面積を計算する",
         .name = "areaFromRect"},
        {.controlId = kAreaId,
         .label = "表面積[m^2]",
         .name = "area",
         .unit = "m2",
         .limits = kOpeningAreaLimits,
         .enabledWhen = {kAreaFromRectId, 0}},
        SpectrumRow(kOpeningTlId, "TL...", "tl", BandSpectrum::kTransmissionLoss),
        SpectrumRow(kOpeningAbsorptionId, "吸音率...", "absorption", BandSpectrum::kAbsorption),
        {.controlId = kBelongsToId,
         .kind = FieldKind::kChoice,
         .label = "壁,天井,床のどれに属するか",
         .name = "belongsTo",
         .choices = {"壁に属する", "天井に属する", "床に属する"}},
        {.controlId = kHeightsFromSurfaceId, .kind = FieldKind::kAction, .label = "→Z座標編集"},
        {.controlId = kOutdoorSourceId,
         .kind = FieldKind::kFlag,
         .label = "外部音源",
         .name = "isOutdoorSource"},
        {.controlId = kOpeningQId,
         .label = "距離減衰計算の指向係数Q",
         .name = "q",
         .limits = kDirectivityLimits},
        MemoRow(),
        SubListRow(1051, "包含する開口部情報...", kOpeningListMode),
    };
    fields.insert(fields.end(), rest.begin(), rest.end());
    return fields;
}

class OpeningEditor : public ChainEditor {
public:
    OpeningEditor(EditTransaction& tx, int mode)
        : ChainEditor(tx, mode, OpeningFields(), {.apply = true, .cascade = true}) {}

protected:
    // The opening of the innermost opening level, and the one that contains it (null for an opening
    // directly in the room).
    std::size_t Depth() const { return transaction().edit().openingLevels.size(); }
    CWindow* Opening() {
        if (Depth() == 0) return nullptr;
        return OpeningAtLevel(transaction().workingCopy(), transaction().edit(), Depth() - 1);
    }
    CWindow* Containing() {
        if (Depth() < 2) return nullptr;
        return OpeningAtLevel(transaction().workingCopy(), transaction().edit(), Depth() - 2);
    }

    // While the area is taken from the rectangle, the greyed area field shows that area, following the
    // rectangle's fields; the area typed before is kept and comes back when the box is unticked.
    bool AreaFromRect() const { return form().Value(kAreaFromRectId) != 0; }

    bool ShowAreaOfRectangle() {
        std::optional<double> v[8];
        const int ids[8] = {kRectEntryX1Id, kRectEntryY1Id, kRectEntryZ1Id, kRectEntryX2Id,
                            kRectEntryY2Id, kRectEntryX3Id, kRectEntryY3Id, kRectEntryZ3Id};
        for (int i = 0; i < 8; ++i)
            if (!(v[i] = ParseFieldNumber(form().Text(ids[i])))) return false;  // still being typed
        const RectEntry entry{.x1 = *v[0],
                              .y1 = *v[1],
                              .z1 = *v[2],
                              .x2 = *v[3],
                              .y2 = *v[4],
                              .x3 = *v[5],
                              .y3 = *v[6],
                              .z3 = *v[7]};
        const std::string shown = RoundedFieldText(RectArea(CanonicalRoofRect(entry)), 2);
        if (shown == form().Text(kAreaId)) return false;
        form().SetText(kAreaId, shown);
        return true;
    }

    void Load() override {
        const CWindow* opening = Opening();
        if (opening == nullptr) return;
        EditorForm& f = form();
        LoadRectEntry(f, RectEntryFromRect(opening->rect));
        f.SetValue(kAreaFromRectId, opening->areaFromRect);
        f.SetNumber(kAreaId, opening->area);
        typedArea_ = f.Text(kAreaId);
        if (AreaFromRect()) ShowAreaOfRectangle();
        f.SetSpectrum(kOpeningTlId, opening->tl);
        f.SetSpectrum(kOpeningAbsorptionId, opening->absorption);
        f.SetValue(kBelongsToId, opening->belongsTo);
        f.SetValue(kOutdoorSourceId, opening->isOutdoorSource);
        f.SetNumber(kOpeningQId, opening->q);
        f.SetText(kMemoFieldId, opening->memo);
    }

    ValidationResult Store() override {
        const EditorForm& f = form();
        const RectEntry entry = ReadRectEntry(f);
        return StoreChecked(
            Opening(),
            [&](CWindow& opening) {
                opening.rect = CanonicalRoofRect(entry);
                opening.areaFromRect = f.Value(kAreaFromRectId);
                // The area shown from the rectangle is not the opening's own: that one stays.
                if (!opening.areaFromRect) opening.area = f.Number(kAreaId);
                opening.tl = f.Spectrum(kOpeningTlId);
                opening.absorption = f.Spectrum(kOpeningAbsorptionId);
                opening.belongsTo = f.Value(kBelongsToId);
                opening.isOutdoorSource = f.Value(kOutdoorSourceId);
                opening.q = f.Number(kOpeningQId);
                opening.memo = f.Text(kMemoFieldId);
            },
            [&](const CWindow& opening) { return ValidateOpening(opening, entry); });
    }

    EditorReply FlagChanged(int controlId) override {
        if (controlId != kAreaFromRectId) return {};
        if (AreaFromRect()) {
            typedArea_ = form().Text(kAreaId);
            ShowAreaOfRectangle();
        } else {
            form().SetText(kAreaId, typedArea_);
        }
        return {};
    }

    bool FieldTextChanged(int controlId) override {
        if (!AreaFromRect() || controlId == kAreaId) return false;
        return ShowAreaOfRectangle();
    }

    EditorReply Action(int controlId) override {
        if (controlId == kCopyZ1ToZ3Id) return CopyZ1ToZ3(form());
        if (controlId != kHeightsFromSurfaceId) return {};
        // "→Z座標編集": the heights of the surface the opening belongs to, as the combo box says now.
        if (ValidationResult issue = form().Read()) return Refused(*issue);
        const CRoom* room = CurrentRoom(transaction().workingCopy(), transaction().edit());
        if (room == nullptr) return {};
        const OpeningHeights heights =
            OpeningHeightsFromSurface(form().Value(kBelongsToId), *room, Containing());
        form().SetNumber(kRectEntryZ1Id, heights.z1);
        form().SetNumber(kRectEntryZ3Id, heights.z3);
        if (AreaFromRect()) ShowAreaOfRectangle();
        return {};
    }

private:
    std::string typedArea_;
};

}  // namespace

std::unique_ptr<ChainEditor> MakeRoomEditor(EditTransaction& transaction, int editMode) {
    return std::make_unique<RoomEditor>(transaction, editMode);
}

std::unique_ptr<ChainEditor> MakeOpeningEditor(EditTransaction& transaction, int editMode) {
    return std::make_unique<OpeningEditor>(transaction, editMode);
}

}  // namespace kelmora
