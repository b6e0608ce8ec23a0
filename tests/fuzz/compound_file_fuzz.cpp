// Fuzzes the compound-file reader on arbitrary file bytes: opening, listing and reading
// every stream either works or raises compound_file_error; a stream reads back as many
// bytes as it claims, and reading leaves the file as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "excel/xls/compound_file_reader.h"
#include "fuzz_file.h"

namespace {

// A stream read in two pieces from its middle gives the same bytes as read_all.
void read_stream(compound_file& document, const std::u16string& name) {
    compound_stream stream = document.open_stream(name);
    const std::vector<std::byte> all = stream.read_all();
    if (all.size() != stream.size()) std::abort();
    const std::uint64_t middle = stream.size() / 2;
    stream.seek(middle);
    std::vector<std::byte> tail(all.size() - middle + 1);
    if (stream.read(tail) != all.size() - middle) std::abort();
    for (std::size_t i = 0; i + middle < all.size(); ++i)
        if (tail[i] != all[middle + i]) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz_file file("sprandel-compound-fuzz", data, size);
    std::vector<std::u16string> names;
    try {
        compound_file document(file.path());
        names = document.stream_names();
        for (const auto& name : names) {
            if (!document.has_stream(name)) std::abort();
            try {
                read_stream(document, name);
            } catch (const compound_file_error&) {
                // one damaged stream does not make the others unreadable
            }
        }
    } catch (const compound_file_error&) {
        return 0;
    }
    if (file.content() != std::string(reinterpret_cast<const char*>(data), size)) std::abort();
    return 0;
}
