#include "check/line_width.h"

#include "engine/compositor.h"
#include "engine/geometry.h"

namespace tw {

// The message labels of a window on the screen, whose twips per pixel both
// the desktop and the headless screen report as kTwipsPerPixel.
LineWidth::LineWidth(Fonts& fonts)
    : fonts_(fonts),
      font_(message_line_labels().font),
      width_(to_pixels(message_line_labels().width)),
      pixels_per_inch_(label_pixels_per_inch(kTwipsPerPixel)) {}

bool LineWidth::fits(TextView text) {
  const Coverage drawn = fonts_.render(font_, text, pixels_per_inch_);
  // Only pixels with ink count: the blank after the last glyph is not seen.
  for (int x = drawn.width - 1; x >= width_; --x) {
    for (int y = 0; y < drawn.height; ++y) {
      if (drawn.alpha[static_cast<std::size_t>(y) * drawn.width + x] != 0) return false;
    }
  }
  return true;
}

std::optional<Text> LineWidth::shown_part(TextView line) {
  const TextView drawn = drawn_line(line, width_);
  if (fits(drawn)) return std::nullopt;
  // A longer start is never narrower: the longest that fits lies between.
  std::size_t fitting = 0;
  std::size_t too_long = drawn.size();
  while (too_long - fitting > 1) {
    const std::size_t middle = fitting + (too_long - fitting) / 2;
    (fits(drawn.substr(0, middle)) ? fitting : too_long) = middle;
  }
  return Text(drawn.substr(0, fitting));
}

}  // namespace tw
