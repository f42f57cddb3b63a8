#pragma once
// The rubber-band lines a plan gesture inverts on the screen, as (from, to) pixel pairs, for the gesture
// and pointer tests.
#include <gtest/gtest.h>

#include <utility>
#include <variant>
#include <vector>

#include "view/PlanGestures.h"

namespace kelmora::plantest {

using InvertedLine = std::pair<ClientPoint, ClientPoint>;

inline std::vector<InvertedLine> InvertedLines(const GestureEffect& e) {
    std::vector<InvertedLine> out;
    for (const Primitive& p : e.screenInversions) {
        const auto& line = std::get<PolylinePrimitive>(p);
        EXPECT_EQ(line.op, RasterOp::Invert);
        out.emplace_back(line.points.front(), line.points.back());
    }
    return out;
}

}  // namespace kelmora::plantest
