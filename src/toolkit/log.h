// The process-wide trace log: one line per message into a file kept open and flushed after
// every line, so the file is complete up to the last line even if the process dies.
#pragma once

#include <atomic>
#include <cstdio>
#include <cstddef>
#include <mutex>
#include <string>

// MinGW's "printf" format means msvcrt's, which lacks %zu: the C99 one (gnu_printf) is used
// there. clang knows no gnu_printf, and elsewhere printf is the C99 one.
#if defined(__MINGW32__)
#define TK_PRINTF_FORMAT(format_index, first_argument) __attribute__((format(gnu_printf, format_index, first_argument)))
#else
#define TK_PRINTF_FORMAT(format_index, first_argument) __attribute__((format(printf, format_index, first_argument)))
#endif

class tk_log {
public:
    static tk_log& instance() noexcept;

    // The one branch that every log call costs while logging is off.
    static bool is_enabled() noexcept { return enabled_.load(std::memory_order_relaxed); }
    // Whether a message of this level would be written (or is the first one, which empties
    // the file): checked before any argument is formatted.
    static bool is_enabled(int level) noexcept {
        return enabled_.load(std::memory_order_relaxed) && level >= threshold_.load(std::memory_order_relaxed);
    }

    void set_file_name(std::string name);
    std::string file_name() const;
    void enable(bool on) noexcept { enabled_.store(on, std::memory_order_relaxed); }
    void set_minimum_level(int level) noexcept;
    int minimum_level() const noexcept { return minimum_level_; }
    void set_time_prefix(bool on) noexcept { time_prefix_ = on; }
    void set_line_end(bool on) noexcept { line_end_ = on; }
    // Lets a new run (or a test) empty the file again on its first message.
    void reset_truncation() noexcept;

    // printf rules; the message is UTF-8.
    void write(int level, const char* format, ...) noexcept TK_PRINTF_FORMAT(3, 4);


private:
    // No destructor of its own: objects destroyed at exit may still log, and exit closes
    // the file after flushing it anyway.
    tk_log() = default;
    // Empties the file on the first message; false when level is below the minimum.
    bool accepts(int level) noexcept;
    void write_text(const char* text, std::size_t size) noexcept;
    void close_file() noexcept;  // with mutex_ held

    inline static std::atomic<bool> enabled_{false};
    // The lowest level written; every level until the first message has emptied the file.
    inline static std::atomic<int> threshold_{-2147483647 - 1};
    mutable std::mutex mutex_;  // keeps concurrent messages whole lines
    std::string file_name_;
    std::FILE* file_ = nullptr;
    // Details (level 1), such as per-row traces, only when asked for.
    int minimum_level_ = 2;
    bool line_end_ = true;
    bool time_prefix_ = true;
    bool truncated_ = false;
};

// Arguments are evaluated only when the message will be written.
#define TK_LOG(level, ...)                                         \
    do {                                                           \
        if (tk_log::is_enabled(level)) tk_log::instance().write((level), __VA_ARGS__); \
    } while (false)
