#include "core/line_numbering.h"

#include <cmath>
#include <cstdint>

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
