// The backdrop tile against the view's shape: it fills views up to about
// 1.706 times as wide as high; wider ones show the clear grey at both sides.
#include "tests/scene/SceneHarness.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace scenetest;

namespace {

struct ShapeCase {
    int width, height;
};

class SceneBackdrop : public testing::TestWithParam<ShapeCase> {};

bool columnIsClearGrey(const Pixels& p, int x) {
    for (int y = 0; y < p.height; ++y) {
        const uint8_t* c = p.at(x, y);
        if (c[0] != 64 || c[1] != 64 || c[2] != 64)
            return false;
    }
    return true;
}

// Pixels of clear grey at each side: the tile is 6.4 wide at distance 7 under
// a 30-degree vertical field of view.
double expectedMargin(const ShapeCase& c) {
    const double halfHeight = 7.0 * std::tan(15.0 * M_PI / 180.0);
    const double halfWidth = halfHeight * c.width / c.height;
    return halfWidth <= 3.2 ? 0.0 : c.width / 2.0 * (1.0 - 3.2 / halfWidth);
}

} // namespace

TEST_P(SceneBackdrop, ClearGreyShowsOnlyBesideATileNarrowerThanTheView) {
    const ShapeCase c = GetParam();
    QuietScene* view = loadView<QuietScene>(float(c.width), float(c.height));
    ASSERT_NE(view, nullptr);
    view->display();
    Pixels frame = readColour(c.width, c.height);
    const double margin = expectedMargin(c);
    SCOPED_TRACE("margin " + std::to_string(margin));
    for (int x = 0; x < c.width; ++x) {
        const int fromEdge = std::min(x, c.width - 1 - x);
        if (fromEdge < margin - 1) {
            EXPECT_TRUE(columnIsClearGrey(frame, x)) << "column " << x;
        } else if (fromEdge > margin + 1) {
            EXPECT_FALSE(columnIsClearGrey(frame, x)) << "column " << x;
        }
    }
    // Top and bottom rows: the tile is always taller than the view.
    int greyTop = 0;
    for (int x = int(margin) + 2; x < c.width - int(margin) - 2; ++x) {
        const uint8_t* top = frame.at(x, c.height - 1);
        greyTop += top[0] == 64 && top[1] == 64 && top[2] == 64;
    }
    EXPECT_LT(greyTop, c.width / 20);
}

INSTANTIATE_TEST_SUITE_P(Shapes, SceneBackdrop,
                         testing::Values(ShapeCase{240, 240}, ShapeCase{360, 240},
                                         ShapeCase{409, 240}, // 1.704: just fills
                                         ShapeCase{420, 240}, ShapeCase{480, 240},
                                         ShapeCase{640, 240}, ShapeCase{240, 480}),
                         [](const auto& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });
