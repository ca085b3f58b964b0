#include "base/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace orvex::base {
namespace {

using namespace std::string_literals;

// The edges every reader of files and options depends on: the whole token or nothing,
// range limits, and the two roads to a double (from_chars and strtod) agreeing.
TEST(NumberTextTest, ReadsWholeTokensOrNothingAtEveryEdge) {
  struct Real {
    std::string token;
    bool whole;  // wholeReal reads it
    bool plain;  // plainReal reads it too
    double value;
  };
  const Real reals[] = {
      {"1.5", true, true, 1.5},
      {"-2e3", true, true, -2000.0},
      {".5", true, true, 0.5},
      {"+1.5", true, false, 1.5},  // strtod takes the sign from_chars does not
      {"0x10", true, false, 16.0},
      {"1e-310", true, true, 1e-310},  // subnormal: the nearest double, not a failure
      {"1e-400", true, false, 0.0},
      {"1e309", false, false, 0.0},
      {"inf", false, false, 0.0},
      {"nan", false, false, 0.0},
      {"", false, false, 0.0},
      {"5abc", false, false, 0.0},
      {"5 ", false, false, 0.0},
      {"5\0x"s, false, false, 0.0},  // a NUL inside is not the token's end
  };
  for (const Real& r : reals) {
    SCOPED_TRACE("'" + r.token + "'");
    double read = 0.0;
    const RealForm form = readReal(r.token, &read);
    EXPECT_EQ(form == RealForm::kFinite, r.whole);
    const std::optional<double> whole = wholeReal(r.token);
    ASSERT_EQ(whole.has_value(), r.whole);
    if (r.whole) {
      EXPECT_EQ(*whole, r.value);
    }
#if defined(__cpp_lib_to_chars)
    const std::optional<double> plain = plainReal(r.token);
    ASSERT_EQ(plain.has_value(), r.plain);
    if (r.plain) {
      EXPECT_EQ(*plain, r.value);
    }
#endif
  }
  // What a reader that names the fault needs to tell apart.
  double v = 0.0;
  EXPECT_EQ(readReal("-1e999", &v), RealForm::kOverflow);
  EXPECT_EQ(v, -HUGE_VAL);
  EXPECT_EQ(readReal("-inf", &v), RealForm::kNonFinite);
  EXPECT_EQ(readReal("nan", &v), RealForm::kNonFinite);
  EXPECT_EQ(readReal("1e99x", &v), RealForm::kNotReal);
  EXPECT_EQ(readReal("", &v), RealForm::kNotReal);

  struct Integer {
    std::string token;
    int base;
    std::optional<long> value;
  };
  const Integer integers[] = {
      {"42", 10, 42},        {"-7", 10, -7},        {"010", 0, 8},
      {"010", 10, 10},       {"0x1f", 0, 31},       {"0x1f", 10, std::nullopt},
      {"", 10, std::nullopt}, {"4.0", 10, std::nullopt}, {"9223372036854775808", 10, std::nullopt},
      {"9223372036854775807", 10, 9223372036854775807L},   {"1\0"s, 10, std::nullopt},
      {"999999999", 0, 999999999}, {"19a", 0, std::nullopt}, {"19", 16, 25},
  };
  for (const Integer& i : integers) {
    SCOPED_TRACE("'" + i.token + "' base " + std::to_string(i.base));
    EXPECT_EQ(wholeInteger(i.token, i.base), i.value);
  }
}

}  // namespace
}  // namespace orvex::base
