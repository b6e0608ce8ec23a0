// Counts the simulated network round trips and adds the configured latency to each.
#pragma once

#include <cstdint>

namespace ociemu {

// One round trip to the "server": counted, then delayed by OCIEMU_RTT_US microseconds.
void count_round_trip();

std::uint64_t round_trips_so_far();

}  // namespace ociemu
