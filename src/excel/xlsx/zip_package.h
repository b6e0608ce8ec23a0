// Writes a ZIP package entry by entry, deflating bytes as they arrive, into a temporary
// file beside the destination that becomes the destination only when it is complete.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "excel/xlsx/xml_writer.h"

class zip_package : public text_sink {
public:
    // Creates the temporary file in the folder of output (the destination unless given);
    // commit() renames it to output. A caller that publishes several files together names
    // its own file as output; messages keep naming the destination.
    explicit zip_package(std::string destination, std::string output = {});
    // Unless committed, closes and removes the temporary file: a package left unfinished
    // never appears under the destination's name.
    ~zip_package() override;
    zip_package(const zip_package&) = delete;
    zip_package& operator=(const zip_package&) = delete;

    // One entry is open at a time. An entry that may grow past 4 GiB is written with
    // ZIP64 sizes, which older readers may warn about, so only such entries carry them.
    void open_entry(const std::string& name, bool may_exceed_4gib = false);
    void write(std::string_view bytes) override;
    void close_entry();
    // Writes the central directory, flushes the file to disk and renames it into place.
    void commit();
    const std::string& destination() const noexcept;

    // Fast deflate: the XML compresses well even so, and speed is what a large table needs.
    static constexpr int deflate_level = 1;
    // A smaller match table than zlib's default of 8: the whole run costs about 4% fewer
    // instructions for files about 0.6% larger.
    static constexpr int deflate_memory_level = 6;

private:
    struct impl;
    std::unique_ptr<impl> impl_;
};

