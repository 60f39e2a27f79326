#pragma once

#include <optional>
#include <vector>

#include "platform/desktop/image_window.h"
#include "platform/desktop/screen_scale.h"
#include "platform/platform.h"

namespace tw {

// The game window as the engine sees it. Full screen it is a borderless,
// topmost window over the whole screen, the engine's screen scaled by a
// whole factor; --window makes it an ordinary window of the design size.
class DesktopScreen : public Screen, public Dialogs, public PopupMenus {
 public:
  DesktopScreen(bool windowed, Fonts& fonts);

  ScreenMetrics metrics() const override;
  void set_window_pos_topmost(int width_px, int height_px) override;
  void show_message(TextView title, TextView message) override;
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

 private:
  bool windowed_;
  Fonts& fonts_;
  ScreenScale scale_;
  ImageWindow window_;
  std::vector<ImageWindow> closed_boxes_;  // kept to the end: see show_message_box
  std::optional<std::vector<MenuRow>> popup_request_;
};

}  // namespace tw
