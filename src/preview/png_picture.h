#pragma once
// The wireframe rasterised as a PNG file's bytes: a white width x height
// picture with every segment drawn as a one-pixel black line, both ends
// included, in drawing order -- the window's own line drawing, so the same
// pixels as its preview. Encoded here, with no image library: 8-bit
// greyscale, rows unfiltered, the image data deflated with the fixed codes
// and runs of the same grey only -- a line picture is mostly white runs, so
// that is most of what a full compressor would gain.

#include <cstdint>
#include <string>
#include <vector>

#include "preview/wireframe.h"

// The most pixels a picture may hold: 8192 x 8192, a 256 MiB raster.
constexpr int64_t Png_Max_Pixels = int64_t{1} << 26;

// Empty when a side is below 1, the picture holds more than Png_Max_Pixels
// pixels, or the memory for it cannot be had.
std::string Png_Picture(const std::vector<Segment>& segments, int width, int height);
