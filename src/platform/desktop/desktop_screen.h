#pragma once

#include <optional>
#include <vector>

#include "platform/desktop/image_window.h"
#include "platform/desktop/screen_scale.h"
#include "platform/platform.h"

namespace tw {

// The game window as the engine sees it. Full screen it is a borderless,
// topmost window over the whole screen, the engine's screen scaled by a
// whole factor; in a window it starts at the design size. The engine's
// screen keeps the size it had when the engine first asked for it; going
// to full screen or back, or resizing the window, shows it at the largest
// whole factor that fits, centred on black.
class DesktopScreen : public Screen, public Dialogs, public PopupMenus {
 public:
  DesktopScreen(bool windowed, Fonts& fonts);

  ScreenMetrics metrics() const override;
  void set_window_pos_topmost(int width_px, int height_px) override;
  void show_message(TextView title, TextView message, TextView detail) override;
  [[noreturn]] void end_program(EndReason reason) override;
  // Only noted here: the event loop opens the menu where the mouse is.
  void open_popup(TextView menu_name, const std::vector<MenuRow>& rows) override;

  const ScreenScale& scale() const { return scale_; }
  // The rows of the menu the engine asked for since the last call, if it did.
  std::optional<std::vector<MenuRow>> take_popup_request();
  void present(const Image& screen);
  // The window must be drawn again whole: it was uncovered or resized.
  void invalidate();
  void show_full_screen(bool full_screen);
  void set_title(TextView title);
  // The window's size changed: the scale follows it. Returns whether the
  // scale changed.
  bool fit_to_window();

 private:
  void make_full_screen();
  void make_windowed();

  bool windowed_;
  mutable bool engine_screen_fixed_ = false;  // once the engine has read the metrics
  Fonts& fonts_;
  ScreenScale scale_;
  ImageWindow window_;
  std::vector<ImageWindow> closed_boxes_;  // kept to the end: see show_message_box
  std::optional<std::vector<MenuRow>> popup_request_;
};

}  // namespace tw
