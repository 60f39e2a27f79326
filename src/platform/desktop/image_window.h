#pragma once

#include <SDL.h>

#include "platform/desktop/sdl_handles.h"
#include "present/image.h"
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
  // Shows `image` with every pixel a factor x factor block from the window's
  // top-left corner; the rest of the window is black.
  void present(const Image& image, int factor);
  // The window was uncovered or resized: the next present sends it all.
  void invalidate() { shown_ = Image(); }

 private:
  SdlWindow window_;
  Image shown_;  // what the window shows, to find what changed
};

// The smallest rectangle holding every pixel in which `before` and `after`
// differ: all of `after` when their sizes differ, empty when they are equal.
Rect changed_rect(const Image& before, const Image& after);

}  // namespace tw
