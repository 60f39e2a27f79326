#include "platform/desktop/desktop.h"

#include <SDL.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/form1.h"
#include "platform/deferred_sound_output.h"
#include "platform/desktop/desktop_screen.h"
#include "platform/desktop/event_loop.h"
#include "platform/sdl/sdl_sound_output.h"
#include "platform/sqlite_store.h"
#include "player/player.h"
#include "sound/mci_interpreter.h"

namespace tw {

namespace {

// Drivers that draw into memory only: a window there is never seen.
bool shows_nothing(std::string_view driver) { return driver == "offscreen" || driver == "dummy"; }

class SdlVideo {
 public:
  SdlVideo() {
    // Without X or Wayland only the console's own driver can show a window;
    // asking for it alone also spares the player the Wayland library's
    // complaint about a session that is not there.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("SDL_VIDEODRIVER")) {
      SDL_SetHint(SDL_HINT_VIDEODRIVER, "kmsdrm");
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) throw NoDisplay(SDL_GetError());
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || shows_nothing(driver)) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      throw NoDisplay(std::string("SDL chose the \"") + (driver ? driver : "") + "\" video driver");
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

// Full screen and the loudness, as the player asks for them.
class DesktopPlayerHost : public PlayerHost {
 public:
  DesktopPlayerHost(DesktopScreen& screen, SoundOutput& sound) : screen_(screen), sound_(sound) {}
  void show_full_screen(bool full_screen) override { screen_.show_full_screen(full_screen); }
  void set_loudness(double loudness) override { sound_.set_loudness(loudness); }
  void set_title(TextView title) override { screen_.set_title(title); }

 private:
  DesktopScreen& screen_;
  SoundOutput& sound_;
};

}  // namespace

int run_desktop(const DesktopOptions& options, AssetLibraries assets) {
  SdlVideo video;
  DesktopScreen screen(options.windowed, assets.fonts);
  DesktopClock clock;
  GameFolder game(options.game_folder);
  DeferredSoundOutput sound([&] { return std::make_unique<SdlSoundOutput>(options.game_folder); });
  MciInterpreter commands(game, clock, assets.sounds, sound);
  SqliteStore settings(default_settings_file());
  Platform platform{screen,   clock,           screen,       screen, commands,
                    settings, assets.pictures, assets.fonts, game,   {options.program_name}};
  Form1 form(platform);
  DesktopPlayerHost host(screen, sound);
  // --window plays this once in a window; the remembered choice stays.
  Player player(form, host, options.windowed ? std::optional<bool>(false) : std::nullopt);
  try {
    // The audio device and the SoundFont take the machine for a while: the
    // first frame comes first, the title's music a moment after it.
    run_event_loop(form, player, screen, assets.fonts, clock, [&sound] { sound.start(); });
  } catch (const ProgramEnded& ended) {
    // Ended by the player, by END or after a failure message; a script that
    // started the game sees the failure in the exit status.
    player.keep_read_marks();
    return ended.reason == EndReason::Failure ? 1 : 0;
  }
  return 0;
}

}  // namespace tw
