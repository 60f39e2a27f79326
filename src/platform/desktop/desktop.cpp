#include "platform/desktop/desktop.h"

#include <SDL.h>

#include <string>

#include "platform/deferred_sound_output.h"
#include "platform/desktop/desktop_screen.h"
#include "platform/desktop/event_loop.h"
#include "platform/mci_interpreter.h"
#include "platform/media/sdl_sound_output.h"
#include "platform/sqlite_store.h"
#include "window/failure.h"
#include "window/form1.h"

namespace tw {

namespace {

class SdlVideo {
 public:
  SdlVideo() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      throw Failure(std::string("画面を開けません: ") + SDL_GetError());
    }
  }
  ~SdlVideo() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
  SdlVideo(const SdlVideo&) = delete;
  SdlVideo& operator=(const SdlVideo&) = delete;
};

class DesktopClock : public Clock {
 public:
  std::int64_t now_ms() const override { return static_cast<std::int64_t>(SDL_GetTicks64() - start_); }

 private:
  Uint64 start_ = SDL_GetTicks64();
};

}  // namespace

int run_desktop(const DesktopOptions& options, MediaLibraries media) {
  SdlVideo video;
  DesktopScreen screen(options.windowed, media.fonts);
  DesktopClock clock;
  GameFolder game(options.game_folder);
  DeferredSoundOutput sound([&] { return std::make_unique<SdlSoundOutput>(options.game_folder); });
  MciInterpreter commands(game, clock, media.sounds, sound);
  SqliteStore settings(default_settings_file());
  Platform platform{screen,   clock,          screen,      screen, commands,
                    settings, media.pictures, media.fonts, game,   {options.program_name}};
  Form1 form(platform);
  try {
    // The audio device and the SoundFont take the machine for a while: the
    // first frame comes first, the title's music a moment after it.
    run_event_loop(form, screen, media.fonts, clock, [&sound] { sound.start(); });
  } catch (const ProgramEnded&) {
    // Ended by the player, by END or after a failure message.
  }
  return 0;
}

}  // namespace tw
