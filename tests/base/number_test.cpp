#include "base/number.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/failure.h"
#include "support/inputs.h"

namespace tw {
namespace {

TEST(ToInt16, RoundsExactlyHalvesToEven) {
  const std::pair<Text, int> cases[] = {
      {U"0", 0},
      {U" \t-12 ", -12},
      {U"+7", 7},
      {U"5.", 5},
      {U".5", 0},
      {U"1.5", 2},
      {U"2.5", 2},
      {U"3.5", 4},
      {U"-2.5", -2},
      {U"-3.5", -4},
      {U"2.51", 3},
      {U"2.4999", 2},
      {U"-0.4", 0},
      {U"32767.4", 32767},
      {U"-32768.5", -32768},
      {U"0.5000000000000000001", 1},
      {U"000000000000000032767", 32767},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(to_int16(text), value) << to_utf8(text);
}

TEST(ToInt16, RejectsNonNumbersAndOverflow) {
  for (const Text text : {U"", U"  ", U".", U"-", U"1e3", U"0x10", U"1,000", U"--1", U"+ 1", U"1.2.3",
                          U"\u3000"
                          U"1",
                          U"\uFF11"})
    EXPECT_EQ(test::failure_of([&] { to_int16(text); }), "数値ではありません: 「" + to_utf8(text) + "」");
  const Text huge(400, U'9');
  for (const Text text : {U"32767.5", U"32768", U"-32768.6", U"100000", huge.c_str()})
    EXPECT_EQ(test::failure_of([&] { to_int16(text); }), "16ビットの範囲外です: 「" + to_utf8(text) + "」");
}

TEST(ToReal, ReadsTheSameSyntaxWithoutRounding) {
  EXPECT_DOUBLE_EQ(to_real(U" -2.5\t"), -2.5);
  EXPECT_DOUBLE_EQ(to_real(U".25"), 0.25);
  EXPECT_EQ(to_real(U"0." + Text(400, U'0') + U"1"), 0.0);
  EXPECT_THROW(to_real(U"1e3"), Failure);
  EXPECT_THROW(to_real(Text(400, U'9')), Failure);
}

TEST(RoundToInt16, HalvesToEvenAndChecksRange) {
  const std::pair<double, int> cases[] = {{0.5, 0},
                                          {1.5, 2},
                                          {-2.5, -2},
                                          {2.5000001, 3},
                                          {32767.4, 32767},
                                          {-32768.5, -32768},
                                          {0.49999999999999994, 0}};
  for (const auto& [value, rounded] : cases) EXPECT_EQ(round_to_int16(value), rounded) << value;
  using limits = std::numeric_limits<double>;
  for (const double value : {32767.5, -32768.51, 1e300, limits::quiet_NaN(), -limits::infinity()})
    EXPECT_THROW(round_to_int16(value), Failure) << value;
}

TEST(CheckedInt16, AcceptsExactlyTheSixteenBitRangeAndPrints) {
  EXPECT_EQ(checked_int16(-32768), -32768);
  EXPECT_EQ(checked_int16(32767), 32767);
  for (const long long value : {32768LL, -32769LL, std::numeric_limits<long long>::min()})
    EXPECT_THROW(checked_int16(value), Failure) << value;
  EXPECT_EQ(decimal_text(-3) + U"," + decimal_text(0) + U"," + decimal_text(12), U"-3,0,12");
}

}  // namespace
}  // namespace tw
