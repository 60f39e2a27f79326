#include "sound/wave_file.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "base/failure.h"

namespace tw {
namespace {

// Sound effects of the games are short; a larger file is damaged or not
// meant for us, and would otherwise grow fourfold once converted to float.
constexpr std::uintmax_t kMaxWaveFileBytes = std::uintmax_t{64} << 20;

std::vector<unsigned char> read_bytes(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) fail_wave_read(file, "ファイルがありません");
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error) fail_wave_read(file, error.message());
  if (size > kMaxWaveFileBytes) fail_wave_read(file, "ファイルが大きすぎます");
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  std::ifstream in(file, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    fail_wave_read(file, "読みだせません");
  }
  return bytes;
}

std::uint32_t little(const std::vector<unsigned char>& bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
  return value;
}

void put_little(std::vector<unsigned char>& bytes, std::size_t at, int count, std::uint32_t value) {
  for (int i = 0; i < count; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// Some writers leave the block alignment and byte rate of plain PCM at zero;
// both follow from the channels and bits, so they are filled in rather than
// losing the sound to SDL's check.
void repair_pcm_format(std::vector<unsigned char>& bytes, std::size_t fields) {
  constexpr std::uint32_t kWaveFormatPcm = 1;
  const std::uint32_t tag = little(bytes, fields, 2);
  const std::uint32_t channels = little(bytes, fields + 2, 2);
  const std::uint32_t rate = little(bytes, fields + 4, 4);
  const std::uint32_t bits = little(bytes, fields + 14, 2);
  if (tag != kWaveFormatPcm || little(bytes, fields + 12, 2) != 0 || bits % 8 != 0) return;
  const std::uint32_t block = channels * (bits / 8);
  put_little(bytes, fields + 12, 2, block);
  put_little(bytes, fields + 8, 4, rate * block);
}

// Mends what SDL's loader would refuse or believe: a PCM format without its
// derived fields, and a sound chunk that claims more bytes than the file
// holds (SDL would allocate the claimed size, up to 4 GB, for a cut file).
void repair_header(std::vector<unsigned char>& bytes) {
  constexpr std::size_t kFirstChunk = 12;
  constexpr std::size_t kChunkHeader = 8;
  constexpr std::size_t kPcmFormatBytes = 16;
  if (bytes.size() < kFirstChunk || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    return;
  }
  // Chunks are walked to the end of the file, not of the RIFF size: that
  // size is often wrong, and SDL does not trust it either.
  std::size_t at = kFirstChunk;
  while (bytes.size() - at >= kChunkHeader) {
    const std::uint32_t size = little(bytes, at + 4, 4);
    const std::size_t fields = at + kChunkHeader;
    if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && size >= kPcmFormatBytes &&
        bytes.size() - fields >= kPcmFormatBytes) {
      repair_pcm_format(bytes, fields);
    }
    if (std::memcmp(bytes.data() + at, "data", 4) == 0 && size > bytes.size() - fields) {
      put_little(bytes, at + 4, 4, static_cast<std::uint32_t>(bytes.size() - fields));
      return;
    }
    const std::uint64_t next = std::uint64_t{at} + kChunkHeader + size + size % 2;
    if (next > bytes.size()) return;
    at = static_cast<std::size_t>(next);
  }
}

}  // namespace

void fail_wave_read(const std::filesystem::path& file, const std::string& reason) {
  throw Failure("WAVファイルを読めません: " + file.string() + " (" + reason + ")");
}

std::vector<unsigned char> read_wave_bytes(const std::filesystem::path& file) {
  std::vector<unsigned char> bytes = read_bytes(file);
  repair_header(bytes);
  return bytes;
}

}  // namespace tw
