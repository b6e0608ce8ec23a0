// The finish page's result texts.
#include "wizard/finish_model.h"

#include <algorithm>

#include "toolkit/text.h"

std::string finish_result_text(bool has_errors) {
    if (has_errors) return "There were some errors while converting databases.\nClick 'Finish' to exit the wizard.";
    return "Wizard has converted your Oracle database into\nMS Excel spreadsheet successfully.\n\nClick 'Finish' to "
           "exit the wizard.";
}

std::string finish_error_list_text(const std::vector<std::string>& errors) {
    std::string text;
    const std::size_t listed = std::min<std::size_t>(errors.size(), finish_listed_errors);
    for (std::size_t i = 0; i < listed; ++i) {
        std::string entry = errors[i];
        replace_all(entry, "\n", " ");
        text += entry + "\n\n";
    }
    return text;
}
