#include "editing/DialogPlacement.h"

#include <gtest/gtest.h>

namespace kelmora {
namespace {

TEST(DialogPlacement, CentredThenPushedBackInsideTheMonitor) {
    const ScreenRect monitor{0, 0, 1920, 1080};
    struct Case {
        int width, height;
        ScreenPoint centre;
        ScreenPoint topLeft;
    };
    const Case cases[] = {
        {400, 300, {960, 540}, {760, 390}},     // inside: centred
        {400, 300, {1900, 1070}, {1520, 780}},  // right and bottom edges pulled in
        {400, 300, {10, 20}, {0, 0}},           // left and top edges pushed out
        {2000, 1200, {960, 540}, {0, 0}},       // larger than the monitor: its top-left corner shows
        {401, 301, {200, 150}, {0, 0}},         // odd sizes: halves by integer division
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlaceDialog(c.width, c.height, c.centre, monitor), c.topLeft)
            << c.width << "x" << c.height << " at " << c.centre.x << "," << c.centre.y;
    }
    // A second monitor to the left of the first.
    EXPECT_EQ(PlaceDialog(400, 300, {-1900, 500}, {-1920, 0, 0, 1080}), (ScreenPoint{-1920, 350}));
}

}  // namespace
}  // namespace kelmora
