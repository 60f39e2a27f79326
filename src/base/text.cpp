#include "base/text.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "base/failure.h"

namespace tw {
namespace {

constexpr char32_t kReplacementChar = U'\uFFFD';
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr std::size_t kChunkSize = 4096;

// One iconv conversion direction. Each thread keeps its own handle, because
// read_text_lines decodes line by line and iconv_open is not cheap.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
    if (handle_ == invalid_handle())
      throw Failure(std::string("文字コードの変換を用意できません: ") + from + " → " + to);
  }
  ~Converter() { iconv_close(handle_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in` and hands every converted chunk to `emit`. A sequence that
  // does not convert is skipped `skip` bytes at a time after `on_bad()`.
  template <typename Emit, typename OnBad>
  void run(std::string_view in, std::size_t skip, Emit emit, OnBad on_bad) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    char* src = const_cast<char*>(in.data());            // iconv never writes through it
    std::size_t src_left = in.size();
    char buffer[kChunkSize];
    while (src_left > 0) {
      char* dst = buffer;
      std::size_t dst_left = sizeof buffer;
      const std::size_t result = iconv(handle_, &src, &src_left, &dst, &dst_left);
      const int error = errno;
      emit(std::string_view(buffer, static_cast<std::size_t>(dst - buffer)));
      if (result != static_cast<std::size_t>(-1) || error == E2BIG) continue;
      // EILSEQ or EINVAL (a sequence cut off by the end): skip and go on.
      on_bad();
      const std::size_t n = std::min(skip, src_left);
      src += n;
      src_left -= n;
      iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    }
  }

 private:
  static iconv_t invalid_handle() { return reinterpret_cast<iconv_t>(-1); }
  iconv_t handle_;
};

void append_utf32le(Text& out, std::string_view bytes) {
  if constexpr (std::endian::native == std::endian::little) {
    const std::size_t start = out.size();
    out.resize(start + bytes.size() / 4);
    std::memcpy(out.data() + start, bytes.data(), bytes.size() / 4 * 4);
    return;
  }
  for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    const auto byte = [&](std::size_t k) { return char32_t{static_cast<unsigned char>(bytes[i + k])}; };
    out += byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
  }
}

// What a UTF-8 lead byte promises: the sequence length (0 for a byte that
// starts nothing) and the range allowed for the second byte.
struct Utf8Lead {
  int length;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
};

Utf8Lead utf8_lead(unsigned char lead) {
  if (lead < 0x80) return {1};
  if (lead >= 0xC2 && lead <= 0xDF) return {2};
  if (lead == 0xE0) return {3, 0xA0, 0xBF};
  if (lead == 0xED) return {3, 0x80, 0x9F};
  if (lead >= 0xE1 && lead <= 0xEF) return {3};
  if (lead == 0xF0) return {4, 0x90, 0xBF};
  if (lead == 0xF4) return {4, 0x80, 0x8F};
  if (lead >= 0xF1 && lead <= 0xF3) return {4};
  return {0};
}

}  // namespace

Text decode_cp932(std::string_view bytes) {
  // CP932 keeps ASCII as it is; most lines of a game (type lines, file
  // names, numbers) are nothing else and need no converter.
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return Text(bytes.begin(), bytes.end());
  }
  thread_local Converter converter("UTF-32LE", "CP932");
  Text out;
  out.reserve(bytes.size());
  // Skipping only the offending lead byte lets its would-be trail byte,
  // often plain ASCII, show up as itself.
  converter.run(
      bytes, 1, [&](std::string_view chunk) { append_utf32le(out, chunk); },
      [&] { out += kReplacementChar; });
  return out;
}

std::string encode_cp932(TextView text) {
  thread_local Converter converter("CP932", "UTF-32LE");
  std::string utf32;
  utf32.reserve(text.size() * 4);
  for (const char32_t c : text)
    for (int shift = 0; shift < 32; shift += 8) utf32 += static_cast<char>((c >> shift) & 0xFF);
  std::string out;
  converter.run(
      utf32, 4, [&](std::string_view chunk) { out += chunk; }, [&] { out += '?'; });
  return out;
}

std::string to_utf8(TextView text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) {
    if (c > kLastCodePoint || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacementChar;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

Text from_utf8(std::string_view bytes) {
  // A bad sequence becomes one U+FFFD for its longest valid beginning, as the
  // Unicode standard recommends; the second byte's range rules out overlong
  // forms, surrogates and values above U+10FFFF.
  Text out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i++]);
    const Utf8Lead form = utf8_lead(lead);
    if (form.length <= 1) {
      out += form.length == 1 ? char32_t{lead} : kReplacementChar;
      continue;
    }
    char32_t c = lead & (0x7F >> form.length);
    int have = 1;
    for (; have < form.length && i < bytes.size(); ++have, ++i) {
      const auto next = static_cast<unsigned char>(bytes[i]);
      const bool fits = have == 1 ? next >= form.low && next <= form.high : (next & 0xC0) == 0x80;
      if (!fits) break;
      c = c << 6 | (next & 0x3F);
    }
    out += have == form.length ? c : kReplacementChar;
  }
  return out;
}

std::vector<std::string_view> split_lines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r') continue;
    lines.push_back(bytes.substr(start, i - start));
    if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

std::vector<Text> read_text_lines(std::string_view bytes) {
  std::vector<Text> lines;
  for (const std::string_view line : split_lines(bytes)) lines.push_back(decode_cp932(line));
  return lines;
}

Text char_at(TextView text, long pos) {
  if (pos <= 0 || static_cast<unsigned long>(pos) > text.size()) return {};
  return Text(1, text[static_cast<std::size_t>(pos) - 1]);
}

Text one_line(TextView text, std::size_t length) {
  Text line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (line.size() == length) {
      line += U'…';
      break;
    }
    const char32_t c = text[i];
    if (c != U'\r' && c != U'\n') {
      line += c;
    } else if (c == U'\r' || i == 0 || text[i - 1] != U'\r') {
      line += U' ';
    }
  }
  return line;
}

}  // namespace tw
