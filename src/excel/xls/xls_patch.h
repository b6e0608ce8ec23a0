// The header patch on the raw records of a workbook stream: the walk over the globals
// that rewrites FONT #3 and the header and regular XFs, and the marking of each sheet's
// leading row-0 cells with the header XF.
#pragma once

#include <cstdint>
#include <vector>

#include "excel/xls/biff_buffer.h"

class compound_stream;

// Walks the globals, patches fonts and XFs and returns the sheets' stream offsets.
std::vector<std::uint32_t> xls_patch_globals(compound_stream& stream, biff_version version, bool wrap_text);
// Switches the leading run of row-0 cells (columns 0, 1, 2 ...) of the sheet at offset to
// the header XF. Unexpected records are internal errors.
void xls_patch_sheet(compound_stream& stream, biff_version version, std::uint32_t offset);
