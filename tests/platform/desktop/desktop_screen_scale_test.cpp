// The scaling of the engine's screen onto the real one, and the mouse
// positions mapped back.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/desktop/screen_scale.h"

namespace tw {
namespace {

// Below the design size nothing is scaled down; above it the factor is the
// largest whole one that fits both ways, so a wide screen is limited by its height.
TEST(DesktopScreenScale, ScreensTakeTheLargestWholeFactorThatFitsBothWays) {
  const std::tuple<int, int, ScreenScale> cases[] = {
      {1024, 768, {1, 1024, 768}}, {1279, 959, {1, 1279, 959}}, {640, 480, {1, 640, 480}},
      {600, 400, {1, 600, 400}},   {1280, 960, {2, 640, 480}},  {1920, 1080, {2, 960, 540}},
      {2560, 1440, {3, 853, 480}}, {3840, 2160, {4, 960, 540}}, {5120, 1440, {3, 1706, 480}}};
  for (const auto& [width, height, scale] : cases)
    EXPECT_EQ(full_screen_scale(width, height), scale) << width;
  // The last column of a 2560 pixel screen stays black.
  EXPECT_EQ(shown_rect(full_screen_scale(2560, 1440)), (Rect{0, 0, 2559, 1440}));
  // A window has the design client size, or the screen's when smaller.
  EXPECT_EQ(windowed_scale(1920, 1080), (ScreenScale{1, 801, 722}));
  EXPECT_EQ(windowed_scale(800, 600), (ScreenScale{1, 800, 600}));
}

TEST(DesktopScreenScale, MousePositionsMapToTheEnginePixelTheyShow) {
  const ScreenScale scale = full_screen_scale(1920, 1080);
  EXPECT_EQ(engine_point(scale, 0, 0), (EnginePoint{0, 0}));
  EXPECT_EQ(engine_point(scale, 1, 1), (EnginePoint{0, 0}));
  EXPECT_EQ(engine_point(scale, 2, 3), (EnginePoint{1, 1}));
  EXPECT_EQ(engine_point(scale, 1919, 1079), (EnginePoint{959, 539}));
  // Positions just off the window's top-left do not land on pixel 0.
  EXPECT_EQ(engine_point(scale, -1, -2), (EnginePoint{-1, -1}));
  EXPECT_EQ(engine_point(full_screen_scale(1024, 768), 517, 300), (EnginePoint{517, 300}));
  // Every window pixel of a block maps back to the block's engine pixel.
  const ScreenScale three = full_screen_scale(2560, 1440);
  for (int x = 300; x < 303; ++x) EXPECT_EQ(engine_point(three, x, 0).x, 100);
}

}  // namespace
}  // namespace tw
