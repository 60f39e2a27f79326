#pragma once

#include <optional>

#include "base/text.h"
#include "platform/pictures_and_fonts.h"

namespace tw {

// How much of a message line shows in its label: the line drawn as play
// draws it, in the labels' font at the resolution the screen is drawn at,
// and cut at the label's right edge.
class LineWidth {
 public:
  explicit LineWidth(Fonts& fonts);

  // The longest start of `line`, in whole characters, that shows in the
  // label; nothing when the whole line shows.
  std::optional<Text> shown_part(TextView line);

 private:
  // Whether every drawn pixel of `text` lies inside the label.
  bool fits(TextView text);

  Fonts& fonts_;
  FontSpec font_;
  int width_ = 0;  // pixels
  int pixels_per_inch_ = 0;
};

}  // namespace tw
