#pragma once

#include <SDL.h>

#include <memory>

namespace tw {

struct SdlWindowDeleter {
  void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct SdlRendererDeleter {
  void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
};
struct SdlTextureDeleter {
  void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
};
struct SdlSurfaceDeleter {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
struct SdlCursorDeleter {
  void operator()(SDL_Cursor* cursor) const { SDL_FreeCursor(cursor); }
};

using SdlWindow = std::unique_ptr<SDL_Window, SdlWindowDeleter>;
using SdlRenderer = std::unique_ptr<SDL_Renderer, SdlRendererDeleter>;
using SdlTexture = std::unique_ptr<SDL_Texture, SdlTextureDeleter>;
using SdlSurface = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;
using SdlCursor = std::unique_ptr<SDL_Cursor, SdlCursorDeleter>;

}  // namespace tw
