#include "base/text.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/inputs.h"

namespace tw {
namespace {

std::string read_bytes(const std::string& name) {
  return test::read_bytes(test::third_party("text-sjis/" + name));
}

// glibc must read every two-byte sequence as Microsoft's table does; of the
// single bytes it leaves only 80, A0 and FD-FF undecoded.
TEST(Cp932, AgreesWithMicrosoftTable) {
  std::istringstream in(read_bytes("tables/cp932-decode-python.tsv"));
  int pairs = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::string hex = line.substr(0, line.find('\t'));
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2)
      bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    const auto expected = static_cast<char32_t>(std::stoul(line.substr(hex.size() + 3), nullptr, 16));
    const bool undecoded = hex == "80" || hex == "A0" || hex >= "FD";
    EXPECT_EQ(decode_cp932(bytes), Text(1, undecoded ? U'\uFFFD' : expected)) << hex;
    pairs += bytes.size() == 2;
  }
  EXPECT_EQ(pairs, 9604);
  // A real text, with a bare LF at byte 32769 inside its line.
  const std::string kobayashi = read_bytes("kobayashi_dokubo_43684_ruby_24734.txt");
  EXPECT_EQ(decode_cp932(kobayashi).size(), 19981u);
  EXPECT_EQ(read_text_lines(kobayashi).size(), 349u);
}

// Bytes that do not decode become U+FFFD; characters CP932 lacks become "?".
TEST(Text, BadInputOfEveryConversionIsReplaced) {
  EXPECT_EQ(decode_cp932("a\x81"), U"a\uFFFD");                // lead byte cut off
  EXPECT_EQ(decode_cp932("\x81 \x81\x40"), U"\uFFFD \u3000");  // only the lead is skipped
  EXPECT_EQ(decode_cp932(std::string("\0\x82\xA0", 3)), Text(U"\0\u3042", 2));
  const Text text = U"a\u2015\uFF3C\u2160\u5393\u3042\uFF76";
  EXPECT_EQ(decode_cp932(encode_cp932(text)), text);
  EXPECT_EQ(encode_cp932(U"x\U0001F600y\u00E9" + Text(1, char32_t{0xD800})), "x?y??");
  EXPECT_EQ(from_utf8("\xE3\x81z"), U"\uFFFDz");                // one replacement for a cut-off sequence
  EXPECT_EQ(from_utf8("\xC0\xAF"), U"\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(from_utf8("\xED\xA0\x80"), U"\uFFFD\uFFFD\uFFFD");  // surrogate
  EXPECT_EQ(from_utf8("\xF4\x90\x80\x80"), U"\uFFFD\uFFFD\uFFFD\uFFFD");  // above U+10FFFF
  const std::string valid = "a\xE3\x81\x82\xF0\x9D\x84\x9E";
  EXPECT_EQ(from_utf8(valid), U"a\u3042\U0001D11E");
  EXPECT_EQ(to_utf8(from_utf8(valid)), valid);
  EXPECT_EQ(to_utf8(Text{char32_t{0xDC00}, char32_t{0x110000}}), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

// Lines end at CR or CR LF only; characters count from 1.
TEST(Text, SplitsLinesAndTakesCharactersByPosition) {
  using Lines = std::vector<std::string_view>;
  EXPECT_EQ(split_lines(""), Lines{});
  EXPECT_EQ(split_lines("\r"), Lines{""});
  EXPECT_EQ(split_lines("a\r\n\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(split_lines("a\rb\r\r\nc\nd\r\n\n"), (Lines{"a", "b", "", "c\nd", "\n"}));
  const Text text = U"a\u3042b";
  EXPECT_EQ(char_at(text, 2) + char_at(text, 3), U"\u3042b");
  for (const long pos : {-1L, 0L, 4L}) EXPECT_EQ(char_at(text, pos), U"") << pos;
  // Quoted to a reader: one line, each line end a blank, cut with a mark.
  EXPECT_EQ(one_line(U"a\r\nb\nc\rd"), U"a b c d");
  EXPECT_EQ(one_line(U"abcdef", 4), U"abcd…");
  EXPECT_EQ(one_line(U"abcd", 4), U"abcd");
}

}  // namespace
}  // namespace tw
