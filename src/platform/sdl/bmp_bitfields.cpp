#include "platform/sdl/bmp_bitfields.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "platform/sdl/sdl_pictures.h"

namespace tw {
namespace {

constexpr std::size_t kInfoOffset = 14;
constexpr std::size_t kMasksOffset = 54;  // after a 40-byte header, or inside a longer one
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphabitfields = 6;
// Windows headers only: OS/2 2.x headers give compression 3 another meaning.
constexpr std::array kWindowsInfoSizes{40u, 52u, 56u, 108u, 124u};

std::uint32_t little(std::span<const unsigned char> bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
  return value;
}

std::uint32_t scaled(std::uint32_t value, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const std::uint64_t top = mask >> shift;
  const std::uint64_t channel = (value & mask) >> shift;
  return static_cast<std::uint32_t>((channel * 255 + top / 2) / top);
}

}  // namespace

std::optional<Image> decode_bmp_bitfields(std::span<const unsigned char> file) {
  if (file.size() < kMasksOffset + 12) return std::nullopt;
  const std::uint32_t info_size = little(file, kInfoOffset, 4);
  const long long width = static_cast<std::int32_t>(little(file, 18, 4));
  const long long signed_height = static_cast<std::int32_t>(little(file, 22, 4));
  const std::uint32_t bits = little(file, 28, 2);
  const std::uint32_t compression = little(file, 30, 4);
  const long long height = signed_height < 0 ? -signed_height : signed_height;
  if (std::find(kWindowsInfoSizes.begin(), kWindowsInfoSizes.end(), info_size) == kWindowsInfoSizes.end() ||
      (bits != 16 && bits != 32) || (compression != kBiBitfields && compression != kBiAlphabitfields) ||
      width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide ||
      static_cast<std::size_t>(width * height) * sizeof(Pixel) > kMaxPictureBytes) {
    return std::nullopt;
  }
  const std::size_t bytes_per_pixel = bits / 8;
  const std::size_t stride = (static_cast<std::size_t>(width) * bytes_per_pixel + 3) / 4 * 4;
  const std::size_t data = little(file, 10, 4);
  if (data > file.size() || stride * static_cast<std::size_t>(height) > file.size() - data)
    return std::nullopt;

  const std::uint32_t red = little(file, kMasksOffset, 4);
  const std::uint32_t green = little(file, kMasksOffset + 4, 4);
  const std::uint32_t blue = little(file, kMasksOffset + 8, 4);
  Image image(static_cast<int>(width), static_cast<int>(height));
  for (int y = 0; y < image.height; ++y) {
    const int row = signed_height < 0 ? y : image.height - 1 - y;  // bottom-up unless the height is negative
    const std::size_t start = data + static_cast<std::size_t>(row) * stride;
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t value =
          little(file, start + x * bytes_per_pixel, static_cast<int>(bytes_per_pixel));
      image.at(x, y) = scaled(value, red) << 16 | scaled(value, green) << 8 | scaled(value, blue);
    }
  }
  return image;
}

}  // namespace tw
