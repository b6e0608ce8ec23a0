// Byte sinks the compound-file and BIFF writers write into: a growing buffer, or a
// temporary file that only takes the destination's name once it is complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

class byte_sink {
public:
    virtual ~byte_sink() = default;
    virtual void write(std::span<const std::byte> bytes) = 0;  // throws on a short write
    virtual std::uint64_t position() const = 0;               // bytes written so far
    void write_zeros(std::uint64_t count);
};

class memory_sink : public byte_sink {
public:
    void write(std::span<const std::byte> bytes) override;
    std::uint64_t position() const override { return bytes_.size(); }
    const std::vector<std::byte>& bytes() const noexcept { return bytes_; }
    std::vector<std::byte> release() noexcept { return std::move(bytes_); }

private:
    std::vector<std::byte> bytes_;
};

// "Undone unless committed": the bytes go to a hidden temporary file in the folder of the
// file it becomes, and commit() renames it over the destination (or over output, when given: a
// caller that publishes several files together names its own file there; messages keep
// naming the destination). Destroyed without commit(), the temporary file is removed, so
// a failed save never leaves a partial workbook behind.
class temporary_output_file : public byte_sink {
public:
    explicit temporary_output_file(std::filesystem::path destination, std::filesystem::path output = {});
    ~temporary_output_file() override;
    temporary_output_file(const temporary_output_file&) = delete;
    temporary_output_file& operator=(const temporary_output_file&) = delete;

    void write(std::span<const std::byte> bytes) override;
    std::uint64_t position() const override { return written_; }
    void commit();  // flush, close and rename; throws naming the file and the reason
    const std::filesystem::path& temporary_path() const noexcept { return temporary_; }

private:
    std::filesystem::path destination_;
    std::filesystem::path output_;
    std::filesystem::path temporary_;
    std::FILE* file_ = nullptr;
    std::uint64_t written_ = 0;
};

// An anonymous scratch file (removed by the system when closed) that sheet data is
// spooled to, so memory does not grow with the row count. It lives in TMPDIR when the user
// set it, else beside the workbook (beside), whose disk is known to take the workbook;
// beside empty: the system's temporary folder. Full disks are reported naming the folder.
class spool_file {
public:
    explicit spool_file(const std::filesystem::path& beside = {});
    ~spool_file();
    spool_file(const spool_file&) = delete;
    spool_file& operator=(const spool_file&) = delete;

    void append(std::span<const std::byte> bytes);
    std::uint64_t size() const noexcept { return size_; }
    // Copies the whole spooled content into out, leaving the spool unchanged.
    void copy_to(byte_sink& out);

private:
    [[noreturn]] void fail(const char* what) const;  // what: the message up to the folder

    std::string workbook_;  // named in messages, when known
    std::string folder_;
    std::FILE* file_ = nullptr;
    std::uint64_t size_ = 0;
};
