#pragma once
// The wireframe rasterised as a PNG file's bytes: a white width x height
// picture with every segment drawn as a one-pixel black line, both ends
// included, in drawing order -- the window's own line drawing, so the same
// pixels as its preview. 8-bit greyscale, rows unfiltered, the image data
// compressed with zlib.

#include <cstdint>
#include <string>
#include <vector>

#include "preview/wireframe.h"

// The most pixels a picture may hold: 8192 x 8192, a 256 MiB raster.
constexpr int64_t Png_Max_Pixels = int64_t{1} << 26;

// Empty when a side is below 1 or the picture holds more than Png_Max_Pixels
// pixels. Throws std::bad_alloc when the memory for it cannot be had.
std::string Png_Picture(const std::vector<Segment>& segments, int width, int height);
