// udb_recordset: the base of every row source and sink, and the re-typing of rows.
#include "records/udb_recordset.h"

#include <utility>

#include "toolkit/log.h"
#include "toolkit/text.h"

udb_recordset::udb_recordset(std::string name, std::string query_text, bool schema_flag)
    : query_text_(std::move(query_text)), name_(std::move(name)), schema_(schema_flag) {}

udb_recordset::udb_recordset(std::string name, bool schema_flag) : name_(std::move(name)), schema_(schema_flag) {}

udb_recordset::~udb_recordset() = default;

void udb_recordset::update(udb_record&) { TK_LOG(2, "udb_recordset::update"); }
bool udb_recordset::save() { return true; }
udb_record* udb_recordset::get_item() { return nullptr; }
bool udb_recordset::is_eof() { return true; }
bool udb_recordset::is_query() const { return !query_text_.empty(); }
void udb_recordset::next() {}
void udb_recordset::reposition() {}
void udb_recordset::move_first() {}

void udb_recordset::convert_record(udb_record& record) const {
    for (std::size_t i = 0; i < record.size(); ++i) {
        udb_field& field = record[i];
        // Rows usually arrive in the schema's own column order and spelling: take that
        // column without a search, so a row costs no lookups by name.
        const t_ftd* column = nullptr;
        if (i < schema_.size() && schema_[i].name == field.name()) {
            column = &schema_[i];
        } else {
            const std::int32_t index = schema_.get_field_idx(field.name());
            if (index < 0) {
                TK_LOG(3, "Field '%s' has no column in '%s'", field.name().c_str(), name_.c_str());
                throw tk_exception("The structure of data source does not conform to the destination table.",
                                   tk_level_recoverable);
            }
            column = &schema_[static_cast<std::size_t>(index)];
        }
        field.change_type(column->vartype);
    }
}

void udb_recordset::add_index(const udb_index& index) {
    TK_LOG(2, "udb_recordset::add_index(%s)", index.name.c_str());
    if (!indexes_.is_acceptable_name(index.name)) {
        TK_LOG(3, "Index '%s' cannot be processed", index.name.c_str());
        return;
    }
    if (primary_key_position_ == -1 && (index.b_primary || index.b_unique)) {
        TK_LOG(1, "Store primary/unique key");
        primary_key_position_ = static_cast<std::int32_t>(indexes_.size());
    }
    indexes_.push_back(index);
}
