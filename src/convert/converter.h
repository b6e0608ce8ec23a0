// The converter's class tree: settings, selection and the job that the worker thread runs.
#pragma once

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "toolkit/thread.h"

class udb_profile;

// Fields shared by every converter: where from, where to, and the log.
class tk_converter : public tk_thread_functor {
public:
    // Validates and applies a log file name; an empty name leaves logging as it was.
    // Throws tk_exception (level 1) for a folder, a read-only file or a missing folder.
    void set_logfile(const std::string& name);

    std::atomic<bool> finished{false};  // set by the run when it ends
    std::string src;                    // Oracle database or service name
    std::string dest;                   // destination workbook path
    std::string logfile;
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
};

// Workbook settings.
class xls_converter : public udb_converter {
public:
    bool test_query(const std::string& sql) override;  // no source here: always false

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
};
