#include "calc/ResultFiles.h"

#include <string>

#include "calc/LongJob.h"
#include "calc/PrintfFormat.h"

namespace kelmora {
namespace {

constexpr std::string_view kFormQuestion =
    "X Y Z形式(gnuplot標準フォーマット)で出力しますか？\n[いいえ]ならば行列形式で出力します";

double LevelOf(const CPredictivePoint& point, ResultLevel level) {
    return level == ResultLevel::Average ? point.resultAverage.overallLevel()
                                         : point.resultMax.overallLevel();
}

// Writes one line (composed in UTF-8) after testing the cancel flag.
class ResultLineWriter {
public:
    ResultLineWriter(CTextSink& out, const CLongJob* job) : out_(out), job_(job) {}

    std::string& Begin() {
        if (job_ != nullptr) job_->ThrowIfCancelled();
        text_.clear();
        return text_;
    }
    void End() {
        text_ += '\n';
        bytes_.clear();
        AppendTextFileBytes(bytes_, text_);
        out_.Write(bytes_);
    }

private:
    CTextSink& out_;
    const CLongJob* job_;
    std::string text_;
    std::string bytes_;
};

std::string_view OpenErrorFormat(OutputFile which) {
    switch (which) {
        case OutputFile::Breakdown:
            return "出力テキストファイルオープンエラー\n(%s)";
        case OutputFile::AverageResult:
            return "等価騒音レベル計算結果出力テキストファイルオープンエラー\n(%s)";
        case OutputFile::MaximumResult:
            break;
    }
    return "最大騒音レベル計算結果出力テキストファイルオープンエラー\n(%s)";
}

}  // namespace

void WriteXyzResults(CTextSink& out, ResultLevel level, std::span<const CPredictivePoint> points,
                     const CLongJob* job) {
    ResultLineWriter line(out, job);
    line.Begin() += level == ResultLevel::Average ? "# 予測点X[m] Y[m] 等価騒音レベルLAeqT[dB] 予測点Z[m]"
                                                  : "# 予測点X[m] Y[m] 最大騒音レベルLAmax[dB] 予測点Z[m]";
    line.End();
    for (const CPredictivePoint& p : points) {
        AppendFormat(line.Begin(), " %.3f %.3f %.1f %.3f",
                     {p.position.x, p.position.y, LevelOf(p, level), p.position.z});
        line.End();
    }
}

void WriteMatrixResults(CTextSink& out, ResultLevel level, std::span<const CPredictivePoint> points,
                        int rowDivisions, int columnDivisions, const CLongJob* job) {
    const bool isGrid = rowDivisions >= 0 && columnDivisions >= 0 &&
                        points.size() == static_cast<std::size_t>(rowDivisions + 1) *
                                             static_cast<std::size_t>(columnDivisions + 1);
    if (!isGrid) {
        WriteXyzResults(out, level, points, job);
        return;
    }
    const std::size_t rows = static_cast<std::size_t>(rowDivisions) + 1;
    const std::size_t columns = static_cast<std::size_t>(columnDivisions) + 1;
    ResultLineWriter line(out, job);
    for (std::size_t r = 0; r < rows; ++r) {
        std::string& text = line.Begin();
        for (std::size_t c = 0; c < columns; ++c)
            AppendFormat(text, " %.1f", {LevelOf(points[c * rows + r], level)});
        line.End();
    }
}

OfferedFile OfferOutputFile(CLongJob& job, CRunHost& host, OutputFile which) {
    return OpenOutputFile(job, which, host.ChooseOutputFile(FileRequestFor(which)));
}

OfferedFile OpenOutputFile(CLongJob& job, OutputFile which, const std::optional<std::string>& path) {
    OfferedFile offered;
    if (!path) return offered;
    offered.file = CTextFile::Create(*path, &job);
    if (!offered.file) {
        offered.openFailed = true;
        job.SetErrorText(Format(OpenErrorFormat(which), {*path}));
    }
    return offered;
}

bool WriteResultFiles(CLongJob& job, CRunHost& host, const CCalcInfo& calcInfo) {
    if (calcInfo.mode == kSinglePointMode) return true;
    const std::span<const CPredictivePoint> points = calcInfo.PredictionPoints();
    const struct {
        OutputFile file;
        ResultLevel level;
    } files[] = {{OutputFile::AverageResult, ResultLevel::Average},
                 {OutputFile::MaximumResult, ResultLevel::Maximum}};
    for (const auto& f : files) {
        OfferedFile offered = OfferOutputFile(job, host, f.file);
        if (offered.openFailed) return false;
        if (!offered.file) continue;
        const bool xyz = calcInfo.mode == kPointListMode || host.AskXyzForm(f.file, kFormQuestion);
        if (xyz) {
            WriteXyzResults(*offered.file, f.level, points, &job);
        } else {
            WriteMatrixResults(*offered.file, f.level, points, calcInfo.rowDivisions,
                               calcInfo.columnDivisions, &job);
        }
        offered.file->Close();
    }
    return true;
}

}  // namespace kelmora
