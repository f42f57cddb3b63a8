#include "calc/BreakdownWriter.h"

#include "calc/LongJob.h"
#include "calc/PrintfFormat.h"
#include "calc/TextOutput.h"

namespace kelmora {

std::string_view LevelMarker(int level) {
    static constexpr std::array<std::string_view, 14> kMarkers = {"★", "◆", "■", "▲", "▼", "●",  "◎",
                                                                  "☆", "◇", "□", "△", "▽", "〇", "・"};
    return kMarkers[static_cast<std::size_t>(level % 14)];
}

void CBreakdownWriter::ThrowIfCancelled() const {
    if (job_ != nullptr) job_->ThrowIfCancelled();
}

bool CBreakdownWriter::Begin() const {
    ThrowIfCancelled();
    return sink_ != nullptr;
}

void CBreakdownWriter::Flush() {
    bytes_.clear();
    AppendTextFileBytes(bytes_, text_);
    text_.clear();
    sink_->Write(bytes_);
}

void CBreakdownWriter::WriteBreakdown(std::string_view text, int newLine, int newLineCount, int indentMode,
                                      int indentValue) {
    if (!Begin()) return;
    if (newLine == 1) {
        for (int i = 0; i < newLineCount; ++i)
            text_ += '\n';
        if (indentMode == kAddToLevel) level_ += indentValue;
        if (indentMode == kSetLevel) level_ = indentValue;
        if (level_ < 0) level_ = 0;
        for (int i = 0; i < level_; ++i)
            text_ += " ,";
        if (level_ >= 1) text_ += ' ';
        text_ += LevelMarker(level_);
    }
    text_ += text;
    Flush();
}

void CBreakdownWriter::AppendEncoded(std::string_view bytes) {
    if (!Begin()) return;
    sink_->Write(bytes);
}

void CBreakdownWriter::AppendCoordinates(const CVector3D& p) {
    if (!Begin()) return;
    AppendFormat(text_, ", X[m]→, %.3f, Y[m]→, %.3f, Z[m]→, %.3f", {p.x, p.y, p.z});
    Flush();
}

void CBreakdownWriter::AppendSpectrum(const CBand& spectrum, bool withOverall) {
    if (!Begin()) return;
    if (withOverall) AppendFormat(text_, ", OA→, %.2f", {spectrum.overallLevel()});
    for (int i = 0; i < spectrum.bandCount(); ++i) {
        AppendFormat(text_, ", %g[Hz]バンド→, %.2f", {bandFrequency(spectrum.kind, i), spectrum.value(i)});
    }
    Flush();
}

void CBreakdownWriter::AppendFace(const std::array<CVector3D, 4>& corners,
                                  const std::array<bool, 4>& edgeDiffracts) {
    if (!Begin()) return;
    for (int k = 0; k < 4; ++k) {
        const CVector3D& c = corners[static_cast<std::size_t>(k)];
        AppendFormat(text_, ", 角%d_X[m]→, %.3f, 角%d_Y[m]→, %.3f, 角%d_Z[m]→, %.3f",
                     {k + 1, c.x, k + 1, c.y, k + 1, c.z});
    }
    for (int k = 0; k < 4; ++k) {
        AppendFormat(text_,
                     edgeDiffracts[static_cast<std::size_t>(k)] ? ", 辺(角%d-角%d)_回折あり"
                                                                : ", 辺(角%d-角%d)_回折無し",
                     {k + 1, k == 3 ? 1 : k + 2});
    }
    Flush();
}

}  // namespace kelmora
