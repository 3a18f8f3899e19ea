#include "export/file_sink.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kFlushAt = 1 << 20;
}  // namespace

File_Sink::~File_Sink() { Abandon(); }

bool File_Sink::Open(const std::string& target, const std::string& keep) {
  Abandon();
  failed_ = false;
  const Save_Target reached = Examine_Save_Target(target, keep);
  switch (reached.kind) {
    case Save_Target::Kind::Cannot:
      return false;
    case Save_Target::Kind::Stream:
      if (!Open_In_Place(target, file_)) return false;
      mode_ = Mode::Direct;
      return true;
    case Save_Target::Kind::Replace:
      if (!Open_Replacement(reached, file_)) return false;
      mode_ = Mode::Replace;
      if (buffer_.size() < kFlushAt) buffer_.Size_Zeroed(kFlushAt);
      return true;
  }
  return false;
}

void File_Sink::Open_Stdout() {
  Abandon();
  mode_ = Mode::Stdout;
  failed_ = false;
}

void File_Sink::Append(std::string_view text) {
  if (mode_ == Mode::Closed) return;
  if (used_ + text.size() > buffer_.size()) {
    if (mode_ != Mode::Replace) {
      // Held whole until Commit: a larger block.
      buffer_.Resize(std::max({kFlushAt, 2 * buffer_.size(), used_ + text.size()}));
    } else {
      Flush();
      if (text.size() > buffer_.size()) {
        if (!failed_ && !Write_Output(file_, text.data(), text.size())) failed_ = true;
        return;
      }
    }
  }
  if (!text.empty()) std::memcpy(buffer_.data() + used_, text.data(), text.size());
  used_ += text.size();
}

bool File_Sink::Flush() {
  if (!failed_ && used_ > 0) {
    const bool written = mode_ == Mode::Stdout ? Write_Standard_Output(buffer_.data(), used_)
                                               : Write_Output(file_, buffer_.data(), used_);
    if (!written) failed_ = true;
  }
  used_ = 0;
  return !failed_;
}

bool File_Sink::Commit() {
  bool ok = false;
  switch (mode_) {
    case Mode::Closed:
      return false;
    case Mode::Stdout:
      ok = Flush();
      break;
    case Mode::Direct:
    case Mode::Replace:
      ok = Flush();
      if (ok)
        ok = Close_Output(file_);
      else
        Discard_Output(file_);
      break;
  }
  mode_ = Mode::Closed;
  used_ = 0;
  return ok;
}

void File_Sink::Abandon() {
  used_ = 0;
  Discard_Output(file_);
  mode_ = Mode::Closed;
}
