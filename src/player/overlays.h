#pragma once

#include "base/image.h"
#include "base/text.h"
#include "platform/pictures_and_fonts.h"
#include "present/raster.h"

namespace tw {

// The player's own marks over the game: small badges that say what is on
// (skip, auto, the history, the volume, a screenshot taken) and the help.
// They are drawn in the game's own message font, light on a dark veil.
struct OverlayFont {
  FontSpec font;
  int pixels_per_inch = 96;
};

enum class Corner { TopLeft, TopRight };

// A badge in a corner of `area` (the main picture, where the player looks).
void draw_badge(Image& screen, Fonts& fonts, const OverlayFont& font, TextView text, Corner corner,
                const Rect& area);
// The keys and what they do, in a box in the middle of `area`.
void draw_help(Image& screen, Fonts& fonts, const OverlayFont& font, const Rect& area);

}  // namespace tw
