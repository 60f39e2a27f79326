#include "platform/desktop/event_loop.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <iostream>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

#include "base/failure.h"
#include "engine/screen_layout.h"
#include "platform/desktop/cursors.h"
#include "platform/desktop/folder_watch.h"
#include "platform/desktop/frame_log.h"
#include "platform/desktop/game_controllers.h"
#include "platform/desktop/popup_menu.h"
#include "player/player.h"

namespace tw {

namespace {

int button_of(Uint8 sdl_button) {
  switch (sdl_button) {
    case SDL_BUTTON_RIGHT:
      return kRightButton;
    case SDL_BUTTON_MIDDLE:
      return kMiddleButton;
    default:
      return kLeftButton;
  }
}

// Keys that repeat while held: moving in a list. Other keys act once a press.
bool repeats(std::string_view key) {
  return key == "Up" || key == "Down" || key == "PageUp" || key == "PageDown";
}

KeyModifiers modifiers_of(Uint16 mod) {
  return {(mod & KMOD_ALT) != 0, (mod & KMOD_CTRL) != 0, (mod & KMOD_SHIFT) != 0};
}

class EventLoop {
 public:
  EventLoop(Form1& form, Player& player, DesktopScreen& screen, Fonts& fonts, const Clock& clock,
            const std::function<void()>& after_first_frame)
      : form_(form),
        player_(player),
        screen_(screen),
        fonts_(fonts),
        clock_(clock),
        menu_(fonts),
        after_first_frame_(after_first_frame) {}

  [[noreturn]] void run() {
    player_.start();
    cursors_.emplace(pointer_pictures(form_), screen_.scale());
    watch_game_folder();
    for (;;) {
      const std::optional<std::int64_t> due = run_due();
      show();
      read_ahead();
      // Sleeps until the next event or, while a timer runs, its next tick,
      // and no longer than the game controllers may wait.
      int wait_ms = controllers_.poll_ms();
      if (due) wait_ms = static_cast<int>(std::clamp<std::int64_t>(*due - clock_.now_ms(), 1, wait_ms));
      SDL_Event event;
      if (SDL_WaitEventTimeout(&event, wait_ms)) handle(event);
      controllers_.update();
    }
  }

 private:
  // Real time moves on while the ticks run: a tick that falls due meanwhile
  // runs before the next frame.
  std::optional<std::int64_t> run_due() {
    return player_.run_due([this](std::int64_t due) {
      if (due > clock_.now_ms()) return false;
      recompose_ = true;
      return true;
    });
  }

  // Presents only what changed: the engine's screen is composed again after
  // an engine event, the menu drawn again over the kept screen.
  void show() {
    if (recompose_) {
      player_.compose(fonts_, screen_image_);
      redraw_ = true;
    }
    recompose_ = false;
    if (!redraw_) return;
    redraw_ = false;
    if (!menu_.is_open()) {
      screen_.present(screen_image_);
    } else {
      Image with_menu = screen_image_;
      menu_.draw(with_menu);
      screen_.present(with_menu);
    }
    frame_log_.note("frame");
    if (after_first_frame_) std::exchange(after_first_frame_, nullptr)();
  }

  // Decodes the next record's picture while the player reads this one:
  // once a record and highlighted choice, and not while an event waits.
  void read_ahead() {
    const std::array record{form_.Scene_No, form_.Line_No, form_.Choice_Hover};
    if (record == read_ahead_for_) return;
    SDL_PumpEvents();
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return;
    read_ahead_for_ = record;
    form_.prefetch_pictures_ahead();
  }

  // Debug mode shows an edited record anew: the game folder is watched for
  // files written. Without inotify the author only misses that comfort.
  void watch_game_folder() {
    if (form_.Debug_Mode == 0) return;
    const Uint32 type = SDL_RegisterEvents(1);
    if (type == std::numeric_limits<Uint32>::max()) return;
    try {
      watch_.emplace(form_.platform().game.root(), type);
      files_written_event_ = type;
    } catch (const Failure& failure) {
      std::cerr << "tallowind: edited files are not shown until the game restarts: " << failure.what()
                << '\n';
    }
  }

  void handle(const SDL_Event& event) {
    if (watch_ && event.type == files_written_event_) {
      player_.files_written(watch_->take_written());
      recompose_ = true;
      return;
    }
    switch (event.type) {
      case SDL_QUIT:
        form_.close();
        break;
      case SDL_WINDOWEVENT:
        // Resized, by the player or by going to full screen and back: the
        // picture follows the window, and the cursors the scale.
        if (screen_.fit_to_window()) cursors_.emplace(pointer_pictures(form_), screen_.scale());
        screen_.invalidate();
        redraw_ = true;
        break;
      case SDL_MOUSEMOTION:
        mouse_moved(engine_point(screen_.scale(), event.motion.x, event.motion.y));
        break;
      case SDL_MOUSEBUTTONDOWN:
        frame_log_.note("press");
        button_down(engine_point(screen_.scale(), event.button.x, event.button.y), event.button.button);
        break;
      case SDL_MOUSEBUTTONUP:
        button_up(engine_point(screen_.scale(), event.button.x, event.button.y));
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        key(event.key);
        break;
      case SDL_MOUSEWHEEL:
        if (!menu_.is_open() && event.wheel.y != 0) {
          const int notches =
              event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
          player_.wheel(notches);
          recompose_ = true;
        }
        break;
      case SDL_CONTROLLERDEVICEADDED:
        controllers_.add(event.cdevice.which);
        break;
      case SDL_CONTROLLERDEVICEREMOVED:
        controllers_.remove(event.cdevice.which);
        break;
      case SDL_CONTROLLERBUTTONDOWN:
      case SDL_CONTROLLERBUTTONUP:
        pad(event.cbutton);
        break;
      default:
        break;
    }
  }

  // In the open menu the keys move in it; elsewhere they are the player's.
  void key(const SDL_KeyboardEvent& key) {
    const std::string_view name = SDL_GetKeyName(key.keysym.sym);
    if (key.repeat && !repeats(name)) return;
    const bool down = key.type == SDL_KEYDOWN;
    const KeyModifiers modifiers = modifiers_of(key.keysym.mod);
    if (menu_.is_open() && !reaches_player_in_menu(name, modifiers)) {
      if (down) menu_key(name);
      return;
    }
    player_.key(name, modifiers, down);
    recompose_ = true;
    take_popup_request();
  }

  void pad(const SDL_ControllerButtonEvent& button) {
    const char* name =
        SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(button.button));
    if (!name) return;
    const bool down = button.type == SDL_CONTROLLERBUTTONDOWN;
    if (menu_.is_open()) {
      if (const auto key = menu_key_for_pad(name); key && down) menu_key(*key);
      return;
    }
    player_.pad(name, down);
    recompose_ = true;
    take_popup_request();
  }

  void menu_key(std::string_view name) {
    MenuItem* taken = nullptr;
    if (menu_.key(name, taken)) redraw_ = true;
    if (taken) {
      player_.menu_click(*taken);
      recompose_ = true;
    }
  }

  // A menu the engine asked for opens where the mouse is.
  void take_popup_request() {
    if (auto rows = screen_.take_popup_request()) {
      int x = 0;
      int y = 0;
      SDL_GetMouseState(&x, &y);
      const EnginePoint at = engine_point(screen_.scale(), x, y);
      open_menu(std::move(*rows), at);
    }
  }

  void open_menu(std::vector<MenuRow> rows, EnginePoint at) {
    menu_.open(std::move(rows), at.x, at.y, screen_.scale().engine_width, screen_.scale().engine_height);
    SDL_SetCursor(SDL_GetDefaultCursor());
    cursors_->forget_shown();
    redraw_ = true;
  }

  void mouse_moved(EnginePoint at) {
    if (menu_.is_open()) {
      if (menu_.mouse_move(at.x, at.y)) redraw_ = true;
      return;
    }
    cursors_->point_at(pointer_picture_at(form_, at.x, at.y));
    const auto target = control_at(form_, at.x, at.y);
    if (target && target->control == ControlId::Message) {
      player_.mouse_move(target);
      recompose_ = true;
    }
  }

  void button_down(EnginePoint at, Uint8 button) {
    if (menu_.is_open()) {
      // A click outside the menu only closes it.
      if (menu_.mouse_down(at.x, at.y)) redraw_ = true;
      return;
    }
    player_.click(control_at(form_, at.x, at.y), button_of(button));
    recompose_ = true;
    if (auto rows = screen_.take_popup_request()) open_menu(std::move(*rows), at);
  }

  void button_up(EnginePoint at) {
    if (!menu_.is_open()) return;
    MenuItem* taken = menu_.mouse_up(at.x, at.y);
    redraw_ = true;
    if (taken) {
      player_.menu_click(*taken);
      recompose_ = true;
    }
  }

  Form1& form_;
  Player& player_;
  DesktopScreen& screen_;
  Fonts& fonts_;
  const Clock& clock_;
  PopupMenu menu_;
  std::optional<GameCursors> cursors_;
  Image screen_image_;
  FrameLog frame_log_;
  GameControllers controllers_;
  std::function<void()> after_first_frame_;
  std::array<std::int16_t, 3> read_ahead_for_{-1, -2, -1};  // scene, record and choice
  bool recompose_ = true;
  bool redraw_ = true;
  std::optional<FolderWatch> watch_;
  Uint32 files_written_event_ = 0;
};

}  // namespace

void run_event_loop(Form1& form, Player& player, DesktopScreen& screen, Fonts& fonts, const Clock& clock,
                    const std::function<void()>& after_first_frame) {
  EventLoop(form, player, screen, fonts, clock, after_first_frame).run();
}

}  // namespace tw
