// Where things lie on the screen: twips in pixels, the background tiles, and
// the control under a point that takes a click.
#include "engine/screen_layout.h"

#include <gtest/gtest.h>

#include "engine/geometry.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

TEST(Geometry, RoundsTwipsToPixelsWithHalvesToEven) {
  // 144, 1.5, 2.5, 3.5, -1.5 and 1.33 pixels.
  EXPECT_EQ((std::vector{to_pixels(2160), to_pixels(22.5), to_pixels(37.5), to_pixels(52.5), to_pixels(-22.5),
                         to_pixels(20)}),
            (std::vector{144, 2, 2, 4, -2, 1}));
}

TEST(Geometry, EachTileRowEndsPastTheRightBorderWithoutSixteenBitOverflow) {
  // A 4 x 3 window of 1 x 1 tiles, in twips: x runs 0..4, since a row ends
  // only once x exceeds the width.
  const auto tiles = tile_positions(60, 45, 15, 15);
  ASSERT_EQ(tiles.size(), 15u);
  EXPECT_EQ(std::tuple(tiles[4].x, tiles[5].x, tiles[5].y, tiles.back().y), std::tuple(60, 0, 15, 30));
  // A tile wider than the window fills one tile per row.
  EXPECT_EQ(tile_positions(150, 100, 300, 40).size(), 3u);
  // 2000 pixels wide with 400-pixel tiles: the position after the sixth
  // tile, 36000 twips, is past 32767.
  EXPECT_EQ(tile_positions(2000 * 15, 15, 400 * 15, 15).back().x, 30000);
}

TEST(ScreenLayout, FindsTheTopmostControlThatTakesTheClick) {
  TestGame game;
  game.write_scene({record(U"END")});
  Engine engine(game);
  Form1& form = engine.start().form();
  // The main picture spans 192..831 x 144..623; the frame 272..751 x 461..610
  // with the message window 5 pixels inside it.
  auto at = [&](int x, int y) { return control_at(form, x, y); };
  ASSERT_TRUE(at(200, 150));
  EXPECT_EQ(at(200, 150)->control, ControlId::image1);
  EXPECT_FALSE(at(10, 10)) << "the window's background takes no clicks";
  EXPECT_EQ(at(500, 500)->control, ControlId::image1) << "the frame is hidden at the title";

  form.waku.Visible = true;
  EXPECT_FALSE(at(273, 461)) << "the frame itself takes no clicks";
  EXPECT_EQ(at(290, 478)->control, ControlId::Message);
  EXPECT_EQ(at(290, 478)->index, 0);
  EXPECT_EQ(at(278, 470)->control, ControlId::Window);
  EXPECT_EQ(at(290, 598)->index, 4);
  form.image1.Enabled = false;
  EXPECT_FALSE(at(200, 150)) << "a disabled control receives nothing";
  EXPECT_FALSE(receives_input(form, {ControlId::image1, 0}));
  form.waku.Visible = false;
  EXPECT_FALSE(receives_input(form, {ControlId::Message, 2})) << "inside a hidden control";
}

}  // namespace
}  // namespace tw::test
