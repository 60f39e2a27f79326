#include "platform/desktop/game_controllers.h"

namespace tw {

// Without the subsystem there are no controllers, and nothing else changes:
// the game is played with the mouse and the keys as before. Controllers
// plugged in already arrive as added devices once it is up.
namespace {

constexpr int kLookForControllersMs = 3000;
constexpr int kReadButtonsMs = 16;

bool init_controllers() {
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
  return SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

}  // namespace

GameControllers::GameControllers() : ready_(init_controllers()) {}

GameControllers::~GameControllers() {
  open_.clear();
  if (ready_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void GameControllers::add(int device) {
  if (!ready_ || !SDL_IsGameController(device)) return;
  SdlGameController controller(SDL_GameControllerOpen(device));
  if (!controller) return;
  const SDL_JoystickID instance = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller.get()));
  open_[instance] = std::move(controller);
}

void GameControllers::remove(SDL_JoystickID instance) { open_.erase(instance); }

void GameControllers::update() {
  if (ready_) SDL_GameControllerUpdate();
}

int GameControllers::poll_ms() const { return open_.empty() ? kLookForControllersMs : kReadButtonsMs; }

}  // namespace tw
