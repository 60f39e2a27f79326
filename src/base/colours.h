#pragma once

#include <cstdint>

#include "base/image.h"

namespace tw {

// A colour as controls hold it: 0x00BBGGRR, or a system colour written as
// 0x80000000 plus the platform's colour index.
using Colour = std::uint32_t;

constexpr Colour kSystemHighlightText = 0x8000000E;  // white on this platform
constexpr Colour kSystemButtonText = 0x80000012;     // black on this platform
constexpr Colour kSystemButtonFace = 0x8000000F;     // light grey on this platform
constexpr Colour kBlack = 0x000000;
constexpr Colour kWhite = 0xFFFFFF;

// The 32-bit surface pixel (0x00RRGGBB) that shows a control colour.
constexpr Pixel pixel_of(Colour colour) {
  if (colour & 0x80000000u) {
    if (colour == kSystemButtonText) return 0x000000u;
    if (colour == kSystemButtonFace) return 0xC0C0C0u;
    return 0xFFFFFFu;
  }
  const std::uint32_t red = colour & 0xFF;
  const std::uint32_t green = (colour >> 8) & 0xFF;
  const std::uint32_t blue = (colour >> 16) & 0xFF;
  return (red << 16) | (green << 8) | blue;
}

}  // namespace tw
