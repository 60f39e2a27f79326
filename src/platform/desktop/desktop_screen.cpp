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

}  // namespace

DesktopScreen::DesktopScreen(bool windowed, Fonts& fonts)
    : windowed_(windowed),
      fonts_(fonts),
      scale_(scale_for(windowed)),
      window_(kWindowTitle, windowed ? SDL_WINDOWPOS_CENTERED : 0, windowed ? SDL_WINDOWPOS_CENTERED : 0,
              shown_rect(scale_).width, shown_rect(scale_).height,
              SDL_WINDOW_HIDDEN | (windowed ? 0u : SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP)) {}

ScreenMetrics DesktopScreen::metrics() const {
  return {long(scale_.engine_width) * kTwipsPerPixel, long(scale_.engine_height) * kTwipsPerPixel,
          kTwipsPerPixel, kTwipsPerPixel};
}

void DesktopScreen::set_window_pos_topmost(int width_px, int height_px) {
  if (!windowed_) SDL_SetWindowPosition(window_.window(), 0, 0);
  SDL_SetWindowSize(window_.window(), width_px * scale_.factor, height_px * scale_.factor);
  SDL_ShowWindow(window_.window());
  SDL_RaiseWindow(window_.window());
}

void DesktopScreen::show_message(TextView title, TextView message) {
  SDL_HideWindow(window_.window());
  // Also on the terminal, for a log and for when no box can be shown.
  std::cerr << "tallowind: " << to_utf8(title) << ": " << to_utf8(message) << "\n";
  closed_boxes_.push_back(show_message_box(fonts_, title, message));
}

void DesktopScreen::end_program(EndReason reason) { throw ProgramEnded{reason}; }

void DesktopScreen::open_popup(TextView, const std::vector<MenuRow>& rows) { popup_request_ = rows; }

std::optional<std::vector<MenuRow>> DesktopScreen::take_popup_request() {
  return std::exchange(popup_request_, {});
}

void DesktopScreen::present(const Image& screen) { window_.present(screen, scale_.factor); }

void DesktopScreen::invalidate() { window_.invalidate(); }

void DesktopScreen::show_full_screen(bool full_screen) { static_cast<void>(full_screen); }

}  // namespace tw
