#pragma once

#include "base/image.h"

namespace tw {

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
  bool operator==(const Rect&) const = default;
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
void blend_coverage(Image& target, const Coverage& glyphs, int x, int y, Pixel colour, const Rect& clip);

// The raster operations of the engine's drawing, on the whole 32-bit pixel
// word (the unused top byte included), with S the source and D the target
// pixel: SrcErase gives S AND (NOT D), SrcInvert gives S XOR D.
enum class RasterOp { SrcCopy, SrcErase, SrcInvert };

// Combines the w x h rectangle of `source` at (sx, sy) into `target` at
// (x, y). Only pixels whose target and source positions both lie inside
// their images take part; every other target pixel stays as it is. Target
// and source are distinct images.
void bit_blt(Image& target, int x, int y, int w, int h, const Image& source, int sx, int sy, RasterOp op);

// The erase step of drawing `picture` through `mask` with its top-left
// corner at (x, y), for the part of the w x h rectangle that the picture
// covers and a smaller mask does not: a missing mask pixel counts as black,
// so the target turns black there and the picture then covers it.
void erase_beyond_mask(Image& target, int x, int y, int w, int h, const Image& picture, const Image& mask);

// Paints `picture` opaquely, stretched or shrunk to `area` of `target` by
// taking for each target pixel the picture pixel nearest to its centre;
// what falls outside the target is not drawn.
void paint_scaled(Image& target, const Rect& area, const Image& picture);

}  // namespace tw
