// Fast hashes of byte strings: XXH3 with 128 bits, to name contents (the variant cache keys
// photos by their bytes), and with 64 bits, as a checksum of stored data. Neither is meant to
// withstand someone forging collisions; both give the same value for the same bytes on every
// run, machine and version of libxxhash, so stored hashes stay valid.
//
// Free functions without state; safe from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct XXH3_state_s;

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

// Hash64() of bytes that come in pieces: the same value as of all of them at once. Movable; one
// thread at a time.
class THash64Stream {
 public:
  THash64Stream();
  ~THash64Stream();
  THash64Stream(THash64Stream&&) noexcept;
  THash64Stream& operator=(THash64Stream&&) noexcept;

  void Update(std::string_view bytes);
  uint64_t Digest() const;

 private:
  struct TFree {
    void operator()(XXH3_state_s* state) const;
  };
  std::unique_ptr<XXH3_state_s, TFree> state_;  // made at the first piece
};

}  // namespace vistrel
