#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tw {

// What the music channel needs to know of a Standard MIDI File: how long the
// song is and how far playing has got after some time, both in song-pointer
// units (sixteenth notes). Sixteenths keep songs of an hour within 16 bits
// and do not depend on the tempo, while the time a song takes follows its
// tempo map.
class MidiSong {
 public:
  // Reads a format 0 or format 1 file with a ticks-per-quarter-note
  // division. Throws Failure for anything else: a file that is not MIDI, a
  // damaged or truncated track, format 2, a time-code division.
  static MidiSong parse(std::span<const unsigned char> file);

  // The whole song, to its last End of Track, rounded down.
  long length_sixteenths() const;
  // The time the whole song plays, through the tempo map.
  double duration_ms() const;
  // How far playing has got after `elapsed_ms` from the start, rounded down
  // and never past the length.
  long position_sixteenths(double elapsed_ms) const;

  int division() const { return division_; }
  std::int64_t length_ticks() const { return length_ticks_; }

 private:
  struct TempoChange {
    std::int64_t tick;
    // When this tempo begins, in microseconds times the division: whole
    // numbers, so the map adds up without rounding (exact below 2^53).
    double start;
    std::int64_t us_per_quarter;
  };

  int division_ = 96;
  std::int64_t length_ticks_ = 0;
  double duration_ms_ = 0;
  std::vector<TempoChange> tempo_map_;  // sorted by tick; the first at tick 0
};

}  // namespace tw
