// minizip's file functions with names opened through the system layer.
#include "excel/xlsx/zip_file_functions.h"

#include <cstdio>

#include "toolkit/system.h"

namespace {

voidpf ZCALLBACK open_utf8(voidpf, const void* name, int mode) {
    if (name == nullptr) return nullptr;
    // the same mapping as minizip's own open function
    const char* stream_mode = nullptr;
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ) stream_mode = "rb";
    else if (mode & ZLIB_FILEFUNC_MODE_EXISTING) stream_mode = "r+b";
    else if (mode & ZLIB_FILEFUNC_MODE_CREATE) stream_mode = "wb";
    if (stream_mode == nullptr) return nullptr;
    return tk_open_stream(static_cast<const char*>(name), stream_mode);
}

}  // namespace

zlib_filefunc64_def utf8_zip_file_functions() {
    zlib_filefunc64_def functions{};
    fill_fopen64_filefunc(&functions);
    functions.zopen64_file = open_utf8;
    return functions;
}
