// Name validators: whether a sheet, column or index name is acceptable to the destination
// and, when it is not or is taken, a safe and unique replacement.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "records/names_map.h"
#include "records/udb_index.h"

class udb_schema;

// Names compare ignoring case (non-ASCII letters too). Lengths are counted in UTF-16 code
// units, as Excel counts them.
class udb_validator {
public:
    // max_length 0 means no limit.
    explicit udb_validator(std::uint32_t max_length = 0);
    virtual ~udb_validator() = default;

    // No illegal character, not restricted, not too long. Duplicates are not looked at.
    virtual bool is_acceptable(std::string_view name) const;
    // Equal to a name already taken.
    virtual bool is_duplicated(std::string_view name) const;
    // The name itself when acceptable and free; otherwise the name cut to the limit, each
    // illegal character replaced by "_", and when still taken or unacceptable followed by
    // the first free five-digit number "00000" .. "99999". The result is not recorded as
    // taken: call add_existing_name once it is used.
    virtual std::string get_safe_name(std::string_view name) const;

    // Records a name as taken.
    void add_existing_name(std::string name);

protected:
    std::uint32_t max_length_;
    std::u32string illegal_;  // checked and replaced in this order

private:
    // The existing names case-folded, so a duplicate check is one look-up however many
    // sheets or columns a job has.
    std::unordered_set<std::string> folded_existing_;
};

// Column and index names of the .xls driver: no "`![]./'", no blank at either end.
class dao_validator : public udb_validator {
public:
    dao_validator();

    bool is_acceptable(std::string_view name) const override;
    // Blanks at both ends are removed first (a name of blanks only becomes empty).
    std::string get_safe_name(std::string_view name) const override;
};

// Column names of one table: every descriptor's name is taken.
class dao_fn_validator : public dao_validator {
public:
    explicit dao_fn_validator(const udb_schema& schema);
};

// Index names of one table: every index's name is taken.
class dao_in_validator : public dao_validator {
public:
    explicit dao_in_validator(const udb_indexes& indexes);
};

// Sheet names: at most 31 characters, none of "\?*:$[]/'"; the names of both lists are taken.
class xls_tn_validator : public udb_validator {
public:
    static constexpr std::uint32_t max_sheet_name_length = 31;

    xls_tn_validator(const std::vector<std::string>& first_names,
                     const std::vector<std::string>& second_names);
};
