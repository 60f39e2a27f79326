// How the engine's screen maps onto the real one: the scale, the mouse
// positions mapped back, and what part of the window a new screen changes,
// read back from the pixels the window's surface holds.
#include <SDL.h>
#include <gtest/gtest.h>

#include <tuple>

#include "platform/desktop/image_window.h"
#include "platform/desktop/screen_scale.h"
#include "platform/sdl/sdl_handles.h"

namespace tw {
namespace {

// Below the design size nothing is scaled down; above it the factor is the
// largest whole one that fits both ways, so a wide screen is limited by its
// height.
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
  // Full screen later, or a resized window, shows that engine screen at the
  // largest whole factor that fits, centred; a window too small crops it.
  const ScreenScale design = windowed_scale(1920, 1080);
  EXPECT_EQ(fitted_scale(design, 1024, 768), (ScreenScale{1, 801, 722, 111, 23}));
  EXPECT_EQ(fitted_scale(design, 1920, 1600), (ScreenScale{2, 801, 722, 159, 78}));
  EXPECT_EQ(fitted_scale(design, 700, 700), (ScreenScale{1, 801, 722, -50, -11}));
  EXPECT_EQ(shown_rect(fitted_scale(design, 1920, 1600)), (Rect{159, 78, 1602, 1444}));
}

// Every window pixel of a block maps back to the block's engine pixel, and
// positions just off the window's top-left do not land on pixel 0.
TEST(DesktopScreenScale, MousePositionsMapToTheEnginePixelTheyShow) {
  const ScreenScale one = full_screen_scale(1024, 768), two = full_screen_scale(1920, 1080),
                    three = full_screen_scale(2560, 1440),
                    centred = fitted_scale(windowed_scale(1920, 1080), 1920, 1600);
  const std::tuple<ScreenScale, int, int, EnginePoint> cases[] = {
      {two, 0, 0, {0, 0}},        {two, 1, 1, {0, 0}},           {two, 2, 3, {1, 1}},
      {two, -1, -2, {-1, -1}},    {two, 1919, 1079, {959, 539}}, {one, 517, 300, {517, 300}},
      {three, 300, 0, {100, 0}},  {three, 302, 2, {100, 0}},     {three, -3, -4, {-1, -2}},
      {centred, 159, 78, {0, 0}}, {centred, 158, 78, {-1, 0}},   {centred, 162, 81, {1, 1}}};
  for (const auto& [scale, x, y, point] : cases) EXPECT_EQ(engine_point(scale, x, y), point) << x << "," << y;
}

// The window's surface after showing `image` at `factor` from (at, at); at
// a factor of 2 every engine pixel is a 2 x 2 block there.
SdlSurface shown(const Image& image, int factor, int at) {
  SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(
      0, at + image.width * factor + 3, at + image.height * factor + 1, 32, SDL_PIXELFORMAT_RGB888));
  for (int y = 0; y < image.height * factor; ++y) {
    auto* row =
        reinterpret_cast<Pixel*>(static_cast<unsigned char*>(surface->pixels) + (at + y) * surface->pitch) +
        at;
    for (int x = 0; x < image.width * factor; ++x) row[x] = image.at(x / factor, y / factor);
  }
  return surface;
}

TEST(DesktopChangedRect, CoversEveryChangedPixelAtEachFactorButNotTheUnusedTopByte) {
  for (const std::pair<int, int>& placing : {std::pair{1, 0}, {2, 0}, {2, 3}}) {
    const int factor = placing.first, at = placing.second;
    const Image before(9, 7, 0x102030);
    const SdlSurface surface = shown(before, factor, at);
    const auto changed = [&](const Image& image) { return changed_rect(image, *surface, factor, at, at); };
    EXPECT_EQ(changed(before), Rect{}) << factor;
    Image after = before;
    after.at(2, 5) = 0x102031;
    after.at(6, 1) = 0xFFFFFF;
    EXPECT_EQ(changed(after), (Rect{2, 1, 5, 5})) << factor;
    after.at(0, 0) = after.at(8, 6) = 0;
    EXPECT_EQ(changed(after), (Rect{0, 0, 9, 7})) << factor;
    Image top_byte = before;  // unused on screen
    top_byte.at(1, 1) |= 0xFF000000u;
    EXPECT_EQ(changed(top_byte), Rect{}) << factor;
  }
}

}  // namespace
}  // namespace tw
