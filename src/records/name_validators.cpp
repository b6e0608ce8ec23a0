// Name validators: acceptance, duplicates and safe replacement names.
#include "records/name_validators.h"

#include <cstdio>
#include <utility>

#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

constexpr int numbered_names = 100'000;  // "00000" .. "99999"
constexpr std::uint32_t number_length = 5;

std::string utf8_of_code_point(char32_t c) {
    std::string out;
    append_utf8(out, c);
    return out;
}

// Length in UTF-16 code units; bytes of a text that is not UTF-8 count one each.
std::size_t name_length(std::string_view name) {
    return is_valid_utf8(name) ? utf16_length(name) : name.size();
}

std::string name_prefix(std::string_view name, std::size_t units) {
    if (!is_valid_utf8(name)) return std::string(name.substr(0, units));
    return std::string(utf16_prefix(name, units));
}

}  // namespace

name_validator::name_validator(std::uint32_t max_length) : max_length_(max_length) {
    TK_LOG(1, "%s", __func__);
}

bool name_validator::is_acceptable(std::string_view name) const {
    TK_LOG(1, "%s(%.*s)", __func__, static_cast<int>(name.size()), name.data());
    if (max_length_ != 0 && name_length(name) > max_length_) {
        TK_LOG(1, "The name is too long");
        return false;
    }
    for (const char32_t c : illegal_) {
        if (name.find(utf8_of_code_point(c)) != std::string_view::npos) {
            TK_LOG(1, "The name contains illegal: %s", utf8_of_code_point(c).c_str());
            return false;
        }
    }
    return true;
}

bool name_validator::is_duplicated(std::string_view name) const {
    TK_LOG(1, "%s(%.*s)", __func__, static_cast<int>(name.size()), name.data());
    if (folded_existing_.count(fold_case(name)) == 0) return false;
    TK_LOG(1, "Name is duplicated");
    return true;
}

std::string name_validator::get_safe_name(std::string_view name) const {
    TK_LOG(2, "%s(%.*s)", __func__, static_cast<int>(name.size()), name.data());
    std::string safe(name);
    if (max_length_ != 0 && name_length(safe) > max_length_) safe = name_prefix(safe, max_length_ - 1);
    for (const char32_t c : illegal_) replace_all(safe, utf8_of_code_point(c), "_");
    if (is_acceptable(safe) && !is_duplicated(safe)) return safe;
    // Room for the five-digit number, which keeps the name within the limit.
    if (max_length_ != 0 && name_length(safe) + number_length > max_length_) {
        safe = name_prefix(safe, max_length_ > number_length ? max_length_ - number_length - 1 : 0);
    }
    for (int i = 0; i < numbered_names; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%05d", i);
        std::string candidate = safe + number;
        if (is_acceptable(candidate) && !is_duplicated(candidate)) return candidate;
    }
    TK_FAIL();  // a hundred thousand names taken
}

void name_validator::add_existing_name(std::string name) {
    TK_LOG(1, "%s(%s)", __func__, name.c_str());
    folded_existing_.insert(fold_case(name));
}

xls_header_name_validator::xls_header_name_validator() : name_validator(0) {
    TK_LOG(1, "%s", __func__);
    illegal_ = U"`![]./'";
}

bool xls_header_name_validator::is_acceptable(std::string_view name) const {
    TK_LOG(1, "%s(%.*s)", __func__, static_cast<int>(name.size()), name.data());
    if (name.empty() || name.front() == ' ' || name.back() == ' ') return false;
    return name_validator::is_acceptable(name);
}

std::string xls_header_name_validator::get_safe_name(std::string_view name) const {
    TK_LOG(2, "%s(%.*s)", __func__, static_cast<int>(name.size()), name.data());
    const std::string trimmed = trim(name);
    if (trimmed.empty() && !name.empty()) TK_LOG(1, "Special processing for all-spaces-string");
    return name_validator::get_safe_name(trimmed);
}

sheet_name_validator::sheet_name_validator(const std::vector<std::string>& first_names,
                                   const std::vector<std::string>& second_names)
    : name_validator(max_sheet_name_length) {
    TK_LOG(2, "%s", __func__);
    illegal_ = U"\\?*:$[]/'";
    for (const std::string& name : first_names) add_existing_name(name);
    for (const std::string& name : second_names) add_existing_name(name);
}
