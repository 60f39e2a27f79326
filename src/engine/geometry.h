#pragma once

#include <vector>

namespace tw {

// Window geometry is kept in twips, as the window system of the games'
// authoring tool did: 15 twips are one pixel on a 96 dpi screen.
constexpr int kTwipsPerPixel = 15;

// Twips to whole pixels: to the nearest pixel, halves to the even neighbour,
// the rounding every drawing of the engine uses.
int to_pixels(double twips, int twips_per_pixel = kTwipsPerPixel);

struct TilePosition {
  long x = 0;  // twips
  long y = 0;
};

// Where the background tile is painted over a window of the given size, all
// in twips. A row ends only once x has passed the window's width, so every
// row also paints a tile whose left edge lies on the right border.
// Positions are wide integers: on screens over 2184 pixels wide a 16-bit
// twips position would overflow and the game could not start.
std::vector<TilePosition> tile_positions(double window_width, double window_height, long tile_width,
                                         long tile_height);

}  // namespace tw
