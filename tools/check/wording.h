#pragma once

#include <string>

#include "base/failure.h"
#include "base/text.h"

namespace tw {

// Small helpers the checks share to read lines and word their findings.

inline std::string in_quotes(TextView text) { return "\"" + to_utf8(text) + "\""; }

// Whether one of the engine's readings goes through without a failure.
template <class Read>
bool reads(Read&& read) {
  try {
    read();
    return true;
  } catch (const Failure&) {
    return false;
  }
}

inline bool is_blank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\u3000'; }

// The line as an author may have meant it: without surrounding blanks, with
// full-width letters made ASCII and letters made upper case.
inline Text as_meant(TextView line) {
  while (!line.empty() && is_blank(line.front())) line.remove_prefix(1);
  while (!line.empty() && is_blank(line.back())) line.remove_suffix(1);
  Text text(line);
  for (char32_t& c : text) {
    if (c >= U'！' && c <= U'～') c = c - U'！' + U'!';
    if (c >= U'a' && c <= U'z') c = c - U'a' + U'A';
  }
  return text;
}

}  // namespace tw
