// The ZIP package writer over minizip, with every write checked and the temporary file
// removed on every path that does not end in a complete package.
#include "excel/xlsx/zip_package.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include <minizip/zip.h>

#include "excel/xlsx/xlsx_error.h"
#include "excel/xlsx/zip_file_functions.h"
#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"
#include "toolkit/system.h"

namespace {

constexpr std::uint64_t zip32_limit = 0xFFFFFFFFu;

// A fresh name beside the output, created exclusively so no other file is touched.
std::string create_temporary_file(const std::string& output, const std::string& destination) {
    int error_number = 0;
    std::string name = tk_try_create_temporary_beside(output, error_number);
    if (name.empty()) throw_xlsx_system_error(xlsx_error::cannot_create_file, destination, error_number);
    return name;
}

zip_fileinfo entry_info(std::time_t now) {
    const std::tm local = tk_local_time(now);
    zip_fileinfo info{};
    info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
    return info;
}

int saved_errno_or(int fallback) { return errno != 0 ? errno : fallback; }

}  // namespace

struct zip_package::impl {
    std::string destination;
    std::string temporary;
    std::string output;  // where commit() renames the file; the destination unless set
    zipFile zip = nullptr;
    zip_fileinfo info{};
    bool is_entry_open = false;
    bool is_entry_zip64 = false;
    std::uint64_t entry_bytes = 0;
    bool is_committed = false;
    bool has_failed = false;  // a package that lost bytes must never be committed

    [[noreturn]] void fail_write(int error_number) {
        has_failed = true;
        throw_xlsx_system_error(xlsx_error::cannot_write_file, destination, error_number);
    }
};

zip_package::zip_package(std::string destination, std::string output) : impl_(std::make_unique<impl>()) {
    TK_LOG(2, "%s(%s)", __func__, destination.c_str());
    impl_->destination = std::move(destination);
    impl_->output = output.empty() ? impl_->destination : std::move(output);
    impl_->temporary = create_temporary_file(impl_->output, impl_->destination);
    impl_->info = entry_info(std::time(nullptr));
    errno = 0;
    zlib_filefunc64_def functions = utf8_zip_file_functions();
    impl_->zip = zipOpen2_64(impl_->temporary.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
    if (impl_->zip == nullptr) {
        const int error_number = saved_errno_or(EIO);
        tk_remove_file_name(impl_->temporary);
        throw_xlsx_system_error(xlsx_error::cannot_create_file, impl_->destination, error_number);
    }
}

zip_package::~zip_package() {
    if (impl_->is_committed) return;
    if (impl_->zip != nullptr) {
        if (impl_->is_entry_open) zipCloseFileInZip(impl_->zip);
        zipClose(impl_->zip, nullptr);
    }
    if (!tk_remove_file_name(impl_->temporary))
        TK_LOG(3, "Cannot remove the temporary file %s", impl_->temporary.c_str());
}

void zip_package::open_entry(const std::string& name, bool may_exceed_4gib) {
    TK_ASSERT(impl_->zip != nullptr && !impl_->is_entry_open);
    errno = 0;
    const int status = zipOpenNewFileInZip4_64(impl_->zip, name.c_str(), &impl_->info, nullptr, 0, nullptr, 0,
                                               nullptr, Z_DEFLATED, deflate_level, 0, -MAX_WBITS, deflate_memory_level,
                                               Z_DEFAULT_STRATEGY, nullptr, 0, 0, 0, may_exceed_4gib ? 1 : 0);
    if (status != ZIP_OK) impl_->fail_write(saved_errno_or(EIO));
    impl_->is_entry_open = true;
    impl_->is_entry_zip64 = may_exceed_4gib;
    impl_->entry_bytes = 0;
}

void zip_package::write(std::string_view bytes) {
    TK_ASSERT(impl_->is_entry_open);
    impl_->entry_bytes += bytes.size();
    // An entry without ZIP64 sizes past 4 GiB would be corrupt; callers size it beforehand.
    TK_ASSERT(impl_->is_entry_zip64 || impl_->entry_bytes < zip32_limit);
    while (!bytes.empty()) {
        const auto piece = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1u << 30));
        errno = 0;
        if (zipWriteInFileInZip(impl_->zip, bytes.data(), piece) != ZIP_OK) impl_->fail_write(saved_errno_or(EIO));
        bytes.remove_prefix(piece);
    }
}

void zip_package::close_entry() {
    TK_ASSERT(impl_->is_entry_open);
    impl_->is_entry_open = false;
    errno = 0;
    if (zipCloseFileInZip(impl_->zip) != ZIP_OK) impl_->fail_write(saved_errno_or(EIO));
}

void zip_package::commit() {
    TK_LOG(2, "%s(%s)", __func__, impl_->destination.c_str());
    TK_ASSERT(impl_->zip != nullptr && !impl_->is_entry_open);
    if (impl_->has_failed)
        throw_xlsx_error(xlsx_error::cannot_finish_file, impl_->destination, "an earlier write failed");
    errno = 0;
    const int status = zipClose(impl_->zip, nullptr);
    impl_->zip = nullptr;  // closed even when the last bytes failed to reach the disk
    if (status != ZIP_OK)
        throw_xlsx_system_error(xlsx_error::cannot_finish_file, impl_->destination, saved_errno_or(EIO));
    // A rename is only worth doing once the bytes are on the disk.
    if (!tk_flush_file_named(impl_->temporary))
        throw_xlsx_system_error(xlsx_error::cannot_finish_file, impl_->destination, errno);
    if (!tk_rename_over(impl_->temporary, impl_->output))
        throw_xlsx_system_error(xlsx_error::cannot_rename_file, impl_->destination, errno);
    impl_->is_committed = true;
    // the new name is only safe from a power cut once the folder is on the disk too
    if (!tk_flush_folder(tk_folder_of(impl_->output)))
        throw_xlsx_system_error(xlsx_error::cannot_finish_file, impl_->destination, errno);
}

const std::string& zip_package::destination() const noexcept { return impl_->destination; }

