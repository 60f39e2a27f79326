#include "platform/desktop/event_loop.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "engine/compositor.h"
#include "engine/screen_layout.h"
#include "platform/desktop/cursors.h"
#include "platform/desktop/frame_log.h"
#include "platform/desktop/popup_menu.h"

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

class EventLoop {
 public:
  EventLoop(Form1& form, DesktopScreen& screen, Fonts& fonts, const Clock& clock,
            const std::function<void()>& after_first_frame)
      : form_(form),
        screen_(screen),
        fonts_(fonts),
        clock_(clock),
        menu_(fonts),
        after_first_frame_(after_first_frame) {}

  [[noreturn]] void run() {
    form_.create();
    cursors_.emplace(pointer_pictures(form_), screen_.scale());
    for (;;) {
      const std::optional<int> timer = run_due_timers();
      show();
      read_ahead();
      // Sleeps until the next event or, while a timer runs, its next tick.
      const int wait_ms = timer ? static_cast<int>(std::clamp<std::int64_t>(
                                      form_.timer(*timer).due - clock_.now_ms(), 1, 1 << 30))
                                : -1;
      SDL_Event event;
      if (wait_ms < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, wait_ms)) handle(event);
    }
  }

 private:
  // Real time moves on while the ticks run: a tick that falls due meanwhile
  // runs before the next frame.
  std::optional<int> run_due_timers() {
    return form_.run_due_timers([this](std::int64_t due) {
      if (due > clock_.now_ms()) return false;
      recompose_ = true;
      return true;
    });
  }

  // Presents only what changed: the engine's screen is composed again after
  // an engine event, the menu drawn again over the kept screen.
  void show() {
    if (recompose_) {
      compose_screen(form_, fonts_, screen_image_);
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

  void handle(const SDL_Event& event) {
    switch (event.type) {
      case SDL_QUIT:
        form_.close();
        break;
      case SDL_WINDOWEVENT:
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
        // The game itself takes no keys; Escape closes the menu.
        if (event.key.keysym.sym == SDLK_ESCAPE && menu_.escape()) redraw_ = true;
        break;
      default:
        break;
    }
  }

  void mouse_moved(EnginePoint at) {
    if (menu_.is_open()) {
      if (menu_.mouse_move(at.x, at.y)) redraw_ = true;
      return;
    }
    cursors_->point_at(pointer_picture_at(form_, at.x, at.y));
    const auto target = control_at(form_, at.x, at.y);
    if (target && target->control == ControlId::Message) {
      form_.mouse_move(target->control, target->index);
      recompose_ = true;
    }
  }

  void button_down(EnginePoint at, Uint8 button) {
    if (menu_.is_open()) {
      // A click outside the menu only closes it.
      if (menu_.mouse_down(at.x, at.y)) redraw_ = true;
      return;
    }
    if (const auto target = control_at(form_, at.x, at.y)) {
      form_.mouse_down(target->control, target->index, button_of(button));
      recompose_ = true;
    }
    if (auto rows = screen_.take_popup_request()) {
      menu_.open(std::move(*rows), at.x, at.y, screen_.scale().engine_width, screen_.scale().engine_height);
      SDL_SetCursor(SDL_GetDefaultCursor());
      cursors_->forget_shown();
      redraw_ = true;
    }
  }

  void button_up(EnginePoint at) {
    if (!menu_.is_open()) return;
    MenuItem* taken = menu_.mouse_up(at.x, at.y);
    redraw_ = true;
    if (taken) {
      form_.menu_click(*taken);
      recompose_ = true;
    }
  }

  Form1& form_;
  DesktopScreen& screen_;
  Fonts& fonts_;
  const Clock& clock_;
  PopupMenu menu_;
  std::optional<GameCursors> cursors_;
  Image screen_image_;
  FrameLog frame_log_;
  std::function<void()> after_first_frame_;
  std::array<std::int16_t, 3> read_ahead_for_{-1, -2, -1};  // scene, record and choice
  bool recompose_ = true;
  bool redraw_ = true;
};

}  // namespace

void run_event_loop(Form1& form, DesktopScreen& screen, Fonts& fonts, const Clock& clock,
                    const std::function<void()>& after_first_frame) {
  EventLoop(form, screen, fonts, clock, after_first_frame).run();
}

}  // namespace tw
