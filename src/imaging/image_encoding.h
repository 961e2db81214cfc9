// The encoders of scaled copies: an 8-bit sRGB picture written as a JPEG, WebP or AVIF file,
// without metadata.
//
// A copy's quality is given on JPEG's scale for every format (see TScaleRequest) and turned
// into each encoder's own setting, so that a copy of the same quality looks about as good in
// every format: measured as SSIM against the scaled picture, WebP and AVIF copies stay within
// 0.005 of a JPEG copy's on camera photos (bench/formats.sh). AVIF is encoded at a speed that
// keeps a run within two and a half times the time of JPEG copies alone.
//
// Call after TImageLibrary has started. All functions may be called from several threads.
#pragma once

#include <string>
#include <vips/vips8>

#include "model/copy_format.h"

namespace vistrel {

// The encoder's own quality setting for a copy of `quality` (JPEG's scale, taken as the
// nearest value in 1..100) in `format`.
int EncoderQuality(TImageFormat format, int quality);

// The file of `picture` (3 bands, 8 bits, sRGB) in `format`, without metadata. Throws
// vips::VError when the encoder fails.
std::string EncodeCopy(const vips::VImage& picture, TImageFormat format, int quality);

// What decides the encoders' bytes besides the picture, the quality and the libraries (their
// settings), for the image processor's identity.
std::string EncoderIdentity();

}  // namespace vistrel
