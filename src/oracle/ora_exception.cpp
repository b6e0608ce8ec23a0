// The Oracle exception.
#include "oracle/ora_exception.h"

#include "toolkit/log.h"

ora_exception::ora_exception(int oracle_number, std::string message)
    : tk_exception(std::move(message), tk_level_serious) {
    TK_LOG(2, "ora_exception::ctor");
    code_ = ora_error_code_base | (oracle_number & 0xFFFF);
}
