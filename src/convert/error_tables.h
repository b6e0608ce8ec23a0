// The friendly texts that replace known Oracle error codes.
#pragma once

#include <memory>
#include <span>

#include "convert/error_handler.h"

// The address users are asked to write to about conversion errors.
inline constexpr const char* support_address = "support@sprandel.invalid";

// Oracle codes: 0x100000 plus the ORA number.
extern const std::span<const tk_error_entry> oracle_error_texts;

// The process's error handler with the Oracle texts loaded, showing errors through face
// (null: errors are only logged and listed).
std::unique_ptr<error_handler> create_error_handler(user_interface* face);
