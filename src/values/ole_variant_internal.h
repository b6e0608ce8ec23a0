// Helpers shared by the ole_variant sources only.
#pragma once

#include <cstdint>

// The platform's result codes, kept for the log lines that report a failed conversion.
inline constexpr unsigned disp_e_typemismatch = 0x80020005u;
inline constexpr unsigned disp_e_overflow = 0x8002000Au;

// The double rounded half to even; false for NaN and values outside 64 bits.
bool round_to_int64(double value, std::int64_t& out) noexcept;
