// A temporary file holding one fuzz input, for readers that only open paths. Removed when
// the input is done.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

class fuzz_file {
public:
    fuzz_file(const char* stem, const std::uint8_t* data, std::size_t size)
        : path_(std::filesystem::temp_directory_path() /
                (std::string(stem) + "-" + std::to_string(::getpid()) + ".bin")) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out.flush()) std::abort();  // the fuzzer's own disk is full: nothing to learn
    }
    ~fuzz_file() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    fuzz_file(const fuzz_file&) = delete;
    fuzz_file& operator=(const fuzz_file&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string content() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path path_;
};
