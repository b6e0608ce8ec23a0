// Name validators: whether a sheet or column name is acceptable to the workbook and, when
// it is not or is taken, a safe and unique replacement.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>


// Names compare ignoring case (non-ASCII letters too). Lengths are counted in UTF-16 code
// units, as Excel counts them.
class name_validator {
public:
    // max_length 0 means no limit.
    explicit name_validator(std::uint32_t max_length = 0);
    virtual ~name_validator() = default;

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

// Header names of an .xls sheet: no "`![]./'", no blank at either end, as earlier
// versions of this program wrote them.
class xls_header_name_validator : public name_validator {
public:
    xls_header_name_validator();

    bool is_acceptable(std::string_view name) const override;
    // Blanks at both ends are removed first (a name of blanks only becomes empty).
    std::string get_safe_name(std::string_view name) const override;
};

// Sheet names: at most 31 characters, none of "\?*:$[]/'"; the names of both lists are taken.
class sheet_name_validator : public name_validator {
public:
    static constexpr std::uint32_t max_sheet_name_length = 31;

    sheet_name_validator(const std::vector<std::string>& first_names,
                     const std::vector<std::string>& second_names);
};
