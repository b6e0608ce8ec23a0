// udb_field, one value of one row with its column's name and size, and t_ftd, the
// descriptor of one column of a schema.
#pragma once

#include <cstdint>
#include <string>

#include "values/ole_variant.h"

// The value itself is the ole_variant base, so a field converts and prints like a value.
class udb_field : public ole_variant {
public:
    udb_field() noexcept = default;  // VT_EMPTY, size 0, no name, both flags false
    udb_field(std::string name, std::int32_t size, ole_variant value, bool not_null = false,
              bool auto_increment = false);
    udb_field(const udb_field& other) = default;
    udb_field(udb_field&& other) noexcept = default;
    udb_field& operator=(const udb_field& other) = default;
    udb_field& operator=(udb_field&& other) noexcept = default;
    ~udb_field() override = default;

    // Replaces the value only; name, size and flags stay (so a row can be refilled in place).
    udb_field& operator=(const ole_variant& value);
    udb_field& operator=(ole_variant&& value) noexcept;

    // The value as an ole_variant.
    ole_variant& value() noexcept { return *this; }
    const ole_variant& value() const noexcept { return *this; }

    const std::string& name() const noexcept { return name_; }
    void set_name(std::string name) { name_ = std::move(name); }
    // The length of the column as the source reports it.
    std::int32_t size() const noexcept { return size_; }
    void set_size(std::int32_t size) noexcept { size_ = size; }
    // The column does not accept NULL.
    bool is_not_null() const noexcept { return not_null_; }
    // The column is a counter.
    bool is_auto_increment() const noexcept { return auto_increment_; }
    void set_flags(bool not_null, bool auto_increment) noexcept {
        not_null_ = not_null;
        auto_increment_ = auto_increment;
    }

private:
    std::int32_t size_ = 0;
    std::string name_;
    bool not_null_ = false;
    bool auto_increment_ = false;
};

// A column descriptor: a plain structure, every part public.
struct t_ftd {
    // An empty descriptor: size 0, no name, VT_EMPTY, flags false, reserved 0.
    t_ftd() = default;
    // From a field: its size, name, flags and tag; type_name empty.
    t_ftd(const udb_field& field, std::uint32_t reserved = 0);
    t_ftd(std::uint32_t size, std::string name, ::vartype type, bool not_null = false,
          bool auto_increment = false, std::uint32_t reserved = 0, std::string type_name = {});

    std::uint32_t size = 0;        // bytes or characters, as the source reports it
    std::string name;
    ::vartype vartype = VT_EMPTY;  // the tag values of this column take
    std::string type_name;         // the source's own type text where a writer needs it ("LONG")
    bool b_auto_increment = false; // counter column
    bool b_not_null = false;       // NOT NULL column
    // Type detail: 1 for a date column from Oracle; (precision << 8) | scale for a decimal
    // column; otherwise 0.
    std::uint32_t reserved = 0;
    std::string mapped_text;
};

// Precision and scale kept in t_ftd::reserved for a VT_DECIMAL column.
inline constexpr std::uint32_t ftd_decimal_reserved(unsigned precision, unsigned scale) {
    return (precision << 8) | scale;
}
