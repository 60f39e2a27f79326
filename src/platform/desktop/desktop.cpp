#include "platform/desktop/desktop.h"

#include <SDL.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>

#include "platform/mci_interpreter.h"
#include "platform/media/sdl_sound_output.h"
#include "platform/platform.h"
#include "platform/sqlite_store.h"
#include "present/compositor.h"
#include "present/screen_layout.h"
#include "window/failure.h"
#include "window/form1.h"

namespace tw {

namespace {

constexpr int kTwipsPerPixel = 15;

struct WindowDeleter {
  void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct RendererDeleter {
  void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
};
struct TextureDeleter {
  void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
};

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

// The game window: created hidden, shown by the load step covering the screen.
class DesktopScreen : public Screen, public Dialogs, public PopupMenus {
 public:
  DesktopScreen() {
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
      throw Failure(std::string("画面の大きさがわかりません: ") + SDL_GetError());
    }
    width_ = mode.w;
    height_ = mode.h;
    window_.reset(SDL_CreateWindow("Tallowind", 0, 0, width_, height_,
                                   SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP));
    if (!window_) throw Failure(std::string("ウインドウを作れません: ") + SDL_GetError());
    renderer_.reset(SDL_CreateRenderer(window_.get(), -1, 0));
    if (!renderer_) throw Failure(std::string("描画を始められません: ") + SDL_GetError());
  }

  ScreenMetrics metrics() const override {
    return {long(width_) * kTwipsPerPixel, long(height_) * kTwipsPerPixel, kTwipsPerPixel, kTwipsPerPixel};
  }

  void set_window_pos_topmost(int width_px, int height_px) override {
    SDL_SetWindowPosition(window_.get(), 0, 0);
    SDL_SetWindowSize(window_.get(), width_px, height_px);
    SDL_ShowWindow(window_.get());
  }

  void show_message(TextView title, TextView message) override {
    SDL_HideWindow(window_.get());
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, to_utf8(title).c_str(), to_utf8(message).c_str(), nullptr);
  }

  [[noreturn]] void end_program(EndReason reason) override { throw ProgramEnded{reason}; }

  // The popup menu is drawn by the desktop player's menu; until then a right
  // click opens nothing on the desktop.
  void open_popup(TextView) override {}

  void show(const Image& screen) {
    if (screen.empty()) return;
    if (!texture_ || texture_width_ != screen.width || texture_height_ != screen.height) {
      texture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                       screen.width, screen.height));
      texture_width_ = screen.width;
      texture_height_ = screen.height;
    }
    if (!texture_) return;
    SDL_UpdateTexture(texture_.get(), nullptr, screen.pixels.data(), screen.width * 4);
    SDL_RenderClear(renderer_.get());
    SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, nullptr);
    SDL_RenderPresent(renderer_.get());
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::unique_ptr<SDL_Window, WindowDeleter> window_;
  std::unique_ptr<SDL_Renderer, RendererDeleter> renderer_;
  std::unique_ptr<SDL_Texture, TextureDeleter> texture_;
  int texture_width_ = 0;
  int texture_height_ = 0;
};

int button_of(Uint8 sdl_button) {
  switch (sdl_button) {
    case SDL_BUTTON_RIGHT: return kRightButton;
    case SDL_BUTTON_MIDDLE: return kMiddleButton;
    default: return kLeftButton;
  }
}

// Runs timers and mouse events until the program ends. The loop sleeps until
// the next event or the next timer tick.
void play(Form1& form, DesktopScreen& screen, Fonts& fonts, const Clock& clock) {
  form.create();
  bool changed = true;
  for (;;) {
    std::optional<int> timer;
    while ((timer = form.next_timer()) && form.timer(*timer).due <= clock.now_ms()) {
      form.run_timer(*timer);
      changed = true;
    }
    if (changed) screen.show(compose_screen(form, fonts));
    changed = false;
    const int wait_ms =
        timer ? static_cast<int>(std::max<std::int64_t>(1, form.timer(*timer).due - clock.now_ms())) : -1;
    SDL_Event event;
    if (!(wait_ms < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, wait_ms))) continue;
    changed = true;
    switch (event.type) {
      case SDL_QUIT:
        form.close();
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (const auto target = control_at(form, event.button.x, event.button.y)) {
          form.mouse_down(target->control, target->index, button_of(event.button.button));
        }
        break;
      case SDL_MOUSEMOTION:
        if (const auto target = control_at(form, event.motion.x, event.motion.y);
            target && target->control == ControlId::Message) {
          form.mouse_move(target->control, target->index);
        }
        break;
      default:
        changed = event.type == SDL_WINDOWEVENT;
    }
  }
}

}  // namespace

int run_desktop(const DesktopOptions& options, MediaLibraries media) {
  SdlVideo video;
  DesktopClock clock;
  DesktopScreen screen;
  GameFolder game(options.game_folder);
  SdlSoundOutput sound(options.game_folder);
  MciInterpreter commands(game, clock, media.sounds, sound);
  SqliteStore settings(default_settings_file());
  Platform platform{screen,         clock,       screen, screen, commands, settings,
                    media.pictures, media.fonts, game,   {options.program_name}};
  Form1 form(platform);
  try {
    play(form, screen, media.fonts, clock);
  } catch (const ProgramEnded&) {
    // Ended by the player or after a failure message: nothing is left to do.
  }
  return 0;
}

}  // namespace tw
