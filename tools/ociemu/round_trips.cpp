// The round-trip counter behind ociemu_round_trips() and the OCIEMU_RTT_US latency.
#include "round_trips.h"

#include "handles.h"

#include <atomic>
#include <chrono>
#include <cstdlib>

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

void count_round_trip(server_handle& server) {
    counter.fetch_add(1, std::memory_order_relaxed);
    const long latency = latency_microseconds();
    // A call timeout cuts the wait short (18c clients); the line stays usable.
    const long long limit = server.call_timeout_ms > 0 ? static_cast<long long>(server.call_timeout_ms) * 1000 : -1;
    const bool times_out = limit >= 0 && latency > limit;
    std::unique_lock lock(server.line_mutex);
    server.is_in_round_trip = true;
    server.is_break_requested = false;
    if (latency > 0)
        server.line_wakeup.wait_for(lock, std::chrono::microseconds(times_out ? limit : latency),
                                    [&] { return server.is_break_requested; });
    server.is_in_round_trip = false;
    if (server.is_break_requested) {
        server.is_break_requested = false;
        throw make_error(ora::user_requested_cancel);
    }
    if (times_out) throw make_error(ora::call_timed_out);
}

void break_round_trip(server_handle& server) {
    {
        std::lock_guard lock(server.line_mutex);
        if (!server.is_in_round_trip) return;
        server.is_break_requested = true;
    }
    server.line_wakeup.notify_all();
}

std::uint64_t round_trips_so_far() { return counter.load(std::memory_order_relaxed); }

}  // namespace ociemu
