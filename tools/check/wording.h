#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "base/failure.h"
#include "base/text.h"
#include "script/type_line.h"

namespace tw {

// Small helpers the checks share to read lines and word their findings.

// A line quoted in a finding: on one line, and cut where it would run past
// what a reader takes in at a glance.
inline std::string in_quotes(TextView text) {
  constexpr std::size_t kQuoteLength = 60;
  return "\"" + to_utf8(one_line(text, kQuoteLength)) + "\"";
}

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

// The edits that turn one word into another: a character put in, left out
// or changed, or two neighbours swapped ("NORMLA" is one from "NORMAL").
inline std::size_t spelling_distance(TextView a, TextView b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      d[i][j] =
          std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

// The keyword a misspelt type line most likely meant, with the rest of the
// line kept: "NORMLA" is "NORMAL", "COMAND<1><2>" is "COMMAND<1><2>". Only
// its leading word is compared, and only a near miss is offered.
inline std::optional<Text> nearest_keyword(TextView line) {
  std::size_t head = 0;
  while (head < line.size() && head < 16 &&
         ((line[head] >= U'A' && line[head] <= U'Z') || line[head] == U'_'))
    ++head;
  if (head == 0) return std::nullopt;
  const TextView word = line.substr(0, head);
  std::optional<Text> nearest;
  std::size_t best = 3;
  for (const Keyword& keyword : kKeywords) {
    const std::size_t distance = spelling_distance(word, keyword.word);
    if (distance == 0 || distance >= best || distance > keyword.word.size() / 3 + 1) continue;
    // A whole-line keyword takes nothing after it.
    if (!keyword.prefix && head < line.size()) continue;
    best = distance;
    nearest = Text(keyword.word) + Text(line.substr(head));
  }
  return nearest;
}

}  // namespace tw
