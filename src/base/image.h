#pragma once

#include <cstdint>
#include <vector>

namespace tw {

// A 32-bit pixel as the platform's 32-bit surfaces hold it: 0x00RRGGBB, the
// top byte unused by the display but kept by raster operations.
using Pixel = std::uint32_t;

// A picture in memory: the content of a picture surface, a loaded picture
// file, or the screen.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<Pixel> pixels;  // row-major, width * height

  Image() = default;
  Image(int w, int h, Pixel fill = 0) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

  bool empty() const { return width <= 0 || height <= 0; }
  Pixel& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  Pixel at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Text drawn by a font: how much of each pixel the glyphs cover, 0..255.
struct Coverage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> alpha;  // row-major, width * height
};

}  // namespace tw
