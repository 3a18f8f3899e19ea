#include "png_picture.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <new>

#include "preview/draw_lines.h"

namespace {

// The raster holds grey levels, so each pixel is its own PNG sample.
constexpr uint32_t Paper = 255;
constexpr uint32_t Ink = 0;

// A stored deflate block carries at most 65535 bytes (its length is 16 bits).
constexpr size_t Max_Stored_Block = 65535;

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

void Append_Le16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8 & 0xFF);
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

}  // namespace

std::string Png_Picture(const std::vector<Segment>& segments, int width, int height) {
  if (width < 1 || height < 1 || int64_t{width} * height > Png_Max_Pixels) return {};
  try {
    std::vector<uint32_t> raster(static_cast<size_t>(width) * static_cast<size_t>(height), Paper);
    Draw_Lines(raster.data(), width, height, width, segments, Ink);

    // The image data: each row is its filter type (0, none) and then one
    // byte a pixel. It goes out in stored deflate blocks, one IDAT chunk a
    // block, the zlib header in the first and the Adler-32 in the last.
    const size_t row_bytes = static_cast<size_t>(width) + 1;
    const size_t data_bytes = row_bytes * static_cast<size_t>(height);
    const size_t blocks = (data_bytes + Max_Stored_Block - 1) / Max_Stored_Block;
    std::string png;
    png.reserve(8 + 25 + blocks * (12 + 5) + 2 + data_bytes + 4 + 12);
    png.append("\x89PNG\r\n\x1A\n", 8);

    size_t chunk = Begin_Chunk(png, "IHDR");
    Append_Be32(png, static_cast<uint32_t>(width));
    Append_Be32(png, static_cast<uint32_t>(height));
    png.append({8, 0, 0, 0, 0});  // 8 bits, greyscale, deflate, the one filter method, not interlaced
    End_Chunk(png, chunk);

    Adler32 adler;
    size_t row = 0, column = 0;  // the next byte of the image data; column 0 is the filter type
    for (size_t done = 0; done < data_bytes;) {
      const size_t length = std::min(Max_Stored_Block, data_bytes - done);
      const bool last = done + length == data_bytes;
      chunk = Begin_Chunk(png, "IDAT");
      if (done == 0) png.append({0x78, 0x01});  // deflate, 32 KiB window, no dictionary
      png += static_cast<char>(last ? 1 : 0);    // final-block bit, block type 0: stored
      Append_Le16(png, static_cast<uint32_t>(length));
      Append_Le16(png, static_cast<uint32_t>(~length & 0xFFFF));
      const size_t start = png.size();
      for (size_t i = 0; i < length; ++i) {
        png += column == 0 ? '\0' : static_cast<char>(raster[row * static_cast<size_t>(width) + column - 1]);
        if (++column == row_bytes) {
          column = 0;
          ++row;
        }
      }
      adler.Update(png.data() + start, length);
      done += length;
      if (last) Append_Be32(png, adler.Value());
      End_Chunk(png, chunk);
    }

    End_Chunk(png, Begin_Chunk(png, "IEND"));
    return png;
  } catch (const std::bad_alloc&) {
    return {};
  }
}
