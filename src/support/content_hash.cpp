#include "support/content_hash.h"

#include <xxhash.h>

#include <new>

namespace vistrel {

std::string THash128::Hex() const {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex(32, '0');
  for (int i = 0; i < 16; ++i) {
    hex[static_cast<size_t>(15 - i)] = kDigits[(high >> (4 * i)) & 0xF];
    hex[static_cast<size_t>(31 - i)] = kDigits[(low >> (4 * i)) & 0xF];
  }
  return hex;
}

THash128 Hash128(std::string_view bytes) {
  const XXH128_hash_t hash = XXH3_128bits(bytes.data(), bytes.size());
  return {hash.high64, hash.low64};
}

uint64_t Hash64(std::string_view bytes) { return XXH3_64bits(bytes.data(), bytes.size()); }

THash64Stream::THash64Stream() = default;
THash64Stream::~THash64Stream() = default;
THash64Stream::THash64Stream(THash64Stream&&) noexcept = default;
THash64Stream& THash64Stream::operator=(THash64Stream&&) noexcept = default;

void THash64Stream::TFree::operator()(XXH3_state_s* state) const { XXH3_freeState(state); }

void THash64Stream::Update(std::string_view bytes) {
  if (!state_) {
    state_.reset(XXH3_createState());
    if (!state_) throw std::bad_alloc();
    XXH3_64bits_reset(state_.get());
  }
  XXH3_64bits_update(state_.get(), bytes.data(), bytes.size());
}

uint64_t THash64Stream::Digest() const {
  return state_ ? XXH3_64bits_digest(state_.get()) : Hash64({});
}

}  // namespace vistrel
