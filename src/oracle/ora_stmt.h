// One client statement handle, freed with its owner.
#pragma once

#include "oracle/oci_declarations.h"

class ora_stmt {
public:
    ora_stmt();  // allocates from the engine's environment
    ~ora_stmt();
    ora_stmt(const ora_stmt&) = delete;
    ora_stmt& operator=(const ora_stmt&) = delete;

    OCIStmt* get() const noexcept { return handle_; }

private:
    OCIStmt* handle_ = nullptr;
};
