#pragma once

#include "base/image.h"
#include "platform/pictures_and_fonts.h"
#include "present/raster.h"

namespace tw {

// The colours of a classic grey desktop.
constexpr Pixel kFaceGrey = 0xC0C0C0;
constexpr Pixel kShadowGrey = 0x808080;
constexpr Pixel kHighlightWhite = 0xFFFFFF;
constexpr Pixel kFrameBlack = 0x000000;
constexpr Pixel kSelectionBlue = 0x000080;
constexpr Pixel kTextBlack = 0x000000;
constexpr Pixel kGreyedText = 0x808080;

// Screen pixels per inch at 15 twips per pixel.
constexpr int kScreenPixelsPerInch = 96;

// A raised 3D edge two pixels wide: light above and left, dark below and
// right. The inside is left as it is.
void draw_raised_edge(Image& image, const Rect& rect);

// One line of text with its top-left corner at (x, y).
void draw_text(Image& image, Fonts& fonts, const FontSpec& font, TextView text, int x, int y, Pixel colour);

// The size of one line of text.
struct TextSize {
  int width = 0;
  int height = 0;
};
TextSize measure_text(Fonts& fonts, const FontSpec& font, TextView text);

// The menu's check mark, 7 x 7, and the submenu arrow, 4 x 7.
void draw_check_mark(Image& image, int x, int y, Pixel colour);
void draw_submenu_arrow(Image& image, int x, int y, Pixel colour);

}  // namespace tw
