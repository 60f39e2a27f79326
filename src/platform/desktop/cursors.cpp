#include "platform/desktop/cursors.h"

#include "engine/screen_layout.h"

namespace tw {

namespace {

// A cursor from a control's picture, each pixel made a factor x factor
// block so that it keeps its size against the scaled screen; the hotspot is
// the picture's top-left corner.
SdlCursor cursor_of(const Control& control, int factor) {
  if (control.MousePointer != kCustomMousePointer || !control.MouseIcon || control.MouseIcon->empty())
    return {};
  const Image& picture = *control.MouseIcon;
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

bool shows_at(const ScreenPlace& place, int x, int y) { return place.visible.contains(x, y); }

}  // namespace

GameCursors::GameCursors(const Form1& form, const ScreenScale& scale)
    : waku_(cursor_of(form.waku, scale.factor)), image1_(cursor_of(form.image1, scale.factor)) {}

void GameCursors::point_at(const Form1& form, int x, int y) {
  // A control's own pointer applies only where no child lies over it: the
  // message window and its labels show the standard cursor.
  SDL_Cursor* wanted = SDL_GetDefaultCursor();
  if (form.waku.Visible && shows_at(place_of_waku(form), x, y)) {
    if (!(form.Window.Visible && shows_at(place_of_Window(form), x, y)) && waku_) wanted = waku_.get();
  } else if (form.image1.Visible && shows_at(place_of_image1(form), x, y) && image1_) {
    wanted = image1_.get();
  }
  if (wanted != shown_) {
    SDL_SetCursor(wanted);
    shown_ = wanted;
  }
}

}  // namespace tw
