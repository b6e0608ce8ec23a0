// Finding and loading the Oracle client library and resolving its functions.
#include "oracle/client_library.h"

#include <array>

#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/system.h"

const char* const oci_client_missing_text =
    "The Oracle client and networking components were not found.\n"
    "These components are supplied by the Oracle Corporation and\n"
    "are part of the Oracle Version 7.3.4 (or later) client\n"
    "software installation. You will be unable to use this program\n"
    "until these components have been installed.\n"
    "\n"
#ifdef _WIN32
    "Sprandel looks for oci.dll in this order: the program's folder,\n"
    "the System32 folder, the Windows folder, the current folder,\n"
    "the folders on PATH, then %ORACLE_HOME%\\bin. Oracle\n"
    "Instant Client \"Basic\" or \"Basic Light\" provides it; put\n"
    "its folder on PATH.";
#else
    "Sprandel looks for libclntsh.so in this order: the library path\n"
    "(LD_LIBRARY_PATH, then the folders known to ldconfig), then\n"
    "$ORACLE_HOME/lib, then libclntsh.so.23.1, .21.1, .19.1, .18.1,\n"
    ".12.1 and .11.1 on the library path. Oracle Instant Client\n"
    "\"Basic\" or \"Basic Light\" provides it.";
#endif

namespace {

#ifdef _WIN32
constexpr const char* plain_library_name = "oci.dll";
constexpr const char* oracle_home_library = "\\bin\\oci.dll";
// Windows clients have no versioned file names.
constexpr std::array<const char*, 0> versioned_library_names{};
#else
constexpr const char* plain_library_name = "libclntsh.so";
constexpr const char* oracle_home_library = "/lib/libclntsh.so";
// Client packages of these major releases install only the versioned file.
constexpr std::array versioned_library_names{
    "libclntsh.so.23.1", "libclntsh.so.21.1", "libclntsh.so.19.1",
    "libclntsh.so.18.1", "libclntsh.so.12.1", "libclntsh.so.11.1",
};
#endif

}  // namespace

std::vector<std::string> oci_client_library::default_candidates() {
    std::vector<std::string> candidates{plain_library_name};
    // by its full path: the home's folder is then searched first for the libraries it needs
    const auto oracle_home = tk_environment("ORACLE_HOME");
    if (oracle_home && !oracle_home->empty()) candidates.push_back(*oracle_home + oracle_home_library);
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
    if (handle_ != nullptr) tk_unload_library(handle_);
}

std::string oci_client_library::try_load(const std::string& candidate) {
    std::string reason;
    void* handle = tk_load_library(candidate, reason);
    if (handle == nullptr) return reason;
    oci_functions resolved;
    std::string missing;
#define SPRANDEL_OCI_RESOLVE(name)                                                   \
    resolved.name = reinterpret_cast<name##_fn>(tk_library_function(handle, #name));               \
    if (resolved.name == nullptr) missing += missing.empty() ? #name : ", " #name;
    SPRANDEL_OCI_FUNCTIONS(SPRANDEL_OCI_RESOLVE)
#undef SPRANDEL_OCI_RESOLVE
    if (!missing.empty()) {
        tk_unload_library(handle);
        return "function(s) missing: " + missing;
    }
    handle_ = handle;
    functions_ = resolved;
    return {};
}
