// Exported OCI calls that attach to a service, log users on and off, and report the server version.
#include "api_support.h"
#include "connect_string.h"
#include "database_session.h"
#include "round_trips.h"
#include "statement_execution.h"
#include "text_codec.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

using namespace ociemu;

namespace {

long long fail_after_rows_setting() {
    const char* setting = std::getenv("OCIEMU_FAIL_AFTER_ROWS");
    if (!setting || !*setting) return -1;
    char* end = nullptr;
    const long long value = std::strtoll(setting, &end, 10);
    return end && *end == '\0' && value >= 0 ? value : -1;
}

// A switch given a value it cannot take fails the attach with the reason.
[[noreturn]] void bad_switch(const char* name, const std::string& why) {
    throw make_error(ora::internal_error, std::string(name) + " " + why);
}

long long count_setting(const char* name) {
    const char* setting = std::getenv(name);
    if (!setting || !*setting) return -1;
    char* end = nullptr;
    const long long value = std::strtoll(setting, &end, 10);
    if (!end || *end != '\0' || value < 0) bad_switch(name, "must be a number of rows, not '" + std::string(setting) + "'");
    return value;
}

int fail_code_setting() {
    const char* setting = std::getenv("OCIEMU_FAIL_CODE");
    if (!setting || !*setting) return ora::end_of_file_on_channel;
    char* end = nullptr;
    const long code = std::strtol(setting, &end, 10);
    if (!end || *end != '\0' || !is_dead_session_code(static_cast<int>(code)))
        bad_switch("OCIEMU_FAIL_CODE", "must be the number of an error that ends a session, not '" + std::string(setting) + "'");
    return static_cast<int>(code);
}

// OCIEMU_CHANGE_ROWS=TABLE:+N or TABLE:-N.
void read_change_rows(server_handle& server) {
    server.change_table.clear();
    server.change_rows = 0;
    const char* setting = std::getenv("OCIEMU_CHANGE_ROWS");
    if (!setting || !*setting) return;
    const std::string text = setting;
    const auto colon = text.rfind(':');
    char* end = nullptr;
    const long long rows = colon == std::string::npos ? 0 : std::strtoll(text.c_str() + colon + 1, &end, 10);
    const bool signed_count = colon != std::string::npos && (text[colon + 1] == '+' || text[colon + 1] == '-');
    if (colon == 0 || colon == std::string::npos || !signed_count || !end || *end != '\0' || rows == 0)
        bad_switch("OCIEMU_CHANGE_ROWS", "must be TABLE:+N or TABLE:-N, not '" + text + "'");
    server.change_table = text.substr(0, colon);
    server.change_rows = rows;
}

database_charset charset_setting(database_session& database) {
    const char* variable = std::getenv("OCIEMU_DATABASE_CHARSET");
    const std::string name = to_upper_ascii(variable && *variable ? std::string(variable)
                                                                   : database.setting("CHARACTER_SET").value_or("AL32UTF8"));
    if (name == "AL32UTF8") return database_charset::al32utf8;
    if (name == "WE8MSWIN1252") return database_charset::we8mswin1252;
    bad_switch("OCIEMU_DATABASE_CHARSET", "must be AL32UTF8 or WE8MSWIN1252, not '" + name + "'");
}

char decimal_separator_setting() {
    const char* setting = std::getenv("OCIEMU_NLS_NUMERIC_CHARACTERS");
    return setting && std::strlen(setting) == 2 ? setting[0] : '.';
}

// OCIEMU_ATTACH_HANG_SECONDS: the listener never answers for that long, and a break cannot end
// the wait, as with an unreachable host; a connect timeout in the connect string ends it sooner.
void wait_for_listener(const connect_target& target) {
    constexpr long long longest_hang = 600;
    const long long hang = count_setting("OCIEMU_ATTACH_HANG_SECONDS");
    if (hang > longest_hang) bad_switch("OCIEMU_ATTACH_HANG_SECONDS", "must be at most 600 seconds");
    if (hang <= 0) return;
    const long long timeout = target.connect_timeout_seconds;
    std::this_thread::sleep_for(std::chrono::seconds(timeout > 0 && timeout < hang ? timeout : hang));
    if (timeout > 0 && timeout < hang) throw make_error(ora::connect_timeout);
}

void attach(server_handle& server, const std::string& connect_string) {
    const connect_target target = parse_connect_string(connect_string);
    wait_for_listener(target);
    count_round_trip(server);
    if (target.form != connect_form::alias && !is_local_host(target.host)) throw make_error(ora::host_unknown);
    const auto file = find_service_database(target.service);
    if (!file) throw make_error(target.form == connect_form::alias ? ora::alias_not_resolved : ora::service_unknown);
    auto database = std::make_shared<database_session>(*file);
    database->set_charset(charset_setting(*database));
    server.fail_after_rows = fail_after_rows_setting();
    server.fail_code = fail_code_setting();
    server.snapshot_too_old_after_rows = count_setting("OCIEMU_SNAPSHOT_TOO_OLD_AFTER_ROWS");
    read_change_rows(server);
    server.database = std::move(database);
    server.broken = false;
}

server_handle& connected_server(service_context& service) {
    if (!service.server || !service.server->database || service.server->broken) throw make_error(ora::not_connected);
    return *service.server;
}

// The banner a version call writes, terminated, cut to the buffer.
void write_banner(const environment& env, const std::string& banner, OraText* buffer, ub4 size) {
    const std::string bytes = env.encode(banner);
    const std::size_t terminator = env.utf16 ? 2 : 1;
    if (!buffer || size < terminator) return;
    std::size_t copied = std::min<std::size_t>(bytes.size(), size - terminator);
    if (env.utf16) copied -= copied % 2;
    std::memcpy(buffer, bytes.data(), copied);
    std::memset(buffer + copied, 0, terminator);
}

}  // namespace

OCIEMU_EXPORT sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const OraText* dblink, sb4 dblink_len, ub4 mode) {
    auto* server = find_handle_of<server_handle>(srvhp, OCI_HTYPE_SERVER);
    error_handle* error = error_of(errhp);
    if (!server || !error) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        if (mode != OCI_DEFAULT) throw make_error(ora::bad_mode);
        if (server->database) throw make_error(ora::internal_error, "server handle is already attached");
        const std::string text = dblink_len > 0 ? server->env->decode(dblink, static_cast<std::size_t>(dblink_len)) : "";
        attach(*server, text);
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCIServerDetach(OCIServer* srvhp, OCIError* errhp, ub4) {
    auto* server = find_handle_of<server_handle>(srvhp, OCI_HTYPE_SERVER);
    error_handle* error = error_of(errhp);
    if (!server || !error) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        if (!server->database) throw make_error(ora::not_connected);
        server->database.reset();
        // Sessions on the line end with it; the service context keeps the server handle.
        end_sessions_of(server);
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4 mode) {
    auto* service = find_handle_of<service_context>(svchp, OCI_HTYPE_SVCCTX);
    auto* session = find_handle_of<session_handle>(usrhp, OCI_HTYPE_SESSION);
    error_handle* error = error_of(errhp);
    if (!service || !session || !error) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        if (mode & ~(OCI_STMT_CACHE | 0x8u | 0x2u | 0x4u)) throw make_error(ora::bad_mode);
        if (credt != OCI_CRED_RDBMS && credt != OCI_CRED_EXT) throw make_error(ora::bad_mode);
        if (session->authenticated) throw make_error(ora::user_already_authenticated);
        server_handle& server = connected_server(*service);
        count_round_trip(server);
        // External credentials (a wallet or the OS account) carry no user name and no password.
        const bool external = credt == OCI_CRED_EXT;
        if (external && (!session->user_name.empty() || !session->password.empty())) throw make_error(ora::invalid_credentials);
        const account found = server.database->authenticate(session->user_name, session->password, external);
        session->user = found.user;
        session->privileged = found.privileged;
        session->unreadable_tables = server.database->unreadable_tables(found.user);
        session->authenticated = true;
        session->server = &server;
        session->decimal_separator = decimal_separator_setting();
        service->session = session;
        if (found.expires_in) {  // the logon succeeds with a warning
            error->diag.add(make_error(ora::password_will_expire, std::to_string(*found.expires_in)));
            return OCI_SUCCESS_WITH_INFO;
        }
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCISessionEnd(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4) {
    auto* service = find_handle_of<service_context>(svchp, OCI_HTYPE_SVCCTX);
    error_handle* error = error_of(errhp);
    if (!service || !error) return OCI_INVALID_HANDLE;
    auto* session = usrhp ? find_handle_of<session_handle>(usrhp, OCI_HTYPE_SESSION) : service->session;
    if (!session) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        if (!session->authenticated) throw make_error(ora::not_logged_on);
        if (session->server) count_round_trip(*session->server);
        free_temporary_lobs_of(session);  // the server drops what the session left
        session->authenticated = false;
        session->server = nullptr;
        if (service->session == session) service->session = nullptr;
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCIServerVersion(void* hndlp, OCIError* errhp, OraText* bufp, ub4 bufsz, ub1 hndltype) {
    error_handle* error = error_of(errhp);
    handle_base* handle = find_handle(hndlp);
    if (!error || !handle || handle->type != hndltype) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        server_handle* server = nullptr;
        if (hndltype == OCI_HTYPE_SVCCTX) server = &connected_server(static_cast<service_context&>(*handle));
        else if (hndltype == OCI_HTYPE_SERVER) server = static_cast<server_handle*>(handle);
        else throw make_error(ora::illegal_handle_type);
        if (!server->database || server->broken) throw make_error(ora::not_connected);
        count_round_trip(*server);
        write_banner(*handle->env, server->database->banner(), bufp, bufsz);
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCIPing(OCISvcCtx* svchp, OCIError* errhp, ub4) {
    auto* service = find_handle_of<service_context>(svchp, OCI_HTYPE_SVCCTX);
    error_handle* error = error_of(errhp);
    if (!service || !error) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        count_round_trip(connected_server(*service));
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCIBreak(void* hndlp, OCIError* errhp) {
    error_handle* error = error_of(errhp);
    handle_base* handle = find_handle(hndlp);
    if (!error || !handle || (handle->type != OCI_HTYPE_SVCCTX && handle->type != OCI_HTYPE_SERVER))
        return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        // Either handle names the line: a service context through its server.
        server_handle* server = handle->type == OCI_HTYPE_SERVER ? static_cast<server_handle*>(handle)
                                                                 : static_cast<service_context*>(handle)->server;
        if (!server || !find_handle_of<server_handle>(server, OCI_HTYPE_SERVER)) throw make_error(ora::not_connected);
        break_round_trip(*server);
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCIReset(void* hndlp, OCIError* errhp) {
    // Only non-blocking connections need a reset after a break; the emulator's are blocking,
    // so there is nothing to reset.
    error_handle* error = error_of(errhp);
    handle_base* handle = find_handle(hndlp);
    if (!error || !handle || (handle->type != OCI_HTYPE_SVCCTX && handle->type != OCI_HTYPE_SERVER))
        return OCI_INVALID_HANDLE;
    error->diag.clear();
    return OCI_SUCCESS;
}

OCIEMU_EXPORT sword OCITransCommit(OCISvcCtx* svchp, OCIError* errhp, ub4) {
    auto* service = find_handle_of<service_context>(svchp, OCI_HTYPE_SVCCTX);
    error_handle* error = error_of(errhp);
    if (!service || !error) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        count_round_trip(connected_server(*service));
        end_transaction(*service, true);
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCITransRollback(OCISvcCtx* svchp, OCIError* errhp, ub4) {
    auto* service = find_handle_of<service_context>(svchp, OCI_HTYPE_SVCCTX);
    error_handle* error = error_of(errhp);
    if (!service || !error) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        count_round_trip(connected_server(*service));
        end_transaction(*service, false);
        return OCI_SUCCESS;
    });
}
