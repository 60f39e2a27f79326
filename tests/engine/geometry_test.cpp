#include "engine/geometry.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(Geometry, RoundsTwipsToPixelsWithHalvesToEven) {
  EXPECT_EQ(to_pixels(2160), 144);
  EXPECT_EQ(to_pixels(22.5), 2);  // 1.5 pixels
  EXPECT_EQ(to_pixels(37.5), 2);  // 2.5 pixels
  EXPECT_EQ(to_pixels(52.5), 4);  // 3.5 pixels
  EXPECT_EQ(to_pixels(-22.5), -2);
  EXPECT_EQ(to_pixels(20), 1);
}

TEST(Geometry, EachTileRowEndsPastTheRightBorderWithoutSixteenBitOverflow) {
  // A 4 x 3 window of 1 x 1 tiles, in twips: x runs 0..4, since a row ends
  // only once x exceeds the width.
  const auto tiles = tile_positions(60, 45, 15, 15);
  ASSERT_EQ(tiles.size(), 15u);
  EXPECT_EQ(tiles[4].x, 60);
  EXPECT_EQ(tiles[5].x, 0);
  EXPECT_EQ(tiles[5].y, 15);
  EXPECT_EQ(tiles.back().y, 30);
  // A tile wider than the window fills one tile per row.
  EXPECT_EQ(tile_positions(150, 100, 300, 40).size(), 3u);
  // 2000 pixels wide with 400-pixel tiles: the position after the sixth
  // tile, 36000 twips, is past 32767.
  EXPECT_EQ(tile_positions(2000 * 15, 15, 400 * 15, 15).back().x, 30000);
}

}  // namespace
}  // namespace tw
