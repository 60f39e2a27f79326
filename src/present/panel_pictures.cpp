#include "present/panel_pictures.h"

#include "base/colours.h"

namespace tw {

namespace {

constexpr Colour kPanelBlue = 0x00FF8000;  // red 0, green 128, blue 255

Image checkerboard(Pixel odd) {
  Image image(kPanelWidth, kPanelHeight, pixel_of(kWhite));
  for (int y = 0; y < kPanelHeight; ++y) {
    for (int x = 1 - y % 2; x < kPanelWidth; x += 2) image.at(x, y) = odd;
  }
  return image;
}

}  // namespace

Image panel_mask() { return checkerboard(pixel_of(kBlack)); }
Image panel_colour() { return checkerboard(pixel_of(kPanelBlue)); }

}  // namespace tw
