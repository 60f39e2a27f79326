#pragma once

#include <SDL.h>

#include "base/image.h"
#include "platform/sdl/sdl_handles.h"
#include "present/raster.h"

namespace tw {

// A window that shows one image: the game window and the message box. It
// writes to the window's own surface rather than through a renderer, which
// on X11 may be a software OpenGL far slower than a plain copy, and sends
// the display only the part that changed since the last image.
class ImageWindow {
 public:
  // Throws Failure when the window cannot be made.
  ImageWindow(const char* title, int x, int y, int width, int height, Uint32 flags);

  SDL_Window* window() const { return window_.get(); }
  Uint32 id() const { return SDL_GetWindowID(window_.get()); }
  // Shows `image` with every pixel a factor x factor block from window pixel
  // (x, y); the rest of the window is black.
  void present(const Image& image, int factor, int x = 0, int y = 0);
  // The window was uncovered or resized: the next present sends it all.
  void invalidate() { whole_ = true; }

 private:
  SdlWindow window_;
  bool whole_ = true;  // the window's surface does not hold the last image
};

// The smallest rectangle of `image` holding every pixel that differs from
// what the 32-bit RGB888 surface `shown` holds, the image's pixel (x, y)
// being the surface's (x0 + x * factor, y0 + y * factor); empty when none
// differs. The image so placed must lie inside the surface.
Rect changed_rect(const Image& image, const SDL_Surface& shown, int factor, int x0 = 0, int y0 = 0);

}  // namespace tw
