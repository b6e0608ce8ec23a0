// Message texts of the Oracle errors the emulator raises, worded as a 19c server and client word them.
#include "oracle_errors.h"

#include <cstdio>

namespace ociemu {
namespace {

// The catalogue keeps the client's %s placeholders so a name can be inserted where Oracle puts it.
const char* message_template(int code) {
    switch (code) {
    case 600: return "internal error code, arguments: [%s]";
    case 4030: return "%s";
    case 22: return "invalid session ID; access denied";
    case 28: return "your session has been killed";
    case 31: return "session marked for kill";
    case 54: return "resource busy and acquire with NOWAIT specified or timeout expired";
    case 900: return "invalid SQL statement";
    case 903: return "invalid table name";
    case 904: return "%s: invalid identifier";
    case 909: return "invalid number of arguments";
    case 911: return "invalid character";
    case 918: return "column ambiguously defined";
    case 923: return "FROM keyword not found where expected";
    case 932: return "inconsistent datatypes: %s";
    case 933: return "SQL command not properly ended";
    case 936: return "missing expression";
    case 942: return "table or view does not exist";
    case 1002: return "fetch out of sequence";
    case 1007: return "variable not in select list";
    case 1008: return "not all variables bound";
    case 1012: return "not logged on";
    case 1013: return "user requested cancel of current operation";
    case 1017: return "invalid username/password; logon denied";
    case 1031: return "insufficient privileges";
    case 1089: return "immediate shutdown or close in progress - no operations are permitted";
    case 1092: return "ORACLE instance terminated. Disconnection forced";
    case 1403: return "no data found";
    case 1405: return "fetched column value is NULL";
    case 1406: return "fetched column value was truncated";
    case 1455: return "converting column overflows integer datatype";
    case 1456: return "may not perform insert/delete/update operation inside a READ ONLY transaction";
    case 1476: return "divisor is equal to zero";
    // the segment's number and quoted name go in together as the one detail
    case 1555: return "snapshot too old: rollback segment number %s too small";
    case 1722: return "invalid number";
    case 1861: return "literal does not match format string";
    case 3113: return "end-of-file on communication channel";
    case 3114: return "not connected to ORACLE";
    case 3135: return "connection lost contact";
    case 3156: return "OCI call timed out";
    case 12153: return "TNS:not connected";
    case 12154: return "TNS:could not resolve the connect identifier specified";
    case 12162: return "TNS:net service name is incorrectly specified";
    case 12170: return "TNS:Connect timeout occurred";
    case 12514: return "TNS:listener does not currently know of service requested in connect descriptor";
    case 12545: return "Connect failed because target host or object does not exist";
    case 12583: return "TNS:no reader";
    case 19011: return "Character string buffer too small";
    case 22275: return "invalid LOB locator specified";
    case 24300: return "bad value for mode";
    case 24312: return "illegal parameters specified for allocating user memory";
    case 24313: return "user already authenticated";
    case 24315: return "illegal attribute type";
    case 24316: return "illegal handle type";
    case 24333: return "zero iteration count";
    case 24334: return "no descriptor for this position";
    case 24337: return "statement handle not prepared";
    case 24338: return "statement handle not executed";
    case 24345: return "A Truncation or null fetch error occurred";
    case 24801: return "illegal parameter value in OCI lob function";
    case 1891: return "Datetime/Interval internal error";
    case 24391: return "invalid fetch operation";
    case 28000: return "the account is locked";
    case 28001: return "the password has expired";
    case 28002: return "the password will expire within %s days";
    case 28511: return "lost RPC connection to heterogeneous remote agent using SID=%s";
    default: return "%s";
    }
}

}  // namespace

std::string oracle_message(int code, std::string_view detail) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
    std::string text = message_template(code);
    if (const auto mark = text.find("%s"); mark != std::string::npos) text.replace(mark, 2, detail);
    return prefix + text;
}

bool is_dead_session_code(int code) {
    switch (code) {
    case 22: case 28: case 31: case 1012: case 1089: case 1092: case 3113: case 3114: case 3135: case 12153:
    case 12583: case 28511:
        return true;
    default:
        return false;
    }
}

oracle_error make_error(int code, std::string_view detail) {
    return oracle_error(code, oracle_message(code, detail));
}

}  // namespace ociemu
