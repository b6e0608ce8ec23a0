// The workbook's table of distinct texts: each text is stored once and cells refer to it
// by index, in order of first use. The table has a fixed memory budget; a text that no
// longer fits is written into its cell instead (an inline string), so memory stays flat
// however many distinct texts a workbook holds.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "excel/cells/string_table.h"

class xml_writer;

class shared_strings {
public:
    explicit shared_strings(std::size_t budget = string_table::default_budget);
    shared_strings(const shared_strings&) = delete;
    shared_strings& operator=(const shared_strings&) = delete;

    // The index of text, adding it while the budget lasts; nullopt when the text is to
    // be written into its cell. text must be valid UTF-8. must_share passes the budget
    // (for a cell that has no room to hold its text); a closed table still says nullopt.
    std::optional<std::uint32_t> index_of(std::string_view text, bool must_share = false);

    std::size_t size() const noexcept { return is_closed_ ? closed_size_ : in_order_.size(); }
    bool empty() const noexcept { return size() == 0; }
    // How many cells referred to the table.
    std::uint64_t use_count() const noexcept { return table_.use_count(); }
    bool is_closed() const noexcept { return is_closed_; }

    // The whole sharedStrings part, prolog included. Afterwards the table is closed: its
    // memory is given back and every later text goes into its cell.
    void write_part(xml_writer& writer);
    // Closes the table without a part (nothing was shared): later texts go into cells.
    void close() noexcept;

private:
    string_table table_;
    std::vector<std::string_view> in_order_;  // the texts by index: the table's copies
    std::deque<std::string> unkept_;          // texts shared past the budget, which the table does not keep
    std::size_t closed_size_ = 0;             // entries the part was written with
    bool is_closed_ = false;
};

// Readers drop leading and trailing white space of a text unless told to keep it.
bool has_outer_space(std::string_view text);

