// The shortest text of a float, against the standard library's own
// std::to_chars: the same characters over floats of every size, the whole
// numbers whose plain form spells more digits than the shortest ones, and
// the neighbours of each power of ten, where the plain and the scientific
// form trade places.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/byte_order.h"
#include "core/float_text.h"

namespace {

std::vector<float> Floats_Of_Every_Kind() {
  std::mt19937 random(5);
  std::vector<float> values = {0.0f, -0.0f};
  for (int i = 0; i < 200000; ++i) {
    const float any = Bit_Copy<float>(static_cast<uint32_t>(random()));
    if (std::isfinite(any)) values.push_back(any);
    // Whole numbers up to 10^14: above 2^24 the plain form spells the exact
    // float, whose last digits the shortest form leaves out.
    values.push_back(std::floor(std::ldexp(1.0f + static_cast<float>(random() % 1000) / 1000.0f,
                                           static_cast<int>(random() % 47))));
  }
  for (float power = 1e-38f; std::isfinite(power); power *= 10.0f)
    for (float near : {power, std::nextafter(power, 0.0f), std::nextafter(power, INFINITY)})
      values.insert(values.end(), {near, -near, 3 * near, 12345 * near});
  std::erase_if(values, [](float value) { return !std::isfinite(value); });
  return values;
}

TEST(FloatText, ShortestTextIsTheStandardLibrarysShortestText) {
  for (float value : Floats_Of_Every_Kind()) {
    char text[64];
    std::string expected(text, std::to_chars(text, text + sizeof text, value).ptr);
    if (expected.find_first_of(".e") == std::string::npos) expected += ".0";
    ASSERT_EQ(Shortest_Float_Text(value), expected) << "bits " << Bit_Copy<uint32_t>(value);

    // d.ddd e X: the digits without the point, and X.
    char* end = std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::scientific).ptr;
    char* e = std::find(text, end, 'e');
    std::string digits(text, e);
    if (digits.size() > 1) digits.erase(1, 1);
    const Shortest_Digits shortest = Shortest_Digits_Of(value);
    ASSERT_EQ(std::string(shortest.digits, static_cast<size_t>(shortest.count)), digits) << expected;
    ASSERT_EQ(shortest.exponent, std::atoi(std::string(e + 1, end).c_str())) << expected;
  }
  EXPECT_EQ(Shortest_Float_Text(-INFINITY), "-inf.0");
}

}  // namespace
