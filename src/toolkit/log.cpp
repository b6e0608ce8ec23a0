// The trace log.
#include "toolkit/log.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <vector>

#include "toolkit/system.h"
#include "toolkit/text.h"

tk_log& tk_log::instance() noexcept {
    static tk_log log;
    return log;
}

void tk_log::close_file() noexcept {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

void tk_log::set_file_name(std::string name) {
    std::lock_guard lock(mutex_);
    close_file();  // the next message opens the new file
    file_name_ = std::move(name);
}

void tk_log::set_minimum_level(int level) noexcept {
    std::lock_guard lock(mutex_);
    minimum_level_ = level;
    if (truncated_) threshold_.store(level, std::memory_order_relaxed);
}

void tk_log::reset_truncation() noexcept {
    std::lock_guard lock(mutex_);
    close_file();
    truncated_ = false;
    threshold_.store(-2147483647 - 1, std::memory_order_relaxed);
}

bool tk_log::accepts(int level) noexcept {
    std::lock_guard lock(mutex_);
    if (file_name_.empty()) return false;
    if (!truncated_) {
        // The first message of the process starts the file afresh; the file then stays
        // open for appending.
        close_file();
        file_ = tk_open_stream(file_name_, "wb");
        truncated_ = true;
        threshold_.store(minimum_level_, std::memory_order_relaxed);
    }
    return level >= minimum_level_;
}

std::string tk_log::file_name() const {
    std::lock_guard lock(mutex_);
    return file_name_;
}

void tk_log::write(int level, const char* format, ...) noexcept {
    if (!is_enabled() || !accepts(level)) return;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    char small[512];
    const int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (needed < 0) {
        va_end(copy);
        return;
    }
    if (static_cast<std::size_t>(needed) < sizeof small) {
        va_end(copy);
        write_text(small, static_cast<std::size_t>(needed));
        return;
    }
    try {
        std::vector<char> large(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(large.data(), large.size(), format, copy);
        write_text(large.data(), static_cast<std::size_t>(needed));
    } catch (...) {
        // Out of memory: the message is dropped, as any log failure is.
    }
    va_end(copy);
}

void tk_log::write_text(const char* text, std::size_t size) noexcept {
    std::lock_guard lock(mutex_);
    if (file_name_.empty()) return;
    // Reopened after a failure (a folder that came back) or a change of file.
    if (file_ == nullptr) file_ = tk_open_stream(file_name_, "ab");
    if (file_ == nullptr) return;
    if (time_prefix_) {
        const std::time_t now = std::time(nullptr);
        const std::tm local = tk_local_time(now);
        std::fprintf(file_, "%02d:%02d:%02d ", local.tm_hour, local.tm_min, local.tm_sec);
    }
    std::fwrite(text, 1, size, file_);
    if (line_end_) std::fwrite("\r\n", 1, 2, file_);
    // A line is on its way to the disk before the next one is made: a dying process
    // loses nothing it logged.
    if (std::fflush(file_) != 0) close_file();
}
