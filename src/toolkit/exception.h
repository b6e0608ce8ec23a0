// The exception family through which every failure travels, each with a level that tells
// the error handler how to present it.
#pragma once

#include <exception>
#include <string>
#include <string_view>

// Levels: what the error handler does with an exception.
inline constexpr int tk_level_recoverable = 0;  // the row or item failed, the run goes on
inline constexpr int tk_level_serious = 1;      // the current operation cannot go on
inline constexpr int tk_level_internal = 2;     // internal error: the process ends after a dialog

class tk_exception : public std::exception {
public:
    explicit tk_exception(int level = tk_level_serious);
    tk_exception(std::string message, int level);
    tk_exception(const tk_exception&) = default;
    tk_exception& operator=(const tk_exception&) = default;
    ~tk_exception() override = default;

    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& message() const noexcept { return message_; }
    int code() const noexcept { return code_; }
    int level() const noexcept { return level_; }
    void set_code(int code) noexcept { code_ = code; }
    void set_level(int level) noexcept { level_ = level; }

protected:
    std::string message_;
    int code_ = 0;
    int level_;
};

// A failed operating-system call: code is the errno value, the message the prefix followed
// by the system's text for it.
class tk_exception_ex : public tk_exception {
public:
    tk_exception_ex();  // errno, empty prefix, level 1
    explicit tk_exception_ex(std::string_view prefix, int level = tk_level_serious);
    // For callers that saved errno before doing anything else that may change it.
    tk_exception_ex(int error_number, std::string_view prefix, int level);
};

// An internal assertion: a condition the program relies on did not hold. The message hides
// the source file and line in hexadecimal so a bug report carries them without alarming
// the user.
class tk_assertion_failure : public tk_exception {
public:
    tk_assertion_failure(std::string_view source_file, int line);
};

// Stops the current operation at once; the user has already been told.
class tk_final_exception : public std::exception {
public:
    tk_final_exception();
    const char* what() const noexcept override { return "operation stopped"; }
};

// "Internal error: \ncode=" followed by the lower-case hexadecimal bytes of "file\line".
std::string tk_assertion_message(std::string_view source_file, int line);

// The base name of a source path without folder and extension ("src/a/ora_engine.cpp" ->
// "ora_engine"), as internal assertions name their file.
std::string_view tk_source_stem(std::string_view path) noexcept;

#define TK_FAIL() throw tk_assertion_failure(tk_source_stem(__FILE__), __LINE__)
#define TK_ASSERT(condition) \
    do {                     \
        if (!(condition)) TK_FAIL(); \
    } while (false)
