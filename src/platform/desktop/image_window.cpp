#include "platform/desktop/image_window.h"

#include <algorithm>
#include <string>

#include "window/failure.h"

namespace tw {

ImageWindow::ImageWindow(const char* title, int x, int y, int width, int height, Uint32 flags) {
  // The window system's own shared-memory images, not a texture behind the
  // window's surface: without a GPU that texture is drawn by software OpenGL.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  window_.reset(SDL_CreateWindow(title, x, y, width, height, flags));
  if (!window_) throw Failure(std::string("ウインドウを作れません: ") + SDL_GetError());
}

Rect changed_rect(const Image& before, const Image& after) {
  if (before.width != after.width || before.height != after.height) return {0, 0, after.width, after.height};
  int top = after.height;
  int bottom = -1;
  int left = after.width;
  int right = -1;
  for (int y = 0; y < after.height; ++y) {
    const Pixel* old_row = &before.pixels[static_cast<std::size_t>(y) * after.width];
    const Pixel* new_row = &after.pixels[static_cast<std::size_t>(y) * after.width];
    if (std::equal(old_row, old_row + after.width, new_row)) continue;
    top = std::min(top, y);
    bottom = y;
    int first = 0;
    while (old_row[first] == new_row[first]) ++first;
    int last = after.width - 1;
    while (old_row[last] == new_row[last]) --last;
    left = std::min(left, first);
    right = std::max(right, last);
  }
  if (bottom < 0) return {};
  return {left, top, right - left + 1, bottom - top + 1};
}

void ImageWindow::present(const Image& image, int factor) {
  if (image.empty()) return;
  SDL_Surface* target = SDL_GetWindowSurface(window_.get());
  if (!target) return;
  const bool whole = shown_.empty();
  const Rect changed = changed_rect(shown_, image);
  if (changed.width <= 0) return;
  // The image's words are SDL's RGB888 layout, so SDL reads them in place.
  SdlSurface source(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<Pixel*>(image.pixels.data()), image.width,
                                                       image.height, 32, image.width * 4,
                                                       SDL_PIXELFORMAT_RGB888));
  if (!source) return;
  if (whole) SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
  SDL_Rect from{changed.x, changed.y, changed.width, changed.height};
  SDL_Rect to{changed.x * factor, changed.y * factor, changed.width * factor, changed.height * factor};
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
  shown_ = image;
}

}  // namespace tw
