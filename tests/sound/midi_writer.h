// A small writer of Standard MIDI Files, and of the RIFF chunks of RMID
// files, for songs of a known shape.
#pragma once

#include <string>
#include <vector>

namespace tw::test {

using Bytes = std::vector<unsigned char>;

inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline Bytes big_endian(unsigned value, int count) {
  Bytes bytes;
  while (count--) bytes.push_back(value >> count * 8 & 0xFF);
  return bytes;
}

struct Track {
  Bytes bytes;
  Track& event(unsigned delta, const Bytes& event) {  // the delta as a variable-length quantity
    Bytes time{static_cast<unsigned char>(delta & 0x7F)};
    while (delta >>= 7) time.insert(time.begin(), static_cast<unsigned char>(0x80 | (delta & 0x7F)));
    bytes = bytes + time + event;
    return *this;
  }
  Track& note(unsigned delta) { return event(delta, {0x90, 60, 100}); }
  Track& tempo(unsigned delta, unsigned us) { return event(delta, Bytes{0xFF, 0x51, 3} + big_endian(us, 3)); }
  Track& end(unsigned delta) { return event(delta, {0xFF, 0x2F, 0}); }
};

// RIFF chunks are little-endian and padded to even sizes.
inline Bytes chunk(const std::string& id, const Bytes& body, bool riff = false) {
  Bytes size = big_endian(static_cast<unsigned>(body.size()), 4);
  if (riff) size = Bytes(size.rbegin(), size.rend());
  return Bytes(id.begin(), id.end()) + size + body + Bytes(riff ? body.size() % 2 : 0, 0);
}

// The header declares `declared` tracks, when not -1, whatever follows.
inline Bytes smf(const std::vector<Track>& tracks, int format = 0, int division = 96, int declared = -1) {
  const auto count = declared < 0 ? tracks.size() : declared;
  Bytes file = chunk("MThd", big_endian(format, 2) + big_endian(count, 2) + big_endian(division, 2));
  for (const Track& track : tracks) file = file + chunk("MTrk", track.bytes);
  return file;
}

inline Bytes rmid(const Bytes& chunks) { return chunk("RIFF", Bytes{'R', 'M', 'I', 'D'} + chunks, true); }

}  // namespace tw::test
