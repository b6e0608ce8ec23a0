// udb_field and t_ftd: a row's value with its column's name, and a column's descriptor.
#include "records/udb_field.h"

#include <utility>

#include "toolkit/log.h"

udb_field::udb_field(std::string name, std::int32_t size, ole_variant value, bool not_null, bool auto_increment)
    : ole_variant(std::move(value)),
      size_(size),
      name_(std::move(name)),
      not_null_(not_null),
      auto_increment_(auto_increment) {}

udb_field& udb_field::operator=(const ole_variant& value) {
    ole_variant::operator=(value);
    return *this;
}

udb_field& udb_field::operator=(ole_variant&& value) noexcept {
    ole_variant::operator=(std::move(value));
    return *this;
}

namespace {

void trace_descriptor(const char* constructor, const t_ftd& descriptor) {
    if (!tk_log::is_enabled()) return;
    tk_log::instance().write(2, "%s", constructor);
    tk_log::instance().write(1, "\tfield name='%s', vartype=%d, size=%u, b_not_null=%d, reserved=%u",
                             descriptor.name.c_str(), descriptor.vartype, descriptor.size,
                             descriptor.b_not_null ? 1 : 0, descriptor.reserved);
}

}  // namespace

t_ftd::t_ftd(const udb_field& field, std::uint32_t reserved_word)
    : size(static_cast<std::uint32_t>(field.size())),
      name(field.name()),
      vartype(field.get_type()),
      b_auto_increment(field.is_auto_increment()),
      b_not_null(field.is_not_null()),
      reserved(reserved_word) {
    trace_descriptor("t_ftd::ctor1", *this);
}

t_ftd::t_ftd(std::uint32_t size_value, std::string name_value, ::vartype type, bool not_null, bool auto_increment,
             std::uint32_t reserved_word, std::string type_name_value)
    : size(size_value),
      name(std::move(name_value)),
      vartype(type),
      type_name(std::move(type_name_value)),
      b_auto_increment(auto_increment),
      b_not_null(not_null),
      reserved(reserved_word) {
    trace_descriptor("t_ftd::ctor2", *this);
}
