#pragma once
// Progress of a long read or merge, for the window's progress dialog. The
// core calls Update now and then; returning false asks it to stop, and the
// operation then ends as a failed read does.

#include <string_view>

class Progress {
 public:
  virtual ~Progress() = default;
  // stage: a short text such as "Reading"; percent: 0..100.
  virtual bool Update(std::string_view stage, int percent) = 0;
};
