#include "preview/png_picture.h"

#include <new>

#include <zlib.h>

#include "preview/draw_lines.h"

namespace {

// The raster holds grey levels, so each pixel is its own PNG sample.
constexpr uint32_t Paper = 255;
constexpr uint32_t Ink = 0;

void Append_Be32(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift & 0xFF);
}

// One chunk: its length, its type, its data, and the CRC-32 of type and
// data.
void Append_Chunk(std::string& out, const char (&type)[5], const unsigned char* data, size_t size) {
  Append_Be32(out, static_cast<uint32_t>(size));
  const size_t start = out.size();
  out.append(type, 4);
  if (size > 0) out.append(reinterpret_cast<const char*>(data), size);
  const auto* checked = reinterpret_cast<const Bytef*>(out.data() + start);
  Append_Be32(out, static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0), checked, static_cast<uInt>(size + 4))));
}

}  // namespace

std::string Png_Picture(const std::vector<Segment>& segments, int width, int height) {
  if (width < 1 || height < 1 || int64_t{width} * height > Png_Max_Pixels) return {};
  std::vector<uint32_t> raster(static_cast<size_t>(width) * static_cast<size_t>(height), Paper);
  Draw_Lines(raster.data(), width, height, width, segments, Ink);

  // The image data: each row is its filter type (0, none) and then one byte
  // a pixel.
  const size_t row_bytes = static_cast<size_t>(width) + 1;
  std::vector<unsigned char> data(row_bytes * static_cast<size_t>(height));
  for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
    data[y * row_bytes] = 0;
    for (size_t x = 0; x < static_cast<size_t>(width); ++x)
      data[y * row_bytes + 1 + x] = static_cast<unsigned char>(raster[y * static_cast<size_t>(width) + x]);
  }
  raster = {};

  // Compressed by zlib, which everyone's PNG readers and writers use. A
  // line picture is mostly white runs: the fastest level finds them all.
  uLongf packed_size = compressBound(static_cast<uLong>(data.size()));
  std::vector<unsigned char> packed(packed_size);
  const int result = compress2(packed.data(), &packed_size, data.data(), static_cast<uLong>(data.size()), 1);
  if (result == Z_MEM_ERROR) throw std::bad_alloc();
  if (result != Z_OK) return {};

  std::string png;
  png.append("\x89PNG\r\n\x1A\n", 8);
  unsigned char header[13];
  for (int i = 0; i < 4; ++i) {
    header[i] = static_cast<unsigned char>(static_cast<uint32_t>(width) >> (24 - 8 * i));
    header[4 + i] = static_cast<unsigned char>(static_cast<uint32_t>(height) >> (24 - 8 * i));
  }
  // 8 bits, greyscale, deflate, the one filter method, not interlaced.
  const unsigned char rest[] = {8, 0, 0, 0, 0};
  for (int i = 0; i < 5; ++i) header[8 + i] = rest[i];
  Append_Chunk(png, "IHDR", header, sizeof header);
  Append_Chunk(png, "IDAT", packed.data(), packed_size);
  Append_Chunk(png, "IEND", nullptr, 0);
  return png;
}
