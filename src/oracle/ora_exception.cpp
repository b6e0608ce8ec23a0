// The Oracle exception.
#include "oracle/ora_exception.h"

#include <algorithm>
#include <array>

#include "toolkit/log.h"

namespace {

// Session lost, connection lost, cursor invalid: the same meaning under many numbers.
constexpr std::array cursor_ending_numbers{28, 1001, 1002, 1012, 2396, 3113, 3114, 3135,
                                           12152, 12537, 12547, 12570, 12571, 24338};

}  // namespace

ora_exception::ora_exception(int oracle_number, std::string message)
    : tk_exception(std::move(message), tk_level_serious) {
    TK_LOG(2, "%s", __func__);
    code_ = ora_error_code_base | (oracle_number & 0xFFFF);
}

bool ora_exception::ends_the_cursor() const noexcept {
    return std::find(cursor_ending_numbers.begin(), cursor_ending_numbers.end(), oracle_number()) !=
           cursor_ending_numbers.end();
}
