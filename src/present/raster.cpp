#include "present/raster.h"

#include <algorithm>

namespace tw {

namespace {

Rect bounds(const Image& image) { return {0, 0, image.width, image.height}; }

Pixel mix(Pixel under, Pixel over, unsigned alpha) {
  Pixel out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const unsigned a = (under >> shift) & 0xFF;
    const unsigned b = (over >> shift) & 0xFF;
    out |= ((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
  }
  return out;
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
    const Pixel* source = picture.pixels.data() + static_cast<std::size_t>(row - y) * picture.width + (area.x - x);
    std::copy_n(source, area.width, &target.at(area.x, row));
  }
}

void fill_rect(Image& target, const Rect& rect, Pixel colour) {
  const Rect area = intersect(rect, bounds(target));
  for (int row = area.y; row < area.y + area.height; ++row) {
    std::fill_n(&target.at(area.x, row), area.width, colour);
  }
}

void blend_coverage(Image& target, const Coverage& glyphs, int x, int y, Pixel colour,
                    const Rect& clip) {
  const Rect area =
      intersect(intersect({x, y, glyphs.width, glyphs.height}, clip), bounds(target));
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

}  // namespace tw
