// The settings file. Format, one value per line under a "[Sprandel]" header:
//   name=dword:0000000a        a 32-bit number in hexadecimal, as registry exports write it
//   name=sz:text               a string; "\\", "\n" and "\r" are escaped so one value is one line
#include "toolkit/settings_store.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "toolkit/files.h"
#include "toolkit/log.h"
#include "toolkit/system.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view section_header = "[Sprandel]";

std::string escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

std::optional<std::string> unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        if (text[i] == '\\') out += '\\';
        else if (text[i] == 'n') out += '\n';
        else if (text[i] == 'r') out += '\r';
        else return std::nullopt;
    }
    return out;
}

}  // namespace

fs::path tk_settings_store::default_path() {
    const fs::path folder = tk_user_settings_folder();
    if (folder.empty()) return {};
    return folder / "Quorvane" / "Sprandel.conf";
}

tk_settings_store::tk_settings_store(fs::path path) : path_(std::move(path)) {}

bool tk_settings_store::load() {
    values_.clear();
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        TK_LOG(1, "settings file %s not readable; defaults kept", tk_path_text(path_).c_str());
        return false;
    }
    std::string line;
    bool in_section = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            in_section = line == section_header;
            continue;
        }
        const auto equals = line.find('=');
        if (!in_section || equals == std::string::npos) continue;
        const std::string name = line.substr(0, equals);
        const std::string_view value = std::string_view(line).substr(equals + 1);
        if (value.starts_with("dword:")) {
            std::uint32_t number = 0;
            const auto digits = value.substr(6);
            const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number, 16);
            if (error == std::errc() && end == digits.data() + digits.size() && !digits.empty()) {
                values_[name] = number;
                continue;
            }
        } else if (value.starts_with("sz:")) {
            if (auto text = unescape(value.substr(3))) {
                values_[name] = std::move(*text);
                continue;
            }
        }
        TK_LOG(1, "settings value %s not understood; skipped", name.c_str());
    }
    return true;
}

bool tk_settings_store::save() const {
    if (path_.empty()) {
        TK_LOG(3, "No home folder is known (HOME and the account entry name none): the settings are not kept");
        return false;
    }
    std::string content(section_header);
    content += '\n';
    char hex[16];
    for (const auto& [name, value] : values_) {
        content += name;
        if (const auto* number = std::get_if<std::uint32_t>(&value)) {
            std::snprintf(hex, sizeof hex, "%08x", *number);
            content += "=dword:";
            content += hex;
        } else {
            content += "=sz:";
            content += escape(std::get<std::string>(value));
        }
        content += '\n';
    }

    std::error_code error;
    fs::create_directories(path_.parent_path(), error);
    if (error) {
        TK_LOG(3, "Cannot create the settings folder %s: %s", tk_path_text(path_.parent_path()).c_str(),
               error.message().c_str());
        return false;
    }
    int error_number = 0;
    if (!tk_try_write_file_atomically(tk_path_text(path_), content, error_number)) {
        TK_LOG(3, "Cannot write the settings file %s: %s", tk_path_text(path_).c_str(),
               tk_system_error_text(error_number).c_str());
        return false;
    }
    return true;
}

std::optional<std::uint32_t> tk_settings_store::get_dword(const std::string& name) const {
    const auto found = values_.find(name);
    if (found == values_.end()) return std::nullopt;
    if (const auto* number = std::get_if<std::uint32_t>(&found->second)) return *number;
    return std::nullopt;
}

std::optional<std::string> tk_settings_store::get_string(const std::string& name) const {
    const auto found = values_.find(name);
    if (found == values_.end()) return std::nullopt;
    if (const auto* text = std::get_if<std::string>(&found->second)) return *text;
    return std::nullopt;
}

void tk_settings_store::set_dword(const std::string& name, std::uint32_t value) { values_[name] = value; }

void tk_settings_store::set_string(const std::string& name, std::string value) {
    values_[name] = std::move(value);
}
