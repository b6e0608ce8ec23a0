// The few POSIX functions the tests use, for their Windows build (force-included there):
// environment switches and fresh temporary folders.
#pragma once

#if defined(_WIN32) && defined(__cplusplus)
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }  // "" removes it on Windows

// Replaces the trailing XXXXXX of pattern and creates that folder; nullptr when none could be.
inline char* mkdtemp(char* pattern) {
    static std::atomic<unsigned> counter{std::random_device{}()};
    std::string text(pattern);
    if (text.size() < 6 || text.compare(text.size() - 6, 6, "XXXXXX") != 0) return nullptr;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%06x", ++counter & 0xFFFFFFu);
        text.replace(text.size() - 6, 6, suffix);
        std::error_code error;
        if (std::filesystem::create_directory(text, error) && !error) {
            text.copy(pattern, text.size());
            return pattern;
        }
    }
    return nullptr;
}
#endif
