#include "platform/menu_cursor.h"

namespace tw {

namespace {

int step_round(int row, int step, int count) {
  if (count == 0) return -1;
  if (row < 0) return step > 0 ? 0 : count - 1;
  return (row + step + count) % count;
}

}  // namespace

void MenuCursor::open(const std::vector<MenuRow>& rows) {
  rows_.clear();
  for (const MenuRow& row : rows) {
    if (row.item->Visible) rows_.push_back(row);
  }
  row_ = -1;
  submenu_open_ = false;
  submenu_row_ = -1;
}

std::vector<MenuItem*> MenuCursor::visible_submenu() const {
  std::vector<MenuItem*> items;
  if (row_ < 0) return items;
  for (MenuItem* item : rows_[row_].submenu) {
    if (item->Visible) items.push_back(item);
  }
  return items;
}

MenuCursor::Result MenuCursor::key(std::string_view key) {
  const bool enter = key == "Return" || key == "Keypad Enter";
  if (row_ >= static_cast<int>(rows_.size())) row_ = -1;
  if (submenu_open_ && row_ < 0) submenu_open_ = false;
  if (submenu_open_) {
    const std::vector<MenuItem*> items = visible_submenu();
    if (submenu_row_ >= static_cast<int>(items.size())) submenu_row_ = -1;
    if (key == "Up" || key == "Down") {
      submenu_row_ = step_round(submenu_row_, key == "Up" ? -1 : 1, static_cast<int>(items.size()));
      return {Outcome::Moved};
    }
    if (key == "Left" || key == "Escape") {
      submenu_open_ = false;
      submenu_row_ = -1;
      return {Outcome::Moved};
    }
    if (enter && submenu_row_ >= 0 && items[submenu_row_]->Enabled)
      return {Outcome::Taken, items[submenu_row_]};
    return {};
  }
  if (key == "Up" || key == "Down") {
    row_ = step_round(row_, key == "Up" ? -1 : 1, static_cast<int>(rows_.size()));
    return {Outcome::Moved};
  }
  if (key == "Escape") return {Outcome::Closed};
  if ((enter || key == "Right") && row_ >= 0 && rows_[row_].item->Enabled) {
    if (!rows_[row_].submenu.empty()) {
      if (visible_submenu().empty()) return {};
      submenu_open_ = true;
      submenu_row_ = 0;
      return {Outcome::Moved};
    }
    if (enter) return {Outcome::Taken, rows_[row_].item};
  }
  return {};
}

}  // namespace tw
