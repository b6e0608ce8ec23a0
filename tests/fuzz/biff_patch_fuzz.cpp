// Fuzzes the header patch of both .xls formats on arbitrary file bytes: it patches, refuses
// the file (leaving it as it was), or stops with an error; it never crashes or hangs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "excel/xls_engine.h"
#include "fuzz_file.h"
#include "toolkit/exception.h"

namespace {

void patch_with(xls_engine& engine, const std::uint8_t* data, std::size_t size) {
    const fuzz_file file("sprandel-patch-fuzz", data, size);
    bool patched = false;
    try {
        patched = engine.patch(file.path().string());
    } catch (const tk_exception&) {
        return;  // a workbook stream the patch does not understand is an error it reports
    }
    if (!patched && file.content() != std::string(reinterpret_cast<const char*>(data), size)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    xls_engine_biff biff8(biff_version::biff8);
    biff8.b_wrap_text = size % 2 == 1;
    patch_with(biff8, data, size);
    xls_engine_biff biff5(biff_version::biff5);
    patch_with(biff5, data, size);
    return 0;
}
