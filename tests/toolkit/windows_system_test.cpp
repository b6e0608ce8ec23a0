// The Windows system layer where wine cannot drive it from outside: the console's stop events.
#include "toolkit/system.h"
#include "toolkit/system/windows_console.h"

#include <gtest/gtest.h>

namespace {

int stop_requests = 0;
void count_stop_request() { ++stop_requests; }

}  // namespace

// Fault this guards: an event answered FALSE ends the process at once, leaving the run's
// temporary files; one not passed on never stops the run. (wine raises no console event
// in a process without a console, so the handler is called as the system would call it.)
TEST(console_stop, ctrl_c_and_ctrl_break_reach_the_handler_and_keep_the_process) {
    tk_on_stop_request(count_stop_request);
    EXPECT_TRUE(tk_console_control_event(CTRL_C_EVENT));
    EXPECT_TRUE(tk_console_control_event(CTRL_BREAK_EVENT));
    EXPECT_EQ(stop_requests, 2);
    EXPECT_FALSE(tk_console_control_event(0x4D2));  // not a stop request: the next handler's
    EXPECT_EQ(stop_requests, 2);
}
