// Exported OCI calls for environments, handles, descriptors and error records.
#include "api_support.h"
#include "round_trips.h"

#include <algorithm>
#include <cstring>

using namespace ociemu;

namespace {

constexpr ub4 known_environment_modes = 0x000FFFFF;

bool is_descriptor_type(ub4 type) {
    switch (type) {
    case OCI_DTYPE_LOB: case OCI_DTYPE_FILE: case OCI_DTYPE_TIMESTAMP: case OCI_DTYPE_TIMESTAMP_TZ:
    case OCI_DTYPE_TIMESTAMP_LTZ: case OCI_DTYPE_DATE: case OCI_DTYPE_INTERVAL_YM: case OCI_DTYPE_INTERVAL_DS:
        return true;
    default:
        return false;
    }
}

handle_base* new_handle(environment* env, ub4 type) {
    switch (type) {
    case OCI_HTYPE_ERROR: return new error_handle(env);
    case OCI_HTYPE_SERVER: return new server_handle(env);
    case OCI_HTYPE_SESSION: return new session_handle(env);
    case OCI_HTYPE_SVCCTX: return new service_context(env);
    case OCI_HTYPE_STMT: return new statement_handle(env);
    default: return nullptr;
    }
}

handle_base* new_descriptor(environment* env, ub4 type) {
    switch (type) {
    case OCI_DTYPE_LOB: case OCI_DTYPE_FILE: return new lob_locator(env, type);
    case OCI_DTYPE_INTERVAL_YM: case OCI_DTYPE_INTERVAL_DS: return new interval_descriptor(env, type);
    default: return new datetime_descriptor(env, type);
    }
}

// The text of a record as OCIErrorGet writes it: the message, a line feed, a terminator.
void write_message(const environment& env, const std::string& message, OraText* buffer, ub4 size) {
    const std::string bytes = env.encode(message + "\n");
    const std::size_t terminator = env.utf16 ? 2 : 1;
    if (size < terminator) return;
    std::size_t copied = std::min<std::size_t>(bytes.size(), size - terminator);
    if (env.utf16) copied -= copied % 2;
    std::memcpy(buffer, bytes.data(), copied);
    std::memset(buffer + copied, 0, terminator);
}

}  // namespace

OCIEMU_EXPORT sword OCIEnvNlsCreate(OCIEnv** envp, ub4 mode, void*, void* (*)(void*, size_t),
                                    void* (*)(void*, void*, size_t), void (*)(void*, void*), size_t,
                                    void** usrmempp, ub2 charset, ub2 ncharset) {
    if (!envp) return OCI_INVALID_HANDLE;
    *envp = nullptr;
    try {
        auto* env = new environment(charset == OCI_UTF16ID, mode);
        register_handle(env);
        *envp = reinterpret_cast<OCIEnv*>(env);
        if (usrmempp) *usrmempp = nullptr;
        // The handle exists even when the arguments are refused, so the error can be read from it.
        if ((charset == 0) != (ncharset == 0)) {
            env->diag.add(make_error(ora::bad_mode, "charset and ncharset must both be set or both be zero"));
            return OCI_ERROR;
        }
        if (mode & ~known_environment_modes) {
            env->diag.add(make_error(ora::bad_mode));
            return OCI_ERROR;
        }
        return OCI_SUCCESS;
    } catch (...) {
        return OCI_ERROR;
    }
}

OCIEMU_EXPORT sword OCIHandleAlloc(const void* parenth, void** hndlpp, const ub4 type, const size_t, void** usrmempp) {
    auto* env = find_handle_of<environment>(parenth, OCI_HTYPE_ENV);
    if (!env || !hndlpp) return OCI_INVALID_HANDLE;
    *hndlpp = nullptr;
    return guarded(env->diag, [&] {
        handle_base* handle = new_handle(env, type);
        if (!handle) throw make_error(ora::illegal_handle_type);
        register_handle(handle);
        *hndlpp = handle;
        if (usrmempp) *usrmempp = nullptr;
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCIHandleFree(void* hndlp, const ub4 type) {
    handle_base* handle = find_handle(hndlp);
    if (!handle || handle->type != type || is_descriptor_type(type) || type == OCI_DTYPE_PARAM) return OCI_INVALID_HANDLE;
    destroy_handle(handle);
    return OCI_SUCCESS;
}

OCIEMU_EXPORT sword OCIDescriptorAlloc(const void* parenth, void** descpp, const ub4 type, const size_t, void** usrmempp) {
    auto* env = find_handle_of<environment>(parenth, OCI_HTYPE_ENV);
    if (!env || !descpp) return OCI_INVALID_HANDLE;
    *descpp = nullptr;
    return guarded(env->diag, [&] {
        if (!is_descriptor_type(type)) throw make_error(ora::illegal_handle_type);
        handle_base* descriptor = new_descriptor(env, type);
        register_handle(descriptor);
        *descpp = descriptor;
        if (usrmempp) *usrmempp = nullptr;
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCIDescriptorFree(void* descp, const ub4 type) {
    handle_base* handle = find_handle(descp);
    if (!handle || handle->type != type || !(is_descriptor_type(type) || type == OCI_DTYPE_PARAM)) return OCI_INVALID_HANDLE;
    destroy_handle(handle);
    return OCI_SUCCESS;
}

OCIEMU_EXPORT sword OCIErrorGet(void* hndlp, ub4 recordno, OraText*, sb4* errcodep, OraText* bufp, ub4 bufsiz, ub4 type) {
    const diagnostics* diag = nullptr;
    environment* env = nullptr;
    if (type == OCI_HTYPE_ERROR) {
        auto* error = find_handle_of<error_handle>(hndlp, OCI_HTYPE_ERROR);
        if (error) { diag = &error->diag; env = error->env; }
    } else if (type == OCI_HTYPE_ENV) {
        env = find_handle_of<environment>(hndlp, OCI_HTYPE_ENV);
        if (env) diag = &env->diag;
    }
    if (!diag) return OCI_INVALID_HANDLE;
    if (recordno == 0 || recordno > diag->records.size()) return OCI_NO_DATA;
    const auto& [code, message] = diag->records[recordno - 1];
    if (errcodep) *errcodep = code;
    if (bufp) write_message(*env, message, bufp, bufsiz);
    return OCI_SUCCESS;
}

OCIEMU_EXPORT void OCIClientVersion(sword* featureRelease, sword* releaseUpdate, sword* releaseUpdateRevision,
                                    sword* increment, sword* ext) {
    if (featureRelease) *featureRelease = 19;
    if (releaseUpdate) *releaseUpdate = 11;
    if (releaseUpdateRevision) *releaseUpdateRevision = 0;
    if (increment) *increment = 0;
    if (ext) *ext = 0;
}

// Not an OCI function: the emulator's round-trip counter, for tests and benchmarks.
OCIEMU_EXPORT unsigned long long ociemu_round_trips(void) { return round_trips_so_far(); }
