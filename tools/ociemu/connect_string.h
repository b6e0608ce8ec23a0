// Reads Oracle connect strings: Easy Connect forms, descriptors and bare aliases.
#pragma once

#include <string>
#include <string_view>

namespace ociemu {

enum class connect_form { easy_connect, descriptor, alias };

struct connect_target {
    connect_form form = connect_form::alias;
    std::string host;
    std::string port;
    std::string service;
    long long connect_timeout_seconds = 0;  // CONNECT_TIMEOUT of a descriptor or ?connect_timeout= (0: none)
};

// "//host:port/service", "host:port/service", "host/service", "(DESCRIPTION=...(SERVICE_NAME=S))"
// or an alias; Easy Connect may end in "?name=value&..." parameters. An IPv6 host goes in brackets
// ("//[::1]:1521/S"). Throws ORA-12162 for an empty or malformed string, a bare IPv6 address
// included, or a connect timeout that is not a whole number of seconds.
connect_target parse_connect_string(std::string_view text);

// Hosts the emulated listener answers on: empty, localhost, 127.0.0.1, ::1.
bool is_local_host(std::string_view host);

}  // namespace ociemu
