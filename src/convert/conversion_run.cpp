// The conversion run: items in order, each into its own sheet, then the workbooks put in place.
#include "convert/conversion_run.h"

#include <ctime>
#include <exception>
#include <unordered_set>

#include "convert/error_handler.h"
#include "convert/item_copy.h"
#include "convert/sheet_names.h"
#include "convert/user_interface.h"
#include "oracle/table_reader.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"
#include "toolkit/system.h"

namespace {

std::string local_time_text() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = tk_local_time(now);
    char text[64];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d at %02d:%02d:%02d", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

// True for an internal error on its way, or one the error handler has shown already (its
// exit hook may unwind with an exception of its own).
bool is_internal_error(const error_handler& handler, const std::exception_ptr& thrown) {
    if (handler.had_internal_error()) return true;
    try {
        std::rethrow_exception(thrown);
    } catch (const tk_exception& error) {
        return error.level() == tk_level_internal;
    } catch (...) {
        return false;
    }
}

// Ends the item loop when the connection is gone.
struct connection_lost {};

}  // namespace

conversion_run::conversion_run(job work, table_source& source, error_handler& handler, user_interface* face,
                               writer_factory make_writer)
    : work_(std::move(work)), source_(source), handler_(handler), face_(face), make_writer_(std::move(make_writer)) {}

// One item: its reader, the wide-table question, its sheet; the outcome is logged and, when
// the item is not complete, listed, so that a partial sheet is never taken for a whole one.
class item_conversion {
public:
    // source_tables: the catalogue as the run found it when it began.
    item_conversion(const job& work, table_source& source, const std::vector<std::string>& source_tables,
                    user_interface* face, item_copy& copy, run_error_list& errors)
        : work_(work), source_(source), source_tables_(source_tables), face_(face), copy_(copy), errors_(errors) {}

    // True when every row of the item was read.
    bool convert(const job_item& item, const std::string& sheet_name) {
        std::unique_ptr<table_reader> reader = open(item);
        for (const std::string& note : reader->left_out_columns()) errors_.add(note);
        std::size_t columns = reader->columns().size();
        const format_limits& limits = limits_of(work_.format);
        if (columns > limits.max_columns) {
            const std::string text = "Table will be truncated up to " + std::to_string(limits.max_columns) + " columns.";
            if (face_ != nullptr && !face_->continue_or_abort(face_->title() + " Error", text).continue_run)
                throw tk_final_exception();
            errors_.add(item.name + ": " + text);
            columns = limits.max_columns;
        }
        const std::vector<std::string> header = header_names(reader->columns(), columns);
        item_outcome outcome;
        try {
            copy_.copy(*reader, item.name, sheet_name, header, columns, outcome);
        } catch (...) {
            if (!outcome.cut_short.empty()) report(item.name, outcome);
            throw;
        }
        report(item.name, outcome);
        return outcome.cut_short.empty();
    }

private:
    std::unique_ptr<table_reader> open(const job_item& item) {
        // a profile may name a table that has since been dropped or renamed
        if (!item.is_query() && !has_table(item.name))
            throw tk_exception("The table does not exist in the source database.", tk_level_recoverable);
        try {
            const text_form texts = stored_text_form(work_.format);
            return item.is_query() ? source_.open_query(item.name, item.sql, texts) : source_.open_table(item.name, texts);
        } catch (const tk_final_exception&) {
            // a stop that broke off the opening call: the item was begun, so it is reported
            item_outcome outcome;
            outcome.expected = -1;
            outcome.cut_short = "the run was stopped before its rows were read";
            report(item.name, outcome);
            throw;
        } catch (const tk_exception& error) {
            throw source_error(error);
        }
    }

    bool has_table(const std::string& name) const {
        for (const std::string& table : source_tables_)
            if (iequals(table, name)) return true;
        return false;
    }

    void report(const std::string& name, const item_outcome& outcome) {
        const std::string line = outcome_line(name, outcome);
        if (!outcome.cut_short.empty()) {
            const std::size_t lead = ("Table '" + name + "' is ").size();
            errors_.add(name + ": " + line.substr(lead));
        }
        TK_LOG(3, "%s", line.c_str());
        if (face_ != nullptr) face_->write_log(line + "\n");
    }

    const job& work_;
    table_source& source_;
    const std::vector<std::string>& source_tables_;
    user_interface* face_;
    item_copy& copy_;
    run_error_list& errors_;
};

void conversion_run::convert_all(workbook_set& books) {
    // Read once: the catalogue is not asked again for every item.
    const std::vector<std::string> source_tables = source_.tables();
    // Every item from one moment of the database, and nothing locked or changed by the run.
    source_.begin_consistent_read();
    struct consistent_read_end {
        table_source& source;
        ~consistent_read_end() { source.end_consistent_read(); }
    } read_end{source_};
    item_copy copy({work_.format, work_.split_data}, books, progress_, handler_, *this);
    item_conversion items(work_, source_, source_tables, face_, copy, errors_);
    sheet_namer names(work_.format, work_.tables, source_tables);
    for (const job_item& item : items_) {
        check_stop(*this);
        progress_.start_item(item.name);
        TK_LOG(1, "Processing '%s'", item.name.c_str());
        const std::string sheet_name = names.sheet_name(item.name);
        bool lost = false;
        try {
            if (items.convert(item, sheet_name)) ++items_converted_;
        } catch (const tk_exception& error) {
            lost = is_connection_lost(error);
            handler_.set_context(item.name);
            if (!lost) handler_.handle(error, false);  // may stop the run
            else errors_.add(item.name + ": " + error.message());
        }
        names.take(sheet_name);
        progress_.finish_item();
        if (lost || copy.has_lost_connection()) {
            // every later item would fail the same way: the run ends with what it has
            TK_LOG(3, "%s", connection_lost_text);
            errors_.add(connection_lost_text);
            throw connection_lost{};
        }
    }
}

void conversion_run::publish(workbook_set& books) {
    // what users wait for now is the writing out, not a table: the progress says so
    progress_.start_completing();
    books.complete_all();
    written_ = books.publish();
}

void conversion_run::operator()() {
    TK_LOG(2, "%s", __func__);
    written_.clear();
    items_converted_ = 0;
    stopped_ = false;
    errors_.clear();
    items_ = work_.items();  // the selection in sheet order, worked out once
    progress_.start(static_cast<int>(items_.size()));
    handler_.collect_into(&errors_);
    // The handler's exit hook may unwind this thread with an exception of its own.
    struct run_bracket {
        conversion_run& run;
        ~run_bracket() {
            run.handler_.collect_into(nullptr);
            TK_LOG(3, "Conversion ended on %s\n", local_time_text().c_str());
            run.progress_.finish();
        }
    } bracket{*this};
    TK_LOG(3, "Conversion started on %s\n", local_time_text().c_str());
    TK_LOG(3, "Converting database %s (%d tables)", work_.connection.service.c_str(), progress_.item_count());

    const bool is_xlsx = work_.format == workbook_format::excel_2010;
    workbook_options options;
    options.wrap_text = work_.wrap_text;
    options.dates_as_text = work_.dates_to_strings;
    try {
        workbook_set books(work_.destination, work_.format, options, make_writer_, std::move(held_lock_));
        try {
            convert_all(books);
        } catch (const connection_lost&) {
            stopped_ = true;
            publish(books);  // what was read before the loss is good: it is kept
            return;
        } catch (const tk_final_exception&) {
            // A stop keeps what the format keeps: an .xls run its finished items, an .xlsx
            // run nothing, so the earlier workbook stays.
            if (handler_.had_internal_error()) books.abandon_all();  // the stop after an internal error keeps nothing
            else if (!is_xlsx) publish(books);
            throw;
        } catch (...) {
            // After an internal error the state of the run is unknown: no workbook of it may
            // appear, not even the items finished before.
            if (is_internal_error(handler_, std::current_exception())) books.abandon_all();
            throw;
        }
        TK_LOG(3, "Completing the workbooks");
        publish(books);
    } catch (const tk_final_exception&) {
        stopped_ = true;  // the user has been told, or asked for it
    } catch (const tk_exception& error) {
        stopped_ = true;
        handler_.handle(error, true);
    } catch (const std::exception& error) {
        stopped_ = true;
        if (face_ != nullptr) face_->error(error.what());
    } catch (...) {
        stopped_ = true;
        throw;
    }
}
