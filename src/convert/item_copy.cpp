// The rows of one item, from the reader into the workbooks.
#include "convert/item_copy.h"

#include "convert/error_handler.h"
#include "convert/run_progress.h"
#include "convert/workbook_set.h"
#include "oracle/ora_exception.h"
#include "oracle/table_reader.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"
#include "toolkit/thread.h"

namespace {

// "32,767": limits read as Excel's documents write them. Built forwards into a buffer
// (GCC 12 warns falsely about std::string::insert here in optimised builds).
std::string with_thousands(std::uint64_t number) {
    const std::string digits = std::to_string(number);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (std::size_t at = 0; at < digits.size(); ++at) {
        if (at != 0 && (digits.size() - at) % 3 == 0) out += ',';
        out += digits[at];
    }
    return out;
}

}  // namespace

std::string outcome_line(const std::string& name, const item_outcome& outcome) {
    const std::string written = std::to_string(outcome.written);
    if (outcome.cut_short.empty()) {
        return outcome.failed == 0 ? "Table '" + name + "' (" + written + " records) is converted"
                                   : "Table '" + name + "' is converted: " + written + " records written, " +
                                         std::to_string(outcome.failed) + " not (listed)";
    }
    // the expected count is the source's estimate, which other sessions may have outdated
    const std::string count = outcome.expected < 0 || outcome.expected < outcome.read
                                  ? written + " records written"
                                  : written + " of about " + std::to_string(outcome.expected) + " records written";
    return "Table '" + name + "' is not complete: " + count + "; " + outcome.cut_short;
}

tk_exception source_error(const tk_exception& error) {
    tk_exception copy(error);
    if (copy.level() == tk_level_serious) copy.set_level(tk_level_recoverable);
    return copy;
}

bool is_connection_lost(const tk_exception& error) noexcept {
    const auto* oracle = dynamic_cast<const ora_exception*>(&error);
    return oracle != nullptr && oracle->is_connection_lost();
}

void check_stop(const tk_thread_functor& run) {
    if (run.is_stop_requested()) {
        TK_LOG(3, "Conversion stopped by the user");
        throw tk_final_exception();
    }
}

item_copy::item_copy(const item_copy_settings& settings, workbook_set& books, run_progress& progress,
                     error_handler& handler, const tk_thread_functor& run)
    : settings_(settings),
      limits_(limits_of(settings.format)),
      books_(books),
      progress_(progress),
      handler_(handler),
      run_(run) {}

void item_copy::report_row(const std::string& name, const tk_exception& error) {
    handler_.set_context(name, progress_.rows_done() + 1);
    handler_.handle(source_error(error), false);  // may stop the run
}

// The next row of the source. A row the server or a conversion refused costs that row;
// any other failure ends the item as cut short.
item_copy::fetch_result item_copy::fetch(table_reader& reader, const std::string& name, item_outcome& outcome) {
    try {
        return reader.next_row(row_) ? fetch_result::row : fetch_result::end;
    } catch (const row_error& error) {
        report_row(name, error);
        ++outcome.failed;
        progress_.count_rows();
        return fetch_result::row_failed;
    } catch (const tk_exception& error) {
        // the server ended the read: its cursor gives no further rows
        if (error.level() == tk_level_internal) throw;
        if (is_connection_lost(error)) {
            connection_lost_ = true;
            outcome.cut_short = "the connection to the server was lost";
        } else {
            outcome.cut_short = "the server ended the read: " + error.message();
        }
        report_row(name, error);
        return fetch_result::end;
    }
}

void item_copy::start_sheet(int part, const std::string& sheet_name, std::span<const std::string> header) {
    try {
        books_.workbook(part).add_sheet(sheet_name, header);
    } catch (const tk_exception& error) {
        // a sheet the format refuses (its name, its columns) costs its item, not the run; a
        // workbook that cannot be written stops it
        if (error.level() != tk_level_recoverable) throw;
        throw source_error(error);
    }
}

void item_copy::add_cut_texts(int part) {
    const std::span<const std::uint64_t> cut = books_.workbook(part).cut_texts();
    for (std::size_t column = 0; column < cut.size() && column < cut_texts_.size(); ++column)
        cut_texts_[column] += cut[column];
}

void item_copy::report_cut_texts(const std::string& name, std::span<const std::string> header) {
    for (std::size_t column = 0; column < cut_texts_.size(); ++column) {
        const std::uint64_t count = cut_texts_[column];
        if (count == 0) continue;
        const tk_exception cut("Column '" + header[column] + "': " + std::to_string(count) +
                                   (count == 1 ? " text was" : " texts were") + " cut to " +
                                   with_thousands(limits_.max_text_units) +
                                   " characters, the most a cell of this format holds.",
                               tk_level_recoverable);
        handler_.set_context(name);
        handler_.handle(cut, false);
    }
}

void item_copy::copy(table_reader& reader, const std::string& name, const std::string& sheet_name,
                     std::span<const std::string> header, std::size_t columns, item_outcome& outcome) {
    TK_LOG(2, "%s(%s)", __func__, sheet_name.c_str());
    int part = 0;
    start_sheet(part, sheet_name, header);
    std::uint32_t rows_in_sheet = 0;
    cut_texts_.assign(columns, 0);

    outcome = item_outcome{};
    outcome.expected = reader.estimated_rows();
    progress_.set_estimated_rows(outcome.expected);
    TK_LOG(3, "Converting table %s (%lld records)", name.c_str(), static_cast<long long>(outcome.expected));

    std::uint64_t rows_left_out = 0;
    try {
        for (;;) {
            check_stop(run_);
            const fetch_result fetched = fetch(reader, name, outcome);
            if (fetched == fetch_result::end) break;
            if (fetched == fetch_result::row_failed) continue;

            if (rows_in_sheet == limits_.max_data_rows) {
                if (!settings_.split_data) {
                    // this row and, by the estimate, the ones after it
                    const std::int64_t done = progress_.rows_done();
                    rows_left_out = outcome.expected > done ? static_cast<std::uint64_t>(outcome.expected - done) : 1;
                    break;
                }
                add_cut_texts(part);
                books_.finish_sheet(part);
                ++part;
                TK_LOG(3, "Table %s continues in part %d", name.c_str(), part);
                start_sheet(part, sheet_name, header);
                rows_in_sheet = 0;
            }

            try {
                const std::span<const cell_value> values(row_.data(), std::min(columns, row_.size()));
                books_.workbook(part).append_row(values);
                ++rows_in_sheet;
                ++outcome.written;
            } catch (const tk_exception& error) {
                if (error.level() != tk_level_recoverable) throw;  // the item's guard reports it
                report_row(name, error);
                ++outcome.failed;
            }
            progress_.count_rows();
        }
        add_cut_texts(part);
        books_.finish_sheet(part);
    } catch (const tk_final_exception&) {
        // A stopped item leaves no sheet in an .xls workbook, which keeps only the items
        // finished before the stop; an .xlsx package is then not saved at all.
        books_.drop_sheet(sheet_name);
        outcome.read = progress_.rows_done();
        outcome.cut_short = "the run was stopped; the sheet is left out";
        throw;
    } catch (...) {
        outcome.read = progress_.rows_done();
        outcome.cut_short = "an error ended it";
        throw;
    }
    outcome.read = progress_.rows_done();
    report_cut_texts(name, header);
    if (rows_left_out != 0) {
        outcome.failed += static_cast<std::int64_t>(rows_left_out);
        const tk_exception error("Table '" + name + "' has more rows than a worksheet of this format holds (" +
                                     std::to_string(limits_.max_data_rows) + "); the rows after that were not " +
                                     "written. Choose \"Split data into multiple spreadsheets\" to keep them.",
                                 tk_level_recoverable);
        handler_.set_context(name);
        handler_.handle(error, false);
    }
}
