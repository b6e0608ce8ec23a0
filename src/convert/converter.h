// The converter's class tree: settings, selection and the job that the worker thread runs.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <map>
#include <string>
#include <vector>

#include "convert/run_errors.h"
#include "toolkit/thread.h"

class udb_profile;
class dao_engine;
class run_workbooks;
class udb_database;
class udb_record;
class udb_recordset;
class udb_schema;
class xls_engine;
class tk_exception;
struct table_outcome;

// Fields shared by every converter: where from, where to, and the log.
class tk_converter : public tk_thread_functor {
public:
    // Validates and applies a log file name; an empty name leaves logging as it was.
    // Throws tk_exception (level 1) for a folder, a read-only file, a missing folder, the
    // profile or the destination.
    void set_logfile(const std::string& name);

    std::atomic<bool> finished{false};  // set by the run when it ends
    std::string src;                    // Oracle database or service name
    std::string dest;                   // destination workbook path
    std::string logfile;
    std::string profile_file;  // the profile the job was loaded from, if any
};

// The selection of a job: tables and named queries.
class udb_converter : public tk_converter {
public:
    // True when the SELECT text can be run against the source.
    virtual bool test_query(const std::string& sql) = 0;

    // The job's selection, queries and generic settings to and from a profile. Loading
    // adds to what is there; a log file name is checked (and may throw) before anything
    // changes.
    bool store_profile(udb_profile& profile) const;
    bool load_profile(const udb_profile& profile);

    int mode = 0;
    std::vector<std::string> tables;                            // selected tables, in order
    std::map<std::string, std::string> selected;                // name -> SELECT text ("" for a table)
    std::map<std::string, std::string> available_queries;       // defined but not selected
    bool only_definitions = false;
    bool skip_indexes = false;

    // Progress of a run: written by the worker, read by the wizard's or the console's timer.
    void set_current_name(std::string name);
    std::string current_name() const;  // the table or query being converted
    int percent_done() const noexcept;
    std::atomic<std::int64_t> record_total{0};    // records of the current item
    std::atomic<std::int64_t> record_current{0};  // records of the current item processed so far
    std::atomic<int> table_count{0};     // tables selected when the run started
    std::atomic<int> table_index{0};     // items finished
    std::atomic<bool> stopped{false};    // the run ended before its last item
    std::atomic<int> items_converted{0};  // items whose every row was read (failed rows are listed)
    run_error_list errors;               // the run's result for the console's list or the finish page
    int max_columns = 255;
    bool b_splitted = false;  // the current item's rows went on in part workbooks

private:
    mutable std::mutex current_name_mutex_;
    std::string current_name_;
};

// Workbook settings.
class xls_converter : public udb_converter {
public:
    // Creates the three output formats (Excel 5.0, Excel 2000, Excel 2010).
    xls_converter();
    ~xls_converter() override;

    bool test_query(const std::string& sql) override;  // no source here: always false

    // The format that format_version names.
    const xls_engine& output_format() const;
    xls_engine& format(int version);

    // The run over the source: every selected table and query into the destination.
    void do_convert(udb_database& source);
    // Gives the completed .xls workbooks (still under their temporary names) their
    // formatted header rows.
    void do_patch(const std::vector<std::string>& completed);

    // The workbook settings to and from a profile.
    bool store_profile(udb_profile& profile) const;
    bool load_profile(const udb_profile& profile);

    static constexpr int format_excel_50 = 0;
    static constexpr int format_excel_2000 = 1;
    static constexpr int format_excel_2010 = 2;

    int format_version = format_excel_2000;
    bool split_data = false;
    bool wrap_text = true;
    bool dates_to_strings = false;
    // The workbooks the last run put in place, main workbook first; empty when it wrote
    // none and the destination was left as it was.
    std::vector<std::string> written_workbooks;

private:
    // Every selected item, one sheet each; a failed item is reported and the next follows.
    void convert_all(udb_database& source, run_workbooks& books);
    void convert_item(udb_database& source, run_workbooks& books, const std::string& name, const std::string& text,
                      const std::string& sheet_name);
    table_outcome convert_table(run_workbooks& books, udb_recordset& recordset, const std::string& sheet_name,
                                const udb_schema& schema);
    void report_outcome(const std::string& name, const table_outcome& outcome);
    enum class fetch_result { row, row_failed, end };
    fetch_result fetch_next(udb_recordset& recordset, const udb_record*& row, table_outcome& outcome);
    void report_row(const tk_exception& error);  // "table, record #n: reason"; the run goes on
    udb_schema destination_schema(const udb_recordset& source, std::size_t columns) const;
    void fill_row(udb_record& row, const udb_record& source, const udb_schema& schema, bool excel_50,
                  std::vector<std::uint64_t>& cut_texts) const;

    std::array<std::unique_ptr<xls_engine>, 3> formats_;
    std::unique_ptr<dao_engine> dao_;  // the .xls driver, loaded by the first .xls run
};
