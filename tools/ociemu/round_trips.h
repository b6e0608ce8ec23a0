// Counts the simulated network round trips and adds the configured latency to each.
#pragma once

#include <cstdint>

namespace ociemu {

struct server_handle;

// One round trip to the "server" over the line of server: counted, then delayed by
// OCIEMU_RTT_US microseconds. An OCIBreak on that line during the delay ends it at once
// with ORA-01013; a delay longer than the call timeout ends after it with ORA-03156.
void count_round_trip(server_handle& server);

// OCIBreak's effect: the round trip under way on the line, if any, ends with ORA-01013.
// With none under way nothing happens.
void break_round_trip(server_handle& server);

std::uint64_t round_trips_so_far();

}  // namespace ociemu
