#include "platform/desktop/cursors.h"

namespace tw {

namespace {

// A cursor from a picture, each pixel made a factor x factor block so that
// it keeps its size against the scaled screen; the hotspot is the picture's
// top-left corner.
SdlCursor cursor_of(const Image& picture, int factor) {
  SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(0, picture.width * factor, picture.height * factor, 32,
                                                    SDL_PIXELFORMAT_ARGB8888));
  if (!surface) return {};
  for (int y = 0; y < surface->h; ++y) {
    auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
    for (int x = 0; x < surface->w; ++x)
      row[x] = 0xFF000000u | (picture.at(x / factor, y / factor) & 0xFFFFFFu);
  }
  return SdlCursor(SDL_CreateColorCursor(surface.get(), 0, 0));
}

}  // namespace

GameCursors::GameCursors(const std::vector<const Image*>& pictures, const ScreenScale& scale) {
  for (const Image* picture : pictures) {
    if (picture) cursors_.emplace_back(picture, cursor_of(*picture, scale.factor));
  }
}

void GameCursors::point_at(const Image* picture) {
  SDL_Cursor* wanted = SDL_GetDefaultCursor();
  for (const auto& [made_of, cursor] : cursors_) {
    if (made_of == picture && cursor) wanted = cursor.get();
  }
  if (wanted != shown_) {
    SDL_SetCursor(wanted);
    shown_ = wanted;
  }
}

}  // namespace tw
