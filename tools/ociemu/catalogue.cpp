// Fills the data dictionary tables from sqlite_master and the table pragmas.
#include "catalogue.h"

#include <cstdlib>
#include <string_view>

#include "database_session.h"
#include "oracle_types.h"
#include "sql_statement.h"
#include "text_codec.h"

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <optional>
#include <variant>
#include <vector>

namespace ociemu {
namespace {

// The ALL_ tables hold every column; the USER_ forms are views without the owner columns.
constexpr const char* catalogue_ddl = R"sql(
CREATE TEMP TABLE IF NOT EXISTS DUAL (DUMMY VARCHAR2(1));
CREATE TEMP TABLE IF NOT EXISTS ALL_TABLES (OWNER VARCHAR2(128), TABLE_NAME VARCHAR2(128),
  TABLESPACE_NAME VARCHAR2(30), IOT_TYPE VARCHAR2(12), TEMPORARY VARCHAR2(1), NESTED VARCHAR2(3), NUM_ROWS NUMBER,
  DROPPED VARCHAR2(3));
CREATE TEMP TABLE IF NOT EXISTS ALL_TAB_COLUMNS (OWNER VARCHAR2(128), TABLE_NAME VARCHAR2(128),
  COLUMN_NAME VARCHAR2(128), DATA_TYPE VARCHAR2(128), DATA_TYPE_OWNER VARCHAR2(128), DATA_LENGTH NUMBER,
  DATA_PRECISION NUMBER, DATA_SCALE NUMBER, NULLABLE VARCHAR2(1), COLUMN_ID NUMBER, DATA_DEFAULT LONG,
  CHAR_LENGTH NUMBER, CHAR_USED VARCHAR2(1));
CREATE TEMP TABLE IF NOT EXISTS ALL_CONSTRAINTS (OWNER VARCHAR2(128), CONSTRAINT_NAME VARCHAR2(128),
  CONSTRAINT_TYPE VARCHAR2(1), TABLE_NAME VARCHAR2(128), R_OWNER VARCHAR2(128), R_CONSTRAINT_NAME VARCHAR2(128),
  DELETE_RULE VARCHAR2(9), STATUS VARCHAR2(8), INDEX_NAME VARCHAR2(128));
CREATE TEMP TABLE IF NOT EXISTS ALL_CONS_COLUMNS (OWNER VARCHAR2(128), CONSTRAINT_NAME VARCHAR2(128),
  TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(4000), POSITION NUMBER);
CREATE TEMP TABLE IF NOT EXISTS ALL_INDEXES (OWNER VARCHAR2(128), INDEX_NAME VARCHAR2(128), INDEX_TYPE VARCHAR2(27),
  TABLE_OWNER VARCHAR2(128), TABLE_NAME VARCHAR2(128), UNIQUENESS VARCHAR2(9), GENERATED VARCHAR2(1), STATUS VARCHAR2(8));
CREATE TEMP TABLE IF NOT EXISTS ALL_IND_COLUMNS (INDEX_OWNER VARCHAR2(128), INDEX_NAME VARCHAR2(128),
  TABLE_OWNER VARCHAR2(128), TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(4000), COLUMN_POSITION NUMBER,
  COLUMN_LENGTH NUMBER, DESCEND VARCHAR2(4));
CREATE TEMP TABLE IF NOT EXISTS ALL_VIEWS (OWNER VARCHAR2(128), VIEW_NAME VARCHAR2(128), TEXT_LENGTH NUMBER, TEXT LONG);
CREATE TEMP VIEW IF NOT EXISTS USER_TABLES AS SELECT TABLE_NAME, TABLESPACE_NAME, IOT_TYPE, TEMPORARY, NESTED, NUM_ROWS,
  DROPPED FROM ALL_TABLES;
CREATE TEMP VIEW IF NOT EXISTS USER_TAB_COLUMNS AS SELECT TABLE_NAME, COLUMN_NAME, DATA_TYPE, DATA_TYPE_OWNER,
  DATA_LENGTH, DATA_PRECISION, DATA_SCALE, NULLABLE, COLUMN_ID, DATA_DEFAULT, CHAR_LENGTH, CHAR_USED FROM ALL_TAB_COLUMNS;
CREATE TEMP VIEW IF NOT EXISTS USER_CONSTRAINTS AS SELECT * FROM ALL_CONSTRAINTS;
CREATE TEMP VIEW IF NOT EXISTS USER_CONS_COLUMNS AS SELECT * FROM ALL_CONS_COLUMNS;
CREATE TEMP VIEW IF NOT EXISTS USER_INDEXES AS SELECT INDEX_NAME, INDEX_TYPE, TABLE_OWNER, TABLE_NAME, UNIQUENESS,
  GENERATED, STATUS FROM ALL_INDEXES;
CREATE TEMP VIEW IF NOT EXISTS USER_IND_COLUMNS AS SELECT INDEX_NAME, TABLE_NAME, COLUMN_NAME, COLUMN_POSITION,
  COLUMN_LENGTH, DESCEND FROM ALL_IND_COLUMNS;
CREATE TEMP VIEW IF NOT EXISTS USER_VIEWS AS SELECT VIEW_NAME, TEXT_LENGTH, TEXT FROM ALL_VIEWS;
DELETE FROM DUAL; INSERT INTO DUAL VALUES ('X');
DELETE FROM ALL_TABLES; DELETE FROM ALL_TAB_COLUMNS; DELETE FROM ALL_CONSTRAINTS;
DELETE FROM ALL_CONS_COLUMNS; DELETE FROM ALL_INDEXES; DELETE FROM ALL_IND_COLUMNS; DELETE FROM ALL_VIEWS;
)sql";

using cell = std::variant<std::monostate, long long, std::string>;

// A prepared INSERT reused for every row of one dictionary table.
class row_inserter {
public:
    row_inserter(sqlite3* db, const std::string& table, int columns) {
        std::string sql = "INSERT INTO " + table + " VALUES (";
        for (int i = 0; i < columns; ++i) sql += i ? ",?" : "?";
        sql += ")";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement_, nullptr) != SQLITE_OK)
            execute_sqlite(db, sql);  // reports the failure
    }
    ~row_inserter() { sqlite3_finalize(statement_); }
    row_inserter(const row_inserter&) = delete;
    row_inserter& operator=(const row_inserter&) = delete;

    void insert(const std::vector<cell>& values) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            const int at = static_cast<int>(i) + 1;
            if (const auto* number = std::get_if<long long>(&values[i])) sqlite3_bind_int64(statement_, at, *number);
            else if (const auto* text = std::get_if<std::string>(&values[i]))
                sqlite3_bind_text(statement_, at, text->c_str(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
            else sqlite3_bind_null(statement_, at);
        }
        sqlite3_step(statement_);
        sqlite3_reset(statement_);
    }

private:
    sqlite3_stmt* statement_ = nullptr;
};

struct schema_object {
    std::string name;
    std::string sql;
    bool is_view = false;
};

struct table_flags {
    std::string temporary = "N";
    std::string nested = "NO";
    cell iot_type;
};

std::string column_text(sqlite3_stmt* statement, int column) {
    const auto* text = sqlite3_column_text(statement, column);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

std::vector<schema_object> list_objects(sqlite3* db) {
    std::vector<schema_object> objects;
    sqlite3_stmt* statement = nullptr;
    const char* sql = "SELECT name, type, sql FROM main.sqlite_master WHERE type IN ('table','view') "
                      "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' AND upper(name) NOT LIKE 'OCIEMU\\_%' ESCAPE '\\' "
                      "ORDER BY rowid";
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK)
        while (sqlite3_step(statement) == SQLITE_ROW)
            objects.push_back({column_text(statement, 0), column_text(statement, 2), column_text(statement, 1) == "view"});
    sqlite3_finalize(statement);
    return objects;
}

// OCIEMU_TABLE_FLAGS (TABLE_NAME, TEMPORARY, NESTED, IOT_TYPE) marks tables a test wants to look
// temporary, nested or index-organised.
std::map<std::string, table_flags> read_table_flags(sqlite3* db) {
    std::map<std::string, table_flags> flags;
    sqlite3_stmt* statement = nullptr;
    const char* sql = "SELECT TABLE_NAME, TEMPORARY, NESTED, IOT_TYPE FROM OCIEMU_TABLE_FLAGS";
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            table_flags f;
            if (sqlite3_column_type(statement, 1) != SQLITE_NULL) f.temporary = column_text(statement, 1);
            if (sqlite3_column_type(statement, 2) != SQLITE_NULL) f.nested = column_text(statement, 2);
            if (sqlite3_column_type(statement, 3) != SQLITE_NULL) f.iot_type = column_text(statement, 3);
            flags[to_upper_ascii(column_text(statement, 0))] = f;
        }
    }
    sqlite3_finalize(statement);
    return flags;
}

std::string quoted(const std::string& name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

cell optional_number(const std::optional<int>& value) {
    if (value) return static_cast<long long>(*value);
    return std::monostate{};
}

std::string system_name(int& counter) { return "SYS_C" + std::to_string(1000000 + ++counter).substr(1); }

struct column_info {
    std::string name;
    std::string declared;
    bool not_null = false;
    cell default_text;
    int key_position = 0;
};

std::vector<column_info> table_columns(sqlite3* db, const std::string& table) {
    std::vector<column_info> columns;
    sqlite3_stmt* statement = nullptr;
    const std::string sql = "PRAGMA main.table_info(" + quoted(table) + ")";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            column_info c{column_text(statement, 1), column_text(statement, 2),
                          sqlite3_column_int(statement, 3) != 0, std::monostate{}, sqlite3_column_int(statement, 5)};
            if (sqlite3_column_type(statement, 4) != SQLITE_NULL) c.default_text = column_text(statement, 4);
            c.not_null = c.not_null || c.key_position > 0;  // Oracle keys are never NULL
            columns.push_back(c);
        }
    }
    sqlite3_finalize(statement);
    return columns;
}

// A view's columns come from describing SELECT * over it.
std::vector<column_info> view_columns(sqlite3* db, const std::string& view) {
    std::vector<column_info> columns;
    sqlite3_stmt* statement = nullptr;
    const std::string sql = "SELECT * FROM main." + quoted(view);
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const char* declared = sqlite3_column_decltype(statement, i);
            columns.push_back({sqlite3_column_name(statement, i), declared ? declared : "", false, std::monostate{}, 0});
        }
    }
    sqlite3_finalize(statement);
    return columns;
}

// With OCIEMU_SHUFFLE_DICTIONARY set, a table's column rows are stored last column first, so
// a dictionary query without ORDER BY sees them out of COLUMN_ID order, as a server may.
bool shuffles_dictionary() {
    const char* value = std::getenv("OCIEMU_SHUFFLE_DICTIONARY");
    return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

void add_columns(row_inserter& out, const std::string& owner, const std::string& table,
                 const std::vector<column_info>& columns) {
    const bool reversed = shuffles_dictionary();
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const std::size_t index = reversed ? columns.size() - 1 - k : k;
        const column_info& c = columns[index];
        const long long column_id = static_cast<long long>(index) + 1;
        const oracle_type type = type_from_declaration(c.declared);
        const bool character = type.charset_form != 0 && !is_lob_kind(type.kind) && type.kind != value_kind::long_text;
        out.insert({owner, table, c.name, type.catalogue_name,
                    type.type_schema.empty() ? cell(std::monostate{}) : cell(type.type_schema),
                    static_cast<long long>(type.catalogue_length), optional_number(type.catalogue_precision),
                    optional_number(type.catalogue_scale), std::string(c.not_null ? "N" : "Y"), column_id,
                    c.default_text, character ? cell(static_cast<long long>(type.char_size)) : cell(0LL),
                    character ? cell(std::string(type.char_used ? "C" : "B")) : cell(std::monostate{})});
    }
}

// The text after "CREATE VIEW name AS", as Oracle keeps it.
std::string view_text(const std::string& sql) {
    const auto tokens = tokenize(sql);
    int depth = 0;
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (tokens[i].kind == token_kind::symbol && tokens[i].text == "(") ++depth;
        if (tokens[i].kind == token_kind::symbol && tokens[i].text == ")") --depth;
        if (depth == 0 && tokens[i].kind == token_kind::word && equals_ignoring_case(tokens[i].text, "AS"))
            return sql.substr(tokens[i + 1].begin);
    }
    return sql;
}

struct key_writers {
    row_inserter constraints, cons_columns, indexes, ind_columns;
};

void add_index(key_writers& out, const std::string& owner, const std::string& table, const std::string& name,
               bool unique, bool generated, const std::vector<std::string>& columns) {
    out.indexes.insert({owner, name, std::string("NORMAL"), owner, table, std::string(unique ? "UNIQUE" : "NONUNIQUE"),
                        std::string(generated ? "Y" : "N"), std::string("VALID")});
    long long position = 0;
    for (const auto& column : columns)
        out.ind_columns.insert({owner, name, owner, table, column, ++position, 0LL, std::string("ASC")});
}

std::vector<std::string> index_columns(sqlite3* db, const std::string& index) {
    std::vector<std::string> columns;
    sqlite3_stmt* statement = nullptr;
    const std::string sql = "PRAGMA main.index_info(" + quoted(index) + ")";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK)
        while (sqlite3_step(statement) == SQLITE_ROW) columns.push_back(column_text(statement, 2));
    sqlite3_finalize(statement);
    return columns;
}

// A constraint of type P or U with its columns, and the index Oracle creates for it.
void add_key_constraint(key_writers& out, const std::string& owner, const std::string& table, const std::string& name,
                        const char* type, const std::vector<std::string>& columns) {
    out.constraints.insert({owner, name, std::string(type), table, std::monostate{}, std::monostate{}, std::monostate{},
                            std::string("ENABLED"), name});
    long long position = 0;
    for (const auto& column : columns) out.cons_columns.insert({owner, name, table, column, ++position});
    add_index(out, owner, table, name, true, true, columns);
}

// Primary keys, unique constraints and indexes of one table; returns the primary key's name.
std::string add_keys(sqlite3* db, key_writers& out, const std::string& owner, const std::string& table,
                     const std::vector<column_info>& columns, int& counter) {
    std::vector<std::pair<int, std::string>> key;
    for (const auto& c : columns)
        if (c.key_position > 0) key.emplace_back(c.key_position, c.name);
    std::sort(key.begin(), key.end());
    std::string key_name;
    if (!key.empty()) {
        key_name = system_name(counter);
        std::vector<std::string> names;
        for (const auto& entry : key) names.push_back(entry.second);
        add_key_constraint(out, owner, table, key_name, "P", names);
    }
    sqlite3_stmt* statement = nullptr;
    const std::string sql = "PRAGMA main.index_list(" + quoted(table) + ")";
    std::vector<std::tuple<std::string, bool, std::string>> indexes;  // name, unique, origin
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK)
        while (sqlite3_step(statement) == SQLITE_ROW)
            indexes.emplace_back(column_text(statement, 1), sqlite3_column_int(statement, 2) != 0, column_text(statement, 3));
    sqlite3_finalize(statement);
    for (const auto& [name, unique, origin] : indexes) {
        if (origin == "pk") continue;  // listed above under the key's name
        if (origin == "u") add_key_constraint(out, owner, table, system_name(counter), "U", index_columns(db, name));
        else add_index(out, owner, table, name, unique, false, index_columns(db, name));
    }
    return key_name;
}

void add_foreign_keys(sqlite3* db, key_writers& out, const std::string& owner, const std::string& table,
                      const std::map<std::string, std::string>& key_names, int& counter) {
    sqlite3_stmt* statement = nullptr;
    const std::string sql = "PRAGMA main.foreign_key_list(" + quoted(table) + ")";
    long long current_id = -1;
    std::string constraint;
    long long position = 0;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const long long id = sqlite3_column_int64(statement, 0);
            if (id != current_id) {
                current_id = id;
                position = 0;
                constraint = system_name(counter);
                const std::string parent = column_text(statement, 2);
                const auto key = key_names.find(to_upper_ascii(parent));
                const std::string on_delete = to_upper_ascii(column_text(statement, 6));
                out.constraints.insert({owner, constraint, std::string("R"), table, owner,
                                        key == key_names.end() ? cell(std::monostate{}) : cell(key->second),
                                        std::string(on_delete == "CASCADE" || on_delete == "SET NULL" ? on_delete : "NO ACTION"),
                                        std::string("ENABLED"), std::monostate{}});
            }
            out.cons_columns.insert({owner, constraint, table, column_text(statement, 3), ++position});
        }
    }
    sqlite3_finalize(statement);
}

void fill_catalogue(sqlite3* db, const std::string& owner, const std::optional<std::string>& banner) {
    execute_sqlite(db, "DROP TABLE IF EXISTS temp.\"V$VERSION\"");  // the user may have changed
    execute_sqlite(db, catalogue_ddl);
    if (banner) {  // v$version is for users granted the privilege to read it
        execute_sqlite(db, "CREATE TEMP TABLE \"V$VERSION\" (BANNER VARCHAR2(80))");
        row_inserter version(db, "\"V$VERSION\"", 1);
        version.insert({*banner});
    }
    row_inserter tables(db, "ALL_TABLES", 8), tab_columns(db, "ALL_TAB_COLUMNS", 13), views(db, "ALL_VIEWS", 4);
    key_writers keys{{db, "ALL_CONSTRAINTS", 9}, {db, "ALL_CONS_COLUMNS", 5}, {db, "ALL_INDEXES", 8}, {db, "ALL_IND_COLUMNS", 8}};
    const auto flags = read_table_flags(db);
    const auto objects = list_objects(db);
    std::map<std::string, std::string> key_names;
    int counter = 0;
    for (const auto& object : objects) {
        if (object.is_view) {
            const std::string text = view_text(object.sql);
            views.insert({owner, object.name, static_cast<long long>(text.size()), text});
            add_columns(tab_columns, owner, object.name, view_columns(db, object.name));
            continue;
        }
        const auto found = flags.find(to_upper_ascii(object.name));
        const table_flags f = found == flags.end() ? table_flags{} : found->second;
        // a dropped table waits in the recycle bin under a BIN$ name until purged
        const bool dropped = object.name.rfind("BIN$", 0) == 0;
        tables.insert({owner, object.name, std::string("USERS"), f.iot_type, f.temporary, f.nested, std::monostate{},
                       std::string(dropped ? "YES" : "NO")});
        const auto columns = table_columns(db, object.name);
        add_columns(tab_columns, owner, object.name, columns);
        const std::string key = add_keys(db, keys, owner, object.name, columns, counter);
        if (!key.empty()) key_names[to_upper_ascii(object.name)] = key;
    }
    for (const auto& object : objects)
        if (!object.is_view) add_foreign_keys(db, keys, owner, object.name, key_names, counter);
}

}  // namespace

void build_catalogue(sqlite3* db, const std::string& owner, const std::optional<std::string>& banner) {
    execute_sqlite(db, "SAVEPOINT ociemu_catalogue");
    try {
        fill_catalogue(db, owner, banner);
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK TO ociemu_catalogue; RELEASE ociemu_catalogue", nullptr, nullptr, nullptr);
        throw;
    }
    execute_sqlite(db, "RELEASE ociemu_catalogue");
}

}  // namespace ociemu
