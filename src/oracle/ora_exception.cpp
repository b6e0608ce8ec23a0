// The Oracle exception.
#include "oracle/ora_exception.h"

#include <algorithm>
#include <array>

#include "toolkit/log.h"

namespace {

// The session or its connection is gone: killed, timed out, shut down, or the network
// dropped it. The same meaning under many numbers.
constexpr std::array connection_lost_numbers{22,    28,    31,    1012,  1089,  1092,  2396,  3113,  3114, 3135,
                                             12152, 12153, 12537, 12547, 12570, 12571, 12583, 28511};
// The cursor is gone, or its snapshot is.
constexpr std::array cursor_lost_numbers{1001, 1002, 1555, 24338};

template <class Numbers>
bool contains(const Numbers& numbers, int number) {
    return std::find(numbers.begin(), numbers.end(), number) != numbers.end();
}

}  // namespace

ora_exception::ora_exception(int oracle_number, std::string message)
    : tk_exception(std::move(message), tk_level_serious) {
    TK_LOG(2, "%s", __func__);
    code_ = ora_error_code_base | (oracle_number & 0xFFFF);
}

bool ora_exception::ends_the_cursor() const noexcept {
    return is_connection_lost() || contains(cursor_lost_numbers, oracle_number());
}

bool ora_exception::is_connection_lost() const noexcept {
    return connection_lost_ || contains(connection_lost_numbers, oracle_number());
}
