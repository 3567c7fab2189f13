// Locations and the rules every pass applies to them. Locations, widths and
// counts that come from the source are computed in 64 bits and brought back
// into range here, so that no pass overflows and all passes agree.
#pragma once

#include <algorithm>
#include <cstdint>

namespace velumar {

/// Locations saturate at plus or minus this bound.
constexpr std::int64_t kLocationBound = 999'999'999;

/// Positions of the largest storage: 0 to kLastAddress.
constexpr int kStorageSize = 16000;
/// The last position of storage; anything placed beyond it exceeds storage.
constexpr int kLastAddress = kStorageSize - 1;
/// Where the location counter of every program starts.
constexpr int kStartLocation = 333;

/// True for a position that storage has.
constexpr bool in_storage(std::int64_t p) { return p >= 0 && p <= kLastAddress; }

/// `value` brought within -kLocationBound..kLocationBound.
constexpr int clamp_location(std::int64_t value) {
  return static_cast<int>(std::clamp(value, -kLocationBound, kLocationBound));
}

/// `p` rounded up to the next multiple of 100 (a multiple stays), also for
/// a location below 0: the hundreds adjustment X00 of ORG and LTORG.
constexpr int round_up_to_hundred(std::int64_t p) {
  const std::int64_t rem = ((p % 100) + 100) % 100;
  return clamp_location(rem == 0 ? p : p + 100 - rem);
}

}  // namespace velumar
