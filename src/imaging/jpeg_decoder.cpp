#include "imaging/jpeg_decoder.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t
#include <cstdlib>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "imaging/pixel_pool.h"

namespace vistrel {

namespace {

// libjpeg reports an error through a callback that must not return: it jumps back into
// Decode(), whose frame holds nothing that needs destroying. The decompressor and the
// profile's bytes belong to TDecompressor, in the caller's frame.
struct TErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<TErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings pass in silence, as libvips lets them pass, except the data ending before the
// picture does: that photo fails.
void JumpBackOnEarlyEnd(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) JumpBack(cinfo);
}

struct TDecompressor {
  jpeg_decompress_struct cinfo{};
  TErrorManager error{};
  JOCTET* icc = nullptr;  // malloc'ed by jpeg_read_icc_profile
  unsigned int icc_size = 0;

  TDecompressor() {
    cinfo.err = jpeg_std_error(&error.pub);
    error.pub.error_exit = JumpBack;
    error.pub.emit_message = JumpBackOnEarlyEnd;
  }
  ~TDecompressor() {
    jpeg_destroy_decompress(&cinfo);  // nothing to do when it was never created
    std::free(icc);
  }
  TDecompressor(const TDecompressor&) = delete;
  TDecompressor& operator=(const TDecompressor&) = delete;
};

// False when libjpeg gave up or the photo is not one this decoder takes.
bool Decode(TDecompressor& d, const std::string& bytes, int eighths, vips::VImage& picture) {
  jpeg_decompress_struct& cinfo = d.cinfo;
  if (setjmp(d.error.jump)) return false;
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);  // where ICC profiles are kept
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.num_components != 3 || cinfo.data_precision != 8 ||
      (cinfo.jpeg_color_space != JCS_YCbCr && cinfo.jpeg_color_space != JCS_RGB))
    return false;
  jpeg_read_icc_profile(&cinfo, &d.icc, &d.icc_size);
  cinfo.out_color_space = JCS_RGB;
  cinfo.scale_num = static_cast<unsigned int>(eighths);
  cinfo.scale_denom = 8;
  jpeg_start_decompress(&cinfo);
  picture = TPixelPool::Shared().Picture(static_cast<int>(cinfo.output_width),
                                         static_cast<int>(cinfo.output_height));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = VIPS_IMAGE_ADDR(picture.get_image(), 0, cinfo.output_scanline);
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

}  // namespace

int EighthsFor(int64_t width, int64_t height, int64_t need_width, int64_t need_height) {
  for (int eighths = 1; eighths < 8; ++eighths)
    if (width * eighths >= need_width * 8 && height * eighths >= need_height * 8) return eighths;
  return 8;
}

vips::VImage DecodeColourJpeg(const std::string& bytes, int eighths) {
  if (eighths < 1 || eighths > 8) throw vips::VError("no scale of the JPEG decoder");
  TDecompressor decompressor;
  vips::VImage picture;
  if (!Decode(decompressor, bytes, eighths, picture))
    throw vips::VError("the JPEG data cannot be decoded");
  if (decompressor.icc)
    vips_image_set_blob_copy(picture.get_image(), VIPS_META_ICC_NAME, decompressor.icc,
                             decompressor.icc_size);
  return picture;
}

}  // namespace vistrel
