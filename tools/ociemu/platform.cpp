// The emulator's calls into the operating system, for Linux and for Windows.
#include "platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <string>

namespace ociemu {

std::tm local_time(std::time_t moment) noexcept {
    std::tm parts{};
#ifdef _WIN32
    ::localtime_s(&parts, &moment);
#else
    ::localtime_r(&moment, &parts);
#endif
    return parts;
}

std::filesystem::path own_library_folder() {
#ifdef _WIN32
    // the module that holds this function: oci.dll, wherever the program loaded it from
    HMODULE self = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&own_library_folder), &self))
        return {};
    std::wstring name(32768, L'\0');
    const DWORD size = ::GetModuleFileNameW(self, name.data(), static_cast<DWORD>(name.size()));
    if (size == 0 || size >= name.size()) return {};
    name.resize(size);
    return std::filesystem::path(name).parent_path();
#else
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&own_library_folder), &info) && info.dli_fname)
        return std::filesystem::path(info.dli_fname).parent_path();
    return {};
#endif
}

}  // namespace ociemu
