#include "base/number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "base/failure.h"

namespace tw {
namespace {

constexpr long long kInt16Min = std::numeric_limits<std::int16_t>::min();
constexpr long long kInt16Max = std::numeric_limits<std::int16_t>::max();
// More integer digits than this cannot round into the 16-bit range.
constexpr std::size_t kMaxInt16Digits = 5;

// A number text taken apart; the digit strings hold ASCII digits only.
struct Decimal {
  bool negative = false;
  std::string whole;
  std::string fraction;
};

bool is_blank(char32_t c) { return c == U' ' || c == U'\t'; }
bool is_digit(char32_t c) { return c >= U'0' && c <= U'9'; }

std::string quoted(TextView text) { return "「" + to_utf8(text) + "」"; }

[[noreturn]] void fail_not_a_number(TextView text) { throw Failure("数値ではありません: " + quoted(text)); }

[[noreturn]] void fail_range(const std::string& shown) { throw Failure("16ビットの範囲外です: " + shown); }

Decimal parse(TextView text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && is_blank(text[begin])) ++begin;
  while (end > begin && is_blank(text[end - 1])) --end;
  Decimal d;
  if (begin < end && (text[begin] == U'+' || text[begin] == U'-')) d.negative = text[begin++] == U'-';
  bool point = false;
  for (std::size_t i = begin; i < end; ++i) {
    const char32_t c = text[i];
    if (c == U'.' && !point) {
      point = true;
    } else if (is_digit(c)) {
      (point ? d.fraction : d.whole) += static_cast<char>(c);
    } else {
      fail_not_a_number(text);
    }
  }
  if (d.whole.empty() && d.fraction.empty()) fail_not_a_number(text);
  return d;
}

}  // namespace

std::int16_t to_int16(TextView text) {
  const Decimal d = parse(text);
  const std::size_t first = d.whole.find_first_not_of('0');
  const std::string whole = first == std::string::npos ? "" : d.whole.substr(first);
  if (whole.size() > kMaxInt16Digits) fail_range(quoted(text));
  long long magnitude = whole.empty() ? 0 : std::stoll(whole);
  // Exact rounding from the digits: the first fraction digit decides, and a
  // 5 followed only by zeros is a half that goes to the even neighbour.
  if (!d.fraction.empty()) {
    const char head = d.fraction.front();
    const bool rest_zero = d.fraction.find_first_not_of('0', 1) == std::string::npos;
    if (head > '5' || (head == '5' && (!rest_zero || magnitude % 2 == 1))) ++magnitude;
  }
  const long long value = d.negative ? -magnitude : magnitude;
  if (value < kInt16Min || value > kInt16Max) fail_range(quoted(text));
  return static_cast<std::int16_t>(value);
}

double to_real(TextView text) {
  const Decimal d = parse(text);
  const bool below_one = d.whole.find_first_not_of('0') == std::string::npos;
  const std::string ascii = (d.whole.empty() ? "0" : d.whole) + "." + (d.fraction.empty() ? "0" : d.fraction);
  double value = 0;
  const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  // Too small a value reads as zero; too large a one has no double at all.
  if (result.ec == std::errc::result_out_of_range) {
    if (!below_one) throw Failure("数値が大きすぎます: " + quoted(text));
    value = 0;
  }
  return d.negative ? -value : value;
}

std::int16_t round_to_int16(double value) {
  // Ties to even, spelled out so a changed floating-point rounding mode
  // cannot alter it; value - floor(value) is exact for every double.
  const double below = std::floor(value);
  const double excess = value - below;
  double rounded = below;
  if (excess > 0.5 || (excess == 0.5 && std::fmod(below, 2.0) != 0)) rounded = below + 1;
  if (!(rounded >= kInt16Min && rounded <= kInt16Max)) {  // NaN fails here too
    char shown[32];
    const auto result = std::to_chars(shown, shown + sizeof shown, value);
    fail_range(std::string(shown, result.ptr));
  }
  return static_cast<std::int16_t>(rounded);
}

std::int16_t checked_int16(long long value) {
  if (value < kInt16Min || value > kInt16Max) fail_range(std::to_string(value));
  return static_cast<std::int16_t>(value);
}

Text decimal_text(long long value) {
  const std::string digits = std::to_string(value);
  return Text(digits.begin(), digits.end());
}

}  // namespace tw
