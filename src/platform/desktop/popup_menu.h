#pragma once

#include <string_view>
#include <vector>

#include "base/image.h"
#include "platform/menu_cursor.h"
#include "platform/pictures_and_fonts.h"
#include "platform/platform.h"
#include "present/raster.h"

namespace tw {

// The popup menu GAME as the desktop shows it: drawn into the screen image
// in engine pixels, in the look of a classic grey desktop menu. The items'
// captions, check marks and states are read from the engine's menu items
// whenever the menu is drawn, so the rows handed at opening stay current.
class PopupMenu {
 public:
  explicit PopupMenu(Fonts& fonts) : fonts_(fonts) {}

  // Opens the menu with its corner at (x, y), turned left or up where it
  // would leave a screen of the given size. Hidden items are left out.
  void open(std::vector<MenuRow> rows, int x, int y, int screen_width, int screen_height);
  void close();
  bool is_open() const { return !panels_.empty(); }

  // Each returns whether the menu's look changed.
  bool mouse_move(int x, int y);
  // A button pressed: outside the menu it closes the menu.
  bool mouse_down(int x, int y);
  // A key pressed in the menu (see MenuCursor). Returns whether the menu's
  // look changed; `taken` is set to the item taken, if any, and the menu
  // is then closed.
  bool key(std::string_view key, MenuItem*& taken);

  // A button released: the item under the mouse, if one may be taken; the
  // menu is then closed. A release before the mouse has moved or a button
  // was pressed in the menu takes nothing: it ends the opening click.
  MenuItem* mouse_up(int x, int y);

  void draw(Image& screen) const;

 private:
  struct Row {
    MenuItem* item = nullptr;
    const std::vector<MenuItem*>* submenu = nullptr;  // in menu_, when the row opens one
    Rect rect;
  };
  struct Panel {
    Rect rect;
    std::vector<Row> rows;
    int hover = -1;
  };
  struct Hit {
    int panel = -1;
    int row = -1;
  };

  Panel lay_out(const std::vector<Row>& rows, int x, int y, int flip_x) const;
  Hit hit(int x, int y) const;
  void open_submenu(int row);
  void draw_panel(Image& screen, const Panel& panel) const;

  Fonts& fonts_;
  std::vector<MenuRow> menu_;
  int screen_width_ = 0;
  int screen_height_ = 0;
  std::vector<Panel> panels_;  // the menu, then its open submenu
  MenuCursor cursor_;
  bool armed_ = false;
  int opened_x_ = 0;
  int opened_y_ = 0;
};

}  // namespace tw
