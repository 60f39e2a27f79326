#include "platform/headless/trace.h"

#include <cmath>
#include <cstdio>

namespace tw {

std::string json_string(std::string_view utf8_text) {
  std::string out = "\"";
  for (const char c : utf8_text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

void JsonObject::key(std::string_view name) {
  if (body_.size() > 1) body_ += ',';
  body_ += json_string(name);
  body_ += ':';
}

JsonObject& JsonObject::field(std::string_view name, std::string_view utf8_text) {
  key(name);
  body_ += json_string(utf8_text);
  return *this;
}

JsonObject& JsonObject::field(std::string_view name, TextView text) {
  return field(name, std::string_view(to_utf8(text)));
}

JsonObject& JsonObject::field(std::string_view name, long long number) {
  key(name);
  body_ += std::to_string(number);
  return *this;
}

JsonObject& JsonObject::field(std::string_view name, double number) {
  key(name);
  if (std::isfinite(number) && number == std::floor(number) && std::fabs(number) < 1e15) {
    body_ += std::to_string(static_cast<long long>(number));
  } else {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", std::isfinite(number) ? number : 0.0);
    body_ += text;
  }
  return *this;
}

JsonObject& JsonObject::field(std::string_view name, bool value) {
  key(name);
  body_ += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::raw(std::string_view name, std::string_view json) {
  key(name);
  body_ += json;
  return *this;
}

void Trace::write(std::int64_t now_ms, const JsonObject& object) {
  const std::string fields = object.str();
  out_ << "{\"t\":" << now_ms;
  if (fields.size() > 2)
    out_ << ',' << fields.substr(1);
  else
    out_ << '}';
  out_ << '\n';
  out_.flush();
}

}  // namespace tw
