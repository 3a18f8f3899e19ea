#include "reading_options.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

#include "assimp_bridge/scene_bytes.h"
#include "core/line_numbering.h"

namespace {

// The whole text is one number ("12", "12.5", "-3", "1e3").
bool Is_Number(std::string_view text, double& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) value = text.front() == '-' ? -HUGE_VAL : HUGE_VAL;
  return end == text.data() + text.size() && (error == std::errc{} || error == std::errc::result_out_of_range);
}

}  // namespace

void Add_Line_Number_Options(CLI::App& command, std::string& start, std::string& step, const std::string& purpose) {
  command.add_option("--start", start, "First BASIC line number" + purpose + " (default 10)")
      ->check(
          [](const std::string& text) {
            double value = 0;
            return Is_Number(text, value) ? std::string() : "not a number: " + text;
          },
          "NUMBER");
  command.add_option("--step", step, "Line number step, 1 or more" + purpose + " (default 1)")
      ->check(
          [](const std::string& text) {
            double value = 0;
            if (!Is_Number(text, value)) return "not a number: " + text;
            // Rounded half to even, as the numbering reads it.
            return std::nearbyint(value) < 1 ? std::string(kStep_Below_One) : std::string();
          },
          "NUMBER");
}

void Add_Memory_Option(CLI::App& command, uint64_t& memory_bytes) {
  command
      .add_option_function<uint64_t>(
          "--memory", [&memory_bytes](const uint64_t& mib) { memory_bytes = mib << 20; },
          "MiB that reading an OBJ, glTF, 3MF, ... file may take (default: as the file's size allows, at most " +
              std::to_string(kScene_Memory_Ceiling >> 20) + ")")
      ->check(CLI::Range(uint64_t{64}, uint64_t{1} << 24));
}
