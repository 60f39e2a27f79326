#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "base/text.h"

namespace tw {

// Builds one JSON object of the replay trace.
class JsonObject {
 public:
  JsonObject& field(std::string_view key, std::string_view utf8_text);
  JsonObject& field(std::string_view key, TextView text);
  JsonObject& field(std::string_view key, const char* utf8_text) {
    return field(key, std::string_view(utf8_text));
  }
  JsonObject& field(std::string_view key, long long number);
  JsonObject& field(std::string_view key, int number) { return field(key, static_cast<long long>(number)); }
  JsonObject& field(std::string_view key, double number);
  JsonObject& field(std::string_view key, bool value);
  // A value that is already JSON (a nested object or array).
  JsonObject& raw(std::string_view key, std::string_view json);

  std::string str() const { return body_ + "}"; }

 private:
  void key(std::string_view name);
  std::string body_ = "{";
};

// The text as a JSON string literal, quotes included.
std::string json_string(std::string_view utf8_text);

// The trace: one JSON object per line, each with the virtual time "t".
class Trace {
 public:
  explicit Trace(std::ostream& out) : out_(out) {}
  // Writes {"t":now, ...fields of `object`}.
  void write(std::int64_t now_ms, const JsonObject& object);

 private:
  std::ostream& out_;
};

}  // namespace tw
