// The editors of noise sources: a source inside the current room ("室内音源情報編集") and an outdoor
// source ("屋外音源情報編集"). They differ only in the item they edit, the words of the directivity
// field and how the plan may point at the position.
#include "editing/CurrentItems.h"
#include "editing/EditorKinds.h"

namespace kelmora {

namespace {

constexpr int kPositionXId = 1016;
constexpr int kPositionYId = 1044;
constexpr int kPositionZId = 1039;
constexpr int kQId = 1019;
constexpr int kNoiseTypeId = 1031;
constexpr int kDurationId = 1167;
constexpr int kEventsPerHourId = 1021;
constexpr int kPowerAverageId = 1048;
constexpr int kPowerMaxId = 1049;

std::vector<EditorField> SourceFields(bool indoor) {
    constexpr const char* kPosition = "音源位置 ";
    constexpr const char* kPower = "A特性音響パワーレベル";
    std::vector<EditorField> fields{
        {.controlId = kPositionXId, .label = "X", .name = "x", .unit = "m", .group = kPosition},
        {.controlId = kPositionYId, .label = "Y", .name = "y", .unit = "m", .group = kPosition},
        {.controlId = kPositionZId, .label = "Z", .name = "z", .unit = "m", .group = kPosition},
        NoteRow("マウス左クリックで(X, Y)を指定できます", kPosition),
    };
    if (indoor) {
        fields.push_back(NoteRow(kCornerSnapNote, kPosition));
        fields.push_back(NoteRow(kEdgeSnapNote, kPosition));
    }
    const std::vector<EditorField> rest{
        {.controlId = kQId,
         .label = indoor ? "音源設置場所の指向係数Q（近傍反射面1個でQ=2）"
                         : "距離減衰計算の指向係数Q（半自由空間でQ=2）",
         .name = "q",
         .limits = kDirectivityLimits},
        {.controlId = kNoiseTypeId,
         .kind = FieldKind::kChoice,
         .label = "騒音タイプ",
         .name = "noiseType",
         .choices = {NoiseTypeEditorItem(kSteadyNoise), NoiseTypeEditorItem(kFluctuatingNoise),
                     NoiseTypeEditorItem(kImpulsiveNoise)}},
        {.controlId = kDurationId,
         .label = "1回あたりの継続時間[sec]",
         .name = "duration",
         .unit = "s",
         .limits = kEventDurationLimits},
        {.controlId = kEventsPerHourId,
         .label = "1時間あたりの発生回数",
         .name = "eventsPerHour",
         .unit = "1/h",
         .limits = kEventsPerHourLimits},
        {.controlId = kPowerAverageId,
         .kind = FieldKind::kSpectrum,
         .label = "平均レベル...",
         .name = "powerAverage",
         .spectrum = BandSpectrum::kSourceAveragePower,
         .group = kPower},
        {.controlId = kPowerMaxId,
         .kind = FieldKind::kSpectrum,
         .label = "最大レベル...",
         .name = "powerMax",
         .spectrum = BandSpectrum::kSourceMaximumPower,
         .group = kPower},
        MemoRow(),
    };
    fields.insert(fields.end(), rest.begin(), rest.end());
    return fields;
}

class SourceEditor : public ChainEditor {
public:
    SourceEditor(EditTransaction& tx, int mode, bool indoor)
        : ChainEditor(tx, mode, SourceFields(indoor), {.apply = true, .cascade = true}), indoor_(indoor) {}

protected:
    CSound* Source() {
        CNoise& model = transaction().workingCopy();
        const EditState& edit = transaction().edit();
        return indoor_ ? CurrentRoomSource(model, edit) : CurrentOutdoorSource(model, edit);
    }

    void Load() override {
        const CSound* source = Source();
        if (source == nullptr) return;
        EditorForm& f = form();
        f.SetNumber(kPositionXId, source->position.x);
        f.SetNumber(kPositionYId, source->position.y);
        f.SetNumber(kPositionZId, source->position.z);
        f.SetNumber(kQId, source->q);
        f.SetValue(kNoiseTypeId, source->noiseType);
        f.SetNumber(kDurationId, source->duration);
        f.SetNumber(kEventsPerHourId, source->eventsPerHour);
        f.SetSpectrum(kPowerAverageId, source->powerAverage);
        f.SetSpectrum(kPowerMaxId, source->powerMax);
        f.SetText(kMemoFieldId, source->memo);
    }

    ValidationResult Store() override {
        const EditorForm& f = form();
        return StoreChecked(
            Source(),
            [&](CSound& source) {
                source.position = {f.Number(kPositionXId), f.Number(kPositionYId), f.Number(kPositionZId)};
                source.q = f.Number(kQId);
                source.noiseType = f.Value(kNoiseTypeId);
                source.duration = f.Number(kDurationId);
                source.eventsPerHour = f.Number(kEventsPerHourId);
                source.powerAverage = f.Spectrum(kPowerAverageId);
                source.powerMax = f.Spectrum(kPowerMaxId);
                source.memo = f.Text(kMemoFieldId);
            },
            [](const CSound& source) { return ValidateSource(source); });
    }

private:
    const bool indoor_;
};

}  // namespace

std::unique_ptr<ChainEditor> MakeSourceEditor(EditTransaction& transaction, int editMode) {
    const bool indoor = LevelOfMode(editMode) == EditLevel::RoomSource;
    return std::make_unique<SourceEditor>(transaction, editMode, indoor);
}

}  // namespace kelmora
