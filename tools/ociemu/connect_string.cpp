// Parsing of connect strings into host, port and service.
#include "connect_string.h"

#include "oracle_errors.h"
#include "text_codec.h"

#include <cstdlib>

namespace ociemu {
namespace {

// The value of KEY=value inside a descriptor, blanks around the parts ignored.
std::string descriptor_value(const std::string& upper, const std::string& original, std::string_view key) {
    std::size_t at = 0;
    while ((at = upper.find(key, at)) != std::string::npos) {
        const bool word_start = at == 0 || upper[at - 1] == '(' || upper[at - 1] == ' ';
        std::size_t next = at + key.size();
        while (next < upper.size() && upper[next] == ' ') ++next;
        if (word_start && next < upper.size() && upper[next] == '=') {
            const auto end = upper.find(')', next);
            return trim_blanks(original.substr(next + 1, end == std::string::npos ? std::string::npos : end - next - 1));
        }
        at += key.size();
    }
    return {};
}

void split_host_port(std::string_view text, connect_target& out) {
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos) throw make_error(ora::net_service_name_incorrect);
        out.host = std::string(text.substr(1, close - 1));
        if (close + 1 < text.size() && text[close + 1] == ':') out.port = std::string(text.substr(close + 2));
        return;
    }
    const auto first_colon = text.find(':');
    // an IPv6 address without brackets cannot be told from its port
    if (first_colon != std::string_view::npos && text.find(':', first_colon + 1) != std::string_view::npos)
        throw make_error(ora::net_service_name_incorrect);
    out.host = std::string(text.substr(0, first_colon));
    if (first_colon != std::string_view::npos) out.port = std::string(text.substr(first_colon + 1));
}

long long timeout_seconds(const std::string& text) {
    const std::string value = trim_blanks(text);
    char* end = nullptr;
    const long long seconds = value.empty() ? -1 : std::strtoll(value.c_str(), &end, 10);
    if (seconds < 0 || !end || *end != '\0') throw make_error(ora::net_service_name_incorrect);
    return seconds;
}

// The "name=value&..." parameters of Easy Connect Plus; only connect_timeout means something here.
void read_parameters(std::string_view text, connect_target& out) {
    while (!text.empty()) {
        const auto amp = text.find('&');
        const std::string_view pair = text.substr(0, amp);
        const auto equals = pair.find('=');
        if (equals == std::string_view::npos) throw make_error(ora::net_service_name_incorrect);
        if (equals_ignoring_case(trim_blanks(pair.substr(0, equals)), "CONNECT_TIMEOUT"))
            out.connect_timeout_seconds = timeout_seconds(std::string(pair.substr(equals + 1)));
        text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
    }
}

}  // namespace

connect_target parse_connect_string(std::string_view text) {
    const std::string trimmed = trim_blanks(text);
    if (trimmed.empty()) throw make_error(ora::net_service_name_incorrect);
    connect_target out;
    if (trimmed.front() == '(') {
        out.form = connect_form::descriptor;
        const std::string upper = to_upper_ascii(trimmed);
        out.host = descriptor_value(upper, trimmed, "HOST");
        out.port = descriptor_value(upper, trimmed, "PORT");
        out.service = descriptor_value(upper, trimmed, "SERVICE_NAME");
        if (out.service.empty()) out.service = descriptor_value(upper, trimmed, "SID");
        if (const std::string timeout = descriptor_value(upper, trimmed, "CONNECT_TIMEOUT"); !timeout.empty())
            out.connect_timeout_seconds = timeout_seconds(timeout);
        return out;
    }
    std::string_view rest = trimmed;
    if (const auto question = rest.find('?'); question != std::string_view::npos) {
        read_parameters(rest.substr(question + 1), out);
        rest = rest.substr(0, question);
    }
    const bool slashes = rest.substr(0, 2) == "//";
    if (slashes) rest.remove_prefix(2);
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos) {
        if (slashes) throw make_error(ora::net_service_name_incorrect);
        out.service = std::string(rest);  // a bare alias
        return out;
    }
    out.form = connect_form::easy_connect;
    split_host_port(rest.substr(0, slash), out);
    std::string_view service = rest.substr(slash + 1);
    service = service.substr(0, service.find_first_of(":/"));  // ":server_type" and "/instance" suffixes
    out.service = std::string(service);
    if (out.service.empty()) throw make_error(ora::net_service_name_incorrect);
    return out;
}

bool is_local_host(std::string_view host) {
    return host.empty() || equals_ignoring_case(host, "localhost") || host == "127.0.0.1" || host == "::1";
}

}  // namespace ociemu
