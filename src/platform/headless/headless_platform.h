#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/headless/trace.h"
#include "platform/menu_cursor.h"
#include "platform/platform.h"

namespace tw {

// Virtual time: it moves only when the replay lets time pass.
class VirtualClock : public Clock {
 public:
  std::int64_t now_ms() const override { return now_; }
  void set(std::int64_t now_ms) { now_ = now_ms; }

 private:
  std::int64_t now_ = 0;
};

// A screen of a given size in pixels, 15 twips per pixel in both directions.
class HeadlessScreen : public Screen {
 public:
  HeadlessScreen(int width_px, int height_px) : width_(width_px), height_(height_px) {}
  ScreenMetrics metrics() const override;
  void set_window_pos_topmost(int width_px, int height_px) override;

 private:
  int width_;
  int height_;
};

// Message boxes, the end of the program and the popup menu, written to the
// trace instead of shown.
class HeadlessDialogs : public Dialogs, public PopupMenus {
 public:
  HeadlessDialogs(Trace& trace, const Clock& clock) : trace_(trace), clock_(clock) {}

  void show_message(TextView title, TextView message, TextView detail) override;
  [[noreturn]] void end_program(EndReason reason) override;
  void open_popup(TextView menu_name, const std::vector<MenuRow>& rows) override;

  bool menu_open() const { return menu_open_; }
  void close_menu() { menu_open_ = false; }
  // A key pressed in the open menu: the item it takes, if any.
  MenuItem* menu_key(std::string_view key);
  // The item of the last opened menu with the given control name, if any.
  MenuItem* menu_item(std::string_view name) const;
  std::optional<EndReason> ended() const { return ended_; }
  // The last failure box in one line: its message and detail.
  const std::string& last_failure() const { return last_failure_; }

 private:
  Trace& trace_;
  const Clock& clock_;
  bool menu_open_ = false;
  std::vector<MenuRow> menu_rows_;
  MenuCursor menu_cursor_;
  std::optional<EndReason> ended_;
  std::string last_failure_;
};

// The media command interface with every command written to the trace: the
// command text, its result code and the reply.
class TracedMedia : public MediaCommands {
 public:
  TracedMedia(MediaCommands& media, Trace& trace, const Clock& clock)
      : media_(media), trace_(trace), clock_(clock) {}
  MediaReply send(TextView command) override;

 private:
  MediaCommands& media_;
  Trace& trace_;
  const Clock& clock_;
};

}  // namespace tw
