// The per-user settings file that keeps the last run's settings between runs: named values
// of two kinds (32-bit numbers and strings), like the registry values they stand for.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <variant>

class tk_settings_store {
public:
    // $XDG_CONFIG_HOME/Quorvane/Sprandel.conf, or ~/.config/Quorvane/Sprandel.conf where ~ is
    // HOME, else the home folder of the user's account entry. Empty when no home is known: a
    // store of that path reads nothing and writes nothing.
    static std::filesystem::path default_path();

    explicit tk_settings_store(std::filesystem::path path);

    // Reads the file. A missing or unreadable file leaves the store empty and returns false;
    // lines that cannot be understood are skipped (logged), the others are kept.
    bool load();
    // Writes every value to a temporary file beside the target (mode 0600) and renames it
    // into place. Returns false, with the reason logged, when that cannot be done.
    bool save() const;

    std::optional<std::uint32_t> get_dword(const std::string& name) const;
    std::optional<std::string> get_string(const std::string& name) const;
    void set_dword(const std::string& name, std::uint32_t value);
    void set_string(const std::string& name, std::string value);

    const std::filesystem::path& path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
    std::map<std::string, std::variant<std::uint32_t, std::string>> values_;
};
