#include "base/number.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/failure.h"
#include "support/inputs.h"

namespace tw {
namespace {

// A text reads as a 16-bit number rounded from its digits, halves to even,
// or as a double without rounding; both refuse the same texts.
TEST(Number, TextsReadRoundedToInt16OrUnroundedAsReals) {
  Text read;
  for (const Text text :
       {U"0", U" \t-12 ", U"+7", U"5.", U".5", U"1.5", U"2.5", U"3.5", U"-2.5", U"-3.5", U"2.51", U"2.4999",
        U"-0.4", U"32767.4", U"-32768.5", U"0.5000000000000000001", U"000000000000000032767"})
    read += decimal_text(to_int16(text)) + U" ";
  EXPECT_EQ(to_utf8(read), "0 -12 7 5 0 2 2 4 -2 -4 3 2 0 32767 -32768 1 32767 ");
  EXPECT_EQ(to_real(U" -2.5\t"), -2.5);
  EXPECT_EQ(to_real(U".25"), 0.25);
  EXPECT_EQ(to_real(U"0." + Text(400, U'0') + U"1"), 0.0);

  for (const Text text :
       {U"", U"  ", U".", U"-", U"1e3", U"0x10", U"1,000", U"--1", U"+ 1", U"1.2.3", U"\u30001", U"\uFF11"}) {
    const std::string refused = "数値ではありません: 「" + to_utf8(text) + "」";
    EXPECT_EQ(test::failure_of([&] { to_int16(text); }), refused);
    EXPECT_EQ(test::failure_of([&] { to_real(text); }), refused);
  }
  const Text huge(400, U'9');
  for (const Text text : {U"32767.5", U"32768", U"-32768.6", U"100000", huge.c_str()})
    EXPECT_EQ(test::failure_of([&] { to_int16(text); }), "16ビットの範囲外です: 「" + to_utf8(text) + "」");
  EXPECT_THROW(to_real(huge), Failure);
}

// Results of arithmetic: doubles round halves to even, and both they and
// integers must fit 16 bits.
TEST(Number, ResultsRoundHalvesToEvenAndMustFitSixteenBits) {
  Text rounded;
  for (const double value : {0.5, 1.5, -2.5, 2.5000001, 32767.4, -32768.5, 0.49999999999999994})
    rounded += decimal_text(round_to_int16(value)) + U" ";
  EXPECT_EQ(to_utf8(rounded), "0 2 -2 3 32767 -32768 0 ");
  using Limits = std::numeric_limits<double>;
  for (const double value : {32767.5, -32768.51, 1e300, Limits::quiet_NaN(), -Limits::infinity()})
    EXPECT_THROW(round_to_int16(value), Failure) << value;
  for (const long long value : {-32768LL, 32767LL}) EXPECT_EQ(checked_int16(value), value);
  for (const long long value : {32768LL, -32769LL, std::numeric_limits<long long>::min()})
    EXPECT_THROW(checked_int16(value), Failure) << value;
}

}  // namespace
}  // namespace tw
