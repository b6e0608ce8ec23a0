// The three output formats: name, connect string, description and row limit of each, and
// the patch that makes the header row of a finished .xls file bold, centred, framed and shaded.
#pragma once

#include <cstdint>
#include <string>

#include "excel/xls/biff_buffer.h"

class compound_stream;

class xls_engine {
public:
    xls_engine(std::string version_name, std::string connect_string, std::string description,
               std::uint32_t max_rows);
    virtual ~xls_engine() = default;

    virtual void do_patch(compound_stream& stream) = 0;

    // Patches the workbook stream of the .xls file in place. False (and the file as it
    // was) when the file is no compound document or holds no workbook stream.
    bool patch(const std::string& path);

    const std::string& version_name() const noexcept { return version_name_; }
    const std::string& connect_string() const noexcept { return connect_string_; }
    const std::string& description() const noexcept { return description_; }
    std::uint32_t max_rows() const noexcept { return max_rows_; }

    bool b_wrap_text = false;  // set on all three formats at once by the settings page

private:
    std::string version_name_;
    std::string connect_string_;
    std::string description_;
    std::uint32_t max_rows_;
};

// MS Excel 5.0 (BIFF5) or MS Excel 2000 (BIFF8): one class, as the two differ only in the
// record layouts that the writer and the patch already choose by version.
class xls_engine_biff : public xls_engine {
public:
    explicit xls_engine_biff(biff_version version);
    void do_patch(compound_stream& stream) override;
    biff_version version() const noexcept { return version_; }

private:
    biff_version version_;
};

class xls_engine_2010 : public xls_engine {  // MS Excel 2010, .xlsx: nothing to patch
public:
    xls_engine_2010();
    void do_patch(compound_stream& stream) override;
};
