#include "core/line_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {
constexpr size_t kChunk = 1 << 20;
constexpr size_t kSmall_Buffer = 4096;
// The longest line and a CR LF after it.
constexpr size_t kMax_Buffer = Line_Reader::kMax_Line + 2;
}  // namespace

void Line_Reader::Open(Byte_Source& source) {
  source_ = &source;
  size_ = source.Size();
  // A small input gets a buffer of about its own size, not a whole chunk.
  size_t wanted = size_ >= 0 && static_cast<uint64_t>(size_) < kChunk ? kSmall_Buffer : kChunk;
  while (wanted < kChunk && static_cast<int64_t>(wanted) <= size_) wanted *= 2;
  if (buffer_.size() < wanted) buffer_.Size_Zeroed(wanted);
  begin_ = end_ = 0;
  eof_ = failed_ = too_long_ = false;
  consumed_ = 0;
  lines_ = 0;
  lf_valid_ = cr_valid_ = false;
}

bool Line_Reader::Fill() {
  if (eof_ || failed_ || !source_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    // Where the searches stopped moves with the bytes.
    for (auto [cache, valid] : {std::pair{&lf_, &lf_valid_}, std::pair{&cr_, &cr_valid_}}) {
      if (*valid && *cache >= begin_)
        *cache -= begin_;
      else
        *valid = false;
    }
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) {  // a line longer than the buffer
    if (end_ >= kMax_Buffer) {
      too_long_ = failed_ = true;
      return false;
    }
    buffer_.Resize(std::min(buffer_.size() * 2, kMax_Buffer));
  }
  int64_t got = 0;
  if (!Read_Into(buffer_.data() + end_, buffer_.size() - end_, got)) return false;
  end_ += static_cast<size_t>(got);
  return true;
}

bool Line_Reader::Read_Into(char* out, size_t size, int64_t& got) {
  got = source_->Read(out, size);
  if (got > 0) return true;
  if (got == 0)
    eof_ = true;
  else
    failed_ = true;
  got = 0;
  return false;
}

bool Line_Reader::Peek(size_t count, std::string_view& bytes) {
  count = std::min(count, kMax_Line);
  while (end_ - begin_ < count && Fill()) {
  }
  bytes = std::string_view(buffer_.data() + begin_, std::min(count, end_ - begin_));
  return !failed_;
}

size_t Line_Reader::Read_Raw(char* out, size_t size) {
  if (!source_ || failed_) return 0;
  const size_t buffered = std::min(size, end_ - begin_);
  if (buffered > 0) std::memcpy(out, buffer_.data() + begin_, buffered);
  begin_ += buffered;
  size_t done = buffered;
  if (begin_ == end_) {
    begin_ = end_ = 0;
    lf_valid_ = cr_valid_ = false;
  }
  // What the buffer did not hold comes straight from the source: a large
  // read costs no copy through the buffer.
  while (done < size && !eof_) {
    int64_t got = 0;
    if (!Read_Into(out + done, size - done, got)) break;
    done += static_cast<size_t>(got);
  }
  consumed_ += done;
  return done;
}

size_t Line_Reader::Find(char c, size_t& cache, bool& cache_valid) {
  // The cache holds the first `c` at or after begin_, or, where the buffer
  // held none, where the buffer ended when it was searched. Bytes appended
  // since are searched from there on, never the whole line again: a long
  // line arriving from a pipe a few kilobytes at a time costs one pass, not
  // one per piece.
  size_t from = begin_;
  if (cache_valid && cache >= begin_) {
    if (cache < end_ && buffer_[cache] == c) return cache;
    from = cache;
  }
  const void* hit = std::memchr(buffer_.data() + from, c, end_ - from);
  cache = hit ? static_cast<size_t>(static_cast<const char*>(hit) - buffer_.data()) : end_;
  cache_valid = true;
  return cache;
}

bool Line_Reader::Hand_Out(std::string_view& line, size_t length, size_t skip) {
  if (length > kMax_Line) {
    too_long_ = failed_ = true;
    return false;
  }
  line = std::string_view(buffer_.data() + begin_, length);
  consumed_ += length + skip;
  begin_ += length + skip;
  ++lines_;
  return true;
}

bool Line_Reader::Next(std::string_view& line) {
  if (!source_ || failed_) return false;
  for (;;) {
    // Each search remembers where it stopped: a chunk without CR costs one
    // scan for it, and a CR LF file finds each CR just before its LF.
    size_t lf = Find('\n', lf_, lf_valid_);
    size_t cr = Find('\r', cr_, cr_valid_);
    size_t stop = cr < lf ? cr : lf;
    if (stop < end_) {
      size_t skip = 1;
      if (buffer_[stop] == '\r') {
        if (stop + 1 == end_ && !eof_) {  // a CR LF may be cut by the chunk's end
          if (Fill() || eof_) continue;
          return false;
        }
        if (stop + 1 < end_ && buffer_[stop + 1] == '\n') skip = 2;
      }
      return Hand_Out(line, stop - begin_, skip);
    }
    if (Fill()) continue;
    if (failed_) return false;
    if (begin_ < end_) return Hand_Out(line, end_ - begin_, 0);  // the last line has no line end
    return false;
  }
}

std::string At_Line(int64_t line) { return "Line " + std::to_string(line) + ": "; }

std::string Read_Failure_Text(const Line_Reader& file, const std::string& name) {
  if (!file.Line_Too_Long()) return "Cannot read file: " + name;
  return "Line " + std::to_string(file.Lines_Read() + 1) + " is longer than " +
         std::to_string(Line_Reader::kMax_Line) + " characters: not a mesh file";
}

size_t Find_Text(std::string_view line, std::string_view needle) {
  if (needle.empty()) return 0;
  if (line.size() < needle.size()) return std::string_view::npos;
  // Lines are short: look for the first character, then compare the rest,
  // which costs less than a general substring search's set-up per line.
  const char* data = line.data();
  const char* last = data + line.size() - needle.size();
  for (const char* p = data; p <= last; ++p) {
    p = static_cast<const char*>(std::memchr(p, needle[0], static_cast<size_t>(last - p) + 1));
    if (!p) break;
    if (std::memcmp(p + 1, needle.data() + 1, needle.size() - 1) == 0) return static_cast<size_t>(p - data);
  }
  return std::string_view::npos;
}
