// udb_record: one row, its fields in column order.
#include "records/udb_record.h"

#include <utility>

#include "toolkit/exception.h"
#include "toolkit/text.h"

udb_field& udb_record::add_field(udb_field field) {
    fields_.push_back(std::move(field));
    return fields_.back();
}

udb_field& udb_record::add_field(std::string name, std::int32_t size, ole_variant value, bool not_null,
                                 bool auto_increment) {
    fields_.emplace_back(std::move(name), size, std::move(value), not_null, auto_increment);
    return fields_.back();
}

udb_field& udb_record::at(std::size_t index) {
    TK_ASSERT(index < fields_.size());
    return fields_[index];
}

const udb_field& udb_record::at(std::size_t index) const {
    TK_ASSERT(index < fields_.size());
    return fields_[index];
}

udb_field* udb_record::find(std::string_view name) noexcept {
    for (udb_field& field : fields_) {
        if (iequals(field.name(), name)) return &field;
    }
    return nullptr;
}

const udb_field* udb_record::find(std::string_view name) const noexcept {
    return const_cast<udb_record*>(this)->find(name);
}
