#include "platform/headless/headless_platform.h"

namespace tw {

namespace {

constexpr int kTwipsPerPixel = 15;

const char* end_word(EndReason reason) {
  switch (reason) {
    case EndReason::Failure:
      return "failure";
    case EndReason::EndGame:
      return "END_GAME";
    case EndReason::Closed:
      return "closed";
  }
  return "failure";
}

}  // namespace

ScreenMetrics HeadlessScreen::metrics() const {
  return {static_cast<long>(width_) * kTwipsPerPixel, static_cast<long>(height_) * kTwipsPerPixel,
          kTwipsPerPixel, kTwipsPerPixel};
}

void HeadlessScreen::set_window_pos_topmost(int width_px, int height_px) {
  width_ = width_px;
  height_ = height_px;
}

void HeadlessDialogs::show_message(TextView title, TextView message, TextView detail) {
  trace_.write(clock_.now_ms(),
               JsonObject().field("error", message).field("title", title).field("detail", detail));
  last_failure_ = to_utf8(one_line(message));
  if (!detail.empty()) last_failure_ += " (" + to_utf8(detail) + ")";
}

void HeadlessDialogs::end_program(EndReason reason) {
  ended_ = reason;
  menu_open_ = false;
  trace_.write(clock_.now_ms(), JsonObject().field("end", end_word(reason)));
  throw ProgramEnded{reason};
}

void HeadlessDialogs::open_popup(TextView menu_name, const std::vector<MenuRow>& rows) {
  menu_open_ = true;
  menu_rows_ = rows;
  menu_cursor_.open(rows);
  trace_.write(clock_.now_ms(), JsonObject().field("popup", menu_name));
}

MenuItem* HeadlessDialogs::menu_item(std::string_view name) const {
  for (const MenuRow& row : menu_rows_) {
    if (to_utf8(row.item->name) == name) return row.item;
    for (MenuItem* item : row.submenu) {
      if (to_utf8(item->name) == name) return item;
    }
  }
  return nullptr;
}

MenuItem* HeadlessDialogs::menu_key(std::string_view key) {
  const MenuCursor::Result result = menu_cursor_.key(key);
  if (result.outcome == MenuCursor::Outcome::Closed || result.outcome == MenuCursor::Outcome::Taken) {
    menu_open_ = false;
  }
  return result.taken;
}

MediaReply TracedMedia::send(TextView command) {
  MediaReply reply = media_.send(command);
  trace_.write(clock_.now_ms(), JsonObject()
                                    .field("mci", command)
                                    .field("rc", static_cast<long long>(reply.code))
                                    .field("reply", reply.reply));
  return reply;
}

}  // namespace tw
