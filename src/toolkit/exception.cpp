// The toolkit's exception family.
#include "toolkit/exception.h"

#include <cerrno>
#include <cstring>

#include "toolkit/log.h"
#include "toolkit/system.h"

namespace {

constexpr const char* unknown_exception_text = "Unknown exception";

}  // namespace

tk_exception::tk_exception(int level) : message_(unknown_exception_text), level_(level) {}

tk_exception::tk_exception(std::string message, int level)
    : message_(message.empty() ? std::string(unknown_exception_text) : std::move(message)),
      level_(level) {}

tk_exception_ex::tk_exception_ex() : tk_exception_ex(errno, "", tk_level_serious) {}

tk_exception_ex::tk_exception_ex(std::string_view prefix, int level)
    : tk_exception_ex(errno, prefix, level) {}

tk_exception_ex::tk_exception_ex(int error_number, std::string_view prefix, int level)
    : tk_exception(level) {
    code_ = error_number;
    const std::string text = error_number != 0 ? tk_system_error_text(error_number) : std::string();
    if (!text.empty()) message_ = std::string(prefix) + text;
    TK_LOG(1, "system error: %s", message_.c_str());
}

std::string tk_assertion_message(std::string_view source_file, int line) {
    TK_LOG(2, "make_err_meggase(%.*s, %d)", static_cast<int>(source_file.size()),
           source_file.data(), line);
    const std::string where = std::string(source_file) + "\\" + std::to_string(line);
    static constexpr char digits[] = "0123456789abcdef";
    std::string message = "Internal error: \ncode=";
    for (const unsigned char byte : where) {
        message += digits[byte >> 4];
        message += digits[byte & 0x0F];
    }
    return message;
}

tk_assertion_failure::tk_assertion_failure(std::string_view source_file, int line)
    : tk_exception(tk_assertion_message(source_file, line), tk_level_internal) {
    TK_LOG(2, "%s(%.*s)", __func__, static_cast<int>(source_file.size()),
           source_file.data());
}

tk_final_exception::tk_final_exception() { TK_LOG(2, "%s", __func__); }

std::string_view tk_source_stem(std::string_view path) noexcept {
    const auto slash = path.find_last_of("/\\");
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    const auto dot = path.rfind('.');
    if (dot != std::string_view::npos && dot != 0) path = path.substr(0, dot);
    return path;
}
