// Fast hashes of byte strings: XXH3 with 128 bits, to name contents (the variant cache keys
// photos by their bytes), and with 64 bits, as a checksum of stored data. Neither is meant to
// withstand someone forging collisions; both give the same value for the same bytes on every
// run, machine and version of libxxhash, so stored hashes stay valid.
//
// Free functions without state; safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vistrel {

struct THash128 {
  uint64_t high = 0;
  uint64_t low = 0;
  bool operator==(const THash128&) const = default;
  // 32 lower-case hexadecimal digits, high half first.
  std::string Hex() const;
};

THash128 Hash128(std::string_view bytes);
uint64_t Hash64(std::string_view bytes);

}  // namespace vistrel
