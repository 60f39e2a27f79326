#include "sound/plain_smf.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "base/failure.h"
#include "sound/smf_reader.h"

namespace tw {
namespace {

using Out = std::vector<unsigned char>;

constexpr std::uint32_t kSmfHeaderSize = 6;  // format, track count, division
constexpr int kMaxVlqBytes = 4;
constexpr std::int64_t kMaxVlq = 0x0FFFFFFF;

void put_big(Out& out, std::uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void put_vlq(Out& out, std::uint32_t value) {
  unsigned char groups[kMaxVlqBytes];
  int count = 0;
  do {
    groups[count++] = value & 0x7F;
    value >>= 7;
  } while (value != 0 && count < kMaxVlqBytes);
  while (count > 1) out.push_back(groups[--count] | 0x80);
  out.push_back(groups[0]);
}

// Dropped events pass their time on to the next; more than one quantity
// holds (days of music) is cut, which no real file reaches.
void put_event(Out& out, std::int64_t delta, unsigned char status, std::span<const unsigned char> data) {
  put_vlq(out, static_cast<std::uint32_t>(std::min(delta, kMaxVlq)));
  out.push_back(status);
  out.insert(out.end(), data.begin(), data.end());
}

// One MTrk body written out again, every event with its status byte.
Out plain_track(std::span<const unsigned char> body) {
  Out out;
  std::int64_t written = 0;  // the tick of the last event written
  bool ended = false;
  const std::int64_t end = walk_smf_track(body, [&](const SmfEvent& event) {
    put_event(out, event.tick - written, event.status, event.data);
    written = event.tick;
    ended = event.status == smf_meta && event.data[0] == smf_end_of_track;
  });
  if (!ended) {
    const unsigned char end_of_track[] = {smf_end_of_track, 0};
    put_event(out, end - written, smf_meta, end_of_track);
  }
  return out;
}

}  // namespace

std::vector<unsigned char> plain_smf(std::span<const unsigned char> file) {
  try {
    Out tracks;
    const SmfHeader header = read_smf(file, [&](std::span<const unsigned char> body) {
      const Out track = plain_track(body);
      tracks.insert(tracks.end(), {'M', 'T', 'r', 'k'});
      put_big(tracks, static_cast<std::uint32_t>(track.size()), 4);
      tracks.insert(tracks.end(), track.begin(), track.end());
    });
    Out out = {'M', 'T', 'h', 'd'};
    put_big(out, kSmfHeaderSize, 4);
    put_big(out, static_cast<std::uint32_t>(header.format), 2);
    put_big(out, static_cast<std::uint32_t>(header.tracks), 2);
    put_big(out, static_cast<std::uint32_t>(header.division), 2);
    out.insert(out.end(), tracks.begin(), tracks.end());
    return out;
  } catch (const Failure&) {
    return Out(file.begin(), file.end());  // for FluidSynth to judge
  }
}

}  // namespace tw
