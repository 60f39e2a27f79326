#include "sound/midi_song.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <string_view>

#include "window/failure.h"

namespace tw {
namespace {

using Bytes = std::span<const unsigned char>;

constexpr std::int64_t default_us_per_quarter = 500000;  // 120 beats a minute until a tempo event
constexpr std::size_t chunk_header_size = 8;
constexpr std::size_t smf_header_size = 6;
constexpr int max_vlq_bytes = 4;
constexpr unsigned char meta_status = 0xFF;
constexpr unsigned char meta_end_of_track = 0x2F;
constexpr unsigned char meta_tempo = 0x51;
constexpr std::size_t tempo_size = 3;
// Position rounding forgives this much of a sixteenth, so that a moment the
// arithmetic lands a hair short of a boundary still counts as reaching it.
constexpr double boundary_slack = 1e-9;

constexpr const char* not_midi = "MIDIファイルではありません";
constexpr const char* truncated = "MIDIファイルが途中で切れています";
constexpr const char* broken_track = "MIDIトラックが壊れています";

struct TempoEvent {
  std::int64_t tick;
  std::int64_t us_per_quarter;
};

struct Track {
  std::int64_t end_tick = 0;
  std::vector<TempoEvent> tempos;
};

bool has_id(Bytes bytes, std::size_t at, std::string_view id) {
  return bytes.size() >= at + id.size() && std::equal(id.begin(), id.end(), bytes.begin() + at);
}

std::uint32_t big(Bytes bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | bytes[at + i];
  return value;
}

std::uint32_t little(Bytes bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | bytes[at + i];
  return value;
}

// Reads the events of one MTrk chunk body; every read stays inside it.
class TrackReader {
 public:
  explicit TrackReader(Bytes body) : body_(body) {}

  Track read() {
    Track track;
    std::int64_t tick = 0;
    unsigned char running = 0;
    // A track without End of Track that stops between two events still says
    // everything; it lasts until its last event.
    while (at_ < body_.size()) {
      tick += vlq();
      // Only a channel message sets the running status and nothing clears
      // it: a data byte after a meta or SysEx event can only continue the
      // last channel message, so the file still says one thing.
      const unsigned char status = peek() < 0x80 ? running : next();
      if (status < 0x80) throw Failure(broken_track);  // data with no status to continue
      if (status < 0xF0) {
        running = status;
        const int data = status >= 0xC0 && status < 0xE0 ? 1 : 2;  // program change, channel pressure
        for (int i = 0; i < data; ++i) data_byte();
      } else if (status == 0xF0 || status == 0xF7) {
        skip(vlq());
      } else if (status == meta_status) {
        const unsigned char type = next();
        const std::size_t size = vlq();
        if (type == meta_end_of_track) {
          skip(size);
          break;  // whatever follows in the chunk does not belong to the song
        }
        skip(size);
        // A tempo of another size or of zero says nothing usable; the tempo
        // in force stays.
        if (type == meta_tempo && size == tempo_size) {
          const auto us = static_cast<std::int64_t>(big(body_, at_ - tempo_size, 3));
          if (us > 0) track.tempos.push_back({tick, us});
        }
      } else {
        // System common and real-time messages have no place in a file, but
        // their sizes are fixed, so passing over them is no guess.
        const int data = status == 0xF2 ? 2 : status == 0xF1 || status == 0xF3 ? 1 : 0;
        for (int i = 0; i < data; ++i) data_byte();
      }
    }
    track.end_tick = tick;
    return track;
  }

 private:
  unsigned char peek() const {
    if (at_ >= body_.size()) throw Failure(broken_track);
    return body_[at_];
  }
  unsigned char next() {
    const unsigned char byte = peek();
    ++at_;
    return byte;
  }
  // A status byte where data belongs means bytes went missing; reading on
  // would be guessing.
  void data_byte() {
    if (next() >= 0x80) throw Failure(broken_track);
  }
  void skip(std::size_t count) {
    if (count > body_.size() - at_) throw Failure(broken_track);
    at_ += count;
  }
  std::uint32_t vlq() {
    std::uint32_t value = 0;
    for (int i = 0; i < max_vlq_bytes; ++i) {
      const unsigned char byte = next();
      value = value << 7 | (byte & 0x7F);
      if (byte < 0x80) return value;
    }
    throw Failure(broken_track);
  }

  Bytes body_;
  std::size_t at_ = 0;
};

// The Standard MIDI File inside a RIFF RMID file; the file itself otherwise.
Bytes unwrap_rmid(Bytes file) {
  constexpr std::size_t riff_header_size = 12;
  if (!has_id(file, 0, "RIFF") || !has_id(file, 8, "RMID")) return file;
  for (std::size_t at = riff_header_size; file.size() - at >= chunk_header_size;) {
    const std::size_t size = little(file, at + 4);
    const std::size_t body = at + chunk_header_size;
    // The SMF carries its own sizes, so a data chunk that claims more than
    // the file holds is cut to the file and judged by them.
    if (has_id(file, at, "data")) return file.subspan(body, std::min(size, file.size() - body));
    if (size > file.size() - body) throw Failure(truncated);
    at = body + size + (size & 1);  // RIFF chunks are padded to even sizes
    if (at > file.size()) break;
  }
  throw Failure(not_midi);
}

}  // namespace

MidiSong MidiSong::parse(std::span<const unsigned char> file) {
  const Bytes smf = unwrap_rmid(file);
  if (!has_id(smf, 0, "MThd") || smf.size() < chunk_header_size + smf_header_size) throw Failure(not_midi);
  const std::size_t header_size = big(smf, 4, 4);
  if (header_size < smf_header_size) throw Failure(not_midi);
  if (header_size > smf.size() - chunk_header_size) throw Failure(truncated);
  const std::uint32_t format = big(smf, 8, 2);
  std::uint32_t track_count = big(smf, 10, 2);
  const std::uint32_t division = big(smf, 12, 2);
  if (format == 2) throw Failure("形式2のMIDIファイルは再生できません");
  if (format > 2) throw Failure("未知の形式のMIDIファイルです");
  if (division & 0x8000) throw Failure("SMPTE分解能のMIDIファイルは再生できません");
  if (division == 0) throw Failure("分解能0のMIDIファイルは再生できません");
  if (track_count == 0) throw Failure("トラックのないMIDIファイルです");
  // A format 0 file holds one track; later ones are passed over, as Wine's
  // sequencer does, rather than refusing the song.
  if (format == 0) track_count = 1;

  // Bytes after the last declared track are ignored, whatever they look like.
  std::vector<Track> tracks;
  for (std::size_t at = chunk_header_size + header_size; tracks.size() < track_count;) {
    if (smf.size() - at < chunk_header_size) throw Failure(truncated);
    const std::size_t size = big(smf, at + 4, 4);
    const std::size_t body = at + chunk_header_size;
    if (size > smf.size() - body) throw Failure(truncated);
    if (has_id(smf, at, "MTrk")) tracks.push_back(TrackReader(smf.subspan(body, size)).read());
    at = body + size;  // other chunks are for other programs
  }

  MidiSong song;
  song.division_ = static_cast<int>(division);
  std::vector<TempoEvent> tempos;
  for (const Track& track : tracks) {
    song.length_ticks_ = std::max(song.length_ticks_, track.end_tick);
    tempos.insert(tempos.end(), track.tempos.begin(), track.tempos.end());
  }
  // Tracks are merged in reading order, so at one tick the last read wins.
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const TempoEvent& a, const TempoEvent& b) { return a.tick < b.tick; });
  song.tempo_map_.push_back({0, 0.0, default_us_per_quarter});
  for (const TempoEvent& tempo : tempos) {
    TempoChange& last = song.tempo_map_.back();
    if (tempo.tick == last.tick) {
      last.us_per_quarter = tempo.us_per_quarter;
    } else {
      const double start =
          last.start + static_cast<double>(tempo.tick - last.tick) * static_cast<double>(last.us_per_quarter);
      song.tempo_map_.push_back({tempo.tick, start, tempo.us_per_quarter});
    }
  }
  const TempoChange& last = song.tempo_map_.back();
  song.duration_ms_ = (last.start + static_cast<double>(song.length_ticks_ - last.tick) *
                                        static_cast<double>(last.us_per_quarter)) /
                      division / 1000.0;
  return song;
}

long MidiSong::length_sixteenths() const { return static_cast<long>(length_ticks_ * 4 / division_); }

double MidiSong::duration_ms() const { return duration_ms_; }

long MidiSong::position_sixteenths(double elapsed_ms) const {
  if (!(elapsed_ms > 0)) return 0;  // NaN too
  // Past the end, and at the end exactly whatever the rounding says.
  if (elapsed_ms >= duration_ms_) return length_sixteenths();
  const double elapsed = elapsed_ms * 1000.0 * division_;  // in the units of TempoChange::start
  const auto after = std::upper_bound(tempo_map_.begin(), tempo_map_.end(), elapsed,
                                      [](double e, const TempoChange& t) { return e < t.start; });
  const TempoChange& tempo = *std::prev(after);
  // One division keeps whole-millisecond moments on tick boundaries exact.
  const double quarter = static_cast<double>(tempo.us_per_quarter);
  const double sixteenths =
      4.0 * (static_cast<double>(tempo.tick) * quarter + (elapsed - tempo.start)) / (quarter * division_);
  const double reached = std::floor(sixteenths + boundary_slack);
  return static_cast<long>(std::clamp(reached, 0.0, static_cast<double>(length_sixteenths())));
}

}  // namespace tw
