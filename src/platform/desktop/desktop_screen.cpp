#include "platform/desktop/desktop_screen.h"

#include <iostream>
#include <string>
#include <utility>

#include "base/failure.h"
#include "platform/desktop/message_box.h"

namespace tw {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr char kWindowTitle[] = "Tallowind";

SDL_DisplayMode desktop_mode() {
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
    throw Failure(std::string("画面の大きさがわかりません: ") + SDL_GetError());
  }
  return mode;
}

ScreenScale scale_for(bool windowed) {
  const SDL_DisplayMode mode = desktop_mode();
  return windowed ? windowed_scale(mode.w, mode.h) : full_screen_scale(mode.w, mode.h);
}

// A window takes at most this share of the screen when it is made.
constexpr int kWindowShareOfScreenPercent = 90;

}  // namespace

DesktopScreen::DesktopScreen(bool windowed, Fonts& fonts)
    : windowed_(windowed),
      fonts_(fonts),
      scale_(scale_for(windowed)),
      window_(kWindowTitle, windowed ? SDL_WINDOWPOS_CENTERED : 0, windowed ? SDL_WINDOWPOS_CENTERED : 0,
              shown_rect(scale_).width, shown_rect(scale_).height,
              SDL_WINDOW_HIDDEN |
                  (windowed ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP)) {}

ScreenMetrics DesktopScreen::metrics() const {
  engine_screen_fixed_ = true;
  return {long(scale_.engine_width) * kTwipsPerPixel, long(scale_.engine_height) * kTwipsPerPixel,
          kTwipsPerPixel, kTwipsPerPixel};
}

void DesktopScreen::set_window_pos_topmost(int width_px, int height_px) {
  if (!windowed_) SDL_SetWindowPosition(window_.window(), 0, 0);
  SDL_SetWindowSize(window_.window(), width_px * scale_.factor, height_px * scale_.factor);
  SDL_ShowWindow(window_.window());
  SDL_RaiseWindow(window_.window());
}

void DesktopScreen::show_message(TextView title, TextView message, TextView detail) {
  SDL_HideWindow(window_.window());
  // Also on the terminal, for a log and for when no box can be shown.
  std::cerr << "tallowind: " << to_utf8(title) << ": " << to_utf8(message) << "\n";
  if (!detail.empty()) std::cerr << "tallowind: " << to_utf8(detail) << "\n";
  closed_boxes_.push_back(
      show_message_box(fonts_, title, detail.empty() ? Text(message) : Text(message) + U"\n" + Text(detail)));
}

void DesktopScreen::end_program(EndReason reason) { throw ProgramEnded{reason}; }

void DesktopScreen::open_popup(TextView, const std::vector<MenuRow>& rows) { popup_request_ = rows; }

std::optional<std::vector<MenuRow>> DesktopScreen::take_popup_request() {
  return std::exchange(popup_request_, {});
}

void DesktopScreen::present(const Image& screen) {
  window_.present(screen, scale_.factor, scale_.offset_x, scale_.offset_y);
}

void DesktopScreen::invalidate() { window_.invalidate(); }

// Before the engine has laid out its window the mode decides the engine's
// screen too; afterwards only how it is shown.
void DesktopScreen::show_full_screen(bool full_screen) {
  if (full_screen == !windowed_) return;
  windowed_ = !full_screen;
  if (!engine_screen_fixed_) {
    scale_ = scale_for(windowed_);
    SDL_SetWindowSize(window_.window(), shown_rect(scale_).width, shown_rect(scale_).height);
  }
  if (full_screen) {
    make_full_screen();
  } else {
    make_windowed();
  }
  fit_to_window();
  window_.invalidate();
}

void DesktopScreen::make_full_screen() {
  const SDL_DisplayMode mode = desktop_mode();
  SDL_SetWindowResizable(window_.window(), SDL_FALSE);
  SDL_SetWindowBordered(window_.window(), SDL_FALSE);
  SDL_SetWindowAlwaysOnTop(window_.window(), SDL_TRUE);
  SDL_SetWindowPosition(window_.window(), 0, 0);
  if (engine_screen_fixed_) SDL_SetWindowSize(window_.window(), mode.w, mode.h);
  SDL_RaiseWindow(window_.window());
}

// A window of the engine's screen at the largest whole factor that leaves
// some of the desktop around it.
void DesktopScreen::make_windowed() {
  const SDL_DisplayMode mode = desktop_mode();
  SDL_SetWindowAlwaysOnTop(window_.window(), SDL_FALSE);
  SDL_SetWindowBordered(window_.window(), SDL_TRUE);
  SDL_SetWindowResizable(window_.window(), SDL_TRUE);
  if (engine_screen_fixed_) {
    const ScreenScale fits = fitted_scale(scale_, mode.w * kWindowShareOfScreenPercent / 100,
                                          mode.h * kWindowShareOfScreenPercent / 100);
    SDL_SetWindowSize(window_.window(), shown_rect(fits).width, shown_rect(fits).height);
  }
  SDL_SetWindowPosition(window_.window(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

bool DesktopScreen::fit_to_window() {
  if (!engine_screen_fixed_) return false;
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window_.window(), &width, &height);
  const ScreenScale fitted = fitted_scale(scale_, width, height);
  if (fitted == scale_) return false;
  scale_ = fitted;
  window_.invalidate();
  return true;
}

void DesktopScreen::set_title(TextView title) {
  SDL_SetWindowTitle(window_.window(), to_utf8(title).c_str());
}

}  // namespace tw
