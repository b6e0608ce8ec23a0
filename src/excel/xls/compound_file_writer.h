// Writes a new OLE compound file (version 3, 512-byte sectors) holding named streams in its
// root storage: small streams in the mini stream, any number of FAT sectors through the
// DIFAT, stream bodies produced on demand so a large stream never has to sit in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "excel/xls/compound_file_sink.h"

class compound_file_writer {
public:
    // The producer must write exactly the announced number of bytes into the sink.
    using producer = std::function<void(byte_sink&)>;

    void add_stream(std::u16string_view name, std::vector<std::byte> bytes);
    void add_stream(std::u16string_view name, std::uint64_t size, producer write_body);

    // Writes the whole file into out. Throws tk_exception for a name longer than 31
    // characters, a duplicate name, a stream of 2 GB or more, or a producer that wrote the
    // wrong number of bytes.
    void write(byte_sink& out) const;

private:
    struct layout;
    layout plan() const;
    void write_header(byte_sink& out, const layout& plan) const;
    void write_bodies(byte_sink& out, const layout& plan) const;
    void write_directory(byte_sink& out, const layout& plan) const;
    void write_allocation(byte_sink& out, const layout& plan) const;

    struct stream_entry {
        std::u16string name;
        std::uint64_t size = 0;
        producer write_body;
    };
    std::vector<stream_entry> streams_;
};
