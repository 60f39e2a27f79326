#pragma once

#include <SDL.h>

#include <map>

#include "platform/sdl/sdl_handles.h"

namespace tw {

// The game controllers plugged in, opened as they come so that their
// buttons arrive as events, and closed as they go.
//
// SDL, left to itself, polls joysticks a thousand times a second while one
// is plugged in and wakes every three seconds to look for new ones when
// none is. Here the event loop updates them: at every wake-up it has anyway
// (the engine's timers tick twice a second while a page waits), and between
// those at most every `poll_ms`.
class GameControllers {
 public:
  GameControllers();
  ~GameControllers();
  GameControllers(const GameControllers&) = delete;
  GameControllers& operator=(const GameControllers&) = delete;

  // `device` is the joystick index of a device added.
  void add(int device);
  // `instance` is the instance id of a device removed.
  void remove(SDL_JoystickID instance);
  // Reads the controllers' buttons and looks for controllers plugged in or
  // out; what changed arrives as events.
  void update();
  // How long the event loop may sleep before the next update: long while
  // no controller is open, a frame's time while one is.
  int poll_ms() const;

 private:
  bool ready_ = false;
  std::map<SDL_JoystickID, SdlGameController> open_;
};

}  // namespace tw
