// udb_schema: the ordered column descriptors of a recordset, looked up by name ignoring case.
#include "records/udb_schema.h"

#include <utility>

#include "toolkit/log.h"
#include "toolkit/text.h"

udb_schema::udb_schema(bool flag) : flag_(flag) {}

udb_schema::udb_schema(const udb_schema& other)
    : flag_(other.flag_), setting1_(other.setting1_), setting2_(other.setting2_) {
    descriptors_.reserve(other.descriptors_.size());
    for (const auto& descriptor : other.descriptors_) descriptors_.push_back(std::make_unique<t_ftd>(*descriptor));
}

udb_schema& udb_schema::operator=(const udb_schema& other) {
    if (this != &other) {
        udb_schema copy(other);
        *this = std::move(copy);
    }
    return *this;
}

t_ftd& udb_schema::add(std::unique_ptr<t_ftd> descriptor) {
    TK_ASSERT(descriptor != nullptr);
    descriptors_.push_back(std::move(descriptor));
    return *descriptors_.back();
}

t_ftd& udb_schema::add(t_ftd descriptor) { return add(std::make_unique<t_ftd>(std::move(descriptor))); }

const t_ftd& udb_schema::at(std::size_t index) const {
    TK_ASSERT(index < descriptors_.size());
    return *descriptors_[index];
}

bool udb_schema::find_field(std::string_view name) const {
    TK_LOG(1, "udb_schema::find_field(%.*s)", static_cast<int>(name.size()), name.data());
    return get_field_idx(name) >= 0;
}

std::int32_t udb_schema::get_field_idx(std::string_view name) const {
    for (std::size_t i = 0; i < descriptors_.size(); ++i) {
        if (iequals(descriptors_[i]->name, name)) return static_cast<std::int32_t>(i);
    }
    return -1;
}

const t_ftd& udb_schema::get_field1(std::string_view name) const {
    const std::int32_t index = get_field_idx(name);
    if (index >= 0) return *descriptors_[static_cast<std::size_t>(index)];
    TK_LOG(3, "Field '%.*s' not found", static_cast<int>(name.size()), name.data());
    static const t_ftd empty_descriptor;  // never changed, so sharing it is safe
    return empty_descriptor;
}
