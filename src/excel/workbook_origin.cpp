// Reading a workbook's origin mark back: an .xlsx custom property or an .xls stream.
#include "excel/workbook_origin.h"

#include <minizip/unzip.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "excel/xls/biff_workbook_writer.h"
#include "excel/xls/compound_file_reader.h"
#include "excel/xlsx/xlsx_package_parts.h"
#include "excel/xlsx/zip_file_functions.h"
#include "toolkit/log.h"
#include "toolkit/system.h"

namespace {

// The custom-properties part we write is a few hundred bytes; anything far larger is not ours.
constexpr unsigned max_properties_bytes = 64 * 1024;

std::string unescape_xml(std::string_view text) {
    static constexpr std::pair<std::string_view, char> entities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [entity, character] : entities) {
            if (text.substr(i, entity.size()) == entity) {
                out += character;
                i += entity.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

std::string read_package_part(const std::string& path, const char* part) {
    zlib_filefunc64_def functions = utf8_zip_file_functions();
    const std::unique_ptr<void, int (*)(unzFile)> zip(unzOpen2_64(path.c_str(), &functions), &unzClose);
    if (!zip || unzLocateFile(zip.get(), part, 1) != UNZ_OK) return {};
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        info.uncompressed_size > max_properties_bytes || unzOpenCurrentFile(zip.get()) != UNZ_OK)
        return {};
    std::string text(static_cast<std::size_t>(info.uncompressed_size), '\0');
    const int got = text.empty() ? 0 : unzReadCurrentFile(zip.get(), text.data(), static_cast<unsigned>(text.size()));
    unzCloseCurrentFile(zip.get());
    if (got < 0) return {};
    text.resize(static_cast<std::size_t>(got));
    return text;
}

std::string xlsx_origin(const std::string& path) {
    const std::string part = read_package_part(path, "docProps/custom.xml");
    const std::string name = std::string("name=\"") + origin_property_name + "\"><vt:lpwstr>";
    const auto start = part.find(name);
    if (start == std::string::npos) return {};
    const auto value = start + name.size();
    const auto end = part.find("</vt:lpwstr>", value);
    if (end == std::string::npos) return {};
    return unescape_xml(std::string_view(part).substr(value, end - value));
}

std::string xls_origin(const std::string& path) {
    compound_file file(tk_system_path(path));
    if (!file.has_stream(origin_stream_name)) return {};
    compound_stream stream = file.open_stream(origin_stream_name);
    if (stream.size() > max_properties_bytes) return {};
    const std::vector<std::byte> bytes = stream.read_all();
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace

std::string read_workbook_origin(const std::string& path) noexcept {
    try {
        // only a plain file can be one of ours; opening a FIFO would wait for a writer
        if (tk_kind_of(path, false) != tk_file_kind::regular) return {};
        char signature[4] = {};
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(tk_open_stream(path, "rb"), &std::fclose);
        if (!file || std::fread(signature, 1, sizeof signature, file.get()) != sizeof signature) return {};
        file.reset();
        if (std::memcmp(signature, "PK\x03\x04", 4) == 0) return xlsx_origin(path);
        if (std::memcmp(signature, "\xD0\xCF\x11\xE0", 4) == 0) return xls_origin(path);
    } catch (const std::exception& error) {
        TK_LOG(1, "No origin read from %s: %s", path.c_str(), error.what());
    }
    return {};
}
