#pragma once

#include <utility>
#include <vector>

#include "base/image.h"
#include "platform/desktop/screen_scale.h"
#include "platform/sdl/sdl_handles.h"

namespace tw {

// The mouse cursors of the game window: a cursor for each pointer picture
// the game set, and the standard cursor everywhere else.
class GameCursors {
 public:
  // Makes a cursor of each picture (null ones are left out). The pictures
  // must outlive the cursors: point_at tells them apart by address.
  GameCursors(const std::vector<const Image*>& pictures, const ScreenScale& scale);

  // Shows the cursor made of the picture, or the standard cursor for null.
  void point_at(const Image* picture);
  // The menu showed the standard cursor: the next point_at sets it anew.
  void forget_shown() { shown_ = nullptr; }

 private:
  std::vector<std::pair<const Image*, SdlCursor>> cursors_;
  SDL_Cursor* shown_ = nullptr;
};

}  // namespace tw
