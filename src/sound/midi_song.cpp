#include "sound/midi_song.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>

#include "sound/smf_reader.h"

namespace tw {
namespace {

constexpr std::int64_t kDefaultUsPerQuarter = 500000;  // 120 beats a minute until a tempo event
constexpr unsigned char kMetaTempo = 0x51;
constexpr std::size_t kTempoSize = 3;
// Position rounding forgives this much of a sixteenth, so that a moment the
// arithmetic lands a hair short of a boundary still counts as reaching it.
constexpr double kBoundarySlack = 1e-9;

struct TempoEvent {
  std::int64_t tick;
  std::int64_t us_per_quarter;
};

}  // namespace

MidiSong MidiSong::parse(std::span<const unsigned char> file) {
  MidiSong song;
  std::vector<TempoEvent> tempos;
  song.division_ =
      read_smf(file, [&](std::span<const unsigned char> track) {
        const std::int64_t end = walk_smf_track(track, [&](const SmfEvent& event) {
          // A tempo of another size or of zero says nothing usable; the tempo in
          // force stays.
          if (event.status != smf_meta || event.data[0] != kMetaTempo || event.payload.size() != kTempoSize)
            return;
          const std::int64_t us = event.payload[0] << 16 | event.payload[1] << 8 | event.payload[2];
          if (us > 0) tempos.push_back({event.tick, us});
        });
        song.length_ticks_ = std::max(song.length_ticks_, end);
      }).division;
  // Tracks are merged in reading order, so at one tick the last read wins.
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const TempoEvent& a, const TempoEvent& b) { return a.tick < b.tick; });
  song.tempo_map_.push_back({0, 0.0, kDefaultUsPerQuarter});
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
                      song.division_ / 1000.0;
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
  const double reached = std::floor(sixteenths + kBoundarySlack);
  return static_cast<long>(std::clamp(reached, 0.0, static_cast<double>(length_sixteenths())));
}

}  // namespace tw
