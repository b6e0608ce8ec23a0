// Finding and loading the Oracle client library and resolving its functions.
#include "oracle/client_library.h"

#include <dlfcn.h>

#include <cstdlib>

#include "toolkit/exception.h"
#include "toolkit/log.h"

const char* const oci_client_missing_text =
    "The Oracle client and networking components were not found.\n"
    "These components are supplied by the Oracle Corporation and\n"
    "are part of the Oracle Version 7.3.4 (or later) client\n"
    "software installation. You will be unable to use this program\n"
    "until these components have been installed.\n"
    "\n"
    "Sprandel looks for libclntsh.so in this order: the library path\n"
    "(LD_LIBRARY_PATH, then the folders known to ldconfig), then\n"
    "$ORACLE_HOME/lib, then libclntsh.so.23.1, .21.1, .19.1, .18.1,\n"
    ".12.1 and .11.1 on the library path. Oracle Instant Client\n"
    "\"Basic\" or \"Basic Light\" provides it.";

namespace {

constexpr const char* plain_library_name = "libclntsh.so";
// Client packages of these major releases install only the versioned file.
constexpr const char* versioned_library_names[] = {
    "libclntsh.so.23.1", "libclntsh.so.21.1", "libclntsh.so.19.1",
    "libclntsh.so.18.1", "libclntsh.so.12.1", "libclntsh.so.11.1",
};

}  // namespace

std::vector<std::string> oci_client_library::default_candidates() {
    std::vector<std::string> candidates{plain_library_name};
    const char* oracle_home = std::getenv("ORACLE_HOME");
    if (oracle_home != nullptr && *oracle_home != '\0')
        candidates.push_back(std::string(oracle_home) + "/lib/" + plain_library_name);
    for (const char* name : versioned_library_names) candidates.emplace_back(name);
    return candidates;
}

oci_client_library::oci_client_library(const std::vector<std::string>& candidates) {
    TK_LOG(2, "%s", __func__);
    for (const std::string& candidate : candidates) {
        const std::string refusal = try_load(candidate);
        if (refusal.empty()) {
            loaded_name_ = candidate;
            TK_LOG(3, "Oracle client library loaded from '%s'", candidate.c_str());
            return;
        }
        TK_LOG(3, "Oracle client library '%s' not usable: %s", candidate.c_str(), refusal.c_str());
    }
    TK_LOG(3, "Oracle client library %s not found; %zu places tried", plain_library_name,
           candidates.size());
    throw tk_exception(oci_client_missing_text, tk_level_serious);
}

oci_client_library::~oci_client_library() {
    if (handle_ != nullptr) dlclose(handle_);
}

std::string oci_client_library::try_load(const std::string& candidate) {
    void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        return reason != nullptr ? reason : "cannot be opened";
    }
    oci_functions resolved;
    std::string missing;
#define SPRANDEL_OCI_RESOLVE(name)                                                   \
    resolved.name = reinterpret_cast<name##_fn>(dlsym(handle, #name));               \
    if (resolved.name == nullptr) missing += missing.empty() ? #name : ", " #name;
    SPRANDEL_OCI_FUNCTIONS(SPRANDEL_OCI_RESOLVE)
#undef SPRANDEL_OCI_RESOLVE
    if (!missing.empty()) {
        dlclose(handle);
        return "function(s) missing: " + missing;
    }
    handle_ = handle;
    functions_ = resolved;
    return {};
}
