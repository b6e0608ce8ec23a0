// The exception every failed Oracle client call becomes.
#pragma once

#include <string>

#include "toolkit/exception.h"

// Codes of Oracle errors are this base OR the ORA number, so the error handler can tell
// them from every other code.
inline constexpr int ora_error_code_base = 0x100000;

class ora_exception : public tk_exception {
public:
    // message is Oracle's own text (UTF-8); the code becomes base | (number & 0xFFFF).
    ora_exception(int oracle_number, std::string message);

    // The ORA number, e.g. 1017 for ORA-01017.
    int oracle_number() const noexcept { return code_ & 0xFFFF; }
    // True when the error leaves nothing to fetch from: the connection is gone, or the
    // cursor is (ORA-01001, ORA-01002, ORA-24338) or its snapshot (ORA-01555).
    bool ends_the_cursor() const noexcept;
    // True when the session or its connection is gone (ORA-03113, ORA-03114, ORA-03135,
    // ORA-01012, ORA-00028, ORA-01089, ORA-01092, TNS losses ...), by its number or because
    // the client said the server is no longer connected: nothing more can be read.
    bool is_connection_lost() const noexcept;
    void mark_connection_lost() noexcept { connection_lost_ = true; }

private:
    bool connection_lost_ = false;
};
