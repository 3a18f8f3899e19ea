#pragma once
// One-pixel lines straight into a raster of 32-bit pixels: the window draws
// up to two lines per face at every scroll-bar move into its picture, and
// `stl2bas render` draws the same lines into the raster it encodes as PNG.
// Writing the pixels directly takes a fifth of the time a general painter
// needs for the same short lines, and both pictures get the same pixels.

#include <cstddef>
#include <cstdint>
#include <span>

#include "preview/wireframe.h"

// Draws each segment as a line of `ink` pixels, both end points included,
// into the raster of width x height pixels whose rows start `stride` pixels
// apart at `pixels` (row y, column x is pixels[y * stride + x]). What falls
// outside the raster is clipped away before any pixel is visited, so a
// segment far outside costs no more than one inside; a segment wholly inside
// draws exactly its Bresenham line. Writes only pixels of the width x height
// area, never the rest of a row; draws nothing when the raster is empty,
// `pixels` is null or `stride` is less than `width`.
void Draw_Lines(uint32_t* pixels, int width, int height, ptrdiff_t stride, std::span<const Segment> segments,
                uint32_t ink);
