// Driver errors with number and description.
#include "excel/xls/dao_exception.h"

#include "toolkit/log.h"

dao_exception::dao_exception(std::int32_t number, std::string description, int level)
    : tk_exception(std::move(description), level), number_(number) {
    set_code(number);
    TK_LOG(2, "dao_exception::dao_exception");
    TK_LOG(1, "Got error: %s", message_.c_str());
    TK_LOG(1, "Got error code: %08X", static_cast<unsigned>(number));
}
