#include "site/PlanPlacement.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {
void expectNear(const QPointF& p, double x, double y) {
    EXPECT_NEAR(p.x(), x, 1e-6);
    EXPECT_NEAR(p.y(), y, 1e-6);
}
} // namespace

TEST(PlanPlacementTest, TwoPointsPlaceAPictureWithItsRowsRunningSouth) {
    // An unturned scan at 0.5 m a pixel: pixel (0, 0) is the north-west corner at
    // (1000, 2000), so pixel (200, 100) lies 100 m east and 50 m south.
    const auto plain = placeByTwoPoints({0, 0}, {1000, 2000}, {200, 100}, {1100, 1950});
    ASSERT_TRUE(plain);
    EXPECT_NEAR(plain->scale(), 0.5, 1e-12);
    expectNear(plain->toGrid({0, 0}), 1000, 2000);
    expectNear(plain->toGrid({200, 100}), 1100, 1950);
    expectNear(plain->toGrid({100, 0}), 1050, 2000);
    expectNear(plain->toGrid({0, 100}), 1000, 1950);
    expectNear(plain->toPixel({1050, 1975}), 100, 50);

    // A scan turned a quarter: the picture's x runs north. Pixel (10, 0) is 20 m north of
    // pixel (0, 0), so pixel y runs east.
    const auto turned = placeByTwoPoints({0, 0}, {500, 500}, {10, 0}, {500, 520});
    ASSERT_TRUE(turned);
    EXPECT_NEAR(turned->scale(), 2, 1e-12);
    expectNear(turned->toGrid({0, 10}), 520, 500);
    expectNear(turned->toGrid({5, 5}), 510, 510);
    for (const QPointF& grid : {QPointF(517.5, 444.25), QPointF(-3, 1e6)}) {
        const QPointF back = turned->toGrid(turned->toPixel(grid));
        expectNear(back, grid.x(), grid.y());
    }
}

TEST(PlanPlacementTest, PointsThatFixNoPlacementGiveNone) {
    EXPECT_FALSE(placeByTwoPoints({5, 5}, {0, 0}, {5, 5}, {10, 10}));
    EXPECT_FALSE(placeByTwoPoints({0, 0}, {7, 7}, {5, 5}, {7, 7}));
    EXPECT_FALSE(placeByTwoPoints({0, 0}, {NAN, 0}, {5, 5}, {7, 7}));
    EXPECT_FALSE(placeByTwoPoints({0, 0}, {0, 0}, {INFINITY, 5}, {7, 7}));
}
