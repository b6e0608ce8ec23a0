// The statement handle owner.
#include "oracle/ora_stmt.h"

#include "oracle/ora_engine.h"
#include "toolkit/log.h"

ora_stmt::ora_stmt() {
    TK_LOG(2, "ora_stmt::ctor");
    handle_ = ora_engine::instance().alloc_statement();
}

ora_stmt::~ora_stmt() {
    TK_LOG(2, "ora_stmt::dtor");
    // The engine outlives every statement; a test that tears it down first is a bug there.
    if (handle_ != nullptr && ora_engine::is_initialized()) ora_engine::instance().free_statement(handle_);
}
