// udb_record: one row, its fields in column order.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "records/udb_field.h"

// The record owns its fields and keeps them in one block, so refilling a record row after
// row allocates nothing beyond the values' own text and bytes.
class udb_record {
public:
    udb_record() = default;
    udb_record(const udb_record& other) = default;
    udb_record(udb_record&& other) noexcept = default;
    udb_record& operator=(const udb_record& other) = default;
    udb_record& operator=(udb_record&& other) noexcept = default;
    virtual ~udb_record() = default;

    // Appends a field and returns it. References to earlier fields stay valid only while
    // the capacity is not exceeded (reserve first).
    udb_field& add_field(udb_field field);
    udb_field& add_field(std::string name, std::int32_t size, ole_variant value,
                         bool not_null = false, bool auto_increment = false);
    void reserve(std::size_t count) { fields_.reserve(count); }
    // Removes every field.
    void clear() noexcept { fields_.clear(); }

    std::size_t size() const noexcept { return fields_.size(); }
    bool empty() const noexcept { return fields_.empty(); }
    udb_field& operator[](std::size_t index) noexcept { return fields_[index]; }
    const udb_field& operator[](std::size_t index) const noexcept { return fields_[index]; }
    // As operator[], an internal assertion when index is out of range.
    udb_field& at(std::size_t index);
    const udb_field& at(std::size_t index) const;
    // The first field of that name (case ignored), or null.
    udb_field* find(std::string_view name) noexcept;
    const udb_field* find(std::string_view name) const noexcept;

    std::vector<udb_field>::iterator begin() noexcept { return fields_.begin(); }
    std::vector<udb_field>::iterator end() noexcept { return fields_.end(); }
    std::vector<udb_field>::const_iterator begin() const noexcept { return fields_.begin(); }
    std::vector<udb_field>::const_iterator end() const noexcept { return fields_.end(); }

private:
    std::vector<udb_field> fields_;
};
