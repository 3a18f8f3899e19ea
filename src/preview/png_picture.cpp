#include "preview/png_picture.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <new>

#include "preview/draw_lines.h"

namespace {

// The raster holds grey levels, so each pixel is its own PNG sample.
constexpr uint32_t Paper = 255;
constexpr uint32_t Ink = 0;

// CRC-32 of PNG chunks: polynomial 0x04C11DB7 in its reflected form.
constexpr std::array<uint32_t, 256> Crc_Table = [] {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}();

uint32_t Crc32(const char* bytes, size_t count) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < count; ++i) c = Crc_Table[(c ^ static_cast<unsigned char>(bytes[i])) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

// Adler-32 of the zlib stream's uncompressed data.
struct Adler32 {
  uint32_t a = 1, b = 0;
  void Update(const char* bytes, size_t count) {
    // 5552 bytes is the longest run whose sums cannot overflow 32 bits
    // before they are reduced.
    while (count > 0) {
      const size_t run = std::min<size_t>(count, 5552);
      for (size_t i = 0; i < run; ++i) {
        a += static_cast<unsigned char>(bytes[i]);
        b += a;
      }
      a %= 65521;
      b %= 65521;
      bytes += run;
      count -= run;
    }
  }
  uint32_t Value() const { return b << 16 | a; }
};

void Append_Be32(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift & 0xFF);
}

// Starts a chunk of `type` at the end of `out`: its length is filled in by
// End_Chunk once the data is written. Returns where the chunk starts.
size_t Begin_Chunk(std::string& out, const char (&type)[5]) {
  const size_t start = out.size();
  Append_Be32(out, 0);
  out.append(type, 4);
  return start;
}

// Ends the chunk started at `start`: its data length, then the CRC of its
// type and data.
void End_Chunk(std::string& out, size_t start) {
  const size_t length = out.size() - start - 8;
  for (int i = 0; i < 4; ++i) out[start + i] = static_cast<char>(length >> (24 - 8 * i) & 0xFF);
  Append_Be32(out, Crc32(out.data() + start + 4, length + 4));
}

// Deflate with the fixed Huffman codes, where the only repeats sought are
// runs of the byte just written (distance 1). A picture is mostly runs of
// white, so a row of white takes a few bytes.
class Run_Deflater {
 public:
  explicit Run_Deflater(std::string& out) : out_(out) { Put(1 | 1 << 1, 3); }  // final block, fixed codes

  void Compress(const std::vector<unsigned char>& data) {
    for (size_t i = 0; i < data.size();) {
      size_t run = 0;
      if (i > 0)
        while (run < 258 && i + run < data.size() && data[i + run] == data[i - 1]) ++run;
      if (run >= 3) {
        Put_Length(run);
        Put_Code(0, 5);  // distance 1
        i += run;
      } else {
        Put_Literal(data[i++]);
      }
    }
  }

  void Finish() {
    Put_Literal(256);  // end of block
    if (count_ > 0) out_ += static_cast<char>(bits_ & 0xFF);
  }

 private:
  // Bits go out lowest first.
  void Put(uint32_t value, int count) {
    bits_ |= static_cast<uint64_t>(value) << count_;
    count_ += count;
    while (count_ >= 8) {
      out_ += static_cast<char>(bits_ & 0xFF);
      bits_ >>= 8;
      count_ -= 8;
    }
  }
  // Huffman codes go out highest bit first.
  void Put_Code(uint32_t code, int length) {
    uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1) << (length - 1 - i);
    Put(reversed, length);
  }
  void Put_Literal(uint32_t symbol) {
    if (symbol < 144)
      Put_Code(0x30 + symbol, 8);
    else if (symbol < 256)
      Put_Code(0x190 + symbol - 144, 9);
    else if (symbol < 280)
      Put_Code(symbol - 256, 7);
    else
      Put_Code(0xC0 + symbol - 280, 8);
  }
  void Put_Length(size_t length) {
    static constexpr uint16_t kBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                         31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static constexpr uint8_t kExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                         2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    int code = 28;
    while (kBase[code] > length) --code;
    Put_Literal(257 + static_cast<uint32_t>(code));
    if (kExtra[code] > 0) Put(static_cast<uint32_t>(length - kBase[code]), kExtra[code]);
  }

  std::string& out_;
  uint64_t bits_ = 0;
  int count_ = 0;
};

}  // namespace

std::string Png_Picture(const std::vector<Segment>& segments, int width, int height) {
  if (width < 1 || height < 1 || int64_t{width} * height > Png_Max_Pixels) return {};
  try {
    std::vector<uint32_t> raster(static_cast<size_t>(width) * static_cast<size_t>(height), Paper);
    Draw_Lines(raster.data(), width, height, width, segments, Ink);

    // The image data: each row is its filter type (0, none) and then one
    // byte a pixel, as one zlib stream in one IDAT chunk.
    const size_t row_bytes = static_cast<size_t>(width) + 1;
    std::vector<unsigned char> data(row_bytes * static_cast<size_t>(height));
    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
      data[y * row_bytes] = 0;
      for (size_t x = 0; x < static_cast<size_t>(width); ++x)
        data[y * row_bytes + 1 + x] = static_cast<unsigned char>(raster[y * static_cast<size_t>(width) + x]);
    }
    std::string png;
    png.append("\x89PNG\r\n\x1A\n", 8);

    size_t chunk = Begin_Chunk(png, "IHDR");
    Append_Be32(png, static_cast<uint32_t>(width));
    Append_Be32(png, static_cast<uint32_t>(height));
    png.append({8, 0, 0, 0, 0});  // 8 bits, greyscale, deflate, the one filter method, not interlaced
    End_Chunk(png, chunk);

    chunk = Begin_Chunk(png, "IDAT");
    png.append({0x78, 0x01});  // deflate, 32 KiB window, no dictionary
    Run_Deflater deflater(png);
    deflater.Compress(data);
    deflater.Finish();
    Adler32 adler;
    adler.Update(reinterpret_cast<const char*>(data.data()), data.size());
    Append_Be32(png, adler.Value());
    End_Chunk(png, chunk);

    End_Chunk(png, Begin_Chunk(png, "IEND"));
    return png;
  } catch (const std::bad_alloc&) {
    return {};
  }
}
