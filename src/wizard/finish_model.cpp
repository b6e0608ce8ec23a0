// The finish page's result texts.
#include "wizard/finish_model.h"

#include <algorithm>

#include "toolkit/text.h"

std::string finish_result_text(std::size_t error_count, const std::string& shortfall) {
    if (error_count == 0 && shortfall.empty()) {
        return "Wizard has converted your Oracle database into\nMS Excel spreadsheet successfully.\n\nClick 'Finish' to "
               "exit the wizard.";
    }
    std::string text = "There were some errors while converting databases.\nClick 'Finish' to exit the wizard.";
    if (!shortfall.empty()) {
        text += "\n\n";
        text += shortfall;
    }
    if (error_count > finish_listed_errors) {
        text += "\n\n";
        text += std::to_string(error_count);
        text += " errors during the run; the first ";
        text += std::to_string(finish_listed_errors);
        text += " are listed below.";
    }
    return text;
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
