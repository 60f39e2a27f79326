// The scaling of the engine's screen onto the real one, and the mouse
// positions mapped back.
#include <gtest/gtest.h>

#include "platform/desktop/screen_scale.h"

namespace tw {
namespace {

TEST(DesktopScreenScale, SmallScreensShowTheEngineScreenPixelForPixel) {
  EXPECT_EQ(full_screen_scale(1024, 768), (ScreenScale{1, 1024, 768}));
  EXPECT_EQ(full_screen_scale(1279, 959), (ScreenScale{1, 1279, 959}));
  EXPECT_EQ(full_screen_scale(640, 480), (ScreenScale{1, 640, 480}));
  // Below the design size nothing is scaled down.
  EXPECT_EQ(full_screen_scale(600, 400), (ScreenScale{1, 600, 400}));
}

TEST(DesktopScreenScale, LargeScreensTakeTheLargestWholeFactorThatFitsBothWays) {
  EXPECT_EQ(full_screen_scale(1280, 960), (ScreenScale{2, 640, 480}));
  EXPECT_EQ(full_screen_scale(1920, 1080), (ScreenScale{2, 960, 540}));
  EXPECT_EQ(full_screen_scale(2560, 1440), (ScreenScale{3, 853, 480}));
  EXPECT_EQ(full_screen_scale(3840, 2160), (ScreenScale{4, 960, 540}));
  // A wide screen is limited by its height.
  EXPECT_EQ(full_screen_scale(5120, 1440), (ScreenScale{3, 1706, 480}));
}

TEST(DesktopScreenScale, TheShownAreaIsTheEngineScreenTimesTheFactor) {
  const ScreenScale scale = full_screen_scale(2560, 1440);
  const Rect shown = shown_rect(scale);
  EXPECT_EQ(shown.x, 0);
  EXPECT_EQ(shown.y, 0);
  EXPECT_EQ(shown.width, 2559);  // the last column of the screen stays black
  EXPECT_EQ(shown.height, 1440);
}

TEST(DesktopScreenScale, AWindowHasTheDesignClientSizeOrTheScreenWhenSmaller) {
  EXPECT_EQ(windowed_scale(1920, 1080), (ScreenScale{1, 801, 722}));
  EXPECT_EQ(windowed_scale(800, 600), (ScreenScale{1, 800, 600}));
  EXPECT_EQ(windowed_scale(3840, 2160), (ScreenScale{1, 801, 722}));
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
