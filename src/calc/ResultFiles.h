#pragma once
// The LAeqT and LAmax result files of a run over a list or a grid of prediction points: the X Y Z
// form (a header line, then one line per point, readable by gnuplot) and the matrix form of a grid
// (one line per grid row). Lines carry only their values: no indentation and no level marker.
#include <memory>
#include <span>

#include "calc/RunHost.h"
#include "calc/TextOutput.h"
#include "model/CalcInfo.h"
#include "model/PredictivePoint.h"

namespace kelmora {

class CLongJob;

// Which result of the points a file lists.
enum class ResultLevel {
    Average,  // LAeqT: overall level of resultAverage
    Maximum,  // LAmax: overall level of resultMax
};

// "# 予測点X[m] Y[m] 等価騒音レベルLAeqT[dB] 予測点Z[m]" (or the LAmax header), then
// " %.3f %.3f %.1f %.3f" with X, Y, the level and Z of each point in order. The cancel flag of
// `job` (may be null) is tested before every line.
void WriteXyzResults(CTextSink& out, ResultLevel level, std::span<const CPredictivePoint> points,
                     const CLongJob* job);

// rowDivisions+1 lines of columnDivisions+1 values " %.1f": position (r, c) holds the point
// c·(rowDivisions+1) + r of the generated grid, so the first line is the grid's bottom edge (lowest
// height of a vertical grid). Points whose count does not match the divisions (a grid not made from
// them) cannot be laid out as a matrix and are written in X Y Z form instead.
void WriteMatrixResults(CTextSink& out, ResultLevel level, std::span<const CPredictivePoint> points,
                        int rowDivisions, int columnDivisions, const CLongJob* job);

// One output file offered to the user: skipped (dialog cancelled), opened, or not openable.
struct OfferedFile {
    std::unique_ptr<CTextFile> file;
    bool openFailed = false;
};

// Asks the host for `which` file and opens it. When it cannot be opened, the job's error text
// becomes the file's open error ("出力テキストファイルオープンエラー\n(%s)" and the like).
OfferedFile OfferOutputFile(CLongJob& job, CRunHost& host, OutputFile which);
// Opens `which` file at the path chosen for it (none: skipped), as OfferOutputFile does.
OfferedFile OpenOutputFile(CLongJob& job, OutputFile which, const std::optional<std::string>& path);

// Offers and writes the LAeqT file, then the LAmax file of a run over a list (X Y Z form) or a
// grid (X Y Z or matrix form as the host answers). False after an open error, which ends the run:
// the LAmax file is then not offered. Write failures and cancels raise (TextOutput.h, LongJob.h).
bool WriteResultFiles(CLongJob& job, CRunHost& host, const CCalcInfo& calcInfo);

}  // namespace kelmora
