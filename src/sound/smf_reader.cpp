#include "sound/smf_reader.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "base/failure.h"

namespace tw {
namespace {

using Bytes = std::span<const unsigned char>;

constexpr std::size_t kChunkHeaderSize = 8;  // four-letter id and size
constexpr std::size_t kSmfHeaderSize = 6;    // format, track count, division
constexpr std::size_t kRiffHeaderSize = 12;  // "RIFF", size, "RMID"
constexpr int kMaxVlqBytes = 4;
constexpr std::uint32_t kSmpteDivision = 0x8000;

constexpr const char* kNotMidi = "MIDIファイルではありません";
constexpr const char* kTruncated = "MIDIファイルが途中で切れています";
constexpr const char* kBrokenTrack = "MIDIトラックが壊れています";

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

// The Standard MIDI File inside a RIFF RMID file; the file itself otherwise.
Bytes unwrap_rmid(Bytes file) {
  if (!has_id(file, 0, "RIFF") || !has_id(file, 8, "RMID")) return file;
  for (std::size_t at = kRiffHeaderSize; file.size() - at >= kChunkHeaderSize;) {
    const std::size_t size = little(file, at + 4);
    const std::size_t body = at + kChunkHeaderSize;
    // The SMF carries its own sizes, so a data chunk that claims more than
    // the file holds is cut to the file and judged by them.
    if (has_id(file, at, "data")) return file.subspan(body, std::min(size, file.size() - body));
    if (size > file.size() - body) throw Failure(kTruncated);
    at = body + size + (size & 1);  // RIFF chunks are padded to even sizes
    if (at > file.size()) break;
  }
  throw Failure(kNotMidi);
}

// Reads through one MTrk body; every read stays inside it.
class TrackCursor {
 public:
  explicit TrackCursor(Bytes body) : body_(body) {}

  bool done() const { return at_ >= body_.size(); }
  std::size_t at() const { return at_; }
  unsigned char peek() const {
    if (done()) throw Failure(kBrokenTrack);
    return body_[at_];
  }
  unsigned char next() {
    const unsigned char byte = peek();
    ++at_;
    return byte;
  }
  // A status byte where data belongs means bytes went missing; reading on
  // would be guessing.
  void data_bytes(int count) {
    for (int i = 0; i < count; ++i) {
      if (next() >= 0x80) throw Failure(kBrokenTrack);
    }
  }
  void skip(std::size_t count) {
    if (count > body_.size() - at_) throw Failure(kBrokenTrack);
    at_ += count;
  }
  std::uint32_t vlq() {
    std::uint32_t value = 0;
    for (int i = 0; i < kMaxVlqBytes; ++i) {
      const unsigned char byte = next();
      value = value << 7 | (byte & 0x7F);
      if (byte < 0x80) return value;
    }
    throw Failure(kBrokenTrack);
  }

 private:
  Bytes body_;
  std::size_t at_ = 0;
};

}  // namespace

SmfHeader read_smf(std::span<const unsigned char> file,
                   const std::function<void(std::span<const unsigned char>)>& track) {
  const Bytes smf = unwrap_rmid(file);
  if (!has_id(smf, 0, "MThd") || smf.size() < kChunkHeaderSize + kSmfHeaderSize) throw Failure(kNotMidi);
  const std::size_t header_size = big(smf, 4, 4);
  if (header_size < kSmfHeaderSize) throw Failure(kNotMidi);
  if (header_size > smf.size() - kChunkHeaderSize) throw Failure(kTruncated);
  const std::uint32_t format = big(smf, 8, 2);
  std::uint32_t track_count = big(smf, 10, 2);
  const std::uint32_t division = big(smf, 12, 2);
  if (format == 2) throw Failure("形式2のMIDIファイルは再生できません");
  if (format > 2) throw Failure("未知の形式のMIDIファイルです");
  if (division & kSmpteDivision) throw Failure("SMPTE分解能のMIDIファイルは再生できません");
  if (division == 0) throw Failure("分解能0のMIDIファイルは再生できません");
  if (track_count == 0) throw Failure("トラックのないMIDIファイルです");
  // A format 0 file holds one track; later ones are passed over, as Wine's
  // sequencer does, rather than refusing the song.
  if (format == 0) track_count = 1;

  // Bytes after the last declared track are ignored, whatever they look like.
  std::uint32_t found = 0;
  for (std::size_t at = kChunkHeaderSize + header_size; found < track_count;) {
    if (smf.size() - at < kChunkHeaderSize) throw Failure(kTruncated);
    const std::size_t size = big(smf, at + 4, 4);
    const std::size_t body = at + kChunkHeaderSize;
    if (size > smf.size() - body) throw Failure(kTruncated);
    if (has_id(smf, at, "MTrk")) {
      track(smf.subspan(body, size));
      ++found;
    }
    at = body + size;  // other chunks are for other programs
  }
  return {static_cast<int>(format), static_cast<int>(division), static_cast<int>(track_count)};
}

std::int64_t walk_smf_track(std::span<const unsigned char> body,
                            const std::function<void(const SmfEvent&)>& visit) {
  TrackCursor in(body);
  std::int64_t tick = 0;
  unsigned char running = 0;
  // A track without End of Track that stops between two events still says
  // everything; it lasts until its last event.
  while (!in.done()) {
    tick += in.vlq();
    // Only a channel message sets the running status and nothing clears it:
    // a data byte after a meta or SysEx event can only continue the last
    // channel message, so the file still says one thing.
    const unsigned char status = in.peek() < 0x80 ? running : in.next();
    if (status < 0x80) throw Failure(kBrokenTrack);  // data with no status to continue
    const std::size_t start = in.at();
    std::size_t payload = start;
    if (status < 0xF0) {
      running = status;
      in.data_bytes(status >= 0xC0 && status < 0xE0 ? 1 : 2);  // program change, channel pressure
    } else if (status == 0xF0 || status == 0xF7 || status == smf_meta) {
      if (status == smf_meta) in.next();  // the type
      const std::size_t size = in.vlq();
      payload = in.at();
      in.skip(size);
    } else {
      // System common and real-time messages have no place in a file, but
      // their sizes are fixed, so passing over them is no guess.
      in.data_bytes(status == 0xF2 ? 2 : status == 0xF1 || status == 0xF3 ? 1 : 0);
      continue;
    }
    visit({tick, status, body.subspan(start, in.at() - start), body.subspan(payload, in.at() - payload)});
    // Whatever follows End of Track in the chunk does not belong to the song.
    if (status == smf_meta && body[start] == smf_end_of_track) break;
  }
  return tick;
}

}  // namespace tw
