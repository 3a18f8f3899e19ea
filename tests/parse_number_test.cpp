// The number parse every reader and the save command share.
#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "core/parse_number.h"
#include "import/line_values.h"

namespace {

struct Parse_Case {
  const char* text;
  double value;
};

void PrintTo(const Parse_Case& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class ParseNumberReads : public ::testing::TestWithParam<Parse_Case> {};

TEST_P(ParseNumberReads, LeadingNumber) {
  EXPECT_EQ(Parse_Number(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ParseNumberReads,
    ::testing::Values(
        // plain forms, as mesh writers print them
        Parse_Case{"12", 12}, Parse_Case{"-2", -2}, Parse_Case{"+7", 7}, Parse_Case{"3.25", 3.25},
        Parse_Case{".5", 0.5}, Parse_Case{"5.", 5}, Parse_Case{"1.5e+001", 15},
        Parse_Case{"-1.34230289E-014", -1.34230289e-14}, Parse_Case{"3.422440e+000", 3.42244},
        Parse_Case{"2D3", 2000}, Parse_Case{"2d-1", 0.2},
        // blanks anywhere are ignored
        Parse_Case{"3 4", 34}, Parse_Case{"  20", 20}, Parse_Case{"\t- 1 . 5", -1.5},
        Parse_Case{"1 e 2", 100}, Parse_Case{"1\n2", 12},
        // reading stops at the first character that cannot continue
        Parse_Case{"1,5", 1}, Parse_Case{"7\r", 7}, Parse_Case{"1.5.3", 1.5}, Parse_Case{"12abc", 12},
        Parse_Case{"1e", 1}, Parse_Case{"1e+", 1}, Parse_Case{"4-2", 4}, Parse_Case{"10 data", 10},
        // no digits: zero
        Parse_Case{"", 0}, Parse_Case{"abc", 0}, Parse_Case{"-", 0}, Parse_Case{".", 0},
        Parse_Case{"e5", 0}, Parse_Case{"inf", 0}, Parse_Case{"nan", 0}, Parse_Case{"-inf", 0},
        // hexadecimal and octal
        Parse_Case{"&HFF", 255}, Parse_Case{"&h1f", 31}, Parse_Case{"&O17", 15}, Parse_Case{"&o8", 0},
        Parse_Case{"&X1", 0}, Parse_Case{"& H 1f", 31}, Parse_Case{" &\tO 1 7", 15}, Parse_Case{"& ", 0}));

// Every shape a mesh writer prints reads exactly as a full, correctly
// rounded conversion does.
TEST(ParseNumber, MatchesCorrectlyRoundedConversion) {
  std::mt19937_64 random(7);
  const char* formats[] = {"%e", "%f", "%.9g", "%.17g", "%.3e", "%.12f", "%E", "%.20e"};
  char text[128];
  for (int i = 0; i < 200000; ++i) {
    double value;
    switch (i % 3) {
      case 0: value = std::uniform_real_distribution<double>(-2000, 2000)(random); break;
      case 1: value = std::ldexp(std::uniform_real_distribution<double>(-1, 1)(random), static_cast<int>(random() % 200) - 100); break;
      default: value = static_cast<double>(static_cast<int64_t>(random() >> (random() % 64))); break;
    }
    std::snprintf(text, sizeof text, formats[i % 8], value);
    double expected = 0;
    std::from_chars(text, text + std::strlen(text), expected);
    ASSERT_EQ(Parse_Number(text), expected) << text;
  }
}

// The plain-number scan reads digits several at a time: runs of every
// length, followed by every kind of character (just below and above the
// digits, bytes with the high bit set, a NUL) or by the end of the text.
TEST(ParseNumber, PlainScanReadsDigitRunsOfEveryLength) {
  const std::string followers[] = {"", "/", ":", " ", ",", "\x80", "\xff", std::string(1, '\0'), "e+01", "x"};
  const std::string prefixes[] = {"", "-", "7.", "-1234567.", "123456789012."};
  for (const std::string& prefix : prefixes)
    for (int length = 1; length <= 21; ++length)
      for (const std::string& follower : followers) {
        std::string digits;
        for (int k = 0; k < length; ++k) digits += static_cast<char>('0' + (k * 7 + length) % 10);
        const bool exponent = follower == "e+01";
        const std::string number = prefix + digits + follower;
        const size_t read_length = prefix.size() + digits.size() + (exponent ? follower.size() : 0);
        // What lies beyond the text's end is never read as part of it.
        const std::string padded = number + "99999999";
        const char* begin = padded.data();
        double value = -1;
        const char* stop = Scan_Plain_Decimal(begin, begin + number.size(), value);
        const std::string shown = "\"" + number + "\"";

        int significant = 0;
        uint64_t mantissa = 0;
        for (char c : prefix + digits)
          if (c >= '0' && c <= '9' && ++significant <= 19) mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
        if (significant > 19 || mantissa > (uint64_t{1} << 53)) {
          EXPECT_EQ(stop, nullptr) << shown;
          continue;
        }
        ASSERT_NE(stop, nullptr) << shown;
        EXPECT_EQ(stop - begin, static_cast<long>(read_length)) << shown;
        double expected = 0;
        std::from_chars(begin, begin + read_length, expected);
        EXPECT_EQ(value, expected) << shown;
      }
}

// Whole numbers as PLY face lines hold them read as the full parse and
// rounding would read them, fast path or not.
TEST(ParseNumber, PlainIntegerScanAgreesWithTheFullParse) {
  const char* tokens[] = {"0",          "-0",         "7",           "0042",         "123456789",   "-123456789",
                          "1234567890", "2147483647", "-2147483648", "99999999999", "12345678901234567890",
                          "2.5",        "-3.5",       "1e3",         "4E-1",        "&H1F",        "+8",
                          "-",          "x1",         "5x",          "6d1",         "00000000000000000001"};
  for (const char* token : tokens) {
    const std::string text = std::string("  ") + token + "\t 9";
    int32_t values[2] = {-1, -1};
    ASSERT_EQ(Read_Blank_Separated_Int32(text, values, 2), 2) << token;
    EXPECT_EQ(values[0], Round_To_Int32(Parse_Number(token))) << token;
    EXPECT_EQ(values[1], 9) << token;
  }
}

TEST(ParseNumber, OutOfRangeSaturatesOrVanishes) {
  EXPECT_EQ(Parse_Number("1e400"), DBL_MAX);
  EXPECT_EQ(Parse_Number("-1e400"), -DBL_MAX);
  EXPECT_EQ(Parse_Number("123456e99999999999999"), DBL_MAX);
  EXPECT_EQ(Parse_Number("1e-400"), 0.0);
  EXPECT_EQ(Parse_Number("0.000001e-320"), 0.0);
  EXPECT_EQ(Parse_Number("0e99999"), 0.0);
  EXPECT_TRUE(std::isfinite(Parse_Number(std::string(5000, '9'))));
}

TEST(ParseNumber, NegativeZeroKeepsItsSign) {
  EXPECT_TRUE(std::signbit(Parse_Number("-0.000000")));
  EXPECT_TRUE(std::signbit(Parse_Number("-0.000000e+000")));
}

TEST(RoundTo, SingleSaturatesAtLargestFiniteFloat) {
  EXPECT_EQ(Round_To_Single(1e300), FLT_MAX);
  EXPECT_EQ(Round_To_Single(-1e300), -FLT_MAX);
  EXPECT_EQ(Round_To_Single(Parse_Number("1e39")), FLT_MAX);
  EXPECT_EQ(Round_To_Single(0.1), 0.1f);
  EXPECT_EQ(Round_To_Single(3.4028235e38), FLT_MAX);
}

TEST(RoundTo, IntegersTieToEvenAndSaturate) {
  EXPECT_EQ(Round_To_Int32(2.5), 2);
  EXPECT_EQ(Round_To_Int32(3.5), 4);
  EXPECT_EQ(Round_To_Int32(-2.5), -2);
  EXPECT_EQ(Round_To_Int32(2.4999), 2);
  EXPECT_EQ(Round_To_Int32(1e12), INT32_MAX);
  EXPECT_EQ(Round_To_Int32(-1e12), INT32_MIN);
}

}  // namespace
