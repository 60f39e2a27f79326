#pragma once

#include "base/image.h"

namespace tw {

// The two built-in 640 x 150 pictures of the message window's panel, both a
// checkerboard whose pixels with x + y even are white. In the mask the odd
// pixels are black; in the colour picture they are the panel's blue.
constexpr int kPanelWidth = 640;
constexpr int kPanelHeight = 150;

Image panel_mask();
Image panel_colour();

}  // namespace tw
