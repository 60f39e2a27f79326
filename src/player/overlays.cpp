#include "player/overlays.h"

#include <algorithm>
#include <array>
#include <utility>

#include "present/raster.h"

namespace tw {

namespace {

constexpr int kMargin = 8;
constexpr int kPadding = 6;
constexpr int kColumnGap = 16;
constexpr int kLineGap = 3;
constexpr Pixel kInk = 0xFFFFFF;

// Darkens what lies under a box to a quarter, so light text reads on any
// picture.
void veil(Image& screen, const Rect& area) {
  const Rect inside = intersect(area, {0, 0, screen.width, screen.height});
  for (int y = inside.y; y < inside.y + inside.height; ++y) {
    for (int x = inside.x; x < inside.x + inside.width; ++x) {
      Pixel& pixel = screen.at(x, y);
      pixel = pixel >> 2 & 0x3F3F3F;
    }
  }
}

Coverage render(Fonts& fonts, const OverlayFont& font, TextView text) {
  return fonts.render(font.font, text, font.pixels_per_inch);
}

int line_height(const OverlayFont& font, const Coverage& rendered) {
  return std::max(rendered.height, font.pixels_per_inch * static_cast<int>(font.font.points) / 72);
}

// The box's place in `area`, or in the screen when the area is empty.
Rect placed(const Image& screen, const Rect& area) {
  return area.width > 0 && area.height > 0 ? area : Rect{0, 0, screen.width, screen.height};
}

using HelpLine = std::pair<const char32_t*, const char32_t*>;

constexpr std::array kHelp{
    HelpLine{U"Enter・Space・ホイール下", U"次へ進む"},
    HelpLine{U"↑↓・1〜4", U"選択肢を選ぶ"},
    HelpLine{U"Esc・右クリック", U"メニュー"},
    HelpLine{U"Ctrl（押している間）", U"スキップ"},
    HelpLine{U"Tab", U"既読スキップ"},
    HelpLine{U"A", U"オート"},
    HelpLine{U"ホイール上・PageUp", U"履歴"},
    HelpLine{U"H", U"ウインドウを消す"},
    HelpLine{U"F11・Alt+Enter", U"フルスクリーン切り替え"},
    HelpLine{U"F12", U"スクリーンショット"},
    HelpLine{U"+・-・M", U"音量・消音"},
    HelpLine{U"F1", U"このヘルプ"},
};

}  // namespace

void draw_badge(Image& screen, Fonts& fonts, const OverlayFont& font, TextView text, Corner corner,
                const Rect& area) {
  const Rect in = placed(screen, area);
  const Coverage rendered = render(fonts, font, text);
  const int height = line_height(font, rendered) + 2 * kPadding;
  const int width = rendered.width + 2 * kPadding;
  const int x = corner == Corner::TopLeft ? in.x + kMargin : in.x + in.width - kMargin - width;
  const Rect box{x, in.y + kMargin, width, height};
  veil(screen, box);
  blend_coverage(screen, rendered, box.x + kPadding, box.y + kPadding, kInk, box);
}

void draw_help(Image& screen, Fonts& fonts, const OverlayFont& font, const Rect& area) {
  const Rect in = placed(screen, area);
  std::vector<std::pair<Coverage, Coverage>> lines;
  int key_width = 0;
  int text_width = 0;
  int height = 0;
  for (const auto& [keys, meaning] : kHelp) {
    lines.emplace_back(render(fonts, font, keys), render(fonts, font, meaning));
    key_width = std::max(key_width, lines.back().first.width);
    text_width = std::max(text_width, lines.back().second.width);
    height += line_height(font, lines.back().first) + kLineGap;
  }
  const int width = key_width + kColumnGap + text_width + 4 * kPadding;
  height += 4 * kPadding;
  const Rect box{in.x + (in.width - width) / 2, in.y + (in.height - height) / 2, width, height};
  veil(screen, box);
  int top = box.y + 2 * kPadding;
  for (const auto& [keys, meaning] : lines) {
    const int left = box.x + 2 * kPadding;
    blend_coverage(screen, keys, left, top, kInk, box);
    blend_coverage(screen, meaning, left + key_width + kColumnGap, top, kInk, box);
    top += line_height(font, keys) + kLineGap;
  }
}

}  // namespace tw
