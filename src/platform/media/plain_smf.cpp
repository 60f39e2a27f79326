#include "platform/media/plain_smf.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tw {
namespace {

using Bytes = std::span<const unsigned char>;
using Out = std::vector<unsigned char>;

constexpr std::size_t chunk_header_size = 8;
constexpr std::size_t smf_header_size = 6;
constexpr std::size_t riff_header_size = 12;
constexpr int max_vlq_bytes = 4;
constexpr unsigned char meta_status = 0xFF;
constexpr unsigned char meta_end_of_track = 0x2F;
constexpr std::uint32_t max_vlq = 0x0FFFFFFF;

bool has_id(Bytes bytes, std::size_t at, std::string_view id) {
  return bytes.size() >= at + id.size() && std::equal(id.begin(), id.end(), bytes.begin() + at);
}

std::uint32_t big(Bytes bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | bytes[at + i];
  return value;
}

void put_big(Out& out, std::uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void put_vlq(Out& out, std::uint32_t value) {
  unsigned char groups[max_vlq_bytes];
  int count = 0;
  do {
    groups[count++] = value & 0x7F;
    value >>= 7;
  } while (value != 0 && count < max_vlq_bytes);
  while (count > 1) out.push_back(groups[--count] | 0x80);
  out.push_back(groups[0]);
}

// Reads one MTrk body and writes it out again; nothing when it is damaged.
class TrackWriter {
 public:
  explicit TrackWriter(Bytes body) : body_(body) {}

  std::optional<Out> write() {
    Out out;
    std::uint64_t delta = 0;  // carries the time of dropped events
    unsigned char running = 0;
    while (at_ < body_.size()) {
      const auto time = vlq();
      if (!time) return std::nullopt;
      delta += *time;
      if (at_ >= body_.size()) return std::nullopt;
      const unsigned char status = body_[at_] < 0x80 ? running : body_[at_++];
      if (status < 0x80) return std::nullopt;
      if (status < 0xF0) {
        running = status;
        const std::size_t data = status >= 0xC0 && status < 0xE0 ? 1 : 2;
        if (!data_bytes(data)) return std::nullopt;
        event(out, delta, status, body_.subspan(at_ - data, data));
      } else if (status == 0xF0 || status == 0xF7 || status == meta_status) {
        const std::size_t start = at_;
        if (status == meta_status && !skip(1)) return std::nullopt;
        const auto size = vlq();
        if (!size || !skip(*size)) return std::nullopt;
        event(out, delta, status, body_.subspan(start, at_ - start));
        if (status == meta_status && body_[start] == meta_end_of_track) return out;
      } else {
        // System common and real-time messages do not belong in a file.
        const std::size_t data = status == 0xF2 ? 2 : status == 0xF1 || status == 0xF3 ? 1 : 0;
        if (!data_bytes(data)) return std::nullopt;
      }
    }
    const unsigned char end_of_track[] = {meta_end_of_track, 0};
    event(out, delta, meta_status, end_of_track);
    return out;
  }

 private:
  // Dropped events pass their time on to the next; more than one quantity
  // holds (days of music) is cut, which no real file reaches.
  static void event(Out& out, std::uint64_t& delta, unsigned char status, Bytes data) {
    put_vlq(out, static_cast<std::uint32_t>(std::min<std::uint64_t>(delta, max_vlq)));
    delta = 0;
    out.push_back(status);
    out.insert(out.end(), data.begin(), data.end());
  }

  bool skip(std::size_t count) {
    if (count > body_.size() - at_) return false;
    at_ += count;
    return true;
  }
  bool data_bytes(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      if (at_ >= body_.size() || body_[at_] >= 0x80) return false;
      ++at_;
    }
    return true;
  }
  std::optional<std::uint32_t> vlq() {
    std::uint32_t value = 0;
    for (int i = 0; i < max_vlq_bytes && at_ < body_.size(); ++i) {
      const unsigned char byte = body_[at_++];
      value = value << 7 | (byte & 0x7F);
      if (byte < 0x80) return value;
    }
    return std::nullopt;
  }

  Bytes body_;
  std::size_t at_ = 0;
};

std::optional<Bytes> unwrap_rmid(Bytes file) {
  if (!has_id(file, 0, "RIFF") || !has_id(file, 8, "RMID")) return file;
  for (std::size_t at = riff_header_size; file.size() - at >= chunk_header_size;) {
    std::uint32_t size = 0;
    for (int i = 3; i >= 0; --i) size = size << 8 | file[at + 4 + i];
    const std::size_t body = at + chunk_header_size;
    if (has_id(file, at, "data")) return file.subspan(body, std::min<std::size_t>(size, file.size() - body));
    if (size > file.size() - body) return std::nullopt;
    at = body + size + (size & 1);
    if (at > file.size()) break;
  }
  return std::nullopt;
}

std::optional<Out> rewrite(Bytes file) {
  const std::optional<Bytes> smf = unwrap_rmid(file);
  if (!smf || !has_id(*smf, 0, "MThd") || smf->size() < chunk_header_size + smf_header_size) return std::nullopt;
  const std::size_t header_size = big(*smf, 4, 4);
  if (header_size < smf_header_size || header_size > smf->size() - chunk_header_size) return std::nullopt;
  const std::uint32_t format = big(*smf, 8, 2);
  const std::uint32_t track_count = format == 0 ? 1 : big(*smf, 10, 2);
  const std::uint32_t division = big(*smf, 12, 2);
  if (format > 1 || track_count == 0) return std::nullopt;

  Out out = {'M', 'T', 'h', 'd'};
  put_big(out, smf_header_size, 4);
  put_big(out, format, 2);
  put_big(out, track_count, 2);
  put_big(out, division, 2);
  std::uint32_t tracks = 0;
  for (std::size_t at = chunk_header_size + header_size; tracks < track_count;) {
    if (smf->size() - at < chunk_header_size) return std::nullopt;
    const std::size_t size = big(*smf, at + 4, 4);
    const std::size_t body = at + chunk_header_size;
    if (size > smf->size() - body) return std::nullopt;
    if (has_id(*smf, at, "MTrk")) {
      const std::optional<Out> track = TrackWriter(smf->subspan(body, size)).write();
      if (!track) return std::nullopt;
      out.insert(out.end(), {'M', 'T', 'r', 'k'});
      put_big(out, static_cast<std::uint32_t>(track->size()), 4);
      out.insert(out.end(), track->begin(), track->end());
      ++tracks;
    }
    at = body + size;
  }
  return out;
}

}  // namespace

std::vector<unsigned char> plain_smf(std::span<const unsigned char> file) {
  std::optional<Out> plain = rewrite(file);
  return plain ? std::move(*plain) : Out(file.begin(), file.end());
}

}  // namespace tw
