// Oracle column types read from the declared types of SQLite columns, and what a describe reports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ociemu {

// How a stored value is read and converted; one kind per family of Oracle types.
enum class value_kind {
    text, national_text, number, binary_float, binary_double, date, timestamp, timestamp_tz,
    timestamp_ltz, interval_ym, interval_ds, clob, nclob, blob, bfile, raw, long_text, long_raw,
    rowid, xml, object,  // object: a user-defined type, which no define can take
    boolean, json, vector  // 23ai BOOLEAN and VECTOR, 21c JSON
};

struct oracle_type {
    value_kind kind = value_kind::text;
    std::uint16_t code = 1;          // OCI_ATTR_DATA_TYPE of a select-list describe
    std::uint16_t data_size = 0;     // OCI_ATTR_DATA_SIZE, bytes
    std::int16_t precision = 0;      // OCI_ATTR_PRECISION
    std::int8_t scale = 0;           // OCI_ATTR_SCALE
    std::uint8_t charset_form = 0;   // 1 database, 2 national, 0 not character data
    std::uint8_t char_used = 0;      // 1 when the length counts characters
    std::uint16_t char_size = 0;     // length in characters for character types
    std::uint8_t fs_precision = 0;   // fraction digits of timestamps and intervals
    std::uint8_t lf_precision = 0;   // leading field digits of intervals
    std::string catalogue_name;      // DATA_TYPE as USER_TAB_COLUMNS spells it
    std::string type_schema;         // owner of an object type (SYS for XMLTYPE), else empty
    std::uint32_t catalogue_length = 0;  // DATA_LENGTH
    std::optional<int> catalogue_precision;  // DATA_PRECISION (null when Oracle shows none)
    std::optional<int> catalogue_scale;      // DATA_SCALE
    bool temporary_lob = false;              // each row's value is a temporary LOB the client must free
};

// The Oracle type of a declared column type such as "NUMBER(7,2)" or "TIMESTAMP(6) WITH TIME ZONE".
// SQLite's own spellings (INTEGER, TEXT, REAL, empty) map to the Oracle type a migration would give.
oracle_type type_from_declaration(std::string_view declared);

// The types of expressions, which have no declaration.
oracle_type number_expression_type();
oracle_type text_expression_type(std::uint16_t length);
oracle_type char_literal_type(std::uint16_t length);
oracle_type date_expression_type();
oracle_type clob_expression_type();  // XMLSERIALIZE(... AS CLOB)

bool is_character_kind(value_kind kind);
bool is_lob_kind(value_kind kind);

}  // namespace ociemu
