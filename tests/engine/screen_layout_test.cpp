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
  // The control and index under a point. The main picture spans 192..831 x
  // 144..623; the frame 272..751 x 461..610 with the message window 5 pixels
  // inside it.
  using Hit = std::optional<std::pair<ControlId, int>>;
  const auto at = [&](int x, int y) {
    const auto target = control_at(form, x, y);
    return target ? Hit({target->control, target->index}) : std::nullopt;
  };
  const Hit image1({ControlId::image1, 0}), none;
  EXPECT_EQ((std::vector{at(200, 150), at(10, 10), at(500, 500)}), (std::vector{image1, none, image1}))
      << "the window's background takes no clicks, and the frame is hidden at the title";
  form.waku.Visible = true;
  EXPECT_EQ((std::vector{at(273, 461), at(290, 478), at(278, 470), at(290, 598)}),
            (std::vector{none, Hit({ControlId::Message, 0}), Hit({ControlId::Window, 0}),
                         Hit({ControlId::Message, 4})}))
      << "the frame itself takes no clicks";
  form.Window.Enabled = false;
  EXPECT_EQ((std::vector{at(278, 470), at(290, 478)}), (std::vector{none, none})) << "a disabled window";
  form.image1.Enabled = false;
  EXPECT_EQ(at(200, 150), none) << "a disabled control receives nothing";
  EXPECT_FALSE(receives_input(form, {ControlId::image1, 0}));
  form.waku.Visible = false;
  EXPECT_FALSE(receives_input(form, {ControlId::Message, 2})) << "inside a hidden control";
}

}  // namespace
}  // namespace tw::test
