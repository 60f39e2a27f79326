#pragma once

#include <optional>
#include <span>

#include "base/image.h"

namespace tw {

// Decodes an uncompressed 16- or 32-bit BITFIELDS BMP whose channel masks
// SDL cannot express as a pixel format (unusual channel order or widths).
// Each channel is scaled to 8 bits, not shifted, so a 2-bit channel at full
// value is 255; alpha is dropped. nullopt for any other or damaged file.
std::optional<Image> decode_bmp_bitfields(std::span<const unsigned char> file);

}  // namespace tw
