// Shared plumbing of the exported OCI functions: export marker, handle lookup, error capture.
#pragma once

#include "handles.h"

#include <new>

// Only the OCI functions leave the library: on Windows a DLL would otherwise export every
// symbol of its own and of SQLite.
#ifdef _WIN32
#define OCIEMU_EXPORT extern "C" __declspec(dllexport)
#else
#define OCIEMU_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace ociemu {

inline error_handle* error_of(OCIError* errhp) { return find_handle_of<error_handle>(errhp, OCI_HTYPE_ERROR); }

// Runs `body`, which returns an OCI status; an exception becomes OCI_ERROR with its record on `diag`.
// Nothing escapes into the C caller.
template <typename Body>
sword guarded(diagnostics& diag, Body&& body) noexcept {
    diag.clear();
    try {
        return body();
    } catch (const oracle_error& error) {
        diag.add(error);
    } catch (const std::bad_alloc&) {
        diag.add(make_error(4030, "out of process memory"));
    } catch (const std::exception& error) {
        diag.add(make_error(ora::internal_error, error.what()));
    }
    return OCI_ERROR;
}

// Writes a fixed-width attribute value exactly as wide as the attribute is.
template <typename T>
void put_attribute(void* target, ub4* size, T value) {
    *static_cast<T*>(target) = value;
    if (size) *size = sizeof(T);
}

}  // namespace ociemu
