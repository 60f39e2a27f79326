#pragma once

#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace tw {

// The keyboard in an open popup menu, as desktop menus take it: Up and Down
// move the highlight round the visible items, Right or Return opens a
// submenu, Left or Escape closes it, Escape in the menu closes the menu, and
// Return takes an enabled item.
class MenuCursor {
 public:
  enum class Outcome { Ignored, Moved, Closed, Taken };
  struct Result {
    Outcome outcome = Outcome::Ignored;
    MenuItem* taken = nullptr;
  };

  void open(const std::vector<MenuRow>& rows);
  // `key` by its SDL name: "Up", "Down", "Left", "Right", "Return",
  // "Keypad Enter", "Escape".
  Result key(std::string_view key);

  // Moves the highlight where the mouse put it.
  void set(int row, bool submenu_open, int submenu_row) {
    row_ = row;
    submenu_open_ = submenu_open && row >= 0;
    submenu_row_ = submenu_open_ ? submenu_row : -1;
  }

  // The highlighted row of the menu and of its open submenu, -1 for none,
  // counted among visible items.
  int row() const { return row_; }
  int submenu_row() const { return submenu_row_; }
  bool submenu_open() const { return submenu_open_; }

 private:
  std::vector<MenuItem*> visible_submenu() const;

  std::vector<MenuRow> rows_;  // visible rows only
  int row_ = -1;
  bool submenu_open_ = false;
  int submenu_row_ = -1;
};

}  // namespace tw
