#include "core/line_numbering.h"

#include <cmath>
#include <cstdint>
#include <system_error>

#include <fast_float/fast_float.h>

#include "core/parse_number.h"

Outcome Set_Line_Numbering(MeshStore& store, std::string_view start_text, std::string_view step_text) {
  double start = std::nearbyint(Parse_Number(start_text));  // ties to even
  double step = std::nearbyint(Parse_Number(step_text));
  auto fits = [](double v) { return v >= INT16_MIN && v <= INT16_MAX; };
  if (!fits(start) || !fits(step))
    return Outcome::Failure("Basic Line Start and Step must lie between -32768 and 32767");
  // A BASIC that reads the program keeps the last of equal line numbers and
  // sorts the rest: a step of 0 would lose the data, a negative one reverse it.
  if (step < 1) return Outcome::Failure(std::string(kStep_Below_One));
  store.Basic_Line = static_cast<int16_t>(start);
  store.Basic_Step = static_cast<int16_t>(step);
  return Outcome::Success();
}

namespace {

// Whether the whole text is one number; `value` is that number, infinite
// beyond a double's range.
bool Is_Number_Text(std::string_view text, double& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return false;
  const auto result = fast_float::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) value = text.front() == '-' ? -HUGE_VAL : HUGE_VAL;
  return result.ptr == text.data() + text.size() &&
         (result.ec == std::errc{} || result.ec == std::errc::result_out_of_range);
}

}  // namespace

std::string Start_Text_Fault(std::string_view text) {
  double value = 0;
  return Is_Number_Text(text, value) ? std::string() : "not a number: " + std::string(text);
}

std::string Step_Text_Fault(std::string_view text) {
  double value = 0;
  if (!Is_Number_Text(text, value)) return "not a number: " + std::string(text);
  // Rounded half to even, as the numbering reads it.
  return std::nearbyint(value) < 1 ? std::string(kStep_Below_One) : std::string();
}
