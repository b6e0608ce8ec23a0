// Byte sinks: memory buffer, temporary output file renamed on commit, and the spool file.
#include "excel/xls/compound_file_sink.h"

#include <cerrno>
#include <cstdlib>

#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"
#include "toolkit/system.h"

void byte_sink::write_zeros(std::uint64_t count) {
    static const std::byte zeros[4096] = {};
    while (count > 0) {
        const std::uint64_t piece = count < sizeof zeros ? count : sizeof zeros;
        write(std::span<const std::byte>(zeros, static_cast<std::size_t>(piece)));
        count -= piece;
    }
}

void memory_sink::write(std::span<const std::byte> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

temporary_output_file::temporary_output_file(std::filesystem::path destination, std::filesystem::path output)
    : destination_(std::move(destination)), output_(output.empty() ? destination_ : std::move(output)) {
    // in the folder of the file it becomes, where the rename is one step; a failure names
    // the workbook the user knows
    int error_number = 0;
    temporary_ = tk_system_path(tk_try_create_temporary_beside(tk_path_text(output_), error_number));
    if (temporary_.empty())
        throw tk_exception_ex(error_number,
                              "Cannot create a temporary file beside " + tk_path_text(destination_) + ": ",
                              tk_level_serious);
    file_ = tk_open_stream(tk_path_text(temporary_), "wb");
    if (file_ == nullptr) {
        const int saved = errno;
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        throw tk_exception_ex(saved, "Cannot open " + tk_path_text(temporary_) + ": ", tk_level_serious);
    }
}

temporary_output_file::~temporary_output_file() {
    if (file_ != nullptr) {
        std::fclose(file_);
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        TK_LOG(1, "Removed the unfinished file %s", tk_path_text(temporary_).c_str());
    }
}

void temporary_output_file::write(std::span<const std::byte> bytes) {
    TK_ASSERT(file_ != nullptr);
    if (bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        throw tk_exception_ex("Failed to write into " + tk_path_text(destination_) + ": ");
    written_ += bytes.size();
}

void temporary_output_file::commit() {
    TK_ASSERT(file_ != nullptr);
    const bool flushed = tk_flush_stream(file_);
    const int saved = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        throw tk_exception_ex(flushed ? errno : saved, "Failed to write into " + tk_path_text(destination_) + ": ",
                              tk_level_serious);
    }
    try {
        tk_replace_file(tk_path_text(temporary_), tk_path_text(output_));
    } catch (const tk_exception&) {
        std::error_code ignored;  // the rename's error is the one to report
        std::filesystem::remove(temporary_, ignored);
        throw;
    }
}

namespace {

constexpr const char* cannot_create_spool = "Cannot create a temporary file for sheet data in";
constexpr const char* cannot_write_spool = "Failed to write sheet data into a temporary file in";
constexpr const char* cannot_read_spool = "Failed to read sheet data back from a temporary file in";

std::string spool_folder(const std::filesystem::path& beside) {
    if (const auto tmpdir = tk_environment("TMPDIR"); tmpdir && !tmpdir->empty()) return *tmpdir;
    if (!beside.empty()) return tk_folder_of(tk_path_text(beside));
    return tk_temporary_folder();
}

}  // namespace

spool_file::spool_file(const std::filesystem::path& beside)
    : workbook_(tk_path_text(beside)), folder_(spool_folder(beside)) {
    file_ = tk_open_anonymous_stream(folder_);
    if (file_ == nullptr) fail(cannot_create_spool);
}

spool_file::~spool_file() {
    if (file_ != nullptr) std::fclose(file_);
}

void spool_file::fail(const char* what) const {
    const std::string workbook = workbook_.empty() ? "" : " (for " + workbook_ + ")";
    throw tk_exception_ex(errno, std::string(what) + " " + folder_ + workbook + ": ", tk_level_serious);
}

void spool_file::append(std::span<const std::byte> bytes) {
    if (bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) fail(cannot_write_spool);
    size_ += bytes.size();
}

void spool_file::copy_to(byte_sink& out) {
    if (std::fflush(file_) != 0) fail(cannot_write_spool);  // writes are buffered: a full disk may show here
    if (std::fseek(file_, 0, SEEK_SET) != 0) fail(cannot_read_spool);
    std::vector<std::byte> buffer(1 << 16);
    std::uint64_t left = size_;
    while (left > 0) {
        const std::size_t piece = left < buffer.size() ? static_cast<std::size_t>(left) : buffer.size();
        if (std::fread(buffer.data(), 1, piece, file_) != piece) fail(cannot_read_spool);
        out.write(std::span<const std::byte>(buffer.data(), piece));
        left -= piece;
    }
    // later appends go to the end again
    if (std::fseek(file_, 0, SEEK_END) != 0) fail(cannot_read_spool);
}
