#include "platform/desktop/popup_menu.h"

#include <algorithm>

#include "platform/desktop/classic_look.h"

namespace tw {

namespace {

const FontSpec kMenuFont{U"ＭＳ Ｐ明朝", 9.0, false};
constexpr int kEdge = 3;          // the raised edge and one pixel of face
constexpr int kCheckColumn = 18;  // left of the caption: the check mark
constexpr int kArrowColumn = 20;  // right of the caption: the submenu arrow
constexpr int kMinimumRowHeight = 17;
constexpr int kRowPadding = 6;
constexpr int kSubmenuOverlap = 3;  // a submenu covers its menu's edge

}  // namespace

PopupMenu::Panel PopupMenu::lay_out(const std::vector<Row>& rows, int x, int y, int flip_x) const {
  Panel panel;
  int text_width = 0;
  int row_height = kMinimumRowHeight;
  for (const Row& row : rows) {
    const TextSize size = measure_text(fonts_, kMenuFont, row.item->Caption);
    text_width = std::max(text_width, size.width);
    row_height = std::max(row_height, size.height + kRowPadding);
  }
  const int width = 2 * kEdge + kCheckColumn + text_width + kArrowColumn;
  const int height = 2 * kEdge + row_height * static_cast<int>(rows.size());
  // Turned left or up where the screen ends, as desktop menus are.
  if (x + width > screen_width_) x = flip_x - width;
  if (y + height > screen_height_) y = std::max(0, screen_height_ - height);
  panel.rect = {std::max(0, x), y, width, height};
  int top = panel.rect.y + kEdge;
  for (Row row : rows) {
    row.rect = {panel.rect.x + kEdge, top, width - 2 * kEdge, row_height};
    panel.rows.push_back(row);
    top += row_height;
  }
  return panel;
}

void PopupMenu::open(std::vector<MenuRow> menu, int x, int y, int screen_width, int screen_height) {
  menu_ = std::move(menu);
  screen_width_ = screen_width;
  screen_height_ = screen_height;
  std::vector<Row> rows;
  for (const MenuRow& row : menu_) {
    if (row.item->Visible) rows.push_back({row.item, row.submenu.empty() ? nullptr : &row.submenu, {}});
  }
  panels_.clear();
  if (rows.empty()) return;
  // A menu at the bottom of the screen opens upwards from the mouse.
  Panel panel = lay_out(rows, x, y, x);
  if (y + panel.rect.height > screen_height) panel = lay_out(rows, x, std::max(0, y - panel.rect.height), x);
  panels_.push_back(std::move(panel));
  cursor_.open(menu_);
  armed_ = false;
  opened_x_ = x;
  opened_y_ = y;
}

void PopupMenu::close() {
  panels_.clear();
  menu_.clear();
}

void PopupMenu::open_submenu(int row) {
  if (panels_.size() > 1) return;
  std::vector<Row> rows;
  for (MenuItem* item : *panels_[0].rows[row].submenu) {
    if (item->Visible) rows.push_back({item, nullptr, {}});
  }
  if (rows.empty()) return;
  const Rect& parent = panels_[0].rect;
  panels_.push_back(lay_out(rows, parent.x + parent.width - kSubmenuOverlap,
                            panels_[0].rows[row].rect.y - kEdge, parent.x + kSubmenuOverlap));
}

PopupMenu::Hit PopupMenu::hit(int x, int y) const {
  // The submenu lies over the menu.
  for (int p = static_cast<int>(panels_.size()) - 1; p >= 0; --p) {
    const Panel& panel = panels_[p];
    if (!panel.rect.contains(x, y)) continue;
    for (int r = 0; r < static_cast<int>(panel.rows.size()); ++r) {
      if (panel.rows[r].rect.contains(x, y)) return {p, r};
    }
    return {p, -1};
  }
  return {};
}

bool PopupMenu::mouse_move(int x, int y) {
  if (!is_open()) return false;
  if (x != opened_x_ || y != opened_y_) armed_ = true;
  const std::vector<Panel> before = panels_;
  const Hit at = hit(x, y);
  if (at.panel == 0) {
    panels_[0].hover = at.row;
    const bool on_submenu_row = at.row >= 0 && panels_[0].rows[at.row].submenu != nullptr;
    if (on_submenu_row && panels_[0].rows[at.row].item->Enabled) {
      open_submenu(at.row);
    } else if (at.row >= 0) {
      panels_.resize(1);
    }
  } else if (at.panel == 1) {
    panels_[1].hover = at.row;
  } else {
    // Off the menu: an open submenu keeps its row in the menu lit.
    panels_.back().hover = -1;
  }
  if (before.size() != panels_.size()) return true;
  for (std::size_t p = 0; p < panels_.size(); ++p) {
    if (before[p].hover != panels_[p].hover) return true;
  }
  return false;
}

bool PopupMenu::mouse_down(int x, int y) {
  if (!is_open()) return false;
  armed_ = true;
  if (hit(x, y).panel >= 0) return false;
  close();
  return true;
}

// The keys start from wherever the mouse left the highlight.
bool PopupMenu::key(std::string_view key, MenuItem*& taken) {
  taken = nullptr;
  if (!is_open()) return false;
  cursor_.set(panels_[0].hover, panels_.size() > 1, panels_.size() > 1 ? panels_[1].hover : -1);
  const MenuCursor::Result result = cursor_.key(key);
  switch (result.outcome) {
    case MenuCursor::Outcome::Ignored:
      return false;
    case MenuCursor::Outcome::Closed:
    case MenuCursor::Outcome::Taken:
      taken = result.taken;
      close();
      return true;
    case MenuCursor::Outcome::Moved:
      break;
  }
  panels_[0].hover = cursor_.row();
  if (!cursor_.submenu_open()) {
    panels_.resize(1);
  } else {
    if (panels_.size() == 1) open_submenu(cursor_.row());
    if (panels_.size() > 1) panels_[1].hover = cursor_.submenu_row();
  }
  armed_ = true;
  return true;
}

MenuItem* PopupMenu::mouse_up(int x, int y) {
  if (!is_open() || !armed_) return nullptr;
  const Hit at = hit(x, y);
  if (at.row < 0) return nullptr;
  const Row& row = panels_[at.panel].rows[at.row];
  if (!row.item->Enabled) return nullptr;
  if (row.submenu != nullptr) {
    open_submenu(at.row);
    return nullptr;
  }
  MenuItem* taken = row.item;
  close();
  return taken;
}

void PopupMenu::draw(Image& screen) const {
  for (const Panel& panel : panels_) draw_panel(screen, panel);
}

void PopupMenu::draw_panel(Image& screen, const Panel& panel) const {
  fill_rect(screen, panel.rect, kFaceGrey);
  draw_raised_edge(screen, panel.rect);
  for (int r = 0; r < static_cast<int>(panel.rows.size()); ++r) {
    const Row& row = panel.rows[r];
    const MenuItem& item = *row.item;
    const bool lit = r == panel.hover;
    if (lit) fill_rect(screen, row.rect, kSelectionBlue);
    const Pixel ink = !item.Enabled ? kGreyedText : lit ? kHighlightWhite : kTextBlack;
    const TextSize size = measure_text(fonts_, kMenuFont, item.Caption);
    const int text_x = row.rect.x + kCheckColumn;
    const int text_y = row.rect.y + (row.rect.height - size.height) / 2;
    const int mark_y = row.rect.y + (row.rect.height - 7) / 2;
    // Greyed captions are etched: a white copy one pixel down and right.
    if (!item.Enabled && !lit)
      draw_text(screen, fonts_, kMenuFont, item.Caption, text_x + 1, text_y + 1, kHighlightWhite);
    draw_text(screen, fonts_, kMenuFont, item.Caption, text_x, text_y, ink);
    if (item.Checked) draw_check_mark(screen, row.rect.x + 6, mark_y, ink);
    if (row.submenu != nullptr) draw_submenu_arrow(screen, row.rect.x + row.rect.width - 12, mark_y, ink);
  }
}

}  // namespace tw
