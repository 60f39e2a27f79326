#include "engine/controls.h"

#include <algorithm>

namespace tw {

void PictureBox::fit_surface(int width_px, int height_px) {
  width_px = std::max(width_px, 0);
  height_px = std::max(height_px, 0);
  if (width_px == surface.width && height_px == surface.height) return;
  Image resized(width_px, height_px, pixel_of(BackColor));
  const int keep_w = std::min(width_px, surface.width);
  const int keep_h = std::min(height_px, surface.height);
  for (int y = 0; y < keep_h; ++y) {
    std::copy_n(&surface.at(0, y), keep_w, &resized.at(0, y));
  }
  surface = std::move(resized);
}

}  // namespace tw
