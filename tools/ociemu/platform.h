// The two things the emulator needs from the operating system.
#pragma once

#include <ctime>
#include <filesystem>

namespace ociemu {

// Local time of a moment, thread-safe.
std::tm local_time(std::time_t moment) noexcept;
// The folder of the emulator's own library file; empty when the system cannot say.
std::filesystem::path own_library_folder();

}  // namespace ociemu
