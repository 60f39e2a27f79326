#include "engine/geometry.h"

#include <cfenv>
#include <cmath>

namespace tw {

int to_pixels(double twips, int twips_per_pixel) {
  // nearbyint rounds halves to even under the default rounding mode.
  return static_cast<int>(std::nearbyint(twips / twips_per_pixel));
}

std::vector<TilePosition> tile_positions(double window_width, double window_height, long tile_width,
                                         long tile_height) {
  std::vector<TilePosition> positions;
  if (tile_width <= 0 || tile_height <= 0) return positions;
  long x = 0;
  long y = 0;
  while (y < window_height) {
    positions.push_back({x, y});
    x += tile_width;
    if (x > window_width) {
      y += tile_height;
      x = 0;
    }
  }
  return positions;
}

}  // namespace tw
