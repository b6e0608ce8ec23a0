// Fuzzes the profile reader: any bytes either read, stop with false, or raise the documented
// error; a profile that was read and can be written reads back to the same sections.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "records/profile_file.h"
#include "toolkit/exception.h"

namespace {

// Each section's keys with its bare names as keys of no value: a selected table is written
// bare and may have been read as "NAME=", and a name listed twice is one entry.
std::map<std::string, std::map<std::string, std::string>> entries_of(const profile_file& profile) {
    std::map<std::string, std::map<std::string, std::string>> entries;
    for (const auto& [section, keys] : profile.sections()) {
        auto& merged = entries[section];
        merged.insert(keys.begin(), keys.end());
        for (const std::string& name : profile.names(section)) merged.emplace(name, std::string());
    }
    return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    profile_file profile;
    try {
        if (!profile.read_text(text)) return 0;
    } catch (const tk_exception&) {
        return 0;  // text that is not UTF-8
    }
    std::string written;
    try {
        written = profile.to_text();
    } catch (const tk_exception&) {
        return 0;  // a name that could not be read back as written is refused
    }
    profile_file again;
    if (!again.read_text(written) || entries_of(again) != entries_of(profile)) std::abort();
    return 0;
}
