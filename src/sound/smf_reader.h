#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace tw {

constexpr unsigned char smf_meta = 0xFF;
constexpr unsigned char smf_end_of_track = 0x2F;

// The header of a Standard MIDI File as the engine plays it.
struct SmfHeader {
  int format = 0;    // 0 or 1
  int division = 0;  // ticks per quarter note, never 0
  int tracks = 0;    // 1 for format 0, as the header says for format 1
};

// Takes off an RMID wrapper, checks the header and calls `track` with the
// body of every MTrk chunk in file order, passing over other chunks. The
// bodies are handed over as they are found, so that a track that fails
// before a later chunk turns out truncated gives its own failure. Throws
// Failure for a file that is not MIDI or is truncated, for format 2, a
// time-code or zero division, and for no tracks.
SmfHeader read_smf(std::span<const unsigned char> file,
                   const std::function<void(std::span<const unsigned char>)>& track);

struct SmfEvent {
  std::int64_t tick;     // from the start of the track
  unsigned char status;  // also when running status left it out of the file
  // The bytes after the status as the file has them: the data of a channel
  // message, the length and body of SysEx, the type, length and body of a
  // meta event.
  std::span<const unsigned char> data;
  // The body of SysEx and meta events without type and length; for channel
  // messages the same as `data`.
  std::span<const unsigned char> payload;
};

// Calls `visit` for every event of one MTrk body up to and including End of
// Track; system common and real-time messages are passed over. Returns the
// tick where the track ends. Throws Failure for a damaged track.
std::int64_t walk_smf_track(std::span<const unsigned char> body,
                            const std::function<void(const SmfEvent&)>& visit);

}  // namespace tw
