// Where clicks land: the control under a point of the screen.
#include "engine/screen_layout.h"

#include <gtest/gtest.h>

#include "support/test_game.h"

namespace tw::test {
namespace {

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
