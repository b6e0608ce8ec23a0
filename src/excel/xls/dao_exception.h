// An error of the .xls driver: its number (the code the error handler looks up) and its
// description (the message).
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/exception.h"

// Driver error numbers, with the meaning the same numbers have always had for this driver.
namespace dao_error {
inline constexpr std::int32_t cannot_write_file = 3051;
inline constexpr std::int32_t no_installable_isam = 3170;  // the connect string names no format we write
inline constexpr std::int32_t invalid_name = 3125;
}  // namespace dao_error

class dao_exception : public tk_exception {
public:
    dao_exception(std::int32_t number, std::string description, int level = tk_level_serious);
    std::int32_t number() const noexcept { return number_; }
    bool has_number() const noexcept { return number_read_ != 0; }

private:
    std::int32_t number_;
    std::uint16_t number_read_ = 1;
};
