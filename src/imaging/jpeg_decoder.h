// Decoding a colour JPEG with libjpeg-turbo at any eighth of its size, straight into memory.
//
// libvips' JPEG loader shrinks only by 2, 4 or 8 and hands its rows through a pipeline of
// regions; libjpeg-turbo itself scales by any eighth (3/8, 5/8 ...) in its inverse DCT. A copy
// of 1024 pixels from a photo of 4000 is then decoded at 1500 instead of 2000 pixels, which
// costs about a fifth less for the whole copy and loses nothing a copy shows: the scaled DCT
// is a proper low-pass filter, as the halving is.
//
// Only 8-bit three-component photos (YCbCr or RGB) are taken; the caller decodes the others
// through libvips. The caller checks the decoding limits (image_header.h) first.
// Free functions; safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vips/vips8>

namespace vistrel {

// The smallest number of eighths (1 to 8) at which a `width` x `height` photo still covers at
// least `need_width` x `need_height` pixels (width * eighths / 8 at least `need_width`).
int EighthsFor(int64_t width, int64_t height, int64_t need_width, int64_t need_height);

// The JPEG `bytes` decoded at `eighths` / 8 of its size into an 8-bit sRGB picture in memory
// taken from the shared pixel pool (pixel_pool.h), ceil(width * eighths / 8) x
// ceil(height * eighths / 8) pixels (the last row and column may cover only part of a pixel of
// the photo), carrying the embedded ICC profile. Throws
// vips::VError when the data cannot be decoded or ends early, and for a JPEG that is not an
// 8-bit three-component one.
vips::VImage DecodeColourJpeg(const std::string& bytes, int eighths);

}  // namespace vistrel
