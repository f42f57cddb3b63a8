#include "editing/BandEditor.h"

#include <charconv>
#include <limits>

#include "editing/FieldParser.h"
#include "model/persistence/BandLibrary.h"

namespace kelmora {
namespace {

constexpr double kLargestDouble = std::numeric_limits<double>::max();

std::string Fixed(double value, int decimals) {
    char text[400];  // room for %f of the largest double
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    return {text, end};
}

UserMessage CheckMessage(std::string text, int focus) {
    return {kCheckCaption, std::move(text), MessageIcon::kInformation, focus};
}

bool InRange(double value, const BandEditorCaller& caller) {
    return value >= caller.min && value <= caller.max;
}

}  // namespace

const std::array<const char*, kThirdOctaveBands>& BandFieldLabels() {
    static constexpr std::array<const char*, kThirdOctaveBands> kLabels{
        "50",  "63",  "80", "100",   "125",  "160", "200",  "250",   "315", "400", "500",
        "630", "800", "1k", "1.25k", "1.6k", "2k",  "2.5k", "3.15k", "4k",  "5k"};
    return kLabels;
}

int ToolResultDecimals(const BandEditorCaller& caller) {
    return caller.levelTools ? 1 : 2;
}

ValidationResult CheckConversionDistance(double distance) {
    return CheckNumberRange(distance, kMinConversionDistance, kLargestDouble, "distance", kDistanceFieldId);
}

ValidationResult CheckConversionQ(double q) {
    return CheckNumberRange(q, kMinConversionQ, kLargestDouble, "q", kQFieldId);
}

std::string BandRangeMessage(double min, double max) {
    return Fixed(min, 6) + "以上 " + Fixed(max, 6) + "以下の数値を入力してください";
}

BandEditor::BandEditor(const CBand& spectrum, const BandEditorCaller& caller) : caller_(caller) {
    CBand shown = spectrum;
    if (shown.kind != 2) shown.syncRepresentations();
    ShowBands(shown.third);
    titleText = spectrum.title;
}

std::string BandEditor::WindowTitle() const {
    return caller_.caption && *caller_.caption ? caller_.caption : kBandEditorTitle;
}

std::variant<BandEditor::Values, UserMessage> BandEditor::ReadFields() const {
    Values v;
    FieldReader reader;
    for (int i = 0; i < kThirdOctaveBands; ++i)
        reader.Number(bandTexts[i], "band", kFirstBandFieldId + i, v.bands[i]);
    reader.Number(allBandsText, "allBands", kAllBandsFieldId, v.allBands);
    reader.Number(distanceText, kMinConversionDistance, kLargestDouble, "distance", kDistanceFieldId,
                  v.distance);
    reader.Number(qText, kMinConversionQ, kLargestDouble, "q", kQFieldId, v.q);
    if (reader.issue()) return FieldMessage(*reader.issue());
    return v;
}

void BandEditor::ShowBands(const std::array<double, kThirdOctaveBands>& values) {
    for (int i = 0; i < kThirdOctaveBands; ++i)
        bandTexts[i] = FieldText(values[i]);
}

void BandEditor::ShowToolResult(const std::array<double, kThirdOctaveBands>& values) {
    // A computed level carries digits nobody measured; the spectrum stores what the fields show.
    const int decimals = ToolResultDecimals(caller_);
    for (int i = 0; i < kThirdOctaveBands; ++i)
        bandTexts[i] = RoundedFieldText(values[i], decimals);
}

std::optional<UserMessage> BandEditor::Accept(CBand& spectrum) const {
    const auto read = ReadFields();
    if (const auto* refused = std::get_if<UserMessage>(&read)) return *refused;
    const Values& v = std::get<Values>(read);
    for (int i = 0; i < kThirdOctaveBands; ++i) {
        if (!InRange(v.bands[i], caller_))
            return CheckMessage(BandRangeMessage(caller_.min, caller_.max), kFirstBandFieldId + i);
    }
    spectrum.kind = 2;
    spectrum.third = v.bands;
    spectrum.title = titleText;
    return std::nullopt;
}

std::optional<UserMessage> BandEditor::SetAllBands() {
    const auto read = ReadFields();
    if (const auto* refused = std::get_if<UserMessage>(&read)) return *refused;
    const double value = std::get<Values>(read).allBands;
    if (!InRange(value, caller_))
        return CheckMessage(BandRangeMessage(caller_.min, caller_.max), kAllBandsFieldId);
    bandTexts.fill(FieldText(value));
    return std::nullopt;
}

std::optional<UserMessage> BandEditor::ApplyAWeighting() {
    const auto read = ReadFields();
    if (const auto* refused = std::get_if<UserMessage>(&read)) return *refused;
    CBand band;
    band.third = std::get<Values>(read).bands;
    band.addAWeighting();
    ShowToolResult(band.third);
    return std::nullopt;
}

UserMessage BandEditor::OverallValue() const {
    const auto read = ReadFields();
    if (const auto* refused = std::get_if<UserMessage>(&read)) return *refused;
    CBand band;
    band.third = std::get<Values>(read).bands;
    return {"オーバーオール値", Fixed(band.overallLevel(), 1) + "[dB]", MessageIcon::kInformation};
}

std::optional<UserMessage> BandEditor::ConvertToPower() {
    const auto read = ReadFields();
    if (const auto* refused = std::get_if<UserMessage>(&read)) return *refused;
    const Values& v = std::get<Values>(read);
    CBand band;
    band.third = v.bands;
    band.toPowerFromPointSpl(v.distance, v.q);
    ShowToolResult(band.third);
    return std::nullopt;
}

void BandEditor::TakeSpectrum(const CBand& spectrum) {
    ShowBands(spectrum.third);
    titleText = spectrum.title;
}

std::variant<CBand, UserMessage> BandEditor::SpectrumToAppend() const {
    const auto read = ReadFields();
    if (const auto* refused = std::get_if<UserMessage>(&read)) return *refused;
    if (titleText.empty())
        return UserMessage{"ファイル出力", "出力タイトルを入力してください", MessageIcon::kInformation,
                           kTitleFieldId};
    if (const std::string bad = UnwritableTitleCharacters(titleText); !bad.empty()) {
        UserMessage refused = UnwritableTitleMessage(bad);
        refused.focusControl = kTitleFieldId;
        return refused;
    }
    CBand band;
    band.third = std::get<Values>(read).bands;
    band.title = titleText;
    return band;
}

}  // namespace kelmora
