// The finish page's texts.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

inline constexpr const char* finish_title_text = "Conversion is Completed";
inline constexpr const char* open_on_exit_label_line1 = "Select the checkbox below to open the resulting file";
inline constexpr const char* open_on_exit_label_line2 = "with MS Excel (it must be installed on your system).";
inline constexpr std::size_t finish_listed_errors = 20;  // the list shows the first errors only

// The result text: success, or that errors follow (and how many, when the list cannot
// show them all), then what fell short (run_outcome's shortfall), if anything.
std::string finish_result_text(std::size_t error_count, const std::string& shortfall);
// The error list's text: the first 20 errors, line feeds inside one made blanks, each
// followed by an empty line.
std::string finish_error_list_text(const std::vector<std::string>& errors);
