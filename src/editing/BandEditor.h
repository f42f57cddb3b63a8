#pragma once
// The band editor "バンドの値を編集" without its window: the texts of its fields, and what its buttons
// do with them. Every button reads all fields first (a field that is no finite number, or a tool
// field outside its range, is refused with the framework's message and focus on that field).
#include <array>
#include <optional>
#include <string>
#include <variant>

#include "editing/BandEditorCallers.h"
#include "model/Band.h"
#include "model/UserMessage.h"
#include "model/Validation.h"

namespace kelmora {

// Controls of the band editor.
inline constexpr int kFirstBandFieldId = 1022;  // 50 Hz; band i is kFirstBandFieldId + i, up to 1042
inline constexpr int kAllBandsFieldId = 1043;
inline constexpr int kAllBandsButtonId = 1004;      // "←全バンドの値にする"
inline constexpr int kTitleFieldId = 1045;          // "タイトル :"
inline constexpr int kSelectFromFileId = 1005;      // "ファイル情報から選択する..."
inline constexpr int kAppendToFileId = 1006;        // "ファイル情報に追加する..."
inline constexpr int kDistanceFieldId = 1044;       // "距離[m]"
inline constexpr int kQFieldId = 1019;              // "Q値"
inline constexpr int kConvertToPowerId = 1057;      // "音響パワーレベル変換"
inline constexpr int kAWeightingButtonId = 1053;    // "A特性補正"
inline constexpr int kOverallValueButtonId = 1054;  // "OA値表示..."

inline constexpr const char* kBandEditorTitle = "バンドの値を編集";

// The labels of the 21 band fields, "50" .. "5k".
const std::array<const char*, kThirdOctaveBands>& BandFieldLabels();

// The point-source conversion's distance must be > 0 (the level at 0 m is infinite); it is asked to
// be at least a millimetre, the resolution of every length the program shows.
inline constexpr double kMinConversionDistance = 0.001;  // m
inline constexpr double kMinConversionQ = 1.0;

// The decimals of the band values the tools write back: a tenth of a decibel for levels, hundredths for
// absorption coefficients and transmission losses.
int ToolResultDecimals(const BandEditorCaller& caller);

// The range checks of the conversion's distance and Q, with the framework's range message.
ValidationResult CheckConversionDistance(double distance);
ValidationResult CheckConversionQ(double q);
// "%f以上 %f以下の数値を入力してください" with the two limits.
std::string BandRangeMessage(double min, double max);

class BandEditor {
public:
    // Fills the fields from the spectrum (a spectrum of another kind is shown by its one-third-octave
    // values) and the caller's caption, range and tools.
    BandEditor(const CBand& spectrum, const BandEditorCaller& caller);

    const BandEditorCaller& caller() const { return caller_; }
    // The caption, or the editor's own title when the caption is empty.
    std::string WindowTitle() const;

    // OK: the values must lie in the caller's range; the first band outside gets the band range
    // message and the focus. On success the values and the title are stored into `spectrum` (as a
    // one-third-octave spectrum) and nothing is returned.
    std::optional<UserMessage> Accept(CBand& spectrum) const;
    // "←全バンドの値にする": the all-bands value, if in range, into every band field.
    std::optional<UserMessage> SetAllBands();
    // "A特性補正": the A-weighting added to every band field, the results rounded (ToolResultDecimals).
    std::optional<UserMessage> ApplyAWeighting();
    // "OA値表示...": the overall value "%.1f[dB]" titled "オーバーオール値", or the refusal of a field.
    UserMessage OverallValue() const;
    // "音響パワーレベル変換": the fields taken as sound pressure levels at the distance from a point
    // source of directivity Q, turned into sound power levels (rounded as above).
    std::optional<UserMessage> ConvertToPower();
    // A spectrum taken from the library: its values and title into the fields.
    void TakeSpectrum(const CBand& spectrum);
    // "ファイル情報に追加する...": the spectrum the fields show, or the message that refuses it (an empty
    // title, or one the library cannot hold).
    std::variant<CBand, UserMessage> SpectrumToAppend() const;

    // The texts of the controls.
    std::array<std::string, kThirdOctaveBands> bandTexts;
    std::string allBandsText = "0";
    std::string distanceText = "3";  // m
    std::string qText = "2";
    std::string titleText;

private:
    struct Values {
        std::array<double, kThirdOctaveBands> bands{};
        double allBands = 0.0;
        double distance = 0.0;
        double q = 0.0;
    };
    std::variant<Values, UserMessage> ReadFields() const;
    void ShowBands(const std::array<double, kThirdOctaveBands>& values);
    void ShowToolResult(const std::array<double, kThirdOctaveBands>& values);

    BandEditorCaller caller_;
};

}  // namespace kelmora
