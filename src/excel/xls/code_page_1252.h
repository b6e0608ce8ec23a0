// Text of Excel 5.0 workbooks: Windows-1252, one byte per character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Appends the UTF-16 text in Windows-1252. A character the code page cannot hold becomes
// "?" (one for a surrogate pair) and is counted in replaced.
void append_code_page_1252(std::string& out, std::u16string_view text, std::size_t& replaced);
// The same from valid UTF-8.
std::string biff_to_code_page_1252(std::string_view utf8, std::size_t& replaced);
// The reverse: Windows-1252 bytes as UTF-8 (the five unassigned bytes become U+FFFD).
std::string biff_from_code_page_1252(std::string_view bytes);
// A sheet name as an Excel 5.0 workbook can hold it: each character code page 1252 lacks
// becomes "_" ("?" is no sheet-name character), so the name can be checked for validity
// and uniqueness as it will be stored. Text that is not UTF-8 is returned as it is.
std::string biff5_sheet_name(std::string_view utf8);
