#pragma once

#include <SDL.h>

#include <map>

#include "platform/sdl/sdl_handles.h"

namespace tw {

// The game controllers plugged in, opened as they come so that their
// buttons arrive as events, and closed as they go.
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

 private:
  bool ready_ = false;
  std::map<SDL_JoystickID, SdlGameController> open_;
};

}  // namespace tw
