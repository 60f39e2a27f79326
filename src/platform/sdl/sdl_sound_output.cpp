#include "platform/sdl/sdl_sound_output.h"

#include <SDL.h>
#include <malloc.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "data/game_layout.h"
#include "platform/game_folder.h"
#include "platform/sdl/fluidsynth_library.h"
#include "sound/plain_smf.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

// About 23 ms at 44100 Hz: short enough that a started sound is heard at
// once, long enough for a slow machine to keep up.
constexpr Uint16 kDeviceBufferFrames = 1024;
// Cut notes fade within milliseconds and the effects fall below -100 dB
// within a quarter second; after that an idle synth is not worth its time.
constexpr long kSynthTailFrames = kSoundOutputRate / 4;
constexpr char kSoundfontListSeparator = ':';
constexpr const char* kSoundfontListVariable = "SDL_SOUNDFONTS";
constexpr TextView kGameMidiFolder = folder_path(kMidiFolder);

// Called only once FluidSynth is loaded: every use follows a synth or
// settings object made through it.
const FluidSynthLibrary& fluid() { return *fluidsynth_library(); }

struct SettingsDelete {
  void operator()(fluid_settings_t* settings) const { fluid().delete_fluid_settings(settings); }
};
struct SynthDelete {
  void operator()(fluid_synth_t* synth) const { fluid().delete_fluid_synth(synth); }
};
// Deleting a player also stops it and takes its timer off the synth.
struct PlayerDelete {
  void operator()(fluid_player_t* player) const { fluid().delete_fluid_player(player); }
};
using SettingsPtr = std::unique_ptr<fluid_settings_t, SettingsDelete>;
using SynthPtr = std::unique_ptr<fluid_synth_t, SynthDelete>;
using PlayerPtr = std::unique_ptr<fluid_player_t, PlayerDelete>;

// FluidSynth reports missing presets and the like on stderr; only its errors
// are worth a line there.
void quiet_fluidsynth_log() {
  static const bool quiet = [] {
    for (const int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG})
      fluid().fluid_set_log_function(level, nullptr, nullptr);
    return true;
  }();
  static_cast<void>(quiet);
}

bool is_soundfont_name(const fs::path& file) {
  std::string extension = file.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  return extension == ".sf2" || extension == ".sf3";
}

std::vector<fs::path> game_soundfonts(const fs::path& game_folder) {
  std::vector<fs::path> found;
  const std::optional<fs::path> folder = GameFolder(game_folder).resolve(kGameMidiFolder);
  if (!folder) return found;
  std::error_code error;
  for (fs::directory_iterator it(*folder, error), end; !error && it != end; it.increment(error)) {
    if (is_soundfont_name(it->path())) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<fs::path> listed_soundfonts() {
  std::vector<fs::path> found;
  const char* list = std::getenv(kSoundfontListVariable);
  if (!list) return found;
  const std::string_view text(list);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(kSoundfontListSeparator, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) found.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return found;
}

// SoundFonts, also compressed ones, start with "RIFF", a size and "sfbk".
// Checked here, as FluidSynth would log an error for every candidate that is
// missing or no SoundFont.
bool may_load(const fs::path& file) {
  char header[12] = {};
  std::ifstream in(file, std::ios::binary);
  return in.read(header, sizeof header) && std::memcmp(header, "RIFF", 4) == 0 &&
         std::memcmp(header + 8, "sfbk", 4) == 0;
}

class DeviceLock {
 public:
  explicit DeviceLock(SDL_AudioDeviceID device) : device_(device) {
    if (device_ != 0) SDL_LockAudioDevice(device_);
  }
  ~DeviceLock() {
    if (device_ != 0) SDL_UnlockAudioDevice(device_);
  }
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;

 private:
  SDL_AudioDeviceID device_;
};

class AudioSubsystem {
 public:
  AudioSubsystem() : ready_(SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {}
  ~AudioSubsystem() {
    if (ready_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  AudioSubsystem(const AudioSubsystem&) = delete;
  AudioSubsystem& operator=(const AudioSubsystem&) = delete;
  bool ready() const { return ready_; }

 private:
  bool ready_;
};

// Closing waits for a running callback, so the mix is never freed under it.
class AudioDevice {
 public:
  explicit AudioDevice(SDL_AudioDeviceID id) : id_(id) {}
  ~AudioDevice() { SDL_CloseAudioDevice(id_); }
  AudioDevice(const AudioDevice&) = delete;
  AudioDevice& operator=(const AudioDevice&) = delete;
  SDL_AudioDeviceID id() const { return id_; }

 private:
  SDL_AudioDeviceID id_;
};

// A sound effect on its way through the mix.
struct Voice {
  std::shared_ptr<const WaveSound> wave;
  std::uint64_t played = 0;  // output frames since the start
};

float between(float a, float b, double fraction) { return a + static_cast<float>((b - a) * fraction); }

// Linear interpolation from the wave's rate to ours; mono goes to both
// sides, channels past the second are left out. Returns false once the wave
// has ended.
bool add_voice(Voice& voice, float* out, int frames) {
  const WaveSound& wave = *voice.wave;
  const auto channels = static_cast<std::size_t>(wave.channels);
  const std::size_t length = wave.samples.size() / channels;
  const double step = static_cast<double>(wave.rate) / kSoundOutputRate;
  for (int i = 0; i < frames; ++i, ++voice.played) {
    const double position = static_cast<double>(voice.played) * step;
    const auto index = static_cast<std::size_t>(position);
    if (index >= length) return false;
    const double fraction = position - static_cast<double>(index);
    const float* now = &wave.samples[index * channels];
    const float* next = &wave.samples[std::min(index + 1, length - 1) * channels];
    const float left = between(now[0], next[0], fraction);
    const float right = channels > 1 ? between(now[1], next[1], fraction) : left;
    out[2 * i] += left;
    out[2 * i + 1] += right;
  }
  return true;
}

bool playable(const WaveSound& wave) {
  return wave.rate > 0 && wave.channels > 0 && wave.samples.size() >= static_cast<std::size_t>(wave.channels);
}

}  // namespace

std::vector<fs::path> default_system_soundfonts() {
  return {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf3/default-GM.sf3"};
}

// Everything the audio callback touches. Declared so that the device closes
// first and the synth goes last.
//
// The device closes after a while of silence: the callback counts silent
// frames and, when they are enough, wakes the closer, a thread that sleeps
// otherwise. Opening and closing take `device_mutex`, which the callback
// never takes; the callback's count and the wish to close are under
// `idle_mutex`, which nobody holds for long.
struct SdlSoundOutput::Mixer {
  SettingsPtr settings;
  SynthPtr synth;  // only while a SoundFont is loaded
  PlayerPtr player;
  std::optional<fs::path> soundfont;
  std::string midi_channel;  // that of the player
  // Frames the synth still renders after a song is cut, so that the cut's
  // fade is heard then and not at the start of the next song.
  long synth_tail = 0;
  float gain = 1.0f;
  // Finished voices stay until their channel is reused or stopped, so the
  // callback never frees memory.
  std::map<std::string, Voice, std::less<>> voices;
  bool closed_for_silence = false;  // under device_mutex
  long close_after_frames = 0;
  long silent_frames = 0;  // under the device lock
  std::mutex idle_mutex;
  std::condition_variable idle;
  bool close_wished = false;  // under idle_mutex
  bool stopping = false;      // under idle_mutex
  std::thread closer;
  mutable std::mutex device_mutex;
  std::optional<AudioSubsystem> audio;
  std::optional<AudioDevice> device;

  SDL_AudioDeviceID device_id() const { return device ? device->id() : 0; }

  void load_synth(const fs::path& game_folder, const std::vector<fs::path>& system_soundfonts);
  void open_device();
  void reopen_device();
  void note_silence(int frames, bool audible);
  void close_when_silent();
  void stop_closer();
  void silence(std::string_view channel);
  void cut_song();
  void mix(float* out, int frames);
  static void audio_callback(void* mixer, Uint8* stream, int bytes);
};

void SdlSoundOutput::Mixer::load_synth(const fs::path& game_folder,
                                       const std::vector<fs::path>& system_soundfonts) {
  std::vector<fs::path> candidates = game_soundfonts(game_folder);
  for (fs::path& file : listed_soundfonts()) candidates.push_back(std::move(file));
  candidates.insert(candidates.end(), system_soundfonts.begin(), system_soundfonts.end());
  SynthPtr made;
  for (const fs::path& file : candidates) {
    if (!may_load(file)) continue;
    if (!made) {
      if (!fluidsynth_library()) return;  // the game is silent without it
      quiet_fluidsynth_log();
      settings.reset(fluid().new_fluid_settings());
      if (!settings) return;
      fluid().fluid_settings_setnum(settings.get(), "synth.sample-rate", kSoundOutputRate);
      // The song advances with the samples we render: no timer thread.
      fluid().fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
      // Pinning the samples in RAM needs a privilege a game does not have.
      fluid().fluid_settings_setint(settings.get(), "synth.lock-memory", 0);
      // Only the samples of the instruments a song selects are read, when
      // it selects them: a General MIDI SoundFont holds far more than a
      // game's songs use.
      fluid().fluid_settings_setint(settings.get(), "synth.dynamic-sample-loading", 1);
      // silence() resets the synth itself; the player's own reset would only
      // release the notes silence() has just cut.
      fluid().fluid_settings_setint(settings.get(), "player.reset-synth", 0);
      made.reset(fluid().new_fluid_synth(settings.get()));
      if (!made) return;
    }
    if (fluid().fluid_synth_sfload(made.get(), file.c_str(), 1) != FLUID_FAILED) {
      soundfont = file;
      synth = std::move(made);
      // Loading goes through megabytes of buffers that are freed again;
      // the allocator would keep their pages for the rest of the game.
      malloc_trim(0);
      return;
    }
  }
}

void SdlSoundOutput::Mixer::open_device() {
  audio.emplace();
  if (!audio->ready()) return;
  SDL_AudioSpec wanted{};
  wanted.freq = kSoundOutputRate;
  wanted.format = AUDIO_F32SYS;
  wanted.channels = kSoundOutputChannels;
  wanted.samples = kDeviceBufferFrames;
  wanted.callback = audio_callback;
  wanted.userdata = this;
  // No changes allowed: SDL converts our mix to what the hardware takes.
  const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  if (id == 0) {
    // Without a device the subsystem would only keep a thread polling for
    // one to appear.
    audio.reset();
    return;
  }
  device.emplace(id);
  SDL_PauseAudioDevice(id, 0);
}

// Only a device closed for silence opens again: one that never opened
// would only fail again, at every sound.
void SdlSoundOutput::Mixer::reopen_device() {
  if (!closed_for_silence) return;
  closed_for_silence = false;
  silent_frames = 0;
  open_device();
}

// In the callback, with the device locked.
void SdlSoundOutput::Mixer::note_silence(int frames, bool audible) {
  if (audible) {
    silent_frames = 0;
    return;
  }
  if (silent_frames >= close_after_frames) return;  // wished already
  silent_frames += frames;
  if (silent_frames < close_after_frames) return;
  const std::lock_guard lock(idle_mutex);
  close_wished = true;
  idle.notify_one();
}

void SdlSoundOutput::Mixer::close_when_silent() {
  for (;;) {
    {
      std::unique_lock lock(idle_mutex);
      idle.wait(lock, [this] { return close_wished || stopping; });
      if (stopping) return;
      close_wished = false;
    }
    const std::lock_guard lock(device_mutex);
    if (!device) continue;
    {
      // A sound may have started since the wish.
      const DeviceLock still(device_id());
      if (silent_frames < close_after_frames) continue;
    }
    device.reset();
    audio.reset();
    closed_for_silence = true;
  }
}

void SdlSoundOutput::Mixer::stop_closer() {
  {
    const std::lock_guard lock(idle_mutex);
    stopping = true;
  }
  idle.notify_one();
  if (closer.joinable()) closer.join();
}

void SdlSoundOutput::Mixer::silence(std::string_view channel) {
  if (const auto voice = voices.find(channel); voice != voices.end()) voices.erase(voice);
  if (player && midi_channel == channel) cut_song();
}

void SdlSoundOutput::Mixer::cut_song() {
  if (!player) return;
  player.reset();
  // The reset only releases notes, and would release the cut ones again if
  // it came after the cut.
  fluid().fluid_synth_system_reset(synth.get());
  fluid().fluid_synth_all_sounds_off(synth.get(), -1);
  synth_tail = kSynthTailFrames;
  midi_channel.clear();
}

void SdlSoundOutput::Mixer::mix(float* out, int frames) {
  if (frames <= 0) return;
  const std::size_t count = static_cast<std::size_t>(frames) * kSoundOutputChannels;
  if (player || synth_tail > 0) {
    fluid().fluid_synth_write_float(synth.get(), frames, out, 0, kSoundOutputChannels, out, 1,
                                    kSoundOutputChannels);
    if (!player) synth_tail -= frames;
  } else {
    std::fill_n(out, count, 0.0f);
  }
  bool audible = player || synth_tail > 0;
  for (auto& [channel, voice] : voices) audible |= add_voice(voice, out, frames);
  // Loud effects over loud music would wrap or crackle in the conversion.
  for (std::size_t i = 0; i < count; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f) * gain;
  if (close_after_frames > 0) note_silence(frames, audible);
}

void SdlSoundOutput::Mixer::audio_callback(void* mixer, Uint8* stream, int bytes) {
  // SDL holds the device lock while it calls us.
  constexpr int kFrameBytes = static_cast<int>(sizeof(float)) * kSoundOutputChannels;
  static_cast<Mixer*>(mixer)->mix(reinterpret_cast<float*>(stream), bytes / kFrameBytes);
}

SdlSoundOutput::SdlSoundOutput(const fs::path& game_folder, SoundOutputSetup setup)
    : mixer_(std::make_unique<Mixer>()) {
  mixer_->load_synth(game_folder, setup.system_soundfonts);
  if (!setup.open_device) return;
  mixer_->open_device();
  if (setup.close_when_silent_ms > 0) {
    mixer_->close_after_frames = static_cast<long>(setup.close_when_silent_ms) * kSoundOutputRate / 1000;
    Mixer& mixer = *mixer_;
    mixer_->closer = std::thread([&mixer] { mixer.close_when_silent(); });
  }
}

SdlSoundOutput::~SdlSoundOutput() { mixer_->stop_closer(); }

void SdlSoundOutput::play_midi(std::string_view channel,
                               std::shared_ptr<const std::vector<unsigned char>> smf) {
  // The synth is set once by the constructor; the rewriting needs no lock.
  const bool audible = mixer_->synth && smf && !smf->empty();
  const std::vector<unsigned char> song = audible ? plain_smf(*smf) : std::vector<unsigned char>{};
  const std::lock_guard device(mixer_->device_mutex);
  if (audible) mixer_->reopen_device();
  const DeviceLock lock(mixer_->device_id());
  mixer_->silence(channel);
  mixer_->cut_song();  // of whichever channel it plays on
  if (!audible) return;
  // The player copies the song; a song it cannot parse stays silent.
  PlayerPtr player(fluid().new_fluid_player(mixer_->synth.get()));
  if (!player || fluid().fluid_player_add_mem(player.get(), song.data(), song.size()) != FLUID_OK ||
      fluid().fluid_player_play(player.get()) != FLUID_OK) {
    return;
  }
  mixer_->player = std::move(player);
  mixer_->midi_channel = channel;
}

void SdlSoundOutput::play_wave(std::string_view channel, std::shared_ptr<const WaveSound> wave) {
  const std::lock_guard device(mixer_->device_mutex);
  if (wave && playable(*wave)) mixer_->reopen_device();
  const DeviceLock lock(mixer_->device_id());
  mixer_->silence(channel);
  if (!wave || !playable(*wave)) return;
  mixer_->voices.emplace(std::string(channel), Voice{std::move(wave), 0});
}

void SdlSoundOutput::stop(std::string_view channel) {
  const std::lock_guard device(mixer_->device_mutex);
  const DeviceLock lock(mixer_->device_id());
  mixer_->silence(channel);
}

void SdlSoundOutput::set_loudness(double loudness) {
  const std::lock_guard device(mixer_->device_mutex);
  const DeviceLock lock(mixer_->device_id());
  const auto level = static_cast<float>(std::clamp(loudness, 0.0, 1.0));
  mixer_->gain = level * level;
}

void SdlSoundOutput::render(float* out, int frames) {
  const std::lock_guard device(mixer_->device_mutex);
  const DeviceLock lock(mixer_->device_id());
  mixer_->mix(out, frames);
}

bool SdlSoundOutput::has_device() const {
  const std::lock_guard device(mixer_->device_mutex);
  return mixer_->device_id() != 0;
}

const std::optional<fs::path>& SdlSoundOutput::soundfont() const { return mixer_->soundfont; }

}  // namespace tw
