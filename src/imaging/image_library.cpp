#include "imaging/image_library.h"

#include <malloc.h>

#include <mutex>
#include <stdexcept>
#include <vips/vips8>

#include "imaging/exiv2_include.h"

namespace vistrel {

namespace {

// The XMP toolkit registers the namespaces it meets in a packet in a table of its own; photos
// are read on several threads, so every registration takes this lock.
std::mutex xmp_lock;

void LockXmp(void*, bool lock) {
  if (lock)
    xmp_lock.lock();
  else
    xmp_lock.unlock();
}

}  // namespace

TImageLibrary::TImageLibrary(const char* program_name) {
#ifdef M_ARENA_MAX
  // The C library would give every thread that decodes or scales a memory pool of its own, up to
  // eight per processor; each pool keeps the large buffers its thread freed, scattered between
  // small blocks that live on, so a long run's resident memory crept up with every photo. In one
  // pool freed buffers are used again by whichever thread comes next; the threads' own caches of
  // small blocks keep them from waiting on each other.
  mallopt(M_ARENA_MAX, 1);
#endif
  if (VIPS_INIT(program_name ? program_name : "vistrel") != 0)
    throw std::runtime_error("Die Bildbibliothek libvips konnte nicht gestartet werden!");
  vips_block_untrusted_set(TRUE);
  // libvips marks its JPEG XL loader untrusted only because it has not been fuzzed inside
  // libvips; libjxl itself is. Photos reach it only through the photo decoder, after their
  // format and declared size are checked.
  vips_operation_block_set("VipsForeignLoadJxl", FALSE);
  // A damaged photo is reported by the caller as a failed image; libvips' own warnings about it
  // would only clutter the terminal.
  g_log_set_handler(
      "VIPS", G_LOG_LEVEL_WARNING, [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {},
      nullptr);
  // Images are processed once each: a large operation cache only costs memory.
  vips_cache_set_max(0);
  vips_cache_set_max_mem(0);
  Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
  Exiv2::XmpParser::initialize(LockXmp, nullptr);
}

TImageLibrary::~TImageLibrary() {
  Exiv2::XmpParser::terminate();
  vips_shutdown();
}

}  // namespace vistrel
