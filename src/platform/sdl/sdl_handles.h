#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <memory>

namespace tw {

// Owning handles of SDL objects: each frees its object with the call that
// SDL pairs with the one that made it.
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
struct SdlRwDeleter {
  void operator()(SDL_RWops* rw) const { SDL_RWclose(rw); }
};
struct SdlWavDeleter {
  void operator()(Uint8* buffer) const { SDL_FreeWAV(buffer); }
};
struct TtfFontDeleter {
  void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};

using SdlWindow = std::unique_ptr<SDL_Window, SdlWindowDeleter>;
using SdlRenderer = std::unique_ptr<SDL_Renderer, SdlRendererDeleter>;
using SdlTexture = std::unique_ptr<SDL_Texture, SdlTextureDeleter>;
using SdlSurface = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;
using SdlCursor = std::unique_ptr<SDL_Cursor, SdlCursorDeleter>;
using SdlRw = std::unique_ptr<SDL_RWops, SdlRwDeleter>;
// The samples SDL_LoadWAV_RW hands out.
using SdlWavBuffer = std::unique_ptr<Uint8, SdlWavDeleter>;
using TtfFont = std::unique_ptr<TTF_Font, TtfFontDeleter>;

}  // namespace tw
