// The values of the wide benchmark table (10 texts, 8 NUMBER(12,2), 2 DATE per row), made
// the same way by the database builder and by the benchmark's libxlsxwriter baseline.
#pragma once

#include <cstdio>

namespace wide_rows {

inline constexpr int text_columns = 10;
inline constexpr int number_columns = 8;
inline constexpr int date_columns = 2;
inline constexpr long long pools[] = {10, 100, 1000, 10000};

// Text column c (0-based) of row i (1-based): all different, or from a pool of 10 to 10,000.
inline void text(char (&out)[64], long long i, int c, bool pooled) {
    if (pooled) std::snprintf(out, sizeof out, "Pool %02d value %lld", c + 1, (i * (c + 3)) % pools[c % 4]);
    else std::snprintf(out, sizeof out, "Text %02d of row %09lld", c + 1, i);
}

// Number column c: two decimals, up to 50,000,000 either side of zero.
inline double number(long long i, int c) {
    const long long cents = (i * 7919 + c * 104729) % 10'000'000'000LL - 5'000'000'000LL;
    return static_cast<double>(cents) / 100.0;
}

struct date { int year, month, day; };

inline date day_of(long long i, int c) {
    const long long day = (i * (c + 1)) % 10000;
    return {static_cast<int>(1995 + day / 336), static_cast<int>(1 + day / 28 % 12), static_cast<int>(1 + day % 28)};
}

}  // namespace wide_rows
