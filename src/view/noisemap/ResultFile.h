#pragma once
// Reading the LAeqT and LAmax result files of a grid run back onto their grid: the X Y Z form (a header
// line, then " X Y level Z" per point in generated order) and the matrix form (one line per grid row,
// bottom row first; placed by the project's generated grid points). The reader takes any bytes: a file
// that is not such a result, too large, or does not fit the project's grid gives NoiseMapError with a
// message that says why, and nothing else happens.
#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

#include "geometry/Vector.h"
#include "model/CalcInfo.h"
#include "view/noisemap/LevelGrid.h"

namespace kelmora {

// Bounds of what the reader accepts: the largest grid has 1001 × 1001 points.
inline constexpr std::size_t kMaxResultFileBytes = std::size_t{128} << 20;
inline constexpr std::size_t kMaxResultLineBytes = std::size_t{64} << 10;
inline constexpr std::size_t kMaxGridSide = 1001;

struct ResultFileData {
    enum class Form { Xyz, Matrix };
    Form form = Form::Xyz;
    MapQuantity quantity = MapQuantity::Unknown;  // named by the X Y Z header line
    std::vector<CVector3D> positions;             // X Y Z form: in file order [m]
    std::vector<double> levels;                   // X Y Z form: per point; matrix: row by row [dB]
    int matrixRows = 0;
    int matrixColumns = 0;
};

// The numbers of a result file. A first line starting with "#" makes it the X Y Z form (four numbers a
// line); otherwise it is a matrix (the same count of numbers on every line). Blank lines and, in the
// X Y Z form, further "#" lines are skipped; CR LF and LF line ends are both read.
ResultFileData ParseResultFile(std::string_view bytes);

// The grid of a parsed file for a project whose grid settings it was computed with: an X Y Z file must
// hold (rowDivisions + 1)·(columnDivisions + 1) points and brings its own positions; a matrix must have
// rowDivisions + 1 lines of columnDivisions + 1 levels and takes the positions of the project's
// generated grid. The nodes must form a grid (every cell a convex quadrilateral, all turned the same
// way). Levels of no sound become "no result".
LevelGrid PlaceResultFile(const ResultFileData& data, const CCalcInfo& calc);

// Reads a result file from disk and places it (ParseResultFile, PlaceResultFile). `quantity`, when
// given, receives the level the header names.
LevelGrid ReadResultFile(const std::filesystem::path& path, const CCalcInfo& calc,
                         MapQuantity* quantity = nullptr);

}  // namespace kelmora
