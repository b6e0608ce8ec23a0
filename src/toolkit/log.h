// The process-wide trace log: one line per message, opened, written and closed each time so
// the file is complete up to the last line even if the process dies.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>

class tk_log {
public:
    static tk_log& instance() noexcept;

    // The one branch that every log call costs while logging is off.
    static bool is_enabled() noexcept { return enabled_.load(std::memory_order_relaxed); }

    void set_file_name(std::string name);
    std::string file_name() const;
    void enable(bool on) noexcept { enabled_.store(on, std::memory_order_relaxed); }
    void set_minimum_level(int level) noexcept { minimum_level_ = level; }
    int minimum_level() const noexcept { return minimum_level_; }
    void set_time_prefix(bool on) noexcept { time_prefix_ = on; }
    void set_line_end(bool on) noexcept { line_end_ = on; }
    // Lets a new run (or a test) empty the file again on its first message.
    void reset_truncation() noexcept { truncated_ = false; }

    // printf rules; the message is UTF-8.
    void write(int level, const char* format, ...) noexcept __attribute__((format(printf, 3, 4)));
    // Wide printf rules; the message is cut to wide_buffer_chars - 1 characters, written as
    // UTF-8 of at most wide_buffer_chars bytes, cut on a character boundary.
    void write_wide(int level, const wchar_t* format, ...) noexcept;

    static constexpr std::size_t wide_buffer_chars = 10240;

private:
    tk_log() = default;
    void write_text(int level, const char* text, std::size_t size) noexcept;

    inline static std::atomic<bool> enabled_{false};
    mutable std::mutex mutex_;  // keeps concurrent messages whole lines
    std::string file_name_;
    int minimum_level_ = 1;
    bool line_end_ = true;
    bool time_prefix_ = true;
    bool truncated_ = false;
};

// Arguments are evaluated only when the log is on.
#define TK_LOG(level, ...)                                         \
    do {                                                           \
        if (tk_log::is_enabled()) tk_log::instance().write((level), __VA_ARGS__); \
    } while (false)
#define TK_LOGW(level, ...)                                        \
    do {                                                           \
        if (tk_log::is_enabled()) tk_log::instance().write_wide((level), __VA_ARGS__); \
    } while (false)
