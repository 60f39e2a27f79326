// What part of the window a new screen changes, read back from the pixels
// the window's surface holds; at a factor of 2 every engine pixel is a 2 x 2
// block there.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/desktop/image_window.h"
#include "platform/sdl/sdl_handles.h"

namespace tw {
namespace {

// The window's surface after showing `image` at `factor`.
SdlSurface shown(const Image& image, int factor) {
  SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(0, image.width * factor + 3, image.height * factor + 1,
                                                    32, SDL_PIXELFORMAT_RGB888));
  for (int y = 0; y < image.height * factor; ++y) {
    auto* row = reinterpret_cast<Pixel*>(static_cast<unsigned char*>(surface->pixels) + y * surface->pitch);
    for (int x = 0; x < image.width * factor; ++x) row[x] = image.at(x / factor, y / factor);
  }
  return surface;
}

TEST(DesktopChangedRect, CoversEveryChangedPixelAtEachFactorButNotTheUnusedTopByte) {
  for (const int factor : {1, 2}) {
    const Image before(9, 7, 0x102030);
    const SdlSurface surface = shown(before, factor);
    EXPECT_EQ(changed_rect(before, *surface, factor), Rect{}) << factor;

    Image after = before;
    after.at(2, 5) = 0x102031;
    after.at(6, 1) = 0xFFFFFF;
    EXPECT_EQ(changed_rect(after, *surface, factor), (Rect{2, 1, 5, 5})) << factor;
    after.at(0, 0) = 0;
    after.at(8, 6) = 0;
    EXPECT_EQ(changed_rect(after, *surface, factor), (Rect{0, 0, 9, 7})) << factor;
    Image top_byte = before;  // unused on screen
    top_byte.at(1, 1) |= 0xFF000000u;
    EXPECT_EQ(changed_rect(top_byte, *surface, factor), Rect{}) << factor;
  }
}

}  // namespace
}  // namespace tw
