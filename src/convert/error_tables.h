// The friendly texts that replace known DAO and Oracle error codes.
#pragma once

#include <memory>
#include <span>

#include "convert/error_handler.h"

// The address users are asked to write to about conversion errors.
inline constexpr const char* support_address = "support@sprandel.invalid";

// DAO driver codes.
extern const std::span<const tk_error_entry> dao_error_texts;
// Oracle codes: 0x100000 plus the ORA number.
extern const std::span<const tk_error_entry> oracle_error_texts;
// Dates outside the range a workbook accepts.
extern const std::span<const tk_error_entry> date_range_error_texts;

// The process's error handler with the three tables loaded in order (DAO, Oracle, date
// range), so an earlier table's text wins for a code that appears twice.
std::unique_ptr<error_handler> create_error_handler();
