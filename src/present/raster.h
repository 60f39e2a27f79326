#pragma once

#include "present/image.h"

namespace tw {

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool contains(int px, int py) const {
    return px >= x && py >= y && px < x + width && py < y + height;
  }
};

// The part of `rect` that lies inside both `rect` and `clip`.
Rect intersect(const Rect& rect, const Rect& clip);

// Copies `picture` opaquely with its top-left corner at (x, y) of `target`;
// what falls outside the target is not drawn.
void paint_picture(Image& target, const Image& picture, int x, int y);

// The same, but only inside `clip` (target coordinates).
void paint_picture(Image& target, const Image& picture, int x, int y, const Rect& clip);

void fill_rect(Image& target, const Rect& rect, Pixel colour);

// Draws `colour` through the glyph coverage at (x, y), inside `clip`.
void blend_coverage(Image& target, const Coverage& glyphs, int x, int y, Pixel colour,
                    const Rect& clip);

}  // namespace tw
