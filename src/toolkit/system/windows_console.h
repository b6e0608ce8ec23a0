// The console's control handler of the Windows system layer, visible to its test: wine
// cannot raise a console event in a process without a console.
#pragma once

#include <windows.h>

// Calls the handler given to tk_on_stop_request for Ctrl-C, Ctrl-Break, a closed console,
// log-off and shut-down, and answers TRUE (handled: the process goes on to stop cleanly);
// FALSE for any other event.
BOOL WINAPI tk_console_control_event(DWORD event);
