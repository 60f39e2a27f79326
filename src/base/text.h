#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// Engine texts hold one Unicode code point per character, so a 1-based
// character position of the data is simply an index plus one: a Japanese
// double-byte character counts as one character, as the games expect.
using Text = std::u32string;
using TextView = std::u32string_view;

// Decodes bytes in CP932 (the Windows form of Shift-JIS, NEC and IBM
// extensions included). Bytes that do not decode become U+FFFD; decoding
// never fails.
Text decode_cp932(std::string_view bytes);

// Encodes to CP932; characters without a CP932 form become "?".
std::string encode_cp932(TextView text);

// UTF-8 conversions for file names, fonts and the trace. Invalid UTF-8
// becomes U+FFFD.
std::string to_utf8(TextView text);
Text from_utf8(std::string_view bytes);

// Splits a text file into its lines. A line ends at CR or at CR LF; a lone
// LF stays in the line; a last line without a line end is still a line; a
// line end at the very end of the file starts no further line.
std::vector<std::string_view> split_lines(std::string_view bytes);

// split_lines followed by decode_cp932 of every line.
std::vector<Text> read_text_lines(std::string_view bytes);

// The character at 1-based position `pos`, or the empty text when the
// position lies outside the text.
Text char_at(TextView text, long pos);

// Texts quoted to a reader in one line: every line break becomes a blank,
// and a text longer than `length` characters is cut there, "…" marking the
// cut, so that a line of a megabyte costs the reader no more than a glance.
Text one_line(TextView text, std::size_t length = Text::npos);

}  // namespace tw
