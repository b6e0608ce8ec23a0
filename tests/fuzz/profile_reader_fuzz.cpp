// Fuzzes the profile reader: any bytes either read, stop with false, or raise the documented
// error; a profile that was read and can be written reads back to the same sections.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "records/profile_file.h"
#include "toolkit/exception.h"

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
    if (!again.read_text(written) || again.sections() != profile.sections()) std::abort();
    return 0;
}
