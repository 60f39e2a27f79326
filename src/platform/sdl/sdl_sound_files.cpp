#include "platform/sdl/sdl_sound_files.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/sdl/sdl_handles.h"
#include "sound/wave_file.h"

namespace tw {
namespace {

// The mixer plays mono and stereo; files with more channels are folded
// down to stereo by SDL rather than refused.
constexpr int kMaxWaveChannels = 2;

}  // namespace

std::shared_ptr<const WaveSound> read_wave_file(const std::filesystem::path& file) {
  std::vector<unsigned char> bytes = read_wave_bytes(file);
  // SDL_RWFromConstMem refuses an empty buffer; the loader gives the reason.
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!rw) fail_wave_read(file, SDL_GetError());

  SDL_AudioSpec layout{};
  Uint8* raw = nullptr;
  Uint32 length = 0;
  // The loader closes `rw` itself, also when it fails.
  if (!SDL_LoadWAV_RW(rw, 1, &layout, &raw, &length)) fail_wave_read(file, SDL_GetError());
  const SdlWavBuffer loaded(raw);
  if (layout.channels < 1 || layout.freq < 1) fail_wave_read(file, "形式が扱えません");

  const int channels = std::min<int>(layout.channels, kMaxWaveChannels);
  SDL_AudioCVT cvt;
  const int built = SDL_BuildAudioCVT(&cvt, layout.format, layout.channels, layout.freq, AUDIO_F32SYS,
                                      static_cast<Uint8>(channels), layout.freq);
  if (built < 0) fail_wave_read(file, SDL_GetError());

  // Whole frames only: a truncated file may end inside one.
  const Uint32 frame_bytes = SDL_AUDIO_BITSIZE(layout.format) / 8 * layout.channels;
  const Uint32 usable = length - length % frame_bytes;
  if (std::uintmax_t{usable} * std::max(cvt.len_mult, 1) > INT_MAX)
    fail_wave_read(file, "ファイルが大きすぎます");

  std::vector<Uint8> work(std::size_t{usable} * std::max(cvt.len_mult, 1));
  if (usable > 0) std::memcpy(work.data(), loaded.get(), usable);
  std::size_t converted_bytes = usable;
  if (built == 1 && usable > 0) {
    cvt.buf = work.data();
    cvt.len = static_cast<int>(usable);
    if (SDL_ConvertAudio(&cvt) != 0) fail_wave_read(file, SDL_GetError());
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
