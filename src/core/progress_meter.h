#pragma once
// Reports a line-by-line read's progress through a Progress, by the share of
// the input's bytes consumed (0 while the size of a stream is unknown),
// checking only every few thousand lines so that the reading loop stays cheap.

#include <cstdint>
#include <string_view>

#include "core/line_reader.h"
#include "core/outcome.h"
#include "core/progress.h"

class Progress_Meter {
 public:
  Progress_Meter(Progress* progress, const Line_Reader& file) : progress_(progress), file_(file) {}

  // The stage spans percent_from..percent_to of the whole operation. False
  // when the user asked to stop.
  bool Step(std::string_view stage, int percent_from, int percent_to) {
    if (!progress_ || ++calls_ % 16384 != 0) return true;
    const int64_t size = file_.Input_Size();
    int share = size > 0 ? static_cast<int>(file_.Bytes_Consumed() * 100 / static_cast<uint64_t>(size)) : 0;
    if (share > 100) share = 100;
    return progress_->Update(stage, percent_from + (percent_to - percent_from) * share / 100);
  }

  static Outcome Cancelled() { return Outcome::Cancelled(); }

 private:
  Progress* progress_;
  const Line_Reader& file_;
  uint64_t calls_ = 0;
};
