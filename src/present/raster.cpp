#include "present/raster.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tw {

namespace {

Rect bounds(const Image& image) { return {0, 0, image.width, image.height}; }

const Pixel* pixel_ptr(const Image& image, int x, int y) {
  return image.pixels.data() + static_cast<std::size_t>(y) * image.width + x;
}

Pixel mix(Pixel under, Pixel over, unsigned alpha) {
  Pixel out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const unsigned a = (under >> shift) & 0xFF;
    const unsigned b = (over >> shift) & 0xFF;
    out |= ((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
  }
  return out;
}

// Applies `combine(source pixel, target pixel)` over `area` (target
// coordinates, already clipped to both images); the source pixel of a target
// pixel lies `dx`, `dy` away. A template, so the combination is inlined into
// the row loop; target and source never overlap, which lets the compiler
// vectorise the loop.
template <class Combine>
void combine_rows(Image& target, const Rect& area, const Image& source, int dx, int dy, Combine combine) {
  for (int row = area.y; row < area.y + area.height; ++row) {
    Pixel* __restrict out = &target.at(area.x, row);
    const Pixel* __restrict in = pixel_ptr(source, area.x + dx, row + dy);
    for (int i = 0; i < area.width; ++i) out[i] = combine(in[i], out[i]);
  }
}

}  // namespace

Rect intersect(const Rect& rect, const Rect& clip) {
  const int left = std::max(rect.x, clip.x);
  const int top = std::max(rect.y, clip.y);
  const int right = std::min(rect.x + rect.width, clip.x + clip.width);
  const int bottom = std::min(rect.y + rect.height, clip.y + clip.height);
  if (right <= left || bottom <= top) return {left, top, 0, 0};
  return {left, top, right - left, bottom - top};
}

void paint_picture(Image& target, const Image& picture, int x, int y) {
  paint_picture(target, picture, x, y, bounds(target));
}

void paint_picture(Image& target, const Image& picture, int x, int y, const Rect& clip) {
  const Rect area = intersect(intersect({x, y, picture.width, picture.height}, clip), bounds(target));
  for (int row = area.y; row < area.y + area.height; ++row) {
    const Pixel* source =
        picture.pixels.data() + static_cast<std::size_t>(row - y) * picture.width + (area.x - x);
    std::copy_n(source, area.width, &target.at(area.x, row));
  }
}

void fill_rect(Image& target, const Rect& rect, Pixel colour) {
  const Rect area = intersect(rect, bounds(target));
  for (int row = area.y; row < area.y + area.height; ++row) {
    std::fill_n(&target.at(area.x, row), area.width, colour);
  }
}

void blend_coverage(Image& target, const Coverage& glyphs, int x, int y, Pixel colour, const Rect& clip) {
  const Rect area = intersect(intersect({x, y, glyphs.width, glyphs.height}, clip), bounds(target));
  for (int row = area.y; row < area.y + area.height; ++row) {
    const std::uint8_t* alpha = &glyphs.alpha[static_cast<std::size_t>(row - y) * glyphs.width];
    for (int col = area.x; col < area.x + area.width; ++col) {
      const unsigned a = alpha[col - x];
      if (a == 0) continue;
      Pixel& pixel = target.at(col, row);
      pixel = a == 255 ? colour : mix(pixel, colour, a);
    }
  }
}

void bit_blt(Image& target, int x, int y, int w, int h, const Image& source, int sx, int sy, RasterOp op) {
  // Clipped in 64 bits: positions come from game data and may lie far off.
  using Wide = long long;
  const Wide dx = Wide{sx} - x;
  const Wide dy = Wide{sy} - y;
  const Wide left = std::max({Wide{x}, Wide{0}, -dx});
  const Wide top = std::max({Wide{y}, Wide{0}, -dy});
  const Wide right = std::min({Wide{x} + std::max(w, 0), Wide{target.width}, source.width - dx});
  const Wide bottom = std::min({Wide{y} + std::max(h, 0), Wide{target.height}, source.height - dy});
  if (right <= left || bottom <= top) return;
  const Rect area{int(left), int(top), int(right - left), int(bottom - top)};
  switch (op) {
    case RasterOp::SrcCopy:
      for (int row = area.y; row < area.y + area.height; ++row) {
        std::copy_n(pixel_ptr(source, area.x + int(dx), row + int(dy)), area.width, &target.at(area.x, row));
      }
      break;
    case RasterOp::SrcErase:
      combine_rows(target, area, source, int(dx), int(dy), [](Pixel s, Pixel d) { return s & ~d; });
      break;
    case RasterOp::SrcInvert:
      combine_rows(target, area, source, int(dx), int(dy), [](Pixel s, Pixel d) { return s ^ d; });
      break;
  }
}

void erase_beyond_mask(Image& target, int x, int y, int w, int h, const Image& picture, const Image& mask) {
  constexpr Pixel kErased = 0;  // a black mask pixel AND (NOT D)
  const int drawn_w = std::min(w, picture.width);
  const int drawn_h = std::min(h, picture.height);
  // Right of the mask over the whole drawn height, then below it; a band of
  // no width fills nothing.
  fill_rect(target, {x + mask.width, y, drawn_w - mask.width, drawn_h}, kErased);
  fill_rect(target, {x, y + mask.height, std::min(drawn_w, mask.width), drawn_h - mask.height}, kErased);
}

void paint_scaled(Image& target, const Rect& area, const Image& picture) {
  if (picture.empty() || area.width <= 0 || area.height <= 0) return;
  const Rect visible = intersect(area, bounds(target));
  if (visible.width <= 0 || visible.height <= 0) return;
  // Target pixel i of n has its centre at (i + 1/2) / n of the way across,
  // which falls on picture pixel floor((2i + 1) * size / 2n).
  const auto nearest = [](long long i, long long size, long long n) {
    return static_cast<int>((2 * i + 1) * size / (2 * n));
  };
  std::vector<int> columns(static_cast<std::size_t>(visible.width));
  for (int col = 0; col < visible.width; ++col) {
    columns[static_cast<std::size_t>(col)] = nearest(visible.x + col - area.x, picture.width, area.width);
  }
  for (int row = visible.y; row < visible.y + visible.height; ++row) {
    const Pixel* in = pixel_ptr(picture, 0, nearest(row - area.y, picture.height, area.height));
    Pixel* out = &target.at(visible.x, row);
    for (int col = 0; col < visible.width; ++col) out[col] = in[columns[static_cast<std::size_t>(col)]];
  }
}

}  // namespace tw
