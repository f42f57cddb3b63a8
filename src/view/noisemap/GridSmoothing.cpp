#include "view/noisemap/GridSmoothing.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kelmora {

namespace {

constexpr double kMostRefinedNodes = 250000.0;
constexpr int kMostCuts = 8;

// Where the refined index i falls: the cell (from 0 to cells − 1) and the fraction across it.
struct Along {
    int cell;
    double fraction;
};

Along Locate(int i, int factor, int cells) {
    const int cell = std::min(i / factor, cells - 1);
    return {cell, static_cast<double>(i - cell * factor) / factor};
}

}  // namespace

int SmoothingFactor(int columns, int rows) {
    if (columns < 2 || rows < 2) return 1;
    const double cells = static_cast<double>(columns - 1) * static_cast<double>(rows - 1);
    const double n = std::floor(std::sqrt(kMostRefinedNodes / cells));
    return static_cast<int>(std::clamp(n, 1.0, static_cast<double>(kMostCuts)));
}

RefinedGrid RefineGrid(std::span<const MapPoint> nodes, std::span<const double> levels, int columns, int rows,
                       int factor) {
    RefinedGrid out;
    const std::size_t count =
        static_cast<std::size_t>(std::max(columns, 0)) * static_cast<std::size_t>(std::max(rows, 0));
    if (factor < 2 || columns < 2 || rows < 2 || nodes.size() != count || levels.size() != count) {
        out.nodes.assign(nodes.begin(), nodes.end());
        out.levels.assign(levels.begin(), levels.end());
        out.columns = columns;
        out.rows = rows;
        return out;
    }
    out.columns = (columns - 1) * factor + 1;
    out.rows = (rows - 1) * factor + 1;
    const std::size_t refined = static_cast<std::size_t>(out.columns) * static_cast<std::size_t>(out.rows);
    out.nodes.reserve(refined);
    out.levels.reserve(refined);
    const auto at = [rows](int c, int r) {
        return static_cast<std::size_t>(c) * static_cast<std::size_t>(rows) + static_cast<std::size_t>(r);
    };
    for (int C = 0; C < out.columns; ++C) {
        const Along u = Locate(C, factor, columns - 1);
        for (int R = 0; R < out.rows; ++R) {
            const Along v = Locate(R, factor, rows - 1);
            // Only the corners with a weight take part, so that a node on a cell's side or at its
            // corner depends on that side's corners alone, whichever cell it is reached from.
            const struct {
                std::size_t index;
                double weight;
            } corners[4] = {{at(u.cell, v.cell), (1 - u.fraction) * (1 - v.fraction)},
                            {at(u.cell + 1, v.cell), u.fraction * (1 - v.fraction)},
                            {at(u.cell, v.cell + 1), (1 - u.fraction) * v.fraction},
                            {at(u.cell + 1, v.cell + 1), u.fraction * v.fraction}};
            double x = 0.0, y = 0.0, level = 0.0;
            for (const auto& corner : corners) {
                if (corner.weight == 0.0) continue;
                x += corner.weight * nodes[corner.index].x();
                y += corner.weight * nodes[corner.index].y();
                level += corner.weight * levels[corner.index];
            }
            if (u.fraction == 0.0 && v.fraction == 0.0) {
                // The grid's own node, exactly.
                x = nodes[corners[0].index].x();
                y = nodes[corners[0].index].y();
                level = levels[corners[0].index];
            }
            out.nodes.emplace_back(x, y);
            out.levels.push_back(level);
        }
    }
    return out;
}

}  // namespace kelmora
