#include "calc/RunHost.h"

namespace kelmora {

const FileRequest& FileRequestFor(OutputFile file) {
    static const FileRequest kBreakdown{OutputFile::Breakdown,
                                        "計算内訳を出力するCSVファイル名を指定してください",
                                        "csv File (*.csv)|*.csv||", "csv"};
    static const FileRequest kAverage{OutputFile::AverageResult,
                                      "等価騒音レベル計算結果を出力するテキストファイル名を指定してください",
                                      "text File (*.txt)|*.txt||", "txt"};
    static const FileRequest kMaximum{OutputFile::MaximumResult,
                                      "最大騒音レベル計算結果を出力するテキストファイル名を指定してください",
                                      "text File (*.txt)|*.txt||", "txt"};
    switch (file) {
        case OutputFile::Breakdown:
            return kBreakdown;
        case OutputFile::AverageResult:
            return kAverage;
        case OutputFile::MaximumResult:
            break;
    }
    return kMaximum;
}

}  // namespace kelmora
