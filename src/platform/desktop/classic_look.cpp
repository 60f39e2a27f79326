#include "platform/desktop/classic_look.h"

#include <array>

namespace tw {

namespace {

void put(Image& image, int x, int y, Pixel colour) {
  if (x >= 0 && y >= 0 && x < image.width && y < image.height) image.at(x, y) = colour;
}

void draw_mask(Image& image, const char* const* rows, int row_count, int x, int y, Pixel colour) {
  for (int row = 0; row < row_count; ++row) {
    for (int column = 0; rows[row][column] != '\0'; ++column) {
      if (rows[row][column] == '#') put(image, x + column, y + row, colour);
    }
  }
}

}  // namespace

void draw_raised_edge(Image& image, const Rect& rect) {
  const int right = rect.x + rect.width - 1;
  const int bottom = rect.y + rect.height - 1;
  fill_rect(image, {rect.x, rect.y, rect.width, 1}, kFaceGrey);
  fill_rect(image, {rect.x, rect.y, 1, rect.height}, kFaceGrey);
  fill_rect(image, {rect.x + 1, rect.y + 1, rect.width - 2, 1}, kHighlightWhite);
  fill_rect(image, {rect.x + 1, rect.y + 1, 1, rect.height - 2}, kHighlightWhite);
  fill_rect(image, {rect.x, bottom, rect.width, 1}, kFrameBlack);
  fill_rect(image, {right, rect.y, 1, rect.height}, kFrameBlack);
  fill_rect(image, {rect.x + 1, bottom - 1, rect.width - 2, 1}, kShadowGrey);
  fill_rect(image, {right - 1, rect.y + 1, 1, rect.height - 2}, kShadowGrey);
}

void draw_text(Image& image, Fonts& fonts, const FontSpec& font, TextView text, int x, int y, Pixel colour) {
  const Coverage glyphs = fonts.render(font, text, kScreenPixelsPerInch);
  blend_coverage(image, glyphs, x, y, colour, {0, 0, image.width, image.height});
}

TextSize measure_text(Fonts& fonts, const FontSpec& font, TextView text) {
  const Coverage glyphs = fonts.render(font, text.empty() ? TextView(U" ") : text, kScreenPixelsPerInch);
  return {text.empty() ? 0 : glyphs.width, glyphs.height};
}

void draw_check_mark(Image& image, int x, int y, Pixel colour) {
  static constexpr std::array<const char*, 7> kRows = {
      "......#", ".....##", "#...###", "##.###.", "#####..", ".###...", "..#....",
  };
  draw_mask(image, kRows.data(), static_cast<int>(kRows.size()), x, y, colour);
}

void draw_submenu_arrow(Image& image, int x, int y, Pixel colour) {
  static constexpr std::array<const char*, 7> kRows = {
      "#...", "##..", "###.", "####", "###.", "##..", "#...",
  };
  draw_mask(image, kRows.data(), static_cast<int>(kRows.size()), x, y, colour);
}

}  // namespace tw
