// udb_schema: the ordered column descriptors of a recordset, looked up by name ignoring case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "records/udb_field.h"

class udb_schema {
public:
    explicit udb_schema(bool flag = true);
    // Copies every descriptor.
    udb_schema(const udb_schema& other);
    udb_schema& operator=(const udb_schema& other);
    udb_schema(udb_schema&& other) noexcept = default;
    udb_schema& operator=(udb_schema&& other) noexcept = default;
    virtual ~udb_schema() = default;

    // Appends a descriptor; the schema owns it. Returns it.
    t_ftd& add(std::unique_ptr<t_ftd> descriptor);
    t_ftd& add(t_ftd descriptor);
    void clear() noexcept { descriptors_.clear(); }
    void reserve(std::size_t count) { descriptors_.reserve(count); }

    std::size_t size() const noexcept { return descriptors_.size(); }
    bool empty() const noexcept { return descriptors_.empty(); }
    // The descriptor at position index (column order); index must be below size().
    const t_ftd& operator[](std::size_t index) const noexcept { return *descriptors_[index]; }
    t_ftd& operator[](std::size_t index) noexcept { return *descriptors_[index]; }
    // As operator[], an internal assertion when index is out of range.
    const t_ftd& at(std::size_t index) const;

    // Whether a descriptor of that name exists (case ignored).
    bool find_field(std::string_view name) const;
    // Position of the descriptor of that name (case ignored), or -1.
    std::int32_t get_field_idx(std::string_view name) const;
    // The descriptor of that name (case ignored); when there is none, a shared empty
    // descriptor that stays valid for the life of the process.
    const t_ftd& get_field1(std::string_view name) const;
    const t_ftd& get_field2(std::string_view name) const { return get_field1(name); }

    // The flag given to the constructor and the two settings that start at 1, kept as
    // plain stored values.
    bool flag() const noexcept { return flag_; }
    void set_flag(bool flag) noexcept { flag_ = flag; }
    std::int32_t setting1() const noexcept { return setting1_; }
    std::int32_t setting2() const noexcept { return setting2_; }
    void set_settings(std::int32_t setting1, std::int32_t setting2) noexcept {
        setting1_ = setting1;
        setting2_ = setting2;
    }

    // Iteration over the owned descriptors, in column order.
    using storage = std::vector<std::unique_ptr<t_ftd>>;
    storage::const_iterator begin() const noexcept { return descriptors_.begin(); }
    storage::const_iterator end() const noexcept { return descriptors_.end(); }

private:
    storage descriptors_;
    bool flag_;
    std::int32_t setting1_ = 1;
    std::int32_t setting2_ = 1;
};
