#pragma once
// Reads a byte source line by line through one reusable buffer: no per-line
// allocation, and memory bounded by the longest line. LF, CR LF and a lone CR
// each end a line; the line end is not part of the line. A last line without
// a line end is still a line; an input that ends with a line end has no empty
// line after it. A line may hold up to kMax_Line characters, its line end not
// counted: a longer line ends the read as a failure (Line_Too_Long), so that
// a file without line ends (a disk image, a stream of zeros) never takes
// memory without bound.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/byte_source.h"
#include "core/flat_array.h"

class Line_Reader {
 public:
  // 16 MiB: far beyond any line of a mesh file, which stays below 32767.
  static constexpr size_t kMax_Line = size_t{16} << 20;

  Line_Reader() = default;
  explicit Line_Reader(Byte_Source& source) { Open(source); }
  Line_Reader(const Line_Reader&) = delete;
  Line_Reader& operator=(const Line_Reader&) = delete;

  // Starts reading `source` from its first byte; the buffer is kept.
  void Open(Byte_Source& source);
  // The next line, valid until the following call. False at the end of the
  // input and after a read error (see Read_Failed).
  bool Next(std::string_view& line);
  bool Read_Failed() const { return failed_; }
  // The read failed on a line longer than kMax_Line (Read_Failed too).
  bool Line_Too_Long() const { return too_long_; }
  // Lines handed out by Next since Open.
  int64_t Lines_Read() const { return lines_; }
  // The input's size in bytes, or -1 when it is not known in advance (a
  // pipe); see Byte_Source::Size.
  int64_t Input_Size() const { return size_; }
  bool Size_Known() const { return size_ >= 0; }
  // Bytes handed out as lines so far (line ends included): progress, and the
  // size of a stream once it has ended.
  uint64_t Bytes_Consumed() const { return consumed_; }
  // The input has been read to its end.
  bool Ended() const { return eof_ && begin_ == end_; }

  // Raw bytes, for inputs that are text lines followed by binary data (a
  // binary PLY's header, a binary STL's first bytes).
  //
  // Peek: the next `count` bytes (fewer where the input ends first; at most
  // kMax_Line), without consuming them: the following Next or Read_Raw
  // starts at the same byte. False after a read error.
  bool Peek(size_t count, std::string_view& bytes);
  // Read_Raw: consumes the next `size` bytes into `out`, the buffered ones
  // first, then straight from the source. Returns how many were read:
  // fewer than `size` only at the end of the input or after a read error
  // (Read_Failed). They count in Bytes_Consumed but start no line.
  size_t Read_Raw(char* out, size_t size);

 private:
  bool Fill();  // moves the unread tail to the front and reads more; false at end or error
  bool Read_Into(char* out, size_t size, int64_t& got);  // one read of the source, recording its end
  size_t Find(char c, size_t& cache, bool& cache_valid);
  bool Hand_Out(std::string_view& line, size_t length, size_t skip);

  Byte_Source* source_ = nullptr;
  Flat_Array<char> buffer_;
  size_t begin_ = 0;  // first unread byte
  size_t end_ = 0;    // one past the last byte read
  bool eof_ = false;
  bool failed_ = false;
  bool too_long_ = false;
  int64_t lines_ = 0;
  int64_t size_ = -1;
  uint64_t consumed_ = 0;
  // Next LF / CR at or after begin_, or, when none, where the buffer ended
  // when it was last searched.
  size_t lf_ = 0, cr_ = 0;
  bool lf_valid_ = false, cr_valid_ = false;
};

// "Line N: ", the start of a message about line N of an input file.
std::string At_Line(int64_t line);

// The message of a read that Read_Failed: "Cannot read file: <name>", or,
// for a line longer than kMax_Line, which line it was.
std::string Read_Failure_Text(const Line_Reader& file, const std::string& name);

// The first position of `needle` in `line`, or npos: the readers' keyword test
// ("the line contains ...", case-sensitive, anywhere).
size_t Find_Text(std::string_view line, std::string_view needle);
inline bool Contains(std::string_view line, std::string_view needle) {
  return Find_Text(line, needle) != std::string_view::npos;
}
