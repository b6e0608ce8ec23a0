// The Oracle client library, loaded at run time, with every function the product calls
// resolved by name once.
#pragma once

#include <string>
#include <vector>

#include "oracle/oci_declarations.h"

// Every client function the product calls. A library that lacks one of them is refused as
// a whole, so no call can reach a missing function later in a run.
#define SPRANDEL_OCI_FUNCTIONS(X) \
    X(OCIEnvNlsCreate)            \
    X(OCIHandleAlloc)             \
    X(OCIHandleFree)              \
    X(OCIDescriptorAlloc)         \
    X(OCIDescriptorFree)          \
    X(OCIAttrGet)                 \
    X(OCIAttrSet)                 \
    X(OCIParamGet)                \
    X(OCIErrorGet)                \
    X(OCIServerAttach)            \
    X(OCIServerDetach)            \
    X(OCISessionBegin)            \
    X(OCISessionEnd)              \
    X(OCIServerVersion)           \
    X(OCIClientVersion)           \
    X(OCIBreak)                   \
    X(OCIStmtPrepare)             \
    X(OCIStmtExecute)             \
    X(OCIStmtFetch2)              \
    X(OCIDefineByPos)             \
    X(OCIBindByPos)               \
    X(OCITransRollback)           \
    X(OCILobRead)                 \
    X(OCILobCharSetForm)          \
    X(OCILobGetLength)            \
    X(OCILobIsTemporary)          \
    X(OCILobFreeTemporary)        \
    X(OCIDateTimeGetDate)         \
    X(OCIDateTimeGetTime)

struct oci_functions {
#define SPRANDEL_OCI_MEMBER(name) name##_fn name = nullptr;
    SPRANDEL_OCI_FUNCTIONS(SPRANDEL_OCI_MEMBER)
#undef SPRANDEL_OCI_MEMBER
};

// The text shown when the client library or one of its functions cannot be found.
extern const char* const oci_client_missing_text;

// Owns the loaded client library; unloads it on destruction.
class oci_client_library {
public:
    // The places tried, in order: the dynamic loader's search for the plain name
    // (LD_LIBRARY_PATH, ldconfig), $ORACLE_HOME/lib, then the versioned names that client
    // packages install without the plain link.
    static std::vector<std::string> default_candidates();

    // Loads the first candidate that opens and resolves every function; throws tk_exception
    // with oci_client_missing_text otherwise, after naming each place tried in the log.
    explicit oci_client_library(const std::vector<std::string>& candidates = default_candidates());
    ~oci_client_library();
    oci_client_library(const oci_client_library&) = delete;
    oci_client_library& operator=(const oci_client_library&) = delete;

    const oci_functions& functions() const noexcept { return functions_; }
    const std::string& loaded_name() const noexcept { return loaded_name_; }
    // The library stays loaded past this object: a thread left inside one of its calls must
    // be able to return.
    void keep_loaded() noexcept { handle_ = nullptr; }

private:
    // Opens one candidate; empty text on success, else why it was refused.
    std::string try_load(const std::string& candidate);

    void* handle_ = nullptr;
    oci_functions functions_;
    std::string loaded_name_;
};
