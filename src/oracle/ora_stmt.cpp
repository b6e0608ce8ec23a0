// The statement handle owner.
#include "oracle/ora_stmt.h"

#include "oracle/oci_calls.h"
#include "toolkit/log.h"

ora_stmt::ora_stmt() {
    TK_LOG(2, "ora_stmt::ctor");
    handle_ = oci_calls::instance().alloc_statement();
}

ora_stmt::~ora_stmt() {
    TK_LOG(2, "ora_stmt::dtor");
    // The engine outlives every statement; a test that tears it down first is a bug there.
    if (handle_ != nullptr && oci_calls::is_initialized()) oci_calls::instance().free_statement(handle_);
}
