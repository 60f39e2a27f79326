#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <memory>

namespace tw {

// Frees an object with the call that its library pairs with the one that
// made it.
template <auto Free>
struct FreeWith {
  template <class T>
  void operator()(T* object) const {
    Free(object);
  }
};

// Owning handles of SDL objects.
using SdlWindow = std::unique_ptr<SDL_Window, FreeWith<SDL_DestroyWindow>>;
using SdlRenderer = std::unique_ptr<SDL_Renderer, FreeWith<SDL_DestroyRenderer>>;
using SdlTexture = std::unique_ptr<SDL_Texture, FreeWith<SDL_DestroyTexture>>;
using SdlSurface = std::unique_ptr<SDL_Surface, FreeWith<SDL_FreeSurface>>;
using SdlCursor = std::unique_ptr<SDL_Cursor, FreeWith<SDL_FreeCursor>>;
using SdlRw = std::unique_ptr<SDL_RWops, FreeWith<SDL_RWclose>>;
// The samples SDL_LoadWAV_RW hands out.
using SdlWavBuffer = std::unique_ptr<Uint8, FreeWith<SDL_FreeWAV>>;
using SdlGameController = std::unique_ptr<SDL_GameController, FreeWith<SDL_GameControllerClose>>;
using TtfFont = std::unique_ptr<TTF_Font, FreeWith<TTF_CloseFont>>;

}  // namespace tw
