#include "platform/desktop/image_window.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/failure.h"

namespace tw {

ImageWindow::ImageWindow(const char* title, int x, int y, int width, int height, Uint32 flags) {
  // The window system's own shared-memory images, not a texture behind the
  // window's surface: without a GPU that texture is drawn by software OpenGL.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  window_.reset(SDL_CreateWindow(title, x, y, width, height, flags));
  if (!window_) throw Failure(std::string("ウインドウを作れません: ") + SDL_GetError());
}

namespace {

// Our pixels are SDL's RGB888 words: such a surface holds exactly what was
// drawn on it and can be read back.
bool reads_back(const SDL_Surface& shown, const Image& image, int factor, int x, int y) {
  return shown.format->format == SDL_PIXELFORMAT_RGB888 && x >= 0 && y >= 0 &&
         shown.w >= x + image.width * factor && shown.h >= y + image.height * factor;
}

}  // namespace

Rect changed_rect(const Image& image, const SDL_Surface& shown, int factor, int x0, int y0) {
  constexpr Pixel kShownBits = 0x00FFFFFF;
  int top = image.height;
  int bottom = -1;
  int left = image.width;
  int right = -1;
  for (int y = 0; y < image.height; ++y) {
    const Pixel* new_row = &image.pixels[static_cast<std::size_t>(y) * image.width];
    const auto* old_row =
        reinterpret_cast<const Pixel*>(static_cast<const unsigned char*>(shown.pixels) +
                                       static_cast<std::size_t>(y0 + y * factor) * shown.pitch) +
        x0;
    // Blits copy whole words, so an unchanged row is equal to the byte.
    if (factor == 1 && std::memcmp(new_row, old_row, image.width * sizeof(Pixel)) == 0) continue;
    const auto same = [&](int x) { return ((new_row[x] ^ old_row[x * factor]) & kShownBits) == 0; };
    int first = 0;
    while (first < image.width && same(first)) ++first;
    if (first == image.width) continue;
    int last = image.width - 1;
    while (same(last)) --last;
    top = std::min(top, y);
    bottom = y;
    left = std::min(left, first);
    right = std::max(right, last);
  }
  if (bottom < 0) return {};
  return {left, top, right - left + 1, bottom - top + 1};
}

void ImageWindow::present(const Image& image, int factor, int x, int y) {
  if (image.empty()) return;
  SDL_Surface* target = SDL_GetWindowSurface(window_.get());
  if (!target) return;
  // The window's surface keeps what it shows, so it is what a new image is
  // compared with; no copy of the last image is kept.
  const bool whole = whole_ || !reads_back(*target, image, factor, x, y);
  const Rect changed =
      whole ? Rect{0, 0, image.width, image.height} : changed_rect(image, *target, factor, x, y);
  if (changed.width <= 0) return;
  // The image's words are SDL's RGB888 layout, so SDL reads them in place.
  SdlSurface source(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<Pixel*>(image.pixels.data()), image.width,
                                                       image.height, 32, image.width * 4,
                                                       SDL_PIXELFORMAT_RGB888));
  if (!source) return;
  if (whole) SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
  SDL_Rect from{changed.x, changed.y, changed.width, changed.height};
  SDL_Rect to{x + changed.x * factor, y + changed.y * factor, changed.width * factor,
              changed.height * factor};
  // Nearest-neighbour: a whole factor repeats each pixel exactly.
  if (factor == 1) {
    SDL_BlitSurface(source.get(), &from, target, &to);
  } else {
    SDL_BlitScaled(source.get(), &from, target, &to);
  }
  if (whole) {
    SDL_UpdateWindowSurface(window_.get());
  } else {
    SDL_UpdateWindowSurfaceRects(window_.get(), &to, 1);
  }
  whole_ = false;
}

}  // namespace tw
