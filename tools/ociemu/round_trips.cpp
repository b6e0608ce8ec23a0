// The round-trip counter behind ociemu_round_trips() and the OCIEMU_RTT_US latency.
#include "round_trips.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace ociemu {
namespace {

std::atomic<std::uint64_t> counter{0};

long latency_microseconds() {
    const char* setting = std::getenv("OCIEMU_RTT_US");
    if (!setting || !*setting) return 0;
    char* end = nullptr;
    const long value = std::strtol(setting, &end, 10);
    return end && *end == '\0' && value > 0 ? value : 0;
}

}  // namespace

void count_round_trip() {
    counter.fetch_add(1, std::memory_order_relaxed);
    if (const long latency = latency_microseconds(); latency > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(latency));
}

std::uint64_t round_trips_so_far() { return counter.load(std::memory_order_relaxed); }

}  // namespace ociemu
