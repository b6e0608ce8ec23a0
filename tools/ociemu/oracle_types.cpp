// Parses Oracle type declarations and fills in the describe values a real server reports for them.
#include "oracle_types.h"

#include "text_codec.h"

#include <cctype>
#include <vector>

namespace ociemu {
namespace {

constexpr std::uint16_t database_bytes_per_char = 4;  // AL32UTF8
constexpr std::uint16_t national_bytes_per_char = 2;  // AL16UTF16
constexpr std::uint16_t lob_describe_size = 4000;
constexpr int default_fraction_digits = 6;
constexpr int default_leading_digits = 2;

// The declaration split into its words and the numbers in its parentheses, e.g.
// "TIMESTAMP(3) WITH TIME ZONE" -> words TIMESTAMP WITH TIME ZONE, numbers 3.
struct declaration {
    std::vector<std::string> words;
    std::vector<std::vector<int>> numbers;  // per word: the numbers in the parentheses after it
    bool char_semantics = false;
};

declaration split_declaration(std::string_view text) {
    declaration out;
    const std::string upper = to_upper_ascii(text);
    std::size_t at = 0;
    while (at < upper.size()) {
        const char c = upper[at];
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            const auto start = at;
            while (at < upper.size() && (std::isalnum(static_cast<unsigned char>(upper[at])) || upper[at] == '_'))
                ++at;
            out.words.push_back(upper.substr(start, at - start));
            out.numbers.emplace_back();
        } else if (c == '(') {
            const auto close = upper.find(')', at);
            const std::string inside = upper.substr(at + 1, close == std::string::npos ? std::string::npos : close - at - 1);
            at = close == std::string::npos ? upper.size() : close + 1;
            if (inside.find("CHAR") != std::string::npos) out.char_semantics = true;
            std::vector<int> values;
            std::size_t pos = 0;
            while (pos < inside.size()) {
                while (pos < inside.size() && !std::isdigit(static_cast<unsigned char>(inside[pos])) && inside[pos] != '-')
                    ++pos;
                if (pos >= inside.size()) break;
                std::size_t used = 0;
                values.push_back(std::stoi(inside.substr(pos), &used));
                pos += used;
            }
            if (!out.numbers.empty()) out.numbers.back() = values;
        } else {
            ++at;
        }
    }
    return out;
}

int number_or(const declaration& d, std::size_t word, std::size_t index, int fallback) {
    if (word >= d.numbers.size() || index >= d.numbers[word].size()) return fallback;
    return d.numbers[word][index];
}

bool has_word(const declaration& d, std::string_view word) {
    for (const auto& w : d.words)
        if (w == word) return true;
    return false;
}

oracle_type make(value_kind kind, std::uint16_t code, std::uint16_t size, std::string name) {
    oracle_type t;
    t.kind = kind;
    t.code = code;
    t.data_size = size;
    t.catalogue_length = size;
    t.catalogue_name = std::move(name);
    return t;
}

oracle_type character_type(const declaration& d, bool national, bool fixed, const std::string& name) {
    const int length = number_or(d, 0, 0, fixed ? 1 : 4000);
    const bool chars = national || d.char_semantics;
    const std::uint16_t per_char = national ? national_bytes_per_char : database_bytes_per_char;
    const auto bytes = static_cast<std::uint16_t>(chars ? length * per_char : length);
    oracle_type t = make(national ? value_kind::national_text : value_kind::text, fixed ? 96 : 1, bytes, name);
    t.charset_form = national ? 2 : 1;
    t.char_used = chars ? 1 : 0;
    t.char_size = static_cast<std::uint16_t>(length);
    return t;
}

oracle_type number_type(int precision, std::optional<int> scale) {
    oracle_type t = make(value_kind::number, 2, 22, "NUMBER");
    t.precision = static_cast<std::int16_t>(precision);
    t.scale = static_cast<std::int8_t>(scale.value_or(-127));
    if (precision > 0) {
        t.catalogue_precision = precision;
        t.catalogue_scale = scale.value_or(0);
        t.scale = static_cast<std::int8_t>(scale.value_or(0));
    }
    return t;
}

oracle_type float_type(int binary_precision) {
    oracle_type t = make(value_kind::number, 2, 22, "FLOAT");
    t.precision = static_cast<std::int16_t>(binary_precision);
    t.scale = -127;
    t.catalogue_precision = binary_precision;
    return t;
}

oracle_type timestamp_type(const declaration& d) {
    const int digits = number_or(d, 0, 0, default_fraction_digits);
    const std::string base = "TIMESTAMP(" + std::to_string(digits) + ")";
    oracle_type t;
    if (has_word(d, "LOCAL")) t = make(value_kind::timestamp_ltz, 232, 11, base + " WITH LOCAL TIME ZONE");
    else if (has_word(d, "ZONE")) t = make(value_kind::timestamp_tz, 188, 13, base + " WITH TIME ZONE");
    else t = make(value_kind::timestamp, 187, 11, base);
    t.scale = static_cast<std::int8_t>(digits);
    t.fs_precision = static_cast<std::uint8_t>(digits);
    t.catalogue_scale = digits;
    return t;
}

oracle_type interval_type(const declaration& d) {
    const int leading = number_or(d, 1, 0, default_leading_digits);
    if (has_word(d, "YEAR")) {
        oracle_type t = make(value_kind::interval_ym, 189, 5,
                             "INTERVAL YEAR(" + std::to_string(leading) + ") TO MONTH");
        t.precision = static_cast<std::int16_t>(leading);
        t.lf_precision = static_cast<std::uint8_t>(leading);
        t.catalogue_precision = leading;
        t.catalogue_scale = 0;
        return t;
    }
    std::size_t second_word = 0;
    for (std::size_t i = 0; i < d.words.size(); ++i)
        if (d.words[i] == "SECOND") second_word = i;
    const int fraction = number_or(d, second_word, 0, default_fraction_digits);
    oracle_type t = make(value_kind::interval_ds, 190, 11,
                         "INTERVAL DAY(" + std::to_string(leading) + ") TO SECOND(" + std::to_string(fraction) + ")");
    t.precision = static_cast<std::int16_t>(leading);
    t.scale = static_cast<std::int8_t>(fraction);
    t.lf_precision = static_cast<std::uint8_t>(leading);
    t.fs_precision = static_cast<std::uint8_t>(fraction);
    t.catalogue_precision = leading;
    t.catalogue_scale = fraction;
    return t;
}

oracle_type lob_type(value_kind kind, std::uint16_t code, std::uint8_t form, const char* name) {
    oracle_type t = make(kind, code, lob_describe_size, name);
    t.charset_form = form;
    return t;
}

oracle_type type_from_words(const declaration& d) {
    const std::string& first = d.words[0];
    const std::string second = d.words.size() > 1 ? d.words[1] : std::string();
    if (first == "VARCHAR2" || first == "VARCHAR") return character_type(d, false, false, "VARCHAR2");
    if (first == "NVARCHAR2") return character_type(d, true, false, "NVARCHAR2");
    if (first == "CHAR" || first == "CHARACTER") return character_type(d, false, true, "CHAR");
    if (first == "NCHAR") return character_type(d, true, true, "NCHAR");
    if (first == "NUMBER" || first == "DECIMAL" || first == "NUMERIC" || first == "DEC") {
        if (d.numbers[0].empty()) return first == "NUMBER" ? number_type(0, std::nullopt) : number_type(38, 0);
        return number_type(d.numbers[0][0], d.numbers[0].size() > 1 ? d.numbers[0][1] : 0);
    }
    if (first == "INTEGER" || first == "INT" || first == "SMALLINT" || first == "BIGINT") {
        oracle_type t = number_type(38, 0);
        t.catalogue_precision.reset();  // the dictionary shows INTEGER as NUMBER with scale 0 only
        return t;
    }
    if (first == "FLOAT") return float_type(number_or(d, 0, 0, 126));
    if (first == "REAL") return float_type(63);
    if (first == "DOUBLE") return float_type(126);
    if (first == "BINARY_FLOAT") return make(value_kind::binary_float, 100, 4, "BINARY_FLOAT");
    if (first == "BINARY_DOUBLE") return make(value_kind::binary_double, 101, 8, "BINARY_DOUBLE");
    if (first == "DATE") return make(value_kind::date, 12, 7, "DATE");
    if (first == "TIMESTAMP") return timestamp_type(d);
    if (first == "INTERVAL") return interval_type(d);
    if (first == "CLOB") return lob_type(value_kind::clob, 112, 1, "CLOB");
    if (first == "NCLOB") return lob_type(value_kind::nclob, 112, 2, "NCLOB");
    if (first == "BLOB") return lob_type(value_kind::blob, 113, 0, "BLOB");
    if (first == "BFILE") return make(value_kind::bfile, 114, 530, "BFILE");
    if (first == "RAW") return make(value_kind::raw, 23, static_cast<std::uint16_t>(number_or(d, 0, 0, 2000)), "RAW");
    if (first == "LONG" && second == "RAW") return make(value_kind::long_raw, 24, 0, "LONG RAW");
    if (first == "LONG") return make(value_kind::long_text, 8, 0, "LONG");
    if (first == "ROWID") return make(value_kind::rowid, 104, 10, "ROWID");
    if (first == "UROWID") return make(value_kind::rowid, 104, 4000, "UROWID");
    // Newer types, with the codes their describes report (SQLT_BOL, SQLT_JSON, SQLT_VEC).
    if (first == "BOOLEAN") return make(value_kind::boolean, 252, 1, "BOOLEAN");
    if (first == "JSON") return make(value_kind::json, 119, 0, "JSON");
    if (first == "VECTOR") return make(value_kind::vector, 127, 0, "VECTOR");
    if (first == "XMLTYPE" || (first == "SYS" && second == "XMLTYPE")) {
        oracle_type t = make(value_kind::xml, 108, 2000, "XMLTYPE");
        t.type_schema = "SYS";
        return t;
    }
    return text_expression_type(4000);  // SQLite's TEXT and other unknown names: character data
}

}  // namespace

oracle_type type_from_declaration(std::string_view declared) {
    const declaration d = split_declaration(declared);
    if (d.words.empty()) return text_expression_type(4000);
    // A qualified name such as MDSYS.SDO_GEOMETRY is an object type of that owner.
    if (d.words.size() == 2 && declared.find('.') != std::string_view::npos && !(d.words[0] == "SYS" && d.words[1] == "XMLTYPE")) {
        oracle_type t = make(value_kind::object, 108, 0, d.words[1]);
        t.type_schema = d.words[0];
        return t;
    }
    return type_from_words(d);
}

oracle_type number_expression_type() { return number_type(0, std::nullopt); }

oracle_type text_expression_type(std::uint16_t length) {
    oracle_type t = make(value_kind::text, 1, length, "VARCHAR2");
    t.charset_form = 1;
    t.char_size = length;
    return t;
}

oracle_type char_literal_type(std::uint16_t length) {
    oracle_type t = make(value_kind::text, 96, length, "CHAR");
    t.charset_form = 1;
    t.char_size = length;
    return t;
}

oracle_type date_expression_type() { return make(value_kind::date, 12, 7, "DATE"); }

oracle_type clob_expression_type() {
    oracle_type type = lob_type(value_kind::clob, 112, 1, "CLOB");
    type.temporary_lob = true;  // XMLSERIALIZE makes a new LOB for every row
    return type;
}

bool is_character_kind(value_kind kind) {
    return kind == value_kind::text || kind == value_kind::national_text || kind == value_kind::long_text ||
           kind == value_kind::clob || kind == value_kind::nclob || kind == value_kind::xml;
}

bool is_lob_kind(value_kind kind) {
    return kind == value_kind::clob || kind == value_kind::nclob || kind == value_kind::blob ||
           kind == value_kind::bfile;
}

}  // namespace ociemu
