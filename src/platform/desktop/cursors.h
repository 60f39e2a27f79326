#pragma once

#include "engine/form1.h"
#include "platform/desktop/screen_scale.h"
#include "platform/media/sdl_handles.h"

namespace tw {

// The mouse cursors of the game window: the cursor pictures that the load
// step gives waku and image1, shown over those controls, and the standard
// cursor everywhere else.
class GameCursors {
 public:
  // Makes the cursors from the pictures the load step set; call it after
  // Form1::create().
  GameCursors(const Form1& form, const ScreenScale& scale);

  // Shows the cursor of the control under engine pixel (x, y).
  void point_at(const Form1& form, int x, int y);
  // The menu showed the standard cursor: the next point_at sets it anew.
  void forget_shown() { shown_ = nullptr; }

 private:
  SdlCursor waku_;
  SdlCursor image1_;
  SDL_Cursor* shown_ = nullptr;
};

}  // namespace tw
