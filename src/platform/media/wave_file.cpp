#include "platform/media/wave_file.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "base/failure.h"
#include "platform/media/sdl_handles.h"

namespace tw {
namespace {

// Sound effects of the games are short; a larger file is damaged or not
// meant for us, and would otherwise grow fourfold once converted to float.
constexpr std::uintmax_t max_wave_file_bytes = std::uintmax_t{64} << 20;
// The mixer plays mono and stereo; files with more channels are folded
// down to stereo by SDL rather than refused.
constexpr int max_wave_channels = 2;

[[noreturn]] void fail_read(const std::filesystem::path& file, const std::string& reason) {
  throw Failure("WAVファイルを読めません: " + file.string() + " (" + reason + ")");
}

std::vector<unsigned char> read_bytes(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) fail_read(file, "ファイルがありません");
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error) fail_read(file, error.message());
  if (size > max_wave_file_bytes) fail_read(file, "ファイルが大きすぎます");
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  std::ifstream in(file, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    fail_read(file, "読みだせません");
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
  constexpr std::uint32_t wave_format_pcm = 1;
  const std::uint32_t tag = little(bytes, fields, 2);
  const std::uint32_t channels = little(bytes, fields + 2, 2);
  const std::uint32_t rate = little(bytes, fields + 4, 4);
  const std::uint32_t bits = little(bytes, fields + 14, 2);
  if (tag != wave_format_pcm || little(bytes, fields + 12, 2) != 0 || bits % 8 != 0) return;
  const std::uint32_t block = channels * (bits / 8);
  put_little(bytes, fields + 12, 2, block);
  put_little(bytes, fields + 8, 4, rate * block);
}

// Mends what SDL's loader would refuse or believe: a PCM format without its
// derived fields, and a sound chunk that claims more bytes than the file
// holds (SDL would allocate the claimed size, up to 4 GB, for a cut file).
void repair_header(std::vector<unsigned char>& bytes) {
  constexpr std::size_t first_chunk = 12;
  constexpr std::size_t chunk_header = 8;
  constexpr std::size_t pcm_format_bytes = 16;
  if (bytes.size() < first_chunk || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    return;
  }
  // Chunks are walked to the end of the file, not of the RIFF size: that
  // size is often wrong, and SDL does not trust it either.
  std::size_t at = first_chunk;
  while (bytes.size() - at >= chunk_header) {
    const std::uint32_t size = little(bytes, at + 4, 4);
    const std::size_t fields = at + chunk_header;
    if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && size >= pcm_format_bytes &&
        bytes.size() - fields >= pcm_format_bytes) {
      repair_pcm_format(bytes, fields);
    }
    if (std::memcmp(bytes.data() + at, "data", 4) == 0 && size > bytes.size() - fields) {
      put_little(bytes, at + 4, 4, static_cast<std::uint32_t>(bytes.size() - fields));
      return;
    }
    const std::uint64_t next = std::uint64_t{at} + chunk_header + size + size % 2;
    if (next > bytes.size()) return;
    at = static_cast<std::size_t>(next);
  }
}

}  // namespace

std::shared_ptr<const WaveSound> read_wave_file(const std::filesystem::path& file) {
  std::vector<unsigned char> bytes = read_bytes(file);
  repair_header(bytes);
  // SDL_RWFromConstMem refuses an empty buffer; the loader gives the reason.
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!rw) fail_read(file, SDL_GetError());

  SDL_AudioSpec layout{};
  Uint8* raw = nullptr;
  Uint32 length = 0;
  // The loader closes `rw` itself, also when it fails.
  if (!SDL_LoadWAV_RW(rw, 1, &layout, &raw, &length)) fail_read(file, SDL_GetError());
  const SdlWavBuffer loaded(raw);
  if (layout.channels < 1 || layout.freq < 1) fail_read(file, "形式が扱えません");

  const int channels = std::min<int>(layout.channels, max_wave_channels);
  SDL_AudioCVT cvt;
  const int built = SDL_BuildAudioCVT(&cvt, layout.format, layout.channels, layout.freq, AUDIO_F32SYS,
                                      static_cast<Uint8>(channels), layout.freq);
  if (built < 0) fail_read(file, SDL_GetError());

  // Whole frames only: a truncated file may end inside one.
  const Uint32 frame_bytes = SDL_AUDIO_BITSIZE(layout.format) / 8 * layout.channels;
  const Uint32 usable = length - length % frame_bytes;
  if (std::uintmax_t{usable} * std::max(cvt.len_mult, 1) > INT_MAX) fail_read(file, "ファイルが大きすぎます");

  std::vector<Uint8> work(std::size_t{usable} * std::max(cvt.len_mult, 1));
  if (usable > 0) std::memcpy(work.data(), loaded.get(), usable);
  std::size_t converted_bytes = usable;
  if (built == 1 && usable > 0) {
    cvt.buf = work.data();
    cvt.len = static_cast<int>(usable);
    if (SDL_ConvertAudio(&cvt) != 0) fail_read(file, SDL_GetError());
    converted_bytes = static_cast<std::size_t>(cvt.len_cvt);
  }

  auto sound = std::make_shared<WaveSound>();
  sound->rate = layout.freq;
  sound->channels = channels;
  const std::size_t frames = converted_bytes / (sizeof(float) * channels);
  sound->samples.resize(frames * channels);
  if (frames > 0) std::memcpy(sound->samples.data(), work.data(), sound->samples.size() * sizeof(float));
  // SDL's conversion of 32-bit integers can land a hair beyond full scale.
  for (float& sample : sound->samples) sample = std::clamp(sample, -1.0f, 1.0f);
  return sound;
}

}  // namespace tw
